#include <algorithm>

#include <gtest/gtest.h>

#include "model/mission_control_inspector.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

using testkit::TestEnvironment;

// A chain of groups `depth` levels below the application, built as a session file.
std::string chainSession(int depth) {
    std::string node = R"({"attributes": {"AXRole": "AXGroup"}})";
    for (int i = 0; i < depth; ++i) node = R"({"attributes": {"AXRole": "AXGroup"}, "children": [)" + node + "]}";
    return R"({"applications": [{"pid": 7}], "accessibility": {"trees": [{"pid": 7, "root": )" + node + "}]}}";
}

TEST(MissionControlInspectorTest, RecordsAnElementReachedTwiceOnceUnderItsFirstParent) {
    TestEnvironment env;
    env.session.load(R"({"applications": [{"pid": 7}], "accessibility": {"trees": [{"pid": 7, "root": {
        "attributes": {"AXRole": "AXApplication"},
        "children": [{"name": "w", "attributes": {"AXRole": "AXWindow"}}],
        "windows": [{"$ref": "w"}]}}]}})");
    auto& ax = *env.session.platform().accessibility;
    auto tree = MissionControlInspector::tree(ax.createApplication(7), false, false, std::nullopt);
    ASSERT_EQ(tree.size(), 2u);
    EXPECT_EQ(*tree[1].find("parent"), Value(0));
    EXPECT_EQ(*tree[1].find("AXRole"), Value("AXWindow"));
}

TEST(MissionControlInspectorTest, LimitsCutTheDumpShortInsteadOfVoidingIt) {
    TestEnvironment env;
    env.session.load(chainSession(20));
    auto& ax = *env.session.platform().accessibility;
    auto tree = MissionControlInspector::tree(ax.createApplication(7), false, false, std::nullopt);
    ASSERT_EQ(tree.size(), 18u);
    EXPECT_EQ(*tree.back().find("depth"), Value(17));

    EXPECT_TRUE(MissionControlInspector::tree(ax.createApplication(7), false, false, env.clock.uptime() - 1).empty());
}

TEST(MissionControlInspectorTest, StopsAtTwoThousandNodes) {
    TestEnvironment env;
    std::string children;
    for (int i = 0; i < 2100; ++i) children += std::string(i ? "," : "") + R"({"attributes": {"AXRole": "AXImage"}})";
    env.session.load(R"({"applications": [{"pid": 7}], "accessibility": {"trees": [{"pid": 7, "root": {
        "attributes": {"AXRole": "AXApplication"}, "children": [)" + children + "]}}]}}");
    auto tree = MissionControlInspector::tree(env.session.platform().accessibility->createApplication(7), false, false,
                                              std::nullopt);
    EXPECT_EQ(tree.size(), 2000u);
}

TEST(MissionControlInspectorTest, DetailsOnlyForDesktopButtons) {
    TestEnvironment env;
    env.session.load(R"({"applications": [{"pid": 7}], "accessibility": {"trees": [{"pid": 7, "root": {
        "attributes": {"AXRole": "AXApplication"},
        "children": [
          {"attributes": {"AXRole": "AXButton", "AXTitle": "Desktop 2", "AXHelp": null}, "settable": ["AXTitle"]},
          {"attributes": {"AXRole": "AXButton", "AXTitle": "Desktop"}},
          {"attributes": {"AXRole": "AXGroup", "AXTitle": "Desktop 3"}}]}}]}})");
    auto tree = MissionControlInspector::tree(env.session.platform().accessibility->createApplication(7), true, false,
                                              std::nullopt);
    ASSERT_EQ(tree.size(), 4u);
    EXPECT_TRUE(tree[1].find("supportedAttributes"));
    EXPECT_EQ(*tree[1].find("writableAttributes")->find("AXTitle"), Value(true));
    EXPECT_FALSE(tree[1].find("writableAttributes")->find("AXValue"));  // unsupported: left out
    EXPECT_EQ(*tree[1].find("attributeValues")->find("AXTitle"), Value("Desktop 2"));
    // Supported, but the copy yields no value: no description of it.
    const auto& supported = *tree[1].find("supportedAttributes")->asArray();
    EXPECT_NE(std::find(supported.begin(), supported.end(), Value("AXHelp")), supported.end());
    EXPECT_FALSE(tree[1].find("attributeValues")->find("AXHelp"));
    EXPECT_FALSE(tree[2].find("supportedAttributes"));
    EXPECT_FALSE(tree[3].find("supportedAttributes"));
}

TEST(MissionControlInspectorTest, ElementsAreIncludedOnRequestAndThenJsonIsEmpty) {
    TestEnvironment env;
    env.session.loadDefaultSession();
    env.session.openMissionControl();
    auto tree = MissionControlInspector::tree(env.session.platform().accessibility->createApplication(120), false,
                                              true, std::nullopt);
    ASSERT_FALSE(tree.empty());
    EXPECT_TRUE(tree[0].find("element")->asElement());
    EXPECT_EQ(MissionControlInspector::json(Value(tree)), "");
}

TEST(MissionControlInspectorTest, SnapshotWithoutHostsIsStillComplete) {
    TestEnvironment env;
    env.session.load(R"({"displays": [{"id": 5, "hasScreenNumber": false, "bounds": [0, 0, 800, 600],
                                        "spaces": [{"id64": 1, "uuid": ""}]}]})");
    auto snapshot = MissionControlInspector::snapshot();
    EXPECT_EQ(snapshot.asDictionary()->size(), 9u);
    EXPECT_TRUE(snapshot.find("hosts")->asArray()->empty());
    EXPECT_TRUE(snapshot.find("hostWindows")->asArray()->empty());
    EXPECT_EQ(*snapshot.find("displays")->asArray()->at(0).find("displayID"), Value(0));
    EXPECT_FALSE(MissionControlInspector::json(snapshot).empty());
}

}  // namespace
}  // namespace tarnwick
