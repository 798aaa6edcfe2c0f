#include <memory>
#include <string>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "platform/sim/sim_accessibility.h"
#include "support/error.h"
#include "support/files.h"
#include "testkit/allocation_count.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

using testkit::TestEnvironment;
namespace ax = platform::ax_error;

TEST(SimulatedSessionTest, DefaultSessionDescribesTwoDisplaysWithDesktops) {
    TestEnvironment env;
    env.session.loadDefaultSession();
    auto& p = env.session.platform();
    auto screens = p.displays->screens();
    ASSERT_EQ(screens.size(), 2u);
    EXPECT_EQ(screens[0].localizedName, "Built-in Retina Display");
    // AppKit frames: the second display sits 200 points above the primary's top edge.
    EXPECT_EQ(screens[1].frame, Rect(1512, 982 - 1240, 2560, 1440));
    EXPECT_EQ(p.displays->uuidString(2), "9C4E1F7A-5B2D-4E8F-A1C3-6D9B2E4F7A18");
    EXPECT_EQ(p.displays->pixelsWide(1), 3024u);

    auto sky = p.windowServer->openSkyLight("/System/Library/PrivateFrameworks/SkyLight.framework/SkyLight", 1);
    ASSERT_TRUE(sky);
    auto data = sky->copyManagedDisplaySpaces(sky->mainConnectionID());
    ASSERT_TRUE(data && data->asArray());
    EXPECT_EQ(data->asArray()->size(), 2u);
    EXPECT_EQ(*(*data->asArray())[0].find("Spaces")->asArray()->at(0).find("uuid")->asString(), "");
}

TEST(SimulatedSessionTest, MissionControlExposesItsWindowAndTree) {
    TestEnvironment env;
    env.session.loadDefaultSession();
    auto& p = env.session.platform();
    auto countLayer19 = [&] {
        int count = 0;
        auto list = p.windowServer->copyWindowList(17, 0);
        for (const auto& w : *list->asArray())
            if (w.find("kCGWindowLayer")->toInt64() == 19) ++count;
        return count;
    };
    EXPECT_EQ(countLayer19(), 0);
    env.session.openMissionControl();
    EXPECT_GT(countLayer19(), 0);

    auto app = p.accessibility->createApplication(120);
    Value children;
    ASSERT_EQ(p.accessibility->copyAttributeValue(app, "AXChildren", children), ax::kSuccess);
    ASSERT_EQ(children.asArray()->size(), 1u);
    Value displays;
    p.accessibility->copyAttributeValue(*(*children.asArray())[0].asElement(), "AXChildren", displays);
    ASSERT_EQ(displays.asArray()->size(), 2u);
    Value identifier;
    p.accessibility->copyAttributeValue(*(*displays.asArray())[0].asElement(), "AXIdentifier", identifier);
    EXPECT_EQ(*identifier.asString(), "mc.display");
}

TEST(SimulatedSessionTest, PressingADesktopButtonSwitchesAndClosesMissionControl) {
    TestEnvironment env;
    env.session.loadDefaultSession();
    int spaceChanges = 0;
    auto observer = env.session.workspaceNotificationCenter().addObserver(
        platform::notification_names::kActiveSpaceDidChange, [&](const auto&) { ++spaceChanges; });
    env.session.openMissionControl();
    auto& ax = *env.session.platform().accessibility;
    // Walk to the second display's third button.
    Value level;
    ax.copyAttributeValue(ax.createApplication(120), "AXChildren", level);
    ax.copyAttributeValue(*level.asArray()->at(0).asElement(), "AXChildren", level);
    ax.copyAttributeValue(*level.asArray()->at(1).asElement(), "AXChildren", level);
    ax.copyAttributeValue(*level.asArray()->at(0).asElement(), "AXChildren", level);
    auto button = *level.asArray()->at(2).asElement();
    Value title;
    ax.copyAttributeValue(button, "AXTitle", title);
    EXPECT_EQ(*title.asString(), "Desktop 6");
    EXPECT_EQ(ax.performAction(button, "AXPress"), ax::kSuccess);
    env.advance(1);
    EXPECT_EQ(env.session.display(2)->currentSpace, 8u);
    EXPECT_FALSE(env.session.missionControlOpen);
    EXPECT_EQ(spaceChanges, 1);
}

