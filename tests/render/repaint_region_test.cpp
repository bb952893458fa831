#include "render/painting/repaint_region.h"

#include <gtest/gtest.h>

#include <cstdint>
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
    cells &= bounds;
    if (region.rectCount() == 1 && rects.size() > qv::kExactRepaintRects) {
        // The whole bounds only when the cells cover enough of them.
        std::int64_t area = 0;
        for (const QRect& r : cells)
            area += std::int64_t{r.width()} * r.height();
        EXPECT_GE(area * 100, std::int64_t{bounds.width()} * bounds.height() *
                                  qv::kWholeBoundsPercent);
    } else {
        EXPECT_TRUE(region.subtracted(cells).isEmpty());
    }
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
    // 1000 cards over the whole view, gathered into a pile: the whole view.
    std::vector<QRect> gathered;
    for (int i = 0; i < 1000; ++i) {
        gathered.emplace_back(4 + (i % 40) * 34, 4 + (i / 40) * 36, 150, 50);
        gathered.emplace_back(300 + i / 3, 200 + i / 3, 150, 50);
    }
    ExpectCovers(gathered, qv::RepaintRegion(gathered));
    EXPECT_EQ(qv::RepaintRegion(gathered).rectCount(), 1);
    // A row of cards along the top and a pile at the bottom right: two parts, few rectangles.
    std::vector<QRect> apart;
    for (int i = 0; i < 100; ++i) {
        apart.emplace_back(4 + i * 12, 4, 150, 50);
        apart.emplace_back(1300 + i, 800 + i, 150, 50);
    }
    const QRegion region = qv::RepaintRegion(apart);
    ExpectCovers(apart, region);
    EXPECT_GT(region.rectCount(), 1);
    EXPECT_LT(region.rectCount(), 120);
}

}  // namespace
