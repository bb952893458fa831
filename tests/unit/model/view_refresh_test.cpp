#include "core/model/view_refresh.h"

#include <gtest/gtest.h>

#include <optional>
#include <utility>

namespace qv {
namespace {

TEST(ViewRefresh, HeldUntilStartedAndWhileAnyHoldLives) {
    ViewRefresh refresh;
    EXPECT_TRUE(refresh.Held());  // the program has not shown its window yet
    refresh.Started();
    EXPECT_FALSE(refresh.Held());
    {
        const auto outer = refresh.HoldViews();
        {
            const auto inner = refresh.HoldViews();
            EXPECT_TRUE(refresh.Held());
        }
        EXPECT_TRUE(refresh.Held());  // the outer hold still lives
    }
    EXPECT_FALSE(refresh.Held());
    refresh.Stopping();
    EXPECT_TRUE(refresh.Held());
}

TEST(ViewRefresh, AMovedHoldReleasesOnce) {
    ViewRefresh refresh;
    refresh.Started();
    std::optional<ViewRefresh::Hold> kept;
    {
        ViewRefresh::Hold first = refresh.HoldViews();
        kept.emplace(std::move(first));
    }
    EXPECT_TRUE(refresh.Held());
    kept.reset();
    EXPECT_FALSE(refresh.Held());
    // Released once only: a later hold still counts.
    const auto again = refresh.HoldViews();
    EXPECT_TRUE(refresh.Held());
}

TEST(ViewRefresh, ARequestStaysUntilDoneWhateverHoldsTheViews) {
    ViewRefresh refresh;
    EXPECT_FALSE(refresh.Pending());
    refresh.Request();
    refresh.Request();
    EXPECT_TRUE(refresh.Pending());
    refresh.Started();
    {
        const auto hold = refresh.HoldViews();
        EXPECT_TRUE(refresh.Pending());
    }
    refresh.Done();
    EXPECT_FALSE(refresh.Pending());
}

}  // namespace
}  // namespace qv
