#include "core/model/arrow_line.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace qv {

int SanitizeLineType(int type) {
    return type >= kLinePlain && type <= kLineReverseDoubleArrow ? type : kLinePlain;
}

int SanitizeLineWidth(int width) {
    if (width < kDottedWidth || width == 0) return 1;
    return std::min(width, 9);
}

bool ArrowLine::HitTest(int x, int y) const {
    const int x1 = WinStart.X, y1 = WinStart.Y, x2 = WinEnd.X, y2 = WinEnd.Y;
    constexpr int tol = kLineHitTolerance;
    if (x < std::min(x1, x2) - tol || x > std::max(x1, x2) + tol) return false;
    if (y < std::min(y1, y2) - tol || y > std::max(y1, y2) + tol) return false;
    if (std::abs(y1 - y2) < tol) return std::abs(y1 - y) < tol;
    if (std::abs(x1 - x2) < tol) return std::abs(x1 - x) < tol;
    // Vertical, then horizontal distance from the point to the line through both ends.
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    const double vertical = std::trunc((x - x1) * dy / dx - (y - y1));
    if (std::abs(vertical) < tol) return true;
    const double horizontal = std::trunc((y - y1) * dx / dy - (x - x1));
    return std::abs(horizontal) < tol;
}

namespace {

enum Anchor {
    kTopLeft,
    kTopMiddle,
    kTopRight,
    kRightMiddle,
    kBottomRight,
    kBottomMiddle,
    kBottomLeft,
    kLeftMiddle,
};

// The eight anchors on `grown`; the middles come from the frame before growing.
std::array<Point, 8> Anchors(const Rect& frame, const Rect& grown) {
    const int cx = frame.Left + frame.Width() / 2;
    const int cy = frame.Top + frame.Height() / 2;
    return {Point{grown.Left, grown.Top},     Point{cx, grown.Top},
            Point{grown.Right, grown.Top},    Point{grown.Right, cy},
            Point{grown.Right, grown.Bottom}, Point{cx, grown.Bottom},
            Point{grown.Left, grown.Bottom},  Point{grown.Left, cy}};
}

// Whether the anchor `kind` at a looks out towards b (y grows downwards).
bool Faces(int kind, Point a, Point b) {
    switch (kind) {
        case kTopLeft:
            return b.X <= a.X && b.Y <= a.Y;
        case kTopMiddle:
            return b.Y <= a.Y;
        case kTopRight:
            return b.X >= a.X && b.Y <= a.Y;
        case kRightMiddle:
            return b.X >= a.X;
        case kBottomRight:
            return b.X >= a.X && b.Y >= a.Y;
        case kBottomMiddle:
            return b.Y >= a.Y;
        case kBottomLeft:
            return b.X <= a.X && b.Y >= a.Y;
        default:
            return b.X <= a.X;
    }
}

bool IsTopOrBottomMiddle(int a) {
    return a == kTopMiddle || a == kBottomMiddle;
}
bool IsSideMiddle(int a) {
    return a == kRightMiddle || a == kLeftMiddle;
}

int Towards(int from, int to, int n) {
    return from < to ? from + n : from - n;
}

constexpr double kSnapAngle = 0.2617993877991494;  // 15 degrees

}  // namespace

LineRoute RouteLine(const Rect& from, const Rect& to, int type, int width, bool rightAngle) {
    const int grow = std::abs(width) + 3;
    const auto f = Anchors(from, from.Inflated(grow, grow));
    const auto t = Anchors(to, to.Inflated(grow, grow));

    std::int64_t bestAll = INT64_MAX, bestFacing = INT64_MAX;
    int allI = 0, allJ = 0, faceI = -1, faceJ = -1;
    for (int i = 0; i < 8; ++i) {
        for (int j = 0; j < 8; ++j) {
            const int gap = std::abs(i - j);
            if (gap == 2 || gap == 6) continue;
            const std::int64_t ddx = static_cast<std::int64_t>(f[i].X) - t[j].X;
            const std::int64_t ddy = static_cast<std::int64_t>(f[i].Y) - t[j].Y;
            const std::int64_t d = ddx * ddx + ddy * ddy;
            if (d < bestAll) {
                bestAll = d;
                allI = i;
                allJ = j;
            }
            if (d < bestFacing && Faces(i, f[i], t[j]) && Faces(j, t[j], f[i])) {
                bestFacing = d;
                faceI = i;
                faceJ = j;
            }
        }
    }
    LineRoute r;
    r.StartAnchor = faceI >= 0 ? faceI : allI;
    r.EndAnchor = faceI >= 0 ? faceJ : allJ;
    r.Start = f[r.StartAnchor];
    r.End = t[r.EndAnchor];

    // Nudge the ends along the frame edge so that lines meeting at one middle stay apart.
    const int n = type == kLineReverseDoubleArrow ? 6 : 2;
    if (IsTopOrBottomMiddle(r.StartAnchor)) r.Start.X = Towards(r.Start.X, r.End.X, n);
    if (IsSideMiddle(r.StartAnchor)) r.Start.Y = Towards(r.Start.Y, r.End.Y, n);
    if (IsTopOrBottomMiddle(r.EndAnchor)) r.End.X = Towards(r.End.X, r.Start.X, n);
    if (IsSideMiddle(r.EndAnchor)) r.End.Y = Towards(r.End.Y, r.Start.Y, n);

    if (rightAngle && r.Start.X != r.End.X && r.Start.Y != r.End.Y) {
        const int dx = r.End.X - r.Start.X;
        const int dy = r.End.Y - r.Start.Y;
        if (IsTopOrBottomMiddle(r.StartAnchor) && IsTopOrBottomMiddle(r.EndAnchor) &&
            std::abs(std::atan(static_cast<double>(dx) / dy)) < kSnapAngle) {
            r.Start.X = r.End.X = r.Start.X + dx / 2;
        } else if (IsSideMiddle(r.StartAnchor) && IsSideMiddle(r.EndAnchor) &&
                   std::abs(std::atan(static_cast<double>(dy) / dx)) < kSnapAngle) {
            r.Start.Y = r.End.Y = r.Start.Y + dy / 2;
        }
    }
    return r;
}

void LinePaintRects(const ArrowLine& line, int arrowSize, std::vector<Rect>& out) {
    const int a = std::max(1, std::abs(line.Width));
    // Arrowheads reach arrowSize + a back from an end and the pen width beyond it; anti-aliasing
    // adds a pixel or two.
    const int pad = std::max(arrowSize, 0) + 3 * a + 4;
    const Point p = line.WinStart;
    const Point q = line.WinEnd;
    const double dx = static_cast<double>(q.X) - p.X;
    const double dy = static_cast<double>(q.Y) - p.Y;
    constexpr double kStep = 64.0;
    const int pieces = static_cast<int>(
        std::clamp(std::ceil(std::max(std::abs(dx), std::abs(dy)) / kStep), 1.0, 1024.0));
    Point prev = p;
    for (int k = 1; k <= pieces; ++k) {
        const Point next{static_cast<int>(p.X + dx * k / pieces),
                         static_cast<int>(p.Y + dy * k / pieces)};
        out.push_back(Rect{std::min(prev.X, next.X) - pad, std::min(prev.Y, next.Y) - pad,
                           std::max(prev.X, next.X) + pad + 1, std::max(prev.Y, next.Y) + pad + 1});
        prev = next;
    }
}

}  // namespace qv
