#include <gtest/gtest.h>

#include "platform/sim/simulated_session.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

TEST(NavigationSessionTest, TheNavigationSectionSetsFaults) {
    testkit::TestEnvironment env;
    env.session.load(R"({"navigation": {"launchError": "Refused.", "pressStatus": -25204, "switchDelay": null,
        "closeDelay": 1.5, "windowsRefusingRaise": [501],
        "privateFunctions": {"available": false, "missing": ["GetProcessForPID"], "setFrontStatus": -1}}})");
    const auto& nav = env.session.navigation;
    EXPECT_EQ(nav.launchError, "Refused.");
    EXPECT_EQ(nav.pressStatus, -25204);
    EXPECT_EQ(nav.switchDelay, std::nullopt);
    EXPECT_EQ(nav.closeDelay, 1.5);
    EXPECT_EQ(nav.windowsRefusingRaise, (std::set<std::uint32_t>{501}));
    EXPECT_EQ(nav.missingFunctions, std::set<std::string>{"GetProcessForPID"});
    EXPECT_EQ(nav.setFrontStatus, -1);
    EXPECT_EQ(env.session.platform().privateFunctions->openGlobalNamespace(), nullptr);

    for (const char* bad : {R"({"navigation": []})", R"({"navigation": {"switchDelay": -1}})",
                            R"({"navigation": {"pressStatus": 1.5}})", R"({"navigation": {"windowsRefusingRaise": [true]}})"}) {
        testkit::TestEnvironment other;
        EXPECT_THROW(other.session.load(bad), Error) << bad;
    }
}

TEST(NavigationSessionTest, AWindowThatRefusesToRaiseStaysBehindItsFrontProcess) {
    testkit::TestEnvironment env;
    env.session.loadDefaultSession();
    env.session.navigation.windowsRefusingRaise = {502};
    EXPECT_EQ(env.session.raiseWindow(502), platform::ax_error::kCannotComplete);
    env.session.bringToFront(301, 502);
    EXPECT_EQ(env.session.frontmostPID, 301);
    EXPECT_EQ(env.session.windows.front().id, 501u);
}

}  // namespace
}  // namespace tarnwick
