// The region to repaint after an operation that asked for a rectangle per card it touched.
#pragma once

#include <QRect>
#include <QRegion>
#include <vector>

namespace qv {

// Rectangles up to this many are united exactly.
inline constexpr std::size_t kExactRepaintRects = 48;
// Beyond that the region is made of cells of this side,
inline constexpr int kRepaintCell = 16;
// or is their whole bounding rectangle when the cells cover at least this share of it.
inline constexpr int kWholeBoundsPercent = 60;

// A region covering every rectangle of `rects`. Up to kExactRepaintRects it is their exact union;
// beyond, every kRepaintCell-pixel cell (counted from the rectangles' top-left) that any of them
// touches, cut to their bounding rectangle, or that rectangle itself when the cells cover
// kWholeBoundsPercent of it: uniting hundreds of rectangles one by one costs more than painting
// them, and a clip of many rectangles slows every drawing call, while cells give few rectangles
// and repaint little more.
QRegion RepaintRegion(const std::vector<QRect>& rects);

}  // namespace qv
