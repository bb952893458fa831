// The zoom levels, their ends, fits and the percent text.
#include "core/model/zoom.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace qv {
namespace {

TEST(ZoomLevels, StepThroughEveryLevelAndStopAtTheEnds) {
    double z = kMinZoom;
    std::vector<int> up;
    for (int i = 0; i < 14; ++i) {
        up.push_back(static_cast<int>(std::lround(z * 100)));
        z = NextZoomLevel(z);
    }
    EXPECT_EQ(up,
              (std::vector<int>{10, 25, 33, 50, 67, 75, 100, 125, 150, 200, 300, 400, 400, 400}));
    for (int percent : kZoomLevels) {
        const double level = percent / 100.0;
        if (percent > 10) {
            EXPECT_LT(PreviousZoomLevel(level), level) << percent;
        }
        if (percent < 400) {
            EXPECT_GT(NextZoomLevel(level), level) << percent;
        }
    }
    EXPECT_DOUBLE_EQ(PreviousZoomLevel(kMinZoom), kMinZoom);
    // 33 % and 67 % are levels of their own, not a third and two thirds.
    EXPECT_DOUBLE_EQ(NextZoomLevel(0.25), 0.33);
    EXPECT_DOUBLE_EQ(PreviousZoomLevel(0.75), 0.67);
}

TEST(ZoomLevels, AFactorBetweenLevelsGoesToTheNearestLevelThatWay) {
    EXPECT_DOUBLE_EQ(NextZoomLevel(1.1), 1.25);
    EXPECT_DOUBLE_EQ(PreviousZoomLevel(1.1), 1.0);
    // A factor a hair off a level (made by multiplying) counts as that level.
    EXPECT_DOUBLE_EQ(NextZoomLevel(1.25 - 1e-9), 1.5);
    EXPECT_DOUBLE_EQ(PreviousZoomLevel(0.5 + 1e-9), 0.33);
    // Out of range or not a number: clamped, or 1.
    EXPECT_DOUBLE_EQ(ClampZoom(9), kMaxZoom);
    EXPECT_DOUBLE_EQ(ClampZoom(0), kMinZoom);
    EXPECT_DOUBLE_EQ(ClampZoom(-3), kMinZoom);
    EXPECT_DOUBLE_EQ(ClampZoom(std::numeric_limits<double>::quiet_NaN()), 1.0);
    EXPECT_DOUBLE_EQ(ClampZoom(std::numeric_limits<double>::infinity()), 1.0);
    EXPECT_DOUBLE_EQ(NextZoomLevel(50), kMaxZoom);
}

TEST(ZoomFit, TheNarrowerSideDecidesWithinTheMarginsAndTheEnds) {
    // 1000 × 500 document pixels into 520 × 520 with 10 free around: 500 / 1000.
    EXPECT_DOUBLE_EQ(FitZoom(Rect{100, 100, 1100, 600}, 520, 520, 10), 0.5);
    EXPECT_DOUBLE_EQ(FitZoom(Rect{0, 0, 10, 10}, 800, 600, 0), kMaxZoom);
    EXPECT_DOUBLE_EQ(FitZoom(Rect{0, 0, 100000, 100}, 800, 600, 0), kMinZoom);
    EXPECT_DOUBLE_EQ(FitZoom(Rect{}, 800, 600, 8), 1.0);
    EXPECT_DOUBLE_EQ(FitZoom(Rect{0, 0, 100, 100}, 10, 600, 8), 1.0);
}

TEST(ZoomText, WholePercentRoundedHalfUp) {
    EXPECT_EQ(ZoomPercentText(1.0), "100%");
    EXPECT_EQ(ZoomPercentText(0.33), "33%");
    EXPECT_EQ(ZoomPercentText(0.675), "68%");
    EXPECT_EQ(ZoomPercentText(0.674), "67%");
    EXPECT_EQ(ZoomPercentText(4.0), "400%");
    EXPECT_EQ(ZoomPercentText(0.01), "10%");
}

}  // namespace
}  // namespace qv
