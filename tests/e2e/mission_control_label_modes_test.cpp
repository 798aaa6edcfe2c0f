// The label controller in its one-label test mode, and while Mission Control stays closed.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "testkit/label_world.h"

namespace tarnwick {
namespace {

using testkit::LabelWorld;

TEST(LabelModesTest, SampleModeLabelsOnlyDesktopOneAsWorkAndTracesInDetail) {
    LabelWorld world(LabelWorld::Names{{LabelWorld::kDesktop1, "Inbox"}, {LabelWorld::kDesktop4, "Code"}});
    world.controller.setOptions(MissionControlOverlayOptions{false, false});
    world.controller.start(true);
    EXPECT_EQ(world.reports, std::vector<std::string>{"One-label test armed \xC2\xB7 Desktop 1 \xE2\x86\x92 Work"});
    world.env.advance(0.3);
    world.env.session.openMissionControl();
    world.runUntil([&] { return !world.shownLabels().empty(); });
    world.env.advance(1.0);
    ASSERT_EQ(world.shownLabels(), std::vector<std::string>{LabelWorld::kDesktop1});
    EXPECT_EQ(world.shownLabel(LabelWorld::kDesktop1)->shownTexts(), std::vector<std::string>{"Work"});
    EXPECT_EQ(world.controller.pollingInterval(), 0.05);
    for (const char* detailed : {"geometry-read", "display-recognition-finished", "recognition-finished", "drawn",
                                 "waiting-for-settled-label"})
        EXPECT_FALSE(world.records(detailed).empty()) << detailed;
}

TEST(LabelModesTest, IdleWithMissionControlClosedOnlyPolls) {
    LabelWorld world(LabelWorld::Names{{LabelWorld::kDesktop2, "Write"}});
    world.controller.start(false);
    const int lists = world.windowLists();
    world.env.advance(60.0);
    // One poll per 0.15 s, one window list each; nothing else.
    EXPECT_EQ(world.controller.polls(), 400);
    EXPECT_EQ(world.windowLists() - lists, 400);
    EXPECT_EQ(world.geometryReads(), 0);
    EXPECT_EQ(world.captures(), 0u);
    EXPECT_EQ(world.env.session.capture.listings, 0);
    EXPECT_EQ(world.events(), (std::vector<std::string>{"started", "mission-control-or-mapping-not-visible"}));
    EXPECT_TRUE(world.visibility.empty());
    EXPECT_TRUE(world.slotLists.empty());
}

TEST(LabelModesTest, WithNothingWantedVisibilityIsStillReported) {
    LabelWorld world(LabelWorld::Names{{LabelWorld::kDesktop2, "Write"}});
    world.controller.setOptions(MissionControlOverlayOptions{false, false});
    world.controller.start(false);
    world.env.advance(1.0);
    world.env.session.openMissionControl();
    world.env.advance(1.0);
    EXPECT_EQ(world.controller.pollingInterval(), LabelRefreshSchedule::idleInterval);
    world.env.session.closeMissionControl();
    world.env.advance(1.0);
    EXPECT_EQ(world.visibility, (std::vector<bool>{true, false}));
    EXPECT_EQ(world.geometryReads(), 0);
    EXPECT_EQ(world.captures(), 0u);
    EXPECT_TRUE(world.controller.presentations().empty());
    EXPECT_EQ(world.events(), std::vector<std::string>{"started"});
}

}  // namespace
}  // namespace tarnwick
