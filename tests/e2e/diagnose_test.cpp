#include <fstream>

#include <gtest/gtest.h>

#include "support/json.h"
#include "testkit/run_program.h"
#include "testkit/temp_folder.h"

namespace tarnwick {
namespace {

using testkit::runTarnwick;

class DiagnoseTest : public ::testing::Test {
protected:
    testkit::TempFolder home;

    std::string writeSession(const std::string& text) {
        auto path = home / "session.json";
        std::ofstream(path) << text;
        return path.string();
    }
    testkit::ProgramResult diagnose(const std::string& session = {}) {
        std::map<std::string, std::string> env{{"HOME", home.path().string()}};
        if (!session.empty()) env["TARNWICK_SESSION"] = writeSession(session);
        return runTarnwick({"--diagnose"}, env);
    }
};

TEST_F(DiagnoseTest, PrintsTheSnapshotOfTheBuiltInSession) {
    auto result = diagnose();
    ASSERT_EQ(result.exitStatus, 0) << result.standardError;
    ASSERT_FALSE(result.standardOutput.empty());
    EXPECT_EQ(result.standardOutput.back(), '\n');
    auto snapshot = json::parse(result.standardOutput);
    ASSERT_TRUE(snapshot && snapshot->asDictionary());
    for (const char* key : {"timestamp", "os", "accessibilityTrusted", "screenCaptureAllowed", "displays", "hosts",
                            "hostWindows", "privateSpaces", "overlayEnabled"})
        EXPECT_TRUE(snapshot->find(key)) << key;
    EXPECT_EQ(snapshot->asDictionary()->size(), 9u);
    EXPECT_EQ(snapshot->find("displays")->asArray()->size(), 2u);
    const auto& hosts = *snapshot->find("hosts")->asArray();
    ASSERT_EQ(hosts.size(), 2u);
    EXPECT_EQ(*hosts[0].find("bundleID")->asString(), "com.apple.WindowManager");
    EXPECT_EQ(*snapshot->find("overlayEnabled"), Value(false));
    EXPECT_TRUE(snapshot->find("privateSpaces")->find("rawManagedDisplays"));
    // Sorted keys, pretty printed.
    EXPECT_EQ(result.standardOutput.rfind("{\n  \"accessibilityTrusted\" : true,", 0), 0u);
}

TEST_F(DiagnoseTest, DumpsMissionControlWhileItIsOpen) {
    auto result = diagnose(R"({
      "displays": [{"id": 1, "uuid": "37D8832A-2D66-02CA-B9F7-8F30A301B230", "name": "Main",
                    "bounds": [0, 0, 1440, 900], "spaces": [{"id64": 1, "uuid": ""}, {"id64": 2,
                    "uuid": "6F1C2B9E-0D4A-4C8E-9B3F-2A7D5E1C8B40"}]}],
      "applications": [{"pid": 120, "bundleID": "com.apple.WindowManager", "name": "WindowManager"}],
      "missionControl": {"open": true}
    })");
    ASSERT_EQ(result.exitStatus, 0) << result.standardError;
    auto snapshot = json::parse(result.standardOutput);
    ASSERT_TRUE(snapshot);
    const auto& tree = *snapshot->find("hosts")->asArray()->at(0).find("tree")->asArray();
    int displays = 0, detailButtons = 0;
    for (const auto& node : tree) {
        if (auto id = node.find("AXIdentifier"); id && *id == Value("mc.display")) ++displays;
        if (node.find("attributeValues")) ++detailButtons;
    }
    EXPECT_EQ(displays, 1);
    EXPECT_EQ(detailButtons, 2);
    const auto& windows = *snapshot->find("hostWindows")->asArray();
    ASSERT_FALSE(windows.empty());
    EXPECT_EQ(*windows[0].find("kCGWindowLayer"), Value(19));
}

TEST_F(DiagnoseTest, SurvivesAMalformedAccessibilityTree) {
    auto result = diagnose(R"({
      "applications": [{"pid": 120, "bundleID": "com.apple.WindowManager"}],
      "accessibility": {"trees": [{"pid": 120, "root": {
        "name": "root",
        "attributes": {"AXRole": 7, "AXTitle": {"$double": "nan"}},
        "children": [
          {"name": "loop", "attributes": {"AXRole": "AXGroup", "AXPosition": {"$point": [{"$double": "inf"}, 0]},
                                          "AXSize": {"$size": [10, 10]}},
           "children": [{"$ref": "root"}, {"$ref": "loop"}]},
          {"attributes": {"AXRole": "AXButton", "AXTitle": "Desktop 1"}, "errors": {"AXPosition": -25204}}
        ],
        "windows": [{"$ref": "loop"}]}}]}
    })");
    ASSERT_EQ(result.exitStatus, 0) << result.standardError;
    auto snapshot = json::parse(result.standardOutput);
    ASSERT_TRUE(snapshot);
    const auto& tree = *snapshot->find("hosts")->asArray()->at(0).find("tree")->asArray();
    ASSERT_EQ(tree.size(), 3u);  // root, the looping group once, the button
    EXPECT_FALSE(tree[0].find("AXRole"));
    EXPECT_FALSE(tree[1].find("frameAX"));  // an infinite position is left out
    EXPECT_EQ(*tree[2].find("parent"), Value(0));
}

TEST_F(DiagnoseTest, ReportsASnapshotThatCannotBeWrittenAsFailure) {
    auto result = diagnose(R"({
      "applications": [{"pid": 121, "bundleID": "com.apple.dock", "name": "Dock"}],
      "windowList": [{"kCGWindowOwnerName": "Dock", "kCGWindowLayer": 20,
                      "kCGWindowBounds": {"X": {"$double": "nan"}, "Y": 0, "Width": 10, "Height": 10}}]
    })");
    EXPECT_NE(result.exitStatus, 0);
    EXPECT_TRUE(result.standardOutput.empty());
    EXPECT_EQ(result.standardError, "Tarnwick could not write the diagnostic snapshot as JSON.\n");
}

TEST_F(DiagnoseTest, RefusesAnInvalidSessionFile) {
    auto result = diagnose(R"({"displays": "none"})");
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.standardError, "The session file is not valid: \"displays\" must be an array.\n");
}

}  // namespace
}  // namespace tarnwick
