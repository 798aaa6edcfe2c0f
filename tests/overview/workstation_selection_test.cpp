#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "applications/application_window_focus.h"
#include "applications/mission_control_space_switcher.h"
#include "applications/navigation_test_support.h"
#include "overview/workstation_preview_status.h"
#include "overview/workstation_selection.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

using Failure = WorkstationSelection::Failure;
using FocusFailure = ApplicationWindowFocus::Failure;
using Target = OverviewFocusTarget;

TEST(WorkstationPreviewStatusTest, EveryFocusRequestPublishesWithTheTargetAlreadyStored) {
    WorkstationPreviewStatus status;
    EXPECT_EQ(status.interactionMode.get(), OverviewInteractionMode::hover);
    std::vector<std::pair<std::uint64_t, std::optional<Target>>> seen;
    auto subscription = status.focusGeneration.subscribe(
        [&](const std::uint64_t& generation) { seen.emplace_back(generation, status.preferredFocus); });

    status.requestFocus(Target::desktop("A"));
    status.requestFocus(Target::desktop("A"));
    status.requestFocus(std::nullopt);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], std::make_pair(std::uint64_t{1}, std::optional(Target::desktop("A"))));
    EXPECT_EQ(seen[1], std::make_pair(std::uint64_t{2}, std::optional(Target::desktop("A"))));
    EXPECT_EQ(seen[2], std::make_pair(std::uint64_t{3}, std::optional<Target>()));
}

TEST(WorkstationSelectionTest, ComparesTheCaseTheAppAndTheTarget) {
    const SpaceNavigationTarget a{"D1", "M1", 1};
    const SpaceNavigationTarget b{"D1", "M1", 2};
    EXPECT_EQ(WorkstationSelection::desktop(a), WorkstationSelection::desktop(a));
    EXPECT_NE(WorkstationSelection::desktop(a), WorkstationSelection::desktop(b));
    EXPECT_NE(WorkstationSelection::desktop(a), WorkstationSelection::application("", a));
    EXPECT_NE(WorkstationSelection::application("x", a), WorkstationSelection::application("y", a));
    EXPECT_EQ(WorkstationSelection::application("x", a).applicationID(), "x");
    EXPECT_EQ(WorkstationSelection::application("x", b).target(), b);
    EXPECT_EQ(WorkstationSelection::desktop(a).applicationID(), std::nullopt);
}

// A catalog of two displays whose reads are counted, and navigation stubs that record what they
// were asked and make the desktop current unless told otherwise.
class PerformTest : public ::testing::Test {
protected:
    PerformTest() {
        catalog = {
            DesktopMonitor{"M1", "Built-in", Rect(0, 0, 100, 100), {{"D1", 1, "Desktop 1", true}, {"D2", 2, "Desktop 2", false}}},
            DesktopMonitor{"M2", "Studio", Rect(100, 0, 100, 100), {{"D3", 3, "Desktop 3", true}}},
        };
    }

    void makeCurrent(const std::string& desktopID) {
        for (auto& monitor : catalog) {
            bool owns = false;
            for (const auto& desktop : monitor.desktops) owns = owns || desktop.id == desktopID;
            if (owns)
                for (auto& desktop : monitor.desktops) desktop.isCurrent = desktop.id == desktopID;
        }
    }

    Task<void> switchStub(SpaceNavigationTarget target) {
        switched.push_back(target);
        if (cancelWhileNavigating) handle.cancel();
        if (navigationError) std::rethrow_exception(navigationError);
        if (landOn) makeCurrent(*landOn);
        else makeCurrent(target.desktopID);
        co_return;
    }
    Task<void> openStub(std::string appID, std::string desktopID) {
        opened.emplace_back(appID, desktopID);
        makeCurrent(desktopID);
        co_return;
    }

    void run(const WorkstationSelection& selection) {
        handle = spawn(selection.perform([this] {
            ++catalogReads;
            return catalog;
        },
                                         [this](SpaceNavigationTarget t) { return switchStub(std::move(t)); },
                                         [this](std::string a, std::string d) { return openStub(std::move(a), std::move(d)); }));
        env.settle();
        ASSERT_TRUE(handle.isDone());
    }
    template <typename E>
    E errorAs() {
        try {
            if (handle.error()) std::rethrow_exception(handle.error());
        } catch (const E& e) {
            return e;
        } catch (...) {
        }
        ADD_FAILURE() << "the task did not fail with the expected error";
        throw std::logic_error("unexpected");
    }

    testkit::TestEnvironment env;
    std::vector<DesktopMonitor> catalog;
    int catalogReads = 0;
    std::vector<SpaceNavigationTarget> switched;
    std::vector<std::pair<std::string, std::string>> opened;
    std::exception_ptr navigationError;
    std::optional<std::string> landOn;
    bool cancelWhileNavigating = false;
    TaskHandle<void> handle;
    const SpaceNavigationTarget second{"D2", "M1", 2};
};

TEST_F(PerformTest, ADesktopPickSwitchesAndVerifiesInTwoFreshCatalogs) {
    run(WorkstationSelection::desktop(second));
    EXPECT_FALSE(handle.error());
    EXPECT_EQ(switched, std::vector{second});
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(catalogReads, 2);
}

