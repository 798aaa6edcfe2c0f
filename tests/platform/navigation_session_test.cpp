#include <gtest/gtest.h>

#include "platform/sim/simulated_session.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

TEST(NavigationSessionTest, OpeningMissionControlTogglesItAfterTheLaunch) {
    testkit::TestEnvironment env;
    env.session.loadDefaultSession();
    env.session.navigation.launchDelay = 0.1;
    auto& workspace = *env.session.platform().workspace;
    std::vector<std::optional<SystemError>> results;
    auto record = [&](std::optional<SystemError> error) { results.push_back(std::move(error)); };
    workspace.openApplication(sim::kMissionControlApplicationPath, record);
    env.settle();
    EXPECT_FALSE(env.session.missionControlOpen);
    env.advance(0.1);
    EXPECT_TRUE(env.session.missionControlOpen);
    workspace.openApplication(sim::kMissionControlApplicationPath, record);
    env.advance(0.1);
    EXPECT_FALSE(env.session.missionControlOpen);
    ASSERT_EQ(results.size(), 2u);
    EXPECT_FALSE(results[0]);

    env.session.navigation.launchError = "No launch today.";
    workspace.openApplication(sim::kMissionControlApplicationPath, record);
    workspace.openApplication("/Applications/Nothing.app", record);
    env.advance(0.1);
    ASSERT_EQ(results.size(), 4u);
    EXPECT_STREQ(results[2]->what(), "No launch today.");
    EXPECT_TRUE(results[3]);
    EXPECT_FALSE(env.session.missionControlOpen);
    EXPECT_EQ(env.session.navigation.missionControlLaunches, 3);
}

TEST(NavigationSessionTest, UnhidingShowsTheAppsWindowsAgain) {
    testkit::TestEnvironment env;
    env.session.loadDefaultSession();
    env.session.applications[2].hidden = true;  // Finder
    auto& workspace = *env.session.platform().workspace;
    EXPECT_TRUE(workspace.runningApplication(301)->isHidden);
    EXPECT_TRUE(workspace.unhide(301));
    EXPECT_FALSE(workspace.runningApplication(301)->isHidden);
    EXPECT_FALSE(workspace.unhide(999));
}

TEST(NavigationSessionTest, TheNavigationSectionSetsFaults) {
    testkit::TestEnvironment env;
    env.session.load(R"({"navigation": {"launchDelay": 0.5, "launchError": "Refused.", "pressStatus": -25204,
        "pressIgnored": true, "switchDelay": null, "closeDelay": 1.5, "windowsRefusingRaise": [501, 502],
        "privateFunctions": {"available": false, "missing": ["GetProcessForPID"], "getProcessStatus": -600,
                             "setFrontStatus": -1, "postEventStatus": 7}}})");
    const auto& nav = env.session.navigation;
    EXPECT_EQ(nav.launchDelay, 0.5);
    EXPECT_EQ(nav.launchError, "Refused.");
    EXPECT_EQ(nav.pressStatus, -25204);
    EXPECT_TRUE(nav.pressIgnored);
    EXPECT_EQ(nav.switchDelay, std::nullopt);
    EXPECT_EQ(nav.closeDelay, 1.5);
    EXPECT_EQ(nav.windowsRefusingRaise, (std::set<std::uint32_t>{501, 502}));
    EXPECT_FALSE(nav.globalNamespaceAvailable);
    EXPECT_EQ(nav.missingFunctions, std::set<std::string>{"GetProcessForPID"});
    EXPECT_EQ(nav.getProcessStatus, -600);
    EXPECT_EQ(nav.setFrontStatus, -1);
    EXPECT_EQ(nav.postEventStatus, 7);
    EXPECT_EQ(env.session.platform().privateFunctions->openGlobalNamespace(), nullptr);

    for (const char* bad : {R"({"navigation": []})", R"({"navigation": {"switchDelay": -1}})",
                            R"({"navigation": {"pressStatus": 1.5}})", R"({"navigation": {"windowsRefusingRaise": [true]}})",
                            R"({"navigation": {"privateFunctions": {"missing": [1]}}})"}) {
        testkit::TestEnvironment other;
        EXPECT_THROW(other.session.load(bad), Error) << bad;
    }
}

TEST(NavigationSessionTest, AWindowThatRefusesToRaiseStaysBehind) {
    testkit::TestEnvironment env;
    env.session.loadDefaultSession();
    env.session.navigation.windowsRefusingRaise = {502};
    EXPECT_EQ(env.session.raiseWindow(502), platform::ax_error::kCannotComplete);
    env.session.bringToFront(301, 502);
    EXPECT_EQ(env.session.frontmostPID, 301);
    EXPECT_EQ(env.session.windows.front().id, 501u);
    EXPECT_EQ(env.session.raiseWindow(502 + 1000), platform::ax_error::kCannotComplete);
    EXPECT_EQ(env.session.raiseWindow(508), platform::ax_error::kSuccess);
    EXPECT_EQ(env.session.windows.front().id, 508u);
}

}  // namespace
}  // namespace tarnwick
