// ArrowLine: a relation line between two groups (グループ関係線), its routing between the two group
// frames and its hit test.
#pragma once

#include <vector>

#include "core/geom.h"

namespace qv {

// Line types: 1 line, 2 arrow at the end, 3 arrows at both ends, 4 arrowheads at both ends pointing
// inwards. Width: 1..9 pixels, kDottedWidth for a dotted line drawn 1 pixel wide.
inline constexpr int kLinePlain = 1;
inline constexpr int kLineArrow = 2;
inline constexpr int kLineDoubleArrow = 3;
inline constexpr int kLineReverseDoubleArrow = 4;
inline constexpr int kDottedWidth = -1;

// Distance within which a press counts as on the line.
inline constexpr int kLineHitTolerance = 6;

struct ArrowLine {
    int From = 0;  // group 1..100
    int To = 0;    // group 1..100, never From
    int Type = kLinePlain;
    int Width = 1;
    Point DocStart;
    Point DocEnd;
    Point WinStart;  // client coordinates
    Point WinEnd;
    bool Drawn = false;  // shown on the document window now

    // True when (x, y), in client coordinates, lies within kLineHitTolerance of the line.
    bool HitTest(int x, int y) const;

    // True when the line joins groups a and b, in either direction.
    bool Joins(int a, int b) const { return (From == a && To == b) || (From == b && To == a); }
};

using TArrowList = std::vector<ArrowLine>;

// Valid type and width for a line: a type outside 1..4 becomes 1; a width below -1 or 0 becomes 1,
// above 9 becomes 9.
int SanitizeLineType(int type);
int SanitizeLineWidth(int width);

// The result of routing one line between two frames.
struct LineRoute {
    Point Start;
    Point End;
    int StartAnchor = 0;  // 0..7: top-left, top middle, top-right, right middle, bottom-right,
    int EndAnchor = 0;    //       bottom middle, bottom-left, left middle
};

// Routes a line between the frame rectangles `from` and `to` (client coordinates, neither empty):
// the nearest pair of the eight anchors on each frame grown by |width| + 3 whose anchors face each
// other (else the nearest pair at all; pairs two anchors apart are never tried), nudged along the
// frame edge (6 pixels for type 4, else 2), and snapped to exactly horizontal or vertical within
// 15° when `rightAngle` is on and both anchors are side middles.
LineRoute RouteLine(const Rect& from, const Rect& to, int type, int width, bool rightAngle);

// Rectangles (client coordinates) that cover everything a drawn line can paint, arrowheads of
// `arrowSize` included: a chain of small boxes along the line, so that repainting a long diagonal
// line does not repaint everything in its bounding box.
void LinePaintRects(const ArrowLine& line, int arrowSize, std::vector<Rect>& out);

}  // namespace qv