TEST(SimulatedSessionTest, AWindowWithoutDesktopsOfItsOwnIsListedOnEveryDesktop) {
    TestEnvironment env;
    env.session.loadDefaultSession();
    sim::SimWindow everywhere;
    everywhere.id = 590;
    everywhere.pid = 303;
    everywhere.bounds = Rect(10, 10, 300, 200);
    env.session.windows.insert(env.session.windows.begin() + 1, everywhere);  // behind 501
    auto sky = env.session.platform().windowServer->openSkyLight(
        "/System/Library/PrivateFrameworks/SkyLight.framework/SkyLight", 1);
    ASSERT_TRUE(sky);
    auto windowsOf = [&](std::uint64_t space) {
        std::uint64_t setTags = 0, clearTags = 0;
        return sky->copyWindowsWithOptionsAndTags(sky->mainConnectionID(), 0, Array{Value(space)}, 0, setTags,
                                                  clearTags);
    };
    EXPECT_EQ(windowsOf(1), Value(Array{501, 590, 502}));
    EXPECT_EQ(windowsOf(4), Value(Array{590, 503}));
    EXPECT_EQ(windowsOf(5), Value(Array{590, 508}));
    EXPECT_EQ(windowsOf(2), std::nullopt);  // no such desktop
}

TEST(SimulatedSessionTest, SlowAttributesTimeOutOnTheVirtualClock) {
    TestEnvironment env(0);
    env.session.load(R"({
      "applications": [{"pid": 7, "bundleID": "com.apple.WindowManager"}],
      "accessibility": {"trees": [{"pid": 7, "root": {
          "attributes": {"AXRole": "AXApplication", "AXTitle": "slow"},
          "latency": {"AXTitle": 0.5}}}]}
    })");
    auto& ax = *env.session.platform().accessibility;
    auto app = ax.createApplication(7);
    ax.setMessagingTimeout(app, 0.03f);
    Value title;
    EXPECT_EQ(ax.copyAttributeValue(app, "AXTitle", title), ax::kCannotComplete);
    EXPECT_NEAR(env.clock.uptime(), 0.03, 1e-6);
    Value role;
    EXPECT_EQ(ax.copyAttributeValue(app, "AXRole", role), ax::kSuccess);
    Value missing;
    EXPECT_EQ(ax.copyAttributeValue(app, "AXIdentifier", missing), ax::kAttributeUnsupported);
}

TEST(SimulatedSessionTest, ExplicitTreesKeepElementIdentityAcrossReferences) {
    TestEnvironment env;
    env.session.load(R"({
      "applications": [{"pid": 7}],
      "accessibility": {"trees": [{"pid": 7, "root": {
          "attributes": {"AXRole": "AXApplication"},
          "children": [{"name": "w", "attributes": {"AXRole": "AXWindow"}}],
          "windows": [{"$ref": "w"}]}}]}
    })");
    auto& ax = *env.session.platform().accessibility;
    auto app = ax.createApplication(7);
    Value children, windows;
    ax.copyAttributeValue(app, "AXChildren", children);
    ax.copyAttributeValue(app, "AXWindows", windows);
    EXPECT_EQ(children.asArray()->at(0), windows.asArray()->at(0));
}

// The sentence a session file is refused with, or "accepted".
std::string refusal(TestEnvironment& env, const std::string& json) {
    try {
        env.session.load(json);
    } catch (const Error& e) {
        return e.what();
    }
    return "accepted";
}

TEST(SimulatedSessionTest, MalformedSessionFilesAreRefusedWithASentence) {
    TestEnvironment env;
    EXPECT_THROW(env.session.load("{"), Error);
    try {
        env.session.load(R"({"displays": [{"id": 1}]})");
        FAIL();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "The session file is not valid: displays[0] needs \"bounds\".");
    }
    // Nesting far past any session's is refused for what reading the file's start costs.
    const std::filesystem::path deep = env.home / "deep.json";
    files::writeAtomically(deep, R"({"system":)" + std::string(1'000'000, '[') + std::string(1'000'000, ']') + "}");
    const std::size_t before = testkit::bytesAllocatedOnThisThread();
    try {
        env.session.loadFile(deep);
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.what(), "The session file " + deep.string() + " nests arrays and objects more than 512 levels deep.");
    }
    EXPECT_LT(testkit::bytesAllocatedOnThisThread() - before, 256u * 1024u);
    // A file that is no JSON is named, as one that cannot be read is.
    files::writeAtomically(deep, R"({"system": tru})");
    try {
        env.session.loadFile(deep);
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.what(), "The session file " + deep.string() + " is not valid JSON.");
    }
    // A key given twice is refused where it is, not read as whichever came last.
    EXPECT_EQ(refusal(env, R"({"displays": [{"id": 1, "id": 2}]})"),
              "The session file is not valid: displays[0] holds the key \u201Cid\u201D twice.");
    EXPECT_EQ(refusal(env, R"({"defaults": {"a": 1}, "defaults": {"b": 2}})"),
              "The session file is not valid: the top level holds the key \u201Cdefaults\u201D twice.");
    // A NUL byte does not end the file: what follows it is not taken for nothing.
    try {
        env.session.load(std::string(R"({"system": {}})") + '\0' + R"({"displays": [{"id": 1}]})");
        FAIL();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "The session file is not valid JSON.");
    }
}