TEST_F(PerformTest, AnAppPickOpensTheAppOnTheTargetsDesktop) {
    run(WorkstationSelection::application("com.example.mail.helper", second));
    EXPECT_FALSE(handle.error());
    EXPECT_TRUE(switched.empty());
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], std::make_pair(std::string("com.example.mail.helper"), std::string("D2")));
    EXPECT_EQ(catalogReads, 2);
}

TEST_F(PerformTest, AStaleTargetFailsBeforeAnythingMoves) {
    for (const auto& stale : {SpaceNavigationTarget{"D2", "M1", 7}, SpaceNavigationTarget{"D2", "M2", 2},
                              SpaceNavigationTarget{"D9", "M1", 2}}) {
        catalogReads = 0;
        run(WorkstationSelection::application("x", stale));
        EXPECT_EQ(errorAs<Failure>().failureCase(), Failure::Case::desktopChanged);
        EXPECT_STREQ(errorAs<Failure>().what(), "This desktop changed. Try the overview again.");
        EXPECT_EQ(catalogReads, 1);
    }
    EXPECT_TRUE(switched.empty());
    EXPECT_TRUE(opened.empty());
}

TEST_F(PerformTest, NavigationErrorsPassThroughUnchanged) {
    navigationError = std::make_exception_ptr(FocusFailure(FocusFailure::Case::desktopChanged));
    run(WorkstationSelection::desktop(second));
    const auto failure = errorAs<FocusFailure>();
    EXPECT_EQ(failure.failureCase(), FocusFailure::Case::desktopChanged);
    EXPECT_STREQ(failure.what(), "This desktop changed. Refresh the list and try again.");
    EXPECT_EQ(catalogReads, 1);
}

TEST_F(PerformTest, ASwitchThatReturnsWhileAnotherDesktopIsCurrentFailsVerification) {
    landOn = "D1";
    run(WorkstationSelection::desktop(second));
    EXPECT_EQ(errorAs<Failure>().failureCase(), Failure::Case::verification);
    EXPECT_STREQ(errorAs<Failure>().what(), "Could not confirm the selected desktop. Please try again.");
    EXPECT_EQ(catalogReads, 2);
}

TEST_F(PerformTest, CancellationIsCheckedBeforeStartingAndAfterNavigating) {
    handle = spawn(WorkstationSelection::desktop(second).perform(
        [this] {
            ++catalogReads;
            return catalog;
        },
        [this](SpaceNavigationTarget t) { return switchStub(std::move(t)); }, {}));
    handle.cancel();
    env.settle();
    ASSERT_TRUE(handle.isDone());
    errorAs<CancellationError>();
    EXPECT_EQ(catalogReads, 0);
    EXPECT_TRUE(switched.empty());

    cancelWhileNavigating = true;
    run(WorkstationSelection::desktop(second));
    errorAs<CancellationError>();
    EXPECT_EQ(switched.size(), 1u);
    EXPECT_EQ(catalogReads, 1);  // no verification read
}

TEST_F(PerformTest, TheTaskKeepsItsOwnCopyOfTheSelection) {
    {
        auto selection = std::make_unique<WorkstationSelection>(WorkstationSelection::desktop(second));
        handle = spawn(selection->perform([this] { return catalog; },
                                          [this](SpaceNavigationTarget t) { return switchStub(std::move(t)); }, {}));
    }
    env.settle();
    ASSERT_TRUE(handle.isDone());
    EXPECT_FALSE(handle.error());
    EXPECT_EQ(switched, std::vector{second});
}

// With the real switcher in the default simulated session.
class PerformWithSwitcherTest : public ::testing::Test {
protected:
    TaskHandle<void> start(SpaceNavigationTarget target) {
        return spawn(WorkstationSelection::desktop(std::move(target))
                         .perform(f.catalog(), [catalog = f.catalog()](SpaceNavigationTarget t) {
                             return MissionControlSpaceSwitcher::switchTo(std::move(t), catalog);
                         },
                                  {}));
    }

    navigation_testing::NavigationFixture f;
    const SpaceNavigationTarget notes{navigation_testing::kNotesDesktop, navigation_testing::kBuiltIn, 3};
};

TEST_F(PerformWithSwitcherTest, MakesTheDesktopCurrent) {
    auto handle = start(notes);
    f.env.advance(1.0);
    ASSERT_TRUE(handle.isDone());
    EXPECT_FALSE(handle.error());
    EXPECT_EQ(f.currentSpace(1), 3u);
}

TEST_F(PerformWithSwitcherTest, ASwitchThatNeverLandsReportsTheSwitchersOwnFailure) {
    f.env.session.navigation.switchDelay.reset();
    auto handle = start(notes);
    f.env.advance(10.0);
    ASSERT_TRUE(handle.isDone());
    const auto failureCase = navigation_testing::failureOf(handle);
    ASSERT_TRUE(failureCase);
    try {
        std::rethrow_exception(handle.error());
    } catch (const FocusFailure& failure) {
        EXPECT_EQ(failure.message(), FocusFailure::sentence(*failureCase));
    }
    EXPECT_NE(f.currentSpace(1), 3u);
}

}  // namespace
}  // namespace tarnwick
