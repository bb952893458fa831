#include "render/painting/repaint_region.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// Every rectangle inside the region, and the region within the cells they touch.
void ExpectCovers(const std::vector<QRect>& rects, const QRegion& region) {
    QRegion exact;
    QRect bounds;
    for (const QRect& r : rects) {
        exact += r;
        bounds |= r;
    }
    EXPECT_TRUE(exact.subtracted(region).isEmpty());
    EXPECT_EQ(region.boundingRect(), bounds);
    QRegion cells;
    for (const QRect& r : rects) {
        const int c = qv::kRepaintCell;
        const int l = bounds.left() + (r.left() - bounds.left()) / c * c;
        const int t = bounds.top() + (r.top() - bounds.top()) / c * c;
        const int rr = bounds.left() + ((r.right() - bounds.left()) / c + 1) * c;
        const int b = bounds.top() + ((r.bottom() - bounds.top()) / c + 1) * c;
        cells += QRect(l, t, rr - l, b - t);
    }
    EXPECT_TRUE(region.subtracted(cells).isEmpty());
}

TEST(RepaintRegion, FewRectanglesExactlyManyInFewCells) {
    EXPECT_TRUE(qv::RepaintRegion({}).isEmpty());
    const std::vector<QRect> two{QRect(10, 10, 30, 20), QRect(100, 5, 3, 3)};
    EXPECT_EQ(qv::RepaintRegion(two), QRegion(two[0]) + QRegion(two[1]));

    std::mt19937 rng(3);
    for (int round = 0; round < 8; ++round) {
        std::vector<QRect> rects;
        const int n = 49 + static_cast<int>(rng() % 500);
        for (int i = 0; i < n; ++i)
            rects.emplace_back(static_cast<int>(rng() % 1500) - 7, static_cast<int>(rng() % 900) + 3,
                               1 + static_cast<int>(rng() % 200), 1 + static_cast<int>(rng() % 60));
        ExpectCovers(rects, qv::RepaintRegion(rects));
    }
    // A pile of 1000 cards a pixel apart, before and after it moved: a handful of rectangles.
    std::vector<QRect> pile;
    for (int i = 0; i < 1000; ++i) {
        pile.emplace_back(4 + (i % 40) * 34, 4 + (i / 40) * 36, 150, 50);
        pile.emplace_back(300 + i / 3, 200 + i / 3, 150, 50);
    }
    const QRegion region = qv::RepaintRegion(pile);
    ExpectCovers(pile, region);
    EXPECT_LT(region.rectCount(), 200);
}

}  // namespace
