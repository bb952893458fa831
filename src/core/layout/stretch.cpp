#include "core/layout/stretch.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <vector>

#include "core/model/frag_set.h"

namespace qv {

namespace {

using i64 = std::int64_t;

i64 FloorDiv100(i64 v) {
    i64 q = v / 100;
    if (v % 100 != 0 && v < 0) --q;
    return q;
}

// Truncation toward zero, as C++ division does.
i64 TruncDiv100(i64 v) {
    return v / 100;
}

// Positions stay on the page (never negative) and within what measuring accepts.
int ClampCoordinate(i64 v) {
    return static_cast<int>(std::clamp<i64>(v, 0, kMaxCoordinate));
}

i64 FloorToInt64(double v) {
    constexpr double kLimit = static_cast<double>(i64{1} << 62);
    return static_cast<i64>(std::floor(std::clamp(v, -kLimit, kLimit)));
}

// cos and sin of factor / 100 quarter turns; exact at whole quarter turns, so that 1.00 turns
// the layout without a pixel of rounding drift.
struct Turn {
    double Cos = 1;
    double Sin = 0;
};

Turn TurnOf(int factor) {
    if (factor % 100 == 0) {
        switch (((factor / 100) % 4 + 4) % 4) {
            case 0:
                return {1, 0};
            case 1:
                return {0, 1};
            case 2:
                return {-1, 0};
            default:
                return {0, -1};
        }
    }
    const double theta = factor * std::numbers::pi / 200.0;
    return {std::cos(theta), std::sin(theta)};
}

// Moves a card to (left, top), repainting its old and new place when it really moves.
void Place(Fragment* f, int left, int top) {
    if (f->Measured && f->Left == left && f->Top == top) return;
    f->EraseFragment();
    f->Left = left;
    f->Top = top;
    f->MeasureAndDraw();
}

void FinishStretch(FragSet& set) {
    set.EraseGroupLines();
    set.UpdateGroupFrames();
    set.RepaintTouchedFrames();
    set.Context().host.RefreshMap();
}

}  // namespace

StretchDirection StretchDirectionFrom(int value) {
    if (value < 0 || value >= kStretchDirectionCount) return StretchDirection::Radial;
    return static_cast<StretchDirection>(value);
}

int NeutralFactor(StretchDirection direction) {
    return direction == StretchDirection::Rotate || direction == StretchDirection::LineUp ? 0 : 100;
}

void StretchFragments(FragSet& set, int factor, StretchDirection direction) {
    if (set.SelectionList.size() < 2) return;
    direction = StretchDirectionFrom(static_cast<int>(direction));
    const i64 p = factor;

    i64 minL = std::numeric_limits<i64>::max(), minT = minL;
    i64 maxR = std::numeric_limits<i64>::min(), maxB = maxR;
    for (const Fragment* f : set.SelectionList) {
        const Rect& s = f->StartRect;
        minL = std::min<i64>(minL, s.Left);
        minT = std::min<i64>(minT, s.Top);
        maxR = std::max<i64>(maxR, s.Right);
        maxB = std::max<i64>(maxB, s.Bottom);
    }
    const bool cornerBased =
        direction == StretchDirection::Diagonal || direction == StretchDirection::LineUp;
    const i64 cx = cornerBased ? minL : minL + (maxR - minL) / 2;
    const i64 cy = cornerBased ? minT : minT + (maxB - minT) / 2;

    // Line up walks the cards in the order of their starting places: down the column by their
    // tops, along the row by their lefts. Sorting by the starting rectangles (not by where the
    // last slider step put them) keeps every position of the slider reproducible.
    std::vector<Fragment*> order(set.SelectionList);
    if (direction == StretchDirection::LineUp) {
        if (p >= 0)
            std::stable_sort(order.begin(), order.end(), [](const Fragment* a, const Fragment* b) {
                const Rect &ra = a->StartRect, &rb = b->StartRect;
                return ra.Top != rb.Top ? ra.Top < rb.Top : ra.Left < rb.Left;
            });
        else
            std::stable_sort(order.begin(), order.end(), [](const Fragment* a, const Fragment* b) {
                const Rect &ra = a->StartRect, &rb = b->StartRect;
                return ra.Left != rb.Left ? ra.Left < rb.Left : ra.Top < rb.Top;
            });
    }
    const Turn turn = direction == StretchDirection::Rotate ? TurnOf(factor) : Turn{};

    i64 curX = minL, curY = minT;
    for (Fragment* f : order) {
        const Rect& s = f->StartRect;
        const i64 hw = s.Width() / 2;
        const i64 hh = s.Height() / 2;
        i64 g = s.Left - cx;
        i64 l = s.Top - cy;
        if (!cornerBased) {
            g += hw;
            l += hh;
        }
        i64 left = s.Left, top = s.Top;
        switch (direction) {
            case StretchDirection::Radial:
                left = cx + FloorDiv100(p * g) - hw;
                top = cy + FloorDiv100(p * l) - hh;
                break;
            case StretchDirection::Diagonal:
                left = cx + FloorDiv100(p * g);
                top = cy + FloorDiv100(p * l);
                break;
            case StretchDirection::Horizontal:
                left = cx + FloorDiv100(p * g) - hw;
                break;
            case StretchDirection::Vertical:
                top = cy + FloorDiv100(p * l) - hh;
                break;
            case StretchDirection::Rotate: {
                const double dg = static_cast<double>(g), dl = static_cast<double>(l);
                left = cx + FloorToInt64(dg * turn.Cos - dl * turn.Sin) - hw;
                top = cy + FloorToInt64(dg * turn.Sin + dl * turn.Cos) - hh;
                break;
            }
            case StretchDirection::LineUp:
                if (p >= 100) {
                    left = minL;
                    top = curY;
                } else if (p >= 0) {
                    top = s.Top + TruncDiv100(p * (curY - s.Top));
                    left = s.Left - TruncDiv100(p * g);
                } else if (p > -100) {
                    left = s.Left - TruncDiv100(p * (curX - s.Left));
                    top = s.Top + TruncDiv100(p * l);
                } else {
                    left = curX;
                    top = minT;
                }
                // Each further hundredth beyond ±1.00 widens every gap by half a pixel.
                curY += s.Height() + 4 + (p >= 100 ? (p - 100) / 2 : 0);
                curX += s.Width() + 4 + (p <= -100 ? (-p - 100) / 2 : 0);
                break;
        }
        Place(f, ClampCoordinate(left), ClampCoordinate(top));
    }
    FinishStretch(set);
}

void StretchGroups(FragSet& set, int factor) {
    const i64 p = std::max(factor, 0);
    constexpr i64 kNone = std::numeric_limits<i64>::max();
    std::array<i64, kGroupRows> mx, my;
    mx.fill(kNone);
    my.fill(kNone);
    auto moves = [&](const Fragment& f) {
        if (f.Group < 1 || f.Group > kMaxGroup) return false;
        const GroupEntry& e = set.GroupTable[static_cast<std::size_t>(f.Group)];
        return e.Shown && !e.Empty;
    };
    for (const auto& f : set.Fragments()) {
        if (!moves(*f)) continue;
        const auto g = static_cast<std::size_t>(f->Group);
        mx[g] = std::min<i64>(mx[g], f->StartRect.Left);
        my[g] = std::min<i64>(my[g], f->StartRect.Top);
    }
    for (const auto& f : set.Fragments()) {
        if (!moves(*f)) continue;
        const auto g = static_cast<std::size_t>(f->Group);
        f->EraseFragment();
        f->Left = ClampCoordinate(f->StartRect.Left + TruncDiv100(mx[g] * (p - 100)));
        f->Top = ClampCoordinate(f->StartRect.Top + TruncDiv100((p - 100) * my[g]));
    }
    set.RedrawAll();
    set.RepaintTouchedFrames();
}

}  // namespace qv
