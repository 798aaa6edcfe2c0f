#include <limits>

#include <gtest/gtest.h>

#include "overview/workstation_preview_layout.h"

namespace tarnwick {
namespace {

namespace layout = WorkstationPreviewLayout;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();
const Rect kVisible(0, 0, 1000, 700);

TEST(WorkstationPreviewLayoutTest, BelowTheStatusButtonCentredAndCappedAt360By560) {
    EXPECT_EQ(layout::frame(Rect(500, 690, 24, 22), kVisible), Rect(332, 124, 360, 560));
}

TEST(WorkstationPreviewLayoutTest, BelowTheButtonTheMarginsHoldWithTheRightOneWinning) {
    // A button at the left edge: pushed inside the left margin.
    EXPECT_EQ(layout::frame(Rect(0, 690, 24, 22), kVisible), Rect(8, 124, 360, 560));
    // At the right edge: pushed inside the right margin.
    EXPECT_EQ(layout::frame(Rect(990, 690, 24, 22), kVisible), Rect(632, 124, 360, 560));
    // A visible frame narrower than the panel plus margins: the right margin decides.
    EXPECT_EQ(layout::frame(Rect(100, 690, 24, 22), Rect(0, 0, 300, 700)), Rect(8, 124, 284, 560));
    // A button above the visible frame (in the menu bar): the top stays inside the margin.
    EXPECT_EQ(layout::frame(Rect(500, 710, 24, 22), kVisible), Rect(332, 132, 360, 560));
}

TEST(WorkstationPreviewLayoutTest, BelowTheButtonTheHeightShrinksAndRunsOutNearTheBottom) {
    EXPECT_EQ(layout::frame(Rect(500, 314, 24, 22), kVisible), Rect(332, 8, 360, 300));
    // The button's bottom 6 + margin above the visible bottom leaves no room.
    EXPECT_EQ(layout::frame(Rect(500, 14, 24, 22), kVisible), std::nullopt);
    EXPECT_NE(layout::frame(Rect(500, 14.5, 24, 22), kVisible), std::nullopt);
}

TEST(WorkstationPreviewLayoutTest, BesideThePointerRightWhenItFitsElseLeft) {
    EXPECT_EQ(layout::frame(Point{100, 650}, kVisible), Rect(112, 78, 360, 560));
    // Right of the pointer needs x + 12 + 360 <= 992.
    EXPECT_EQ(layout::frame(Point{620, 650}, kVisible), Rect(632, 78, 360, 560));
    EXPECT_EQ(layout::frame(Point{621, 650}, kVisible), Rect(249, 78, 360, 560));
    // Near the bottom the panel is pushed up to the margin; its height ignores the pointer.
    EXPECT_EQ(layout::frame(Point{100, 20}, kVisible), Rect(112, 8, 360, 560));
    // Near the top the panel's top stays inside the margin.
    EXPECT_EQ(layout::frame(Point{100, 710}, kVisible), Rect(112, 132, 360, 560));
}

TEST(WorkstationPreviewLayoutTest, ATinyScreenShrinksTheMarginToATenthOfItsSmallerSide) {
    EXPECT_EQ(layout::frame(Point{225, 325}, Rect(200, 300, 50, 50)), Rect(205, 305, 40, 40));
    EXPECT_EQ(layout::frame(Point{30, 20}, Rect(0, 0, 60, 40)), Rect(4, 4, 52, 32));
}

TEST(WorkstationPreviewLayoutTest, UnusableGeometryGivesNoFrame) {
    for (const Rect& bad : {Rect(0, 0, 0, 700), Rect(0, 0, 1000, -1), Rect(kNaN, 0, 1000, 700),
                            Rect(0, 0, kInfinity, 700)}) {
        EXPECT_EQ(layout::frame(Rect(500, 690, 24, 22), bad), std::nullopt);
        EXPECT_EQ(layout::frame(Point{500, 500}, bad), std::nullopt);
        EXPECT_EQ(layout::frame(bad, kVisible), std::nullopt);
    }
    EXPECT_EQ(layout::frame(Point{kNaN, 500}, kVisible), std::nullopt);
    EXPECT_EQ(layout::frame(Point{500, kInfinity}, kVisible), std::nullopt);
    // Finite, but so large that the arithmetic overflows.
    EXPECT_EQ(layout::frame(Rect(1e308, 690, 1.7e308, 22), Rect(1e308, 0, 1.7e308, 700)), std::nullopt);
}

}  // namespace
}  // namespace tarnwick
