// Faults in the flow of the name labels, and how the labels come back once they are lifted.

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/ui/screens.h"
#include "testkit/label_world.h"

namespace tarnwick {
namespace {

using testkit::LabelWorld;

const std::map<std::string, std::string> kNames = {
    {LabelWorld::kDesktop2, "Write"}, {LabelWorld::kDesktop4, "Code"}, {LabelWorld::kDesktop6, "Music"}};
const std::vector<std::string> kDisplay1Labels = {LabelWorld::kDesktop2};
const std::vector<std::string> kDisplay2Labels = {LabelWorld::kDesktop4, LabelWorld::kDesktop6};
const std::vector<std::string> kEveryLabel = {LabelWorld::kDesktop4, LabelWorld::kDesktop2, LabelWorld::kDesktop6};

class LabelFaultTest : public ::testing::Test {
protected:
    void SetUp() override {
        world.controller.start(false);
        world.env.advance(0.3);
        world.env.session.openMissionControl();
        ASSERT_LE(untilShown(kEveryLabel), 0.5);
    }
    // Runs until exactly these labels show; the time it took.
    double untilShown(std::vector<std::string> ids, double limit = 3.0) {
        std::sort(ids.begin(), ids.end());
        return world.runUntil([&] { return world.shownLabels() == ids; }, limit);
    }
    // Runs until a recognition flight is waiting for a screenshot.
    void untilCapturing() {
        world.runUntil([&] { return world.env.session.capture.capturesInFlight > 0; }, 2.0, 0.005);
        ASSERT_GT(world.env.session.capture.capturesInFlight, 0);
    }
    LabelWorld world{kNames};
    sim::SimCaptureFaults& faults = world.env.session.capture.faults;
};

TEST_F(LabelFaultTest, MissionControlClosingMidFlightTakesEverythingDownOnce) {
    world.controller.setOptions(MissionControlOverlayOptions{true, true});
    world.env.session.setSpacesBarExpanded(true);
    world.runUntil([&] { return world.controller.publishedApplicationSlots().size() == 6; });
    ASSERT_EQ(world.controller.publishedApplicationSlots().size(), 6u);
    faults.screenshotLatency = 0.2;
    untilCapturing();
    const std::size_t lists = world.slotLists.size();
    const std::size_t closedRecords = world.records("mission-control-or-mapping-not-visible").size();

    world.env.session.closeMissionControl();
    world.env.advance(0.05);
    EXPECT_TRUE(world.shownLabels().empty());
    ASSERT_EQ(world.slotLists.size(), lists + 1);
    EXPECT_TRUE(world.slotLists.back().empty());
    world.env.advance(1.0);  // many closed polls, the late screenshots fail, the flight drains
    EXPECT_EQ(world.slotLists.size(), lists + 1);
    EXPECT_EQ(world.records("mission-control-or-mapping-not-visible").size(), closedRecords + 1);
    EXPECT_TRUE(world.shownLabels().empty());
    EXPECT_FALSE(world.controller.captureState().flightID);
    EXPECT_EQ(world.visibility, (std::vector<bool>{true, false}));

    faults.screenshotLatency = 0.0;
    world.env.session.openMissionControl();
    EXPECT_LE(untilShown(kEveryLabel), 0.5);
}

TEST_F(LabelFaultTest, ADisplayUnpluggedMidFlightTakesOnlyItsOwnLabels) {
    faults.screenshotLatency = 0.2;
    untilCapturing();
    const sim::SimDisplay studio = *world.env.session.display(2);
    world.env.session.removeDisplay(2);
    world.env.advance(0.2);  // the next geometry read
    EXPECT_EQ(world.shownLabels(), kDisplay1Labels);
    for (const auto& id : kDisplay2Labels) EXPECT_FALSE(world.controller.presentations().count(id));
    world.env.advance(2.0);
    EXPECT_EQ(world.shownLabels(), kDisplay1Labels);
    // No panel of ours is left on a screen that is gone.
    for (auto* panel : world.env.session.windowSystem().onScreenPanels()) {
        ASSERT_TRUE(panel->screen());
        EXPECT_EQ(platform::ui::displayID(*panel->screen()), 1u);
    }

    faults.screenshotLatency = 0.0;
    world.env.session.addDisplay(studio);
    EXPECT_LE(untilShown(kEveryLabel), 0.5);
}

TEST_F(LabelFaultTest, ACaptureThatNeverCompletesFailsItsDisplayWhileTheOthersStay) {
    faults.screenshotLatencyByDisplay[2] = std::nullopt;
    // The stuck display's bar fails after its one-second bound, again and again; its labels run
    // out, the other display's stay.
    world.runUntil([&] { return world.shownLabels() == kDisplay1Labels; }, 4.0);
    EXPECT_EQ(world.shownLabels(), kDisplay1Labels);
    world.env.advance(3.0);
    EXPECT_EQ(world.shownLabels(), kDisplay1Labels);
    EXPECT_EQ(world.controller.schedule().settledPasses, 0);

    // Stopping ends the stuck flight at once: a restart recognises without waiting for the bound.
    const std::size_t captures = world.captures();
    world.controller.stop();
    world.controller.start(false);
    world.env.advance(0.1);
    EXPECT_GT(world.captures(), captures);

    // Lifted, the labels return once the screenshot in flight has run out its bound.
    faults.screenshotLatencyByDisplay.erase(2);
    const double back = untilShown(kEveryLabel);
    EXPECT_LE(back, LabelLocator::kPlatformWaitLimit + 0.5);
}

TEST_F(LabelFaultTest, RecognitionFailingOnOneDisplayTakesItsLabelsDownWhenTheyExpire) {
    world.env.session.capture.recognition.errorByDisplay[1] = "The text could not be read";
    world.env.advance(LabelRefreshSchedule::placementLifetime - 0.1);
    EXPECT_EQ(world.shownLabels().size(), kEveryLabel.size());  // not expired yet
    world.runUntil([&] { return world.shownLabels().size() == kDisplay2Labels.size(); });
    EXPECT_EQ(world.shownLabels(), kDisplay2Labels);
    world.env.advance(2.0);
    EXPECT_EQ(world.shownLabels(), kDisplay2Labels);

    world.env.session.capture.recognition.errorByDisplay.clear();
    EXPECT_LE(untilShown(kEveryLabel), 0.5);
}

TEST(LabelPermissionTest, WithoutScreenRecordingNoLabelOrSlotAppearsButVisibilityIsStillReported) {
    LabelWorld world(kNames);
    world.env.session.revokeScreenRecording();
    world.controller.setOptions(MissionControlOverlayOptions{true, true});
    world.controller.start(false);
    world.env.session.openMissionControl();
    world.env.session.setSpacesBarExpanded(true);
    world.env.advance(2.0);
    EXPECT_TRUE(world.shownLabels().empty());
    EXPECT_TRUE(world.slotLists.empty());
    EXPECT_EQ(world.captures(), 0u);
    EXPECT_GT(world.geometryReads(), 0);
    world.env.session.closeMissionControl();
    world.env.advance(0.2);
    EXPECT_EQ(world.visibility, (std::vector<bool>{true, false}));

    // Granted, the labels appear at the next opening.
    world.env.session.grantScreenRecording();
    world.env.session.openMissionControl();
    EXPECT_LE(world.runUntil([&] { return world.shownLabels().size() == kNames.size(); }), 0.5);
}

}  // namespace
}  // namespace tarnwick
