#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "app/settings_window_layout.h"
#include "app/tarnwick_window_placement.h"

namespace tarnwick {
namespace {

namespace placement = TarnwickWindowPlacement;
using placement::Display;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

TEST(SettingsWindowLayoutTest, TheSidebarChangesOnlyWhenTheWidthCrosses620) {
    using SettingsWindowLayout::sidebarVisibility;
    EXPECT_EQ(sidebarVisibility(650, 700), std::nullopt);
    EXPECT_EQ(sidebarVisibility(600, 700), false);
    EXPECT_EQ(sidebarVisibility(620, 619), true);
    EXPECT_EQ(sidebarVisibility(500, 600), std::nullopt);
    EXPECT_EQ(sidebarVisibility(600, std::nullopt), false);
    EXPECT_EQ(sidebarVisibility(620, std::nullopt), true);
    // An unusable previous width counts as none.
    EXPECT_EQ(sidebarVisibility(700, 0), true);
    EXPECT_EQ(sidebarVisibility(700, kNaN), true);
    EXPECT_EQ(sidebarVisibility(600, -kInfinity), false);
    for (double width : {0.0, -5.0, kNaN, kInfinity}) EXPECT_EQ(sidebarVisibility(width, 700), std::nullopt);
}

TEST(SettingsWindowLayoutTest, AWindowThatDoesNotFitShrinksPerSideAndIsCentred) {
    using SettingsWindowLayout::frame;
    EXPECT_EQ(frame(Rect(0, 0, 760, 560), Rect(0, 0, 700, 900)), Rect(0, 170, 700, 560));
    EXPECT_EQ(frame(Rect(100, 100, 760, 560), Rect(1440, 0, 1000, 800)), Rect(1560, 120, 760, 560));
    // Fitting (edges included) it stays where the user left it.
    EXPECT_EQ(frame(Rect(20, 30, 760, 560), Rect(0, 0, 1440, 875)), Rect(20, 30, 760, 560));
    EXPECT_EQ(frame(Rect(0, 0, 1440, 875), Rect(0, 0, 1440, 875)), Rect(0, 0, 1440, 875));
}

TEST(WindowPlacementTest, AWindowKeepsItsSizeCentredOrPinnedToTheLeftAndTopEdges) {
    using placement::frame;
    const Rect visible(0, 0, 1440, 875);
    EXPECT_EQ(frame(Rect(2000, 0, 650, 650), visible), Rect(395, 112.5, 650, 650));
    EXPECT_EQ(frame(Rect(100, 100, 650, 650), visible), Rect(100, 100, 650, 650));
    EXPECT_EQ(frame(Rect(0, 0, 1600, 600), visible), Rect(0, 137.5, 1600, 600));
    EXPECT_EQ(frame(Rect(0, 0, 600, 1000), visible), Rect(420, -125, 600, 1000));
    EXPECT_EQ(frame(Rect(0, 0, 1600, 1000), Rect(1440, 25, 1440, 875)), Rect(1440, -100, 1600, 1000));
}

TEST(WindowPlacementTest, BothFrameRulesRefuseNonFiniteOrEmptyRectangles) {
    const Rect visible(0, 0, 1440, 875);
    for (const Rect& bad : {Rect(0, 0, 0, 650), Rect(0, 0, 650, -1), Rect(kNaN, 0, 650, 650), Rect(0, kInfinity, 650, 650),
                            Rect(0, 0, 650, kInfinity)}) {
        EXPECT_EQ(placement::frame(bad, visible), std::nullopt);
        EXPECT_EQ(placement::frame(Rect(0, 0, 650, 650), bad), std::nullopt);
        EXPECT_EQ(SettingsWindowLayout::frame(bad, visible), std::nullopt);
        EXPECT_EQ(SettingsWindowLayout::frame(Rect(0, 0, 650, 650), bad), std::nullopt);
    }
}

// The built-in display at the origin and a second one to its right; a third that is unusable.
const Display kBuiltIn(1, Rect(0, 0, 1440, 900), Rect(0, 0, 1440, 875));
const Display kStudio(2, Rect(1440, 0, 2560, 1440), Rect(1440, 0, 2560, 1415));
const Display kBroken(3, Rect(4000, 0, 1920, 1080), Rect(4000, 0, 0, 1055));
const std::vector<Display> kDisplays{kBuiltIn, kStudio, kBroken};

TEST(WindowPlacementTest, TheInvokingDisplayIsTheConnectedSourceElseTheOneUnderThePointer) {
    using placement::invokingDisplay;
    EXPECT_EQ(invokingDisplay({100, 100}, 2, kDisplays), 2u);
    EXPECT_EQ(invokingDisplay({100, 100}, 9, kDisplays), 1u);
    EXPECT_EQ(invokingDisplay({2000, 100}, std::nullopt, kDisplays), 2u);
    // Frames hold their left and bottom edges, not their right and top ones.
    EXPECT_EQ(invokingDisplay({1440, 0}, std::nullopt, kDisplays), 2u);
    EXPECT_EQ(invokingDisplay({-1, 100}, std::nullopt, kDisplays), std::nullopt);
    EXPECT_EQ(invokingDisplay({100, 100}, 1, {}), std::nullopt);
    // Overlapping frames: the first in list order.
    EXPECT_EQ(invokingDisplay({10, 10}, std::nullopt, {Display(7, Rect(0, 0, 50, 50), Rect(0, 0, 50, 50)), kBuiltIn}), 7u);
}

TEST(WindowPlacementTest, TheTargetIsTheFirstUsableCandidateElseTheFirstUsableDisplay) {
    using placement::target;
    EXPECT_EQ(target(2, 1, 1, kDisplays), kStudio);
    EXPECT_EQ(target(9, 2, 1, kDisplays), kStudio);
    EXPECT_EQ(target(std::nullopt, std::nullopt, 2, kDisplays), kStudio);
    EXPECT_EQ(target(3, std::nullopt, std::nullopt, kDisplays), kBuiltIn);
    EXPECT_EQ(target(3, 9, 3, {kBroken, kStudio}), kStudio);
    EXPECT_EQ(target(1, 1, 1, {kBroken}), std::nullopt);
    EXPECT_EQ(target(std::nullopt, std::nullopt, std::nullopt, {}), std::nullopt);
}

}  // namespace
}  // namespace tarnwick
