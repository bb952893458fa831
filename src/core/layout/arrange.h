// Gather (集合), away (片付け) and spread (展開): the one-step rearrangements of the selected cards
// of a document. Each records the positions first, so one position undo takes the command back,
// gives the moved cards fresh stacking numbers in the order they were laid down, and marks the
// document modified.
#pragma once

namespace qv {

class FragSet;

// The corners PutAway piles the cards in (the setting AwayPosition); any other value means the
// top-left corner.
enum class AwayCorner : int { TopLeft = 0, TopRight = 1, BottomLeft = 2, BottomRight = 3 };

// Distance of an away pile from the page's edges.
inline constexpr int kAwayMargin = 12;
// Gap between spread cards, horizontally and below the tallest card of a row.
inline constexpr int kSpreadGap = 8;

// Piles the selected cards (in SelectionList order) at the selection's top-left corner, each one
// pixel further right and down and on top of the one before; the group's name plate comes to the
// top when the selection is one group; the view is centred on the first selected card. Nothing
// when nothing is selected.
void Gather(FragSet& set);

// Piles the selected cards in the corner of the page named by AwayPosition, kAwayMargin from its
// edges, each one pixel further away from the corner. A card never lands left of or above the
// page: on a page too small for the pile the coordinates stop at 0. Nothing when nothing is
// selected.
void PutAway(FragSet& set);

// Lays the selected cards out in rows of floor(√n) starting at the selection's top-left corner:
// in stacking order, or shuffled with SpreadShuffle; aligned with SpreadAlign, else jittered by
// the document's random numbers. On a fixed page a card that would reach past the page width by
// more than a third of its own width starts a new row early. Nothing for fewer than two cards.
void Spread(FragSet& set);

// floor(√n) for n >= 0, exactly.
int IntegerSqrt(int n);

}  // namespace qv
