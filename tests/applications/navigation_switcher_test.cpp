#include <gtest/gtest.h>

#include "applications/application_window_focus.h"
#include "applications/mission_control_space_switcher.h"
#include "navigation_test_support.h"

namespace tarnwick {
namespace {

using namespace navigation_testing;
using Failure = ApplicationWindowFocus::Failure;
using Switcher = MissionControlSpaceSwitcher;

class SwitcherTest : public ::testing::Test {
protected:
    TaskHandle<void> start(SpaceNavigationTarget target) {
        return spawn(Switcher::switchTo(std::move(target), f.catalog()));
    }
    // The failure case a finished switch threw.
    static std::optional<Failure::Case> failureOf(const TaskHandle<void>& handle) {
        if (!handle.error()) return std::nullopt;
        try {
            std::rethrow_exception(handle.error());
        } catch (const Failure& failure) {
            return failure.failureCase();
        } catch (...) {
        }
        return std::nullopt;
    }
    bool missionControlOpen() { return f.env.session.missionControlOpen; }

    NavigationFixture f;
    sim::SimNavigation& nav = f.env.session.navigation;
    const SpaceNavigationTarget notes{kNotesDesktop, kBuiltIn, 3};
};

TEST_F(SwitcherTest, SwitchesThroughMissionControlAndClosesIt) {
    auto handle = start(notes);
    f.env.settle();
    EXPECT_TRUE(Switcher::isOpeningForNavigation());
    EXPECT_TRUE(missionControlOpen());
    EXPECT_EQ(nav.desktopPresses, 1);
    f.env.advance(1.0);
    ASSERT_TRUE(handle.isDone());
    EXPECT_FALSE(handle.error());
    EXPECT_EQ(f.currentSpace(1), 3u);
    EXPECT_FALSE(missionControlOpen());
    EXPECT_EQ(nav.missionControlLaunches, 1);
    EXPECT_EQ(nav.desktopPresses, 1);  // pressed once, then only watched
    EXPECT_FALSE(Switcher::isOpeningForNavigation());
}

TEST_F(SwitcherTest, ACurrentDesktopNeedsNothingWhileMissionControlIsClosed) {
    auto handle = start({kStudioFirst, kStudio, 4});
    f.env.settle();
    EXPECT_TRUE(handle.isDone());
    EXPECT_FALSE(handle.error());
    EXPECT_EQ(nav.missionControlLaunches, 0);
    EXPECT_FALSE(Switcher::isOpeningForNavigation());
}

TEST_F(SwitcherTest, ACurrentDesktopWithMissionControlOpenIsPressedToClose) {
    f.env.session.openMissionControl();
    auto handle = start({kStudioFirst, kStudio, 4});
    f.env.settle();
    EXPECT_FALSE(Switcher::isOpeningForNavigation());  // it did not open Mission Control
    f.env.advance(1.0);
    EXPECT_TRUE(handle.isDone());
    EXPECT_FALSE(handle.error());
    EXPECT_EQ(nav.desktopPresses, 1);
    EXPECT_EQ(nav.missionControlLaunches, 0);
    EXPECT_FALSE(missionControlOpen());
}

TEST_F(SwitcherTest, AChangedTargetFailsBeforeMissionControlOpens) {
    auto handle = start({kNotesDesktop, kBuiltIn, 5});
    f.env.settle();
    EXPECT_EQ(failureOf(handle), Failure::Case::desktopChanged);
    EXPECT_EQ(nav.missionControlLaunches, 0);
}

TEST_F(SwitcherTest, ADesktopRemovedWhilePollingFailsAndClosesMissionControlAgain) {
    nav.switchDelay.reset();  // the press lands nowhere
    auto handle = start(notes);
    f.env.settle();
    ASSERT_TRUE(missionControlOpen());
    auto& spaces = f.env.session.display(1)->spaces;
    spaces.erase(spaces.begin() + 1);
    f.env.advance(0.1);
    EXPECT_EQ(failureOf(handle), Failure::Case::desktopChanged);
    EXPECT_FALSE(missionControlOpen());
    EXPECT_EQ(nav.missionControlLaunches, 2);
    EXPECT_FALSE(Switcher::isOpeningForNavigation());
}

TEST_F(SwitcherTest, CannotCompleteCountsAsPressedAndOtherErrorsAreRefusals) {
    nav.pressStatus = platform::ax_error::kCannotComplete;
    auto slow = start(notes);
    f.env.advance(1.0);
    EXPECT_FALSE(slow.error());
    EXPECT_EQ(f.currentSpace(1), 3u);

    nav.pressStatus = platform::ax_error::kActionUnsupported;
    nav.desktopPresses = 0;
    auto refused = start({kProjectsDesktop, kBuiltIn, 5});
    f.env.settle();
    EXPECT_EQ(failureOf(refused), Failure::Case::request);
    EXPECT_EQ(nav.desktopPresses, 1);  // no second press
    EXPECT_FALSE(missionControlOpen());
    EXPECT_FALSE(Switcher::isOpeningForNavigation());
}

TEST_F(SwitcherTest, AMissingButtonIsLookedForUntilThePollsRunOut) {
    // Mission Control shows no buttons at all (still animating, say).
    auto manager = *f.env.session.windowManagerPID();
    f.env.session.explicitTreeRoots[manager] = f.env.session.makeNode(manager).id;
    const double started = f.env.clock.uptime();
    double finished = 0;
    auto handle = start(notes);
    handle.onCompletion([&] { finished = f.env.clock.uptime(); });
    f.env.advance(3.0);
    EXPECT_EQ(failureOf(handle), Failure::Case::verification);
    EXPECT_NEAR(finished - started, 2.4, 1e-9);  // 24 pauses of 0.1 s
    EXPECT_EQ(nav.desktopPresses, 0);
    EXPECT_FALSE(missionControlOpen());
    EXPECT_FALSE(Switcher::isOpeningForNavigation());
}

TEST_F(SwitcherTest, SlowPassesStopAtTheTimeLimit) {
    // Mission Control's tree answers slowly and never shows the button: each pass takes about a
    // third of a second, so the time limit ends the switch long before the 24th poll.
    auto& session = f.env.session;
    auto manager = *session.windowManagerPID();
    auto& root = session.makeNode(manager);
    Array children;
    for (int i = 0; i < 10; ++i) {
        auto& child = session.makeNode(manager);
        child.attributes["AXRole"].value = "AXGroup";
        child.attributes["AXRole"].latency = 0.025;
        children.emplace_back(ElementRef{child.id});
    }
    root.attributes["AXChildren"].value = Value(children);
    session.explicitTreeRoots[manager] = root.id;

    const double started = f.env.clock.uptime();
    double finished = 0;
    auto handle = start(notes);
    handle.onCompletion([&] { finished = f.env.clock.uptime(); });
    f.env.advance(5.0);
    EXPECT_EQ(failureOf(handle), Failure::Case::verification);
    EXPECT_GE(finished - started, 3.0);
    EXPECT_LT(finished - started, 3.5);
    EXPECT_FALSE(missionControlOpen());
}

TEST_F(SwitcherTest, ACurrentDesktopBehindOpenMissionControlIsNotASuccess) {
    nav.closeDelay.reset();
    auto handle = start(notes);
    f.env.advance(2.0);
    EXPECT_FALSE(handle.isDone());
    EXPECT_EQ(f.currentSpace(1), 3u);
    f.env.advance(1.0);
    EXPECT_EQ(failureOf(handle), Failure::Case::verification);
    EXPECT_FALSE(missionControlOpen());  // this switch opened it, so it closes it
}

TEST_F(SwitcherTest, CancellingDuringAPauseClosesMissionControlAndRestoresTheCount) {
    nav.switchDelay.reset();
    auto handle = start(notes);
    f.env.advance(0.15);
    EXPECT_TRUE(Switcher::isOpeningForNavigation());
    handle.cancel();
    f.env.settle();
    ASSERT_TRUE(handle.isDone());
    EXPECT_THROW(std::rethrow_exception(handle.error()), CancellationError);
    EXPECT_FALSE(missionControlOpen());
    EXPECT_FALSE(Switcher::isOpeningForNavigation());
}

TEST_F(SwitcherTest, ALockedSessionStopsTheSwitchAndLeavesMissionControlAlone) {
    nav.switchDelay.reset();
    auto handle = start(notes);
    f.env.advance(0.05);
    f.env.session.lockScreen();
    f.env.advance(0.1);
    EXPECT_EQ(failureOf(handle), Failure::Case::session);
    EXPECT_TRUE(missionControlOpen());
    EXPECT_FALSE(Switcher::isOpeningForNavigation());

    f.env.session.closeMissionControl();
    auto refused = start(notes);
    f.env.settle();
    EXPECT_EQ(failureOf(refused), Failure::Case::session);
}

TEST_F(SwitcherTest, ALaunchErrorIsThrownAsItIs) {
    nav.launchError = "Mission Control could not be opened.";
    auto handle = start(notes);
    f.env.settle();
    ASSERT_TRUE(handle.isDone());
    try {
        std::rethrow_exception(handle.error());
    } catch (const SystemError& error) {
        EXPECT_STREQ(error.what(), "Mission Control could not be opened.");
    }
    EXPECT_EQ(nav.desktopPresses, 0);
    EXPECT_FALSE(Switcher::isOpeningForNavigation());
}

TEST_F(SwitcherTest, AFocusTargetSwitchesToItsDesktop) {
    auto handle = spawn(Switcher::switchTo(SpaceApplicationFocusTarget{505, 305, 6, kMailDesktop, kStudio}, f.catalog()));
    f.env.advance(1.0);
    EXPECT_FALSE(handle.error());
    EXPECT_EQ(f.currentSpace(2), 6u);
    EXPECT_EQ(f.currentSpace(1), 1u);
}

}  // namespace
}  // namespace tarnwick
