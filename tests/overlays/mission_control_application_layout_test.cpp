#include <limits>

#include <gtest/gtest.h>

#include "overlays/mission_control_application_layout.h"
#include "platform/sim/capture/mission_control_layout.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

using Position = MissionControlApplicationPosition;

// An expanded preview with 100 points of room above its caption.
MissionControlApplicationSlot preview() {
    return {{"D", "M", 1}, Rect(220, 116, 60, 14), Rect(100, 20, 300, 200), Rect(0, 0, 1512, 250),
            Rect(0, 0, 1512, 982), 180};
}

TEST(MissionControlApplicationLayoutTest, TheStripSitsAboveTheCaptionAndRisesWithItsPosition) {
    const auto bottom = MissionControlApplicationLayout::frame(preview(), 3, 16, Position::bottom);
    ASSERT_TRUE(bottom);
    EXPECT_EQ(*bottom, Rect(214, 116 - 12 - 26, 72, 26));
    EXPECT_EQ(MissionControlApplicationLayout::frame(preview(), 3, 16, Position::center)->minY(), bottom->minY() - 37);
    EXPECT_EQ(MissionControlApplicationLayout::frame(preview(), 3, 16, Position::top)->minY(), bottom->minY() - 74);
    // Icon sizes are clamped to 12...40 points.
    EXPECT_EQ(MissionControlApplicationLayout::frame(preview(), 3, 1)->height(), 22);
    EXPECT_EQ(MissionControlApplicationLayout::frame(preview(), 3, 95)->height(), 50);
    // Less room than the strip is tall.
    auto low = preview();
    low.caption.origin.y = 16 + 25;
    EXPECT_FALSE(MissionControlApplicationLayout::frame(low, 3, 16));
}

TEST(MissionControlApplicationLayoutTest, NoStripWhereNoRowFitsOrThePreviewIsNotExpanded) {
    auto narrow = preview();
    narrow.thumbnail = Rect(230, 20, 40, 200);
    EXPECT_FALSE(MissionControlApplicationLayout::frame(narrow, 1, 12));
    auto collapsed = preview();
    collapsed.bar = Rect(0, 0, 1512, 24);
    collapsed.thumbnail = Rect(100, 0, 300, 40);
    collapsed.caption = Rect(220, 5, 60, 14);
    EXPECT_FALSE(MissionControlApplicationLayout::frame(collapsed, 3));
    EXPECT_FALSE(MissionControlApplicationLayout::frame(preview(), 0));
    auto unlimited = preview();
    unlimited.horizontalLimit = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(MissionControlApplicationLayout::frame(unlimited, 3));
    auto huge = preview();
    huge.display = Rect(0, 0, 1e308, 982);
    huge.display.origin.x = 1e308;  // its far edge overflows
    EXPECT_FALSE(MissionControlApplicationLayout::frame(huge, 3));
}

TEST(MissionControlApplicationLayoutTest, AppKitFramesCountFromThePrimaryScreensTop) {
    EXPECT_EQ(MissionControlApplicationLayout::appKitFrame(Rect(10, 100, 50, 20), 982), Rect(10, 862, 50, 20));
    EXPECT_FALSE(MissionControlApplicationLayout::appKitFrame(Rect(10, 100, 50, 20), std::nan("")));
    EXPECT_FALSE(MissionControlApplicationLayout::appKitFrame(Rect(10, 100, 0, 20), 982));
}

TEST(MissionControlApplicationLayoutTest, TheSimulatedExpandedPreviewsHaveRoomForAStrip) {
    testkit::TestEnvironment env;
    env.session.loadDefaultSession();
    env.session.openMissionControl();
    env.session.setSpacesBarExpanded(true);
    for (const auto& bar : sim::MissionControlLayout::bars(env.session, env.clock.uptime()))
        for (const auto& button : bar.buttons) {
            const MissionControlApplicationSlot slot{{"D", "M", 1}, button.caption, button.frame, bar.bar, bar.display,
                                                     button.frame.width()};
            EXPECT_TRUE(MissionControlApplicationLayout::frame(slot, 3)) << button.title;
        }
}

}  // namespace
}  // namespace tarnwick