TEST(SimulatedSessionTest, DisplayGeometryBeyondAnyScreenIsRefused) {
    TestEnvironment env;
    const std::string boundsRange =
        "The session file is not valid: displays[0].bounds must hold x and y from -1000000 to 1000000 and a width and "
        "height from 0 to 1000000.";
    const std::string scaleRange = "The session file is not valid: displays[0].scale must be a number above 0 and at most 16.";
    const auto display = [](const std::string& bounds, const std::string& scale = "2") {
        return R"({"displays": [{"id": 1, "bounds": )" + bounds + R"(, "scale": )" + scale + "}]}";
    };
    EXPECT_EQ(refusal(env, display("[0, 0, 1e308, 900]")), boundsRange);
    EXPECT_EQ(refusal(env, display("[-1e308, 0, 1440, 900]")), boundsRange);
    EXPECT_EQ(refusal(env, display("[0, 0, 1440, -900]")), boundsRange);
    EXPECT_EQ(refusal(env, display("[0, 0, 1440, 900]", "1e308")), scaleRange);
    EXPECT_EQ(refusal(env, display("[0, 0, 1440, 900]", "0")), scaleRange);
    EXPECT_EQ(refusal(env, display("[0, 0, 1440, 900]", "-2")), scaleRange);

    EXPECT_EQ(refusal(env, display("[-1000000, 1000000, 1000000, 0]", "16")), "accepted");
    EXPECT_EQ(env.session.platform().displays->pixelsWide(1), 16'000'000u);
}

TEST(SimulatedSessionTest, DefaultsTaggedWithAValueThatDoesNotFitAreRefused) {
    TestEnvironment env;
    EXPECT_EQ(refusal(env, R"({"defaults": {"limit": {"$type": "double", "value": "minus infinity"}}})"),
              "The session file is not valid: defaults.limit.value must be \"nan\", \"inf\" or \"-inf\".");
    EXPECT_EQ(refusal(env, R"({"defaults": {"list": [1, {"$type": "bytes", "value": [300]}]}})"),
              "The session file is not valid: defaults.list[1].value must be an array of whole numbers from 0 to 255.");
    EXPECT_EQ(refusal(env, R"({"defaults": {"when": {"$type": "date", "value": "today"}}})"),
              "The session file is not valid: defaults.when.value must be a number.");

    EXPECT_EQ(refusal(env, R"({"defaults": {"limit": {"$type": "double", "value": "-inf"}, "other": {"$type": "x", "value": 1}}})"),
              "accepted");
    EXPECT_EQ(env.session.platform().userDefaults->object("limit"), Value(-INFINITY));
}

TEST(SimulatedSessionTest, ASessionFileThatIsNoRegularFileIsRefusedWithoutWaiting) {
    TestEnvironment env;
    const auto fifo = env.home / "session.json";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    try {
        env.session.loadFile(fifo);
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.what(), "The session file " + fifo.string() + " could not be read.");
    }
}

// A session file's "defaults" fill a domain the user does not have yet, and never change one
// that is already saved, even an unreadable one.
TEST(SimulatedSessionTest, SessionDefaultsAreOnlyTheInitialContentOfANewDomain) {
    testkit::TempFolder home;
    const auto domain = home / "Library/Preferences/local.orlenbay.Tarnwick.json";
    ManualClock clock;
    RunLoop loop(clock);
    const auto session = [&] { return std::make_unique<sim::SimulatedSession>(loop, home.path(), true); };

    auto fresh = session();
    fresh->load(R"({"defaults": {"bannerDuration": 3, "paused": true}})");
    EXPECT_EQ(fresh->defaults().object("bannerDuration"), Value(3));
    const std::string saved = files::read(domain);
    EXPECT_NE(saved.find("\"paused\" : true"), std::string::npos);
    fresh->defaults().set("bannerDuration", 5);  // the user's own change
    const std::string changed = files::read(domain);
    fresh.reset();

    auto later = session();
    later->load(R"({"defaults": {"bannerDuration": 4, "labelsEnabled": false}})");
    EXPECT_EQ(later->defaults().object("bannerDuration"), Value(5));
    EXPECT_EQ(later->defaults().object("labelsEnabled"), std::nullopt);
    EXPECT_EQ(files::read(domain), changed);
    later.reset();

    files::writeAtomically(domain, "{");
    auto unreadable = session();
    unreadable->load(R"({"defaults": {"bannerDuration": 4}})");
    EXPECT_EQ(unreadable->defaults().object("bannerDuration"), std::nullopt);
    EXPECT_EQ(files::read(domain), "{");

    // The defaults are checked all the same.
    EXPECT_THROW(unreadable->load(R"({"defaults": [1]})"), Error);
}

}  // namespace
}  // namespace tarnwick
