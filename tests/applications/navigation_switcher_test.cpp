#include <optional>
#include <string>

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

TEST_F(SwitcherTest, ACurrentDesktopNeedsAPressOnlyWhileMissionControlIsOpen) {
    auto idle = start({kStudioFirst, kStudio, 4});
    f.env.settle();
    EXPECT_TRUE(idle.isDone());
    EXPECT_FALSE(idle.error());
    EXPECT_EQ(nav.desktopPresses, 0);

    f.env.session.openMissionControl();
    auto closing = start({kStudioFirst, kStudio, 4});
    f.env.settle();
    EXPECT_FALSE(Switcher::isOpeningForNavigation());  // it did not open Mission Control
    f.env.advance(1.0);
    EXPECT_FALSE(closing.error());
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

TEST_F(SwitcherTest, ALaunchThatNeverReportsFailsAtTheTimeLimitAndItsLateReportIsIgnored) {
    nav.launchDelay = 10.0;
    const double started = f.env.clock.uptime();
    double finished = 0;
    auto handle = start(notes);
    handle.onCompletion([&] { finished = f.env.clock.uptime(); });
    f.env.advance(2.9);
    EXPECT_FALSE(handle.isDone());
    EXPECT_TRUE(Switcher::isOpeningForNavigation());
    f.env.advance(1.0);
    EXPECT_EQ(failureOf(handle), Failure::Case::verification);
    EXPECT_NEAR(finished - started, 3.0, 1e-9);
    EXPECT_FALSE(Switcher::isOpeningForNavigation());

    f.env.advance(10.0);  // the launch lands long after: nothing of the switch wakes up again
    EXPECT_EQ(failureOf(handle), Failure::Case::verification);
    EXPECT_EQ(nav.missionControlLaunches, 1);
    EXPECT_EQ(nav.desktopPresses, 0);
}

TEST_F(SwitcherTest, CancellingWhileMissionControlLaunchesWaitsForTheLaunchOnlyToCloseItAgain) {
    nav.launchDelay = 0.3;
    auto handle = start(notes);
    f.env.advance(0.1);
    handle.cancel();
    f.env.advance(0.2);  // the launch lands and opens Mission Control
    EXPECT_FALSE(handle.isDone());
    EXPECT_TRUE(Switcher::isOpeningForNavigation());  // the opening is still this switch's own
    f.env.advance(0.3);
    ASSERT_TRUE(handle.isDone());
    EXPECT_THROW(std::rethrow_exception(handle.error()), CancellationError);
    EXPECT_FALSE(missionControlOpen());
    EXPECT_EQ(nav.missionControlLaunches, 2);
    EXPECT_EQ(nav.desktopPresses, 0);
    EXPECT_FALSE(Switcher::isOpeningForNavigation());

    // A switch cancelled before it opened anything opens nothing.
    auto token = makeCancellationToken();
    token->cancel();
    auto early = spawn(Switcher::switchTo(notes, f.catalog()), token);
    f.env.advance(1.0);
    EXPECT_THROW(std::rethrow_exception(early.error()), CancellationError);
    EXPECT_EQ(nav.missionControlLaunches, 2);
}

TEST_F(SwitcherTest, APressThatClosesMissionControlDuringTheCleanUpStillLeavesItClosed) {
    // The desktop becomes current at once, but Mission Control closes only 2.85 s after the
    // start, while the clean-up's launch of 2.7 s is on its way: that launch reopens it.
    nav.launchDelay = 0.3;
    nav.closeDelay = 2.3;
    auto handle = start(notes);
    f.env.advance(2.8);
    EXPECT_EQ(failureOf(handle), std::nullopt);
    f.env.advance(1.0);
    EXPECT_EQ(failureOf(handle), Failure::Case::verification);
    EXPECT_FALSE(missionControlOpen());
    EXPECT_EQ(nav.missionControlLaunches, 3);
    EXPECT_FALSE(Switcher::isOpeningForNavigation());
}

// Cancels a switch over a slow launch at every 25 ms step of its life; whatever it was waiting
// for, Mission Control ends closed as it was before.
TEST(SwitcherCancellationTest, CancellingAtAnyPointLeavesMissionControlClosed) {
    struct Variant {
        const char* name;
        std::optional<double> switchDelay;
        std::optional<double> closeDelay;
    };
    const Variant variants[] = {{"lands", 0.25, 0.2}, {"never lands", std::nullopt, 0.2}, {"stays open", 0.25, std::nullopt}};
    for (const auto& variant : variants) {
        for (int step = 0; step <= 60; ++step) {
            SCOPED_TRACE(std::string(variant.name) + ", cancelled at " + std::to_string(step * 25) + " ms");
            NavigationFixture f;
            auto& nav = f.env.session.navigation;
            nav.launchDelay = 0.3;
            nav.switchDelay = variant.switchDelay;
            nav.closeDelay = variant.closeDelay;
            auto handle = spawn(Switcher::switchTo({kNotesDesktop, kBuiltIn, 3}, f.catalog()));
            f.env.advance(step * 0.025);
            handle.cancel();
            f.env.advance(10.0);
            ASSERT_TRUE(handle.isDone());
            if (handle.error())
                EXPECT_THROW(std::rethrow_exception(handle.error()), CancellationError);
            else
                EXPECT_EQ(f.currentSpace(1), 3u);  // it had finished before the cancellation
            EXPECT_FALSE(f.env.session.missionControlOpen);
            EXPECT_FALSE(Switcher::isOpeningForNavigation());
            EXPECT_LE(nav.missionControlLaunches, 3);
        }
    }
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

}  // namespace
}  // namespace tarnwick
