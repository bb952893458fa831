// Stretch (伸縮): moves the selected cards apart, together, askew, round or into a line, and group
// stretch (グループ伸縮) moves whole groups away from or towards the page origin. Every call works
// from the cards' StartRect (the rectangle at the last position record), never from the previous
// result, so a slider can go back and forth without drift. Only Left and Top change; sizes never
// do, and no card is moved to a negative coordinate.
//
// Factors are given in hundredths, as the stretch slider holds them: 100 is a factor of 1.00. Whole
// hundredths keep the floor and truncation steps exact, where a binary 0.29 would not be.
#pragma once

namespace qv {

class FragSet;

enum class StretchDirection : int {
    Radial = 0,      // 放射: card centres scale about the selection's centre
    Diagonal = 1,    // 斜め: top-left corners scale about the selection's top-left corner
    Horizontal = 2,  // 左右: as radial, left and right only
    Vertical = 3,    // 上下: as radial, up and down only
    Rotate = 4,      // 回転: the layout turns about its centre, 1.00 a quarter turn clockwise
    LineUp = 5,      // 縦横: 1.00 a column at the left edge, -1.00 a row along the top edge
};
inline constexpr int kStretchDirectionCount = 6;

// The direction a stored StretchMode names; values outside 0..5 mean radial.
StretchDirection StretchDirectionFrom(int value);

// The factor (in hundredths) at which a direction reproduces the starting layout: 0 for rotate
// and line up, 100 for the others.
int NeutralFactor(StretchDirection direction);

// Stretches the selected cards by factor / 100 in `direction`. Nothing for fewer than two
// selected cards. Repaints what moved, the group frames and lines and the map; Modified is left to
// the caller.
void StretchFragments(FragSet& set, int factor, StretchDirection direction);

// Moves every shown group with members so that its top-left corner goes from (mx, my) to about
// (factor / 100 · mx, factor / 100 · my); the members keep their places relative to each other.
// Cards of no group and of hidden groups stay put. A negative factor counts as 0. Redraws the
// whole document.
void StretchGroups(FragSet& set, int factor);

}  // namespace qv
