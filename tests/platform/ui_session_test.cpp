#include <gtest/gtest.h>

#include "applications/application_icon_cache.h"
#include "platform/sim/sim_icons.h"
#include "platform/sim/ui/sim_window_system.h"
#include "platform/ui/screens.h"
#include "support/error.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace names = platform::notification_names;
using testkit::TestEnvironment;

TEST(UserInterfaceSessionTest, ReadsReservedStripsPointerReduceMotionAndIconFaults) {
    TestEnvironment env;
    env.session.load(R"({
      "system": {"reduceMotion": true},
      "pointer": [700, 300],
      "icons": {"systemSymbols": false},
      "displays": [
        {"id": 1, "uuid": "U1", "bounds": [0, 0, 1000, 800], "reserved": {"top": 30, "bottom": 70, "left": 5}},
        {"id": 2, "uuid": "U2", "bounds": [1000, 0, 800, 600]}
      ],
      "applications": [
        {"pid": 7, "name": "Gone", "bundleURL": "file:///Applications/Gone.app/", "bundle": "missing"},
        {"pid": 8, "name": "Locked", "bundleURL": "file:///Applications/Locked.app/", "bundle": "unreadable"},
        {"pid": 9, "name": "Plain", "bundleURL": "file:///Applications/Plain.app/", "bundle": "iconless"},
        {"pid": 10, "name": "Fine", "bundleURL": "file:///Applications/Fine.app/"}
      ]
    })");
    auto screens = platform::ui::screens();
    ASSERT_EQ(screens.size(), 2u);
    EXPECT_EQ(screens[0].visibleFrame, Rect(5, 70, 995, 700));
    EXPECT_EQ(screens[1].visibleFrame, Rect(1000, 200, 800, 575));  // the menu bar by default
    EXPECT_TRUE(platform::current().workspace->accessibilityDisplayShouldReduceMotion());
    EXPECT_EQ(platform::ui::windowSystem().pointerLocation(), (Point{700, 300}));

    // Every faulty bundle gets the empty fallback image (no system symbols either); a fine one its icon.
    ApplicationIconCache icons([] { return 0.0; }, ApplicationIconCache::workspaceResolver);
    for (const char* name : {"Gone", "Locked", "Plain"}) {
        auto image = icons.image(SpaceApplication{name, name, "file:///Applications/" + std::string(name) + ".app/"});
        EXPECT_EQ(image.id, 0u) << name;
    }
    EXPECT_NE(icons.image(SpaceApplication{"Fine", "Fine", "file:///Applications/Fine.app/"}).id, 0u);
}

TEST(UserInterfaceSessionTest, RefusesMalformedUserInterfaceKeys) {
    auto refused = [](const char* json) {
        TestEnvironment env;
        try {
            env.session.load(json);
        } catch (const Error& e) {
            return std::string(e.what());
        }
        return std::string("loaded");
    };
    EXPECT_EQ(refused(R"({"pointer": [1]})"), "The session file is not valid: pointer must list x and y.");
    EXPECT_EQ(refused(R"({"displays": [{"id": 1, "bounds": [0,0,10,10], "reserved": {"top": -1}}]})"),
              "The session file is not valid: displays[0].reserved.top must be a number of points, 0 or more.");
    EXPECT_EQ(refused(R"({"applications": [{"pid": 1, "bundle": "missing"}]})"),
              "The session file is not valid: applications[0].bundle needs the application's \"bundleURL\" as a file URL.");
    EXPECT_EQ(refused(R"({"applications": [{"pid": 1, "bundleURL": "file:///A.app", "bundle": "odd"}]})"),
              "The session file is not valid: applications[0].bundle must be \"present\", \"missing\", \"unreadable\" or \"iconless\".");
}

TEST(UserInterfaceSessionTest, UserChangesOfScreensDesktopsAndMotionPostWhatTheSystemPosts) {
    TestEnvironment env;
    env.session.loadDefaultSession();
    auto& workspace = env.session.workspaceNotificationCenter();
    auto& application = env.session.notificationCenter();

    env.session.setReduceMotion(true);
    env.session.setReduceMotion(true);
    EXPECT_EQ(workspace.posted().size(), 1u);
    EXPECT_EQ(workspace.posted().back().name, names::kAccessibilityDisplayOptionsDidChange);

    env.session.setDisplayBounds(2, Rect(-2560, 0, 2560, 1440));
    EXPECT_EQ(application.posted().back().name, names::kScreenParametersDidChange);
    EXPECT_EQ(env.session.display(2)->bounds, Rect(-2560, 0, 2560, 1440));

    // Closing the current desktop of display 2 (id 4) makes its neighbour (6) current and moves
    // its windows there.
    EXPECT_TRUE(env.session.removeDesktop(2, 4));
    EXPECT_EQ(env.session.display(2)->currentSpace, 6u);
    EXPECT_EQ(env.session.window(503)->spaces, std::vector<std::uint64_t>{6});
    EXPECT_EQ(workspace.posted().back().name, names::kActiveSpaceDidChange);
    // Closing a desktop that is not current posts nothing; the last desktop of a display stays.
    const auto before = workspace.posted().size();
    EXPECT_TRUE(env.session.removeDesktop(1, 5));
    EXPECT_EQ(workspace.posted().size(), before);
    EXPECT_FALSE(env.session.removeDesktop(1, 99));
    EXPECT_TRUE(env.session.removeDesktop(1, 3));
    EXPECT_FALSE(env.session.removeDesktop(1, 1));

    env.session.addDesktop(1, sim::SimSpace{20, "NEW-DESKTOP", 0, {}});
    EXPECT_EQ(env.session.display(1)->spaces.back().id64, 20u);
    EXPECT_EQ(env.session.display(1)->currentSpace, 1u);
}

}  // namespace
}  // namespace tarnwick
