#include <gtest/gtest.h>

#include "model/mission_control_visibility.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

Value window(Value owner, Value layer, int number) {
    Dictionary d;
    d["kCGWindowOwnerName"] = std::move(owner);
    d["kCGWindowLayer"] = std::move(layer);
    d["kCGWindowNumber"] = number;
    return Value(std::move(d));
}

TEST(MissionControlVisibilityTest, FollowsMissionControlOpeningAndClosing) {
    testkit::TestEnvironment env;
    env.session.loadDefaultSession();
    EXPECT_FALSE(MissionControlVisibility::isVisible(MissionControlVisibility::currentSnapshot()));
    env.session.openMissionControl();
    auto list = MissionControlVisibility::currentSnapshot();
    EXPECT_TRUE(MissionControlVisibility::isVisible(list));
    auto matches = MissionControlVisibility::matchingWindows(list);
    EXPECT_EQ(matches.size(), 4u);  // a Spaces Bar and a backdrop per display
    for (const auto& match : matches) EXPECT_EQ(*match.find("kCGWindowOwnerName")->asString(), "WindowManager");
    env.session.closeMissionControl();
    EXPECT_FALSE(MissionControlVisibility::isVisible(MissionControlVisibility::currentSnapshot()));
}

TEST(MissionControlVisibilityTest, OnlyWindowManagerWindowsAtLayerNineteenCount) {
    testkit::TestEnvironment env;
    const Array noise = {window("WindowManager", 18, 1), window("WindowManager", 20, 2), window("Dock", 19, 3),
                         window("WindowManager", 19.5, 4), window("WindowManager", true, 5),
                         window("WindowManager", "19", 6), window(Value(19), 19, 7), Value("WindowManager"),
                         Value(Array{window("WindowManager", 19, 8)})};
    env.session.windowListOverride = std::optional<Value>(Value(noise));
    auto list = MissionControlVisibility::currentSnapshot();
    EXPECT_FALSE(MissionControlVisibility::isVisible(list));
    EXPECT_TRUE(MissionControlVisibility::matchingWindows(list).empty());

    Array withMatches = noise;
    withMatches.push_back(window("WindowManager", 19.0, 9));
    withMatches.insert(withMatches.begin() + 2, window("WindowManager", 19, 10));
    env.session.windowListOverride = std::optional<Value>(Value(withMatches));
    list = MissionControlVisibility::currentSnapshot();
    EXPECT_TRUE(MissionControlVisibility::isVisible(list));
    EXPECT_EQ(MissionControlVisibility::matchingWindows(list),
              (Array{window("WindowManager", 19, 10), window("WindowManager", 19.0, 9)}));
}

TEST(MissionControlVisibilityTest, AMissingListMeansClosed) {
    testkit::TestEnvironment env;
    env.session.windowListOverride = std::optional<Value>();
    auto list = MissionControlVisibility::currentSnapshot();
    EXPECT_EQ(list, std::nullopt);
    EXPECT_FALSE(MissionControlVisibility::isVisible(list));
    EXPECT_TRUE(MissionControlVisibility::matchingWindows(list).empty());
    EXPECT_FALSE(MissionControlVisibility::isVisible(Value(Dictionary{})));
}

}  // namespace
}  // namespace tarnwick
