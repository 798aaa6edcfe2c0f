#include <gtest/gtest.h>

#include <algorithm>

#include "applications/application_navigation_queue.h"
#include "applications/application_window_focus.h"
#include "applications/mission_control_space_switcher.h"
#include "navigation_test_support.h"

namespace tarnwick {
namespace {

using namespace navigation_testing;

// What the overview does with a picked desktop or app: run it through its queue and show any
// error other than cancellation.
class NavigationEndToEndTest : public ::testing::Test {
protected:
    void switchTo(SpaceNavigationTarget target) {
        queue.run([this, target]() -> Task<void> { co_await report(MissionControlSpaceSwitcher::switchTo(target, f.catalog())); });
    }
    void openApp(std::string appID, std::string desktopID) {
        queue.run([this, appID, desktopID]() -> Task<void> {
            co_await report(ApplicationWindowFocus::open(appID, desktopID, f.catalog(), f.services()));
        });
    }
    Task<void> report(Task<void> navigation) {
        try {
            co_await std::move(navigation);
            outcomes.push_back("done");
        } catch (const CancellationError&) {
            outcomes.push_back("cancelled");
        } catch (const Error& error) {
            outcomes.push_back(error.what());
        }
    }
    // Samples whether Mission Control is open for a navigation, every 50 ms.
    void watchOpening(double seconds) {
        for (double t = 0.05; t <= seconds; t += 0.05)
            f.env.loop.postAfter(t, [this] { sawOpening = sawOpening || MissionControlSpaceSwitcher::isOpeningForNavigation(); });
    }

    NavigationFixture f;
    ApplicationNavigationQueue queue;
    std::vector<std::string> outcomes;
    bool sawOpening = false;
};

TEST_F(NavigationEndToEndTest, SwitchesToADesktopOnTheOtherDisplay) {
    ASSERT_EQ(f.currentSpace(2), 4u);
    watchOpening(1.0);
    switchTo({kStudioThird, kStudio, 8});
    f.env.advance(1.0);
    EXPECT_EQ(outcomes, std::vector<std::string>{"done"});
    EXPECT_TRUE(sawOpening);
    EXPECT_FALSE(MissionControlSpaceSwitcher::isOpeningForNavigation());
    EXPECT_EQ(f.currentSpace(2), 8u);
    EXPECT_EQ(f.currentSpace(1), 1u);  // the other display keeps its desktop
    EXPECT_FALSE(f.env.session.missionControlOpen);
    // The catalog agrees.
    EXPECT_TRUE((SpaceNavigationTarget{kStudioThird, kStudio, 8}.isCurrent(f.catalog()())));
    EXPECT_FALSE(queue.current());
}

TEST_F(NavigationEndToEndTest, BringsAnAppWindowForwardOnADesktopThatIsNotCurrent) {
    openApp("com.apple.mail", kMailDesktop);
    f.env.advance(2.0);
    EXPECT_EQ(outcomes, std::vector<std::string>{"done"});
    EXPECT_EQ(f.currentSpace(2), 6u);
    EXPECT_EQ(f.env.session.frontmostPID, 305);
    EXPECT_EQ(f.env.session.windows.front().id, 505u);
    EXPECT_FALSE(f.env.session.missionControlOpen);

    const auto records = focusTrace();
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(traceEvents(), (std::vector<std::string>{"space-requested", "space-selected", "requested", "prepared",
                                                       "observed", "verified"}));
    const Value& verified = records.back();
    EXPECT_EQ(*verified.find("method"), Value("accessibility"));
    EXPECT_EQ(*verified.find("window"), Value(505));
    EXPECT_EQ(*verified.find("monitor"), Value(kStudio));
}

TEST_F(NavigationEndToEndTest, ANewerRequestSupersedesOneThatIsVerifying) {
    openApp("com.apple.Notes", kNotesDesktop);
    f.env.advance(0.55);  // Notes is switched to and raised, its first poll pending
    openApp("com.apple.mail", kMailDesktop);
    f.env.advance(3.0);
    EXPECT_EQ(outcomes, (std::vector<std::string>{"cancelled", "done"}));
    EXPECT_EQ(f.env.session.frontmostPID, 305);
    const auto events = traceEvents();
    EXPECT_EQ(std::count(events.begin(), events.end(), "verified"), 1);
    EXPECT_EQ(*focusTrace().back().find("pid"), Value(305));
    EXPECT_FALSE(queue.current());
}

TEST_F(NavigationEndToEndTest, ASwitchThatNeverLandsEndsInItsSentence) {
    f.env.session.navigation.switchDelay.reset();
    switchTo({kStudioThird, kStudio, 8});
    f.env.advance(4.0);
    EXPECT_EQ(outcomes, std::vector<std::string>{"Could not confirm the requested desktop and window. Try again."});
    EXPECT_EQ(f.currentSpace(2), 4u);
    EXPECT_FALSE(f.env.session.missionControlOpen);
}

}  // namespace
}  // namespace tarnwick
