#include <limits>

#include <gtest/gtest.h>

#include "banner/banner_application_lease.h"
#include "banner/space_banner_layout.h"
#include "testkit/printing.h"

namespace tarnwick {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

Rect frame(double textWidth, Rect visible, double scale = 1, BannerPosition position = BannerPosition::bottom,
           int apps = 0) {
    auto result = SpaceBannerLayout::frame(textWidth, visible, scale, position, apps);
    EXPECT_TRUE(result);
    return result.value_or(Rect());
}

TEST(SpaceBannerLayoutTest, TheWorkedExample) {
    EXPECT_EQ(frame(100.4, Rect(0, 0, 1440, 875)), Rect(649.5, 32, 141, 44));
    // With three apps that fit: 66 high and at least 40 plus the row's natural width (60).
    EXPECT_EQ(frame(10, Rect(0, 0, 1440, 875), 1, BannerPosition::bottom, 3), Rect(660, 32, 120, 66));
    EXPECT_EQ(frame(100.4, Rect(0, 0, 1440, 875), 1, BannerPosition::bottom, 9), Rect(600, 32, 240, 66));
    // At the top, within a visible frame that does not start at the origin.
    EXPECT_EQ(frame(100.4, Rect(100, 50, 1440, 875), 1, BannerPosition::top), Rect(749.5, 50 + 875 - 32 - 44, 141, 44));
}

TEST(SpaceBannerLayoutTest, LowAndNarrowVisibleFrames) {
    // 40 points high: 24 high, 8 from the edge, and no room for apps.
    EXPECT_EQ(frame(100, Rect(0, 0, 1440, 40), 1, BannerPosition::bottom, 3), Rect(650, 8, 140, 24));
    // A very long text on a 200-point-wide frame: the margin is 20, the width 160.
    EXPECT_EQ(frame(5000, Rect(0, 0, 200, 800)).width(), 160);
    // Elsewhere the width stops at 360 x scale.
    EXPECT_EQ(frame(5000, Rect(0, 0, 2000, 800), 1.5).width(), 540);
    // Lower than the allowance: a height of 1, offset from the (negative) inset is 0.
    EXPECT_EQ(frame(10, Rect(0, 0, 400, 10)), Rect(140, 4.5, 120, 1));
}

TEST(SpaceBannerLayoutTest, TheScaleIsClampedButTheRowGetsItAsGiven) {
    EXPECT_EQ(frame(10, Rect(0, 0, 1440, 875), 3).height(), 88);     // 2.0 x 44
    EXPECT_EQ(frame(10, Rect(0, 0, 1440, 875), kNaN).height(), 44);  // 1.0
    EXPECT_EQ(frame(10, Rect(0, 0, 1440, 875), 0.1).width(), 90);    // 0.75 x 120
}

TEST(SpaceBannerLayoutTest, NoFrameForUnusableInput) {
    const Rect good(0, 0, 1440, 875);
    for (double width : {-1.0, kNaN, kInfinity})
        EXPECT_FALSE(SpaceBannerLayout::frame(width, good, 1, BannerPosition::bottom, 0)) << width;
    for (Rect visible : {Rect(0, 0, 0, 875), Rect(0, 0, 1440, 0), Rect(0, 0, -10, 875), Rect(kNaN, 0, 1440, 875),
                         Rect(0, kInfinity, 1440, 875), Rect(0, 0, kInfinity, 875)})
        EXPECT_FALSE(SpaceBannerLayout::frame(10, visible, 1, BannerPosition::bottom, 0));
    EXPECT_TRUE(SpaceBannerLayout::frame(0, good, 1, BannerPosition::bottom, -4));
}

TEST(BannerApplicationLeaseTest, PermitsTheSameShowingStrictlyBeforeItsDeadline) {
    BannerApplicationLease lease{3, 1002.0};
    EXPECT_TRUE(lease.permits(3, 1001.9));
    EXPECT_FALSE(lease.permits(3, 1002.0));
    EXPECT_FALSE(lease.permits(2, 1000.0));
    EXPECT_FALSE(lease.permits(3, kNaN));
    EXPECT_FALSE(lease.permits(3, -kInfinity));
}

}  // namespace
}  // namespace tarnwick
