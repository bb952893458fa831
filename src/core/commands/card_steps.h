// Moving the selection from card to card with the keyboard: the next or previous card in reading
// order, or the nearest card in one of the four directions. Only visible cards take part (cards of
// hidden groups and hidden name plates are skipped).
#pragma once

#include <vector>

namespace qv {

class FragSet;
class Fragment;

enum class CardDirection { Left, Right, Up, Down };

// The visible cards in reading order: columns of cards left to right, each column top to bottom,
// by the same comparison that orders the selection. The order depends on the positions only, not
// on the stacking order, so stepping through it always visits every card once.
std::vector<Fragment*> CardsInReadingOrder(const FragSet& doc);

// The card after (or before) `from` in reading order, wrapping around at the ends. Without `from`,
// or when it is not a visible card, the first (or last) card. None in a document without visible
// cards.
Fragment* StepInReadingOrder(const FragSet& doc, const Fragment* from, bool forward);

// The visible card nearest to `from` in `direction`: its centre lies within 45 degrees either side
// of that direction from the centre of `from`; the nearest centre wins, the earlier card in reading
// order on a tie. None when no card lies that way. Without `from`, the card nearest the centre of
// the window.
Fragment* NearestInDirection(const FragSet& doc, const Fragment* from, CardDirection direction);

// Makes `card` the only selected card and scrolls it into view when it is not wholly in the
// window (centred, as the find steps do). Nothing for none.
void SelectOnlyCard(FragSet& doc, Fragment* card);

}  // namespace qv
