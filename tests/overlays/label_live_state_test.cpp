// One geometry read of Mission Control turned into label targets and signatures.

#include <cmath>
#include <limits>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "model/desktop_catalog.h"
#include "model/desktop_names_model.h"
#include "model/mission_control_geometry_reader.h"
#include "overlays/label_live_state.h"
#include "overlays/label_live_state_cache.h"
#include "testkit/label_world.h"

namespace tarnwick {
namespace {

using W = testkit::LabelWorld;
const MissionControlOverlayOptions kLabels{true, false};

class LabelLiveStateTest : public ::testing::Test {
protected:
    void SetUp() override {
        env.session.loadDefaultSession();
        env.session.openMissionControl();
        model = std::make_unique<DesktopNamesModel>();
        tree = MissionControlGeometryReader().readNow(*env.session.windowManagerPID()).tree;
        ASSERT_FALSE(tree.empty());
    }
    LabelConfiguration configuration(std::map<std::string, std::string> names) {
        return LabelConfiguration{model->monitors.get(), std::move(names)};
    }
    Value& node(const std::string& title) {
        for (auto& n : tree)
            if (const Value* t = n.find("AXTitle"); t && *t == Value(title)) return n;
        throw std::logic_error("no node " + title);
    }
    Rect frame(const std::string& title) { return *DesktopCatalog::rectangle(node(title).find("frameAX")); }
    void moveTo(const std::string& title, double x) {
        (*node(title).asDictionary())["frameAX"] = labelFrameMetadata(Rect(x, frame(title).minY(), frame(title).width(),
                                                                           frame(title).height()));
    }

    testkit::TestEnvironment env;
    std::unique_ptr<DesktopNamesModel> model;
    Array tree;
};

TEST_F(LabelLiveStateTest, LabelsAloneTargetTheDesktopsWithANonEmptyName) {
    auto live = labelLiveState(tree, configuration({{W::kDesktop2, "Write"}, {W::kDesktop4, "Code"}, {W::kDesktop3, ""}}),
                               kLabels, false);
    ASSERT_TRUE(live);
    EXPECT_EQ(live->expectedTargetCount, 2);
    ASSERT_EQ(live->targets.size(), 2u);
    const LabelTarget& write = live->targets[0];
    EXPECT_EQ(write.id, W::kDesktop2);
    EXPECT_EQ(write.nativeTitle, "Desktop 2");
    EXPECT_EQ(write.name, "Write");
    EXPECT_EQ(write.navigation, (SpaceNavigationTarget{W::kDesktop2, W::kDisplay1, 3}));
    EXPECT_EQ(write.display, Rect(0, 0, 1512, 982));
    EXPECT_EQ(write.nativeButton, frame("Desktop 2"));
    EXPECT_EQ(write.nativeBar, Rect(0, 0, 1512, 24));
    EXPECT_FALSE(write.isCurrent);
    EXPECT_EQ(write.maximumWidth, 180 - 8);  // the neighbouring buttons' left edges are 180 points away
    EXPECT_EQ(write.recognitionRegion, *DesktopCatalog::recognitionRegion(
                                           frame("Desktop 2").minX(),
                                           {frame("Desktop 1").minX(), frame("Desktop 2").minX(), frame("Desktop 3").minX()},
                                           write.display));
    EXPECT_EQ(live->targets[1].id, W::kDesktop4);
    EXPECT_TRUE(live->targets[1].isCurrent);
    // Every display has a signature, with targets or not.
    EXPECT_EQ(live->displaySignatures.size(), 2u);

    EXPECT_FALSE(labelLiveState(tree, configuration({{W::kDesktop3, ""}}), kLabels, false));
}

TEST_F(LabelLiveStateTest, WithAppIconsEveryDesktopIsATargetAndBothOffNoneIs) {
    const auto names = configuration({{W::kDesktop2, "Write"}});
    auto both = labelLiveState(tree, names, MissionControlOverlayOptions{true, true}, false);
    ASSERT_TRUE(both);
    ASSERT_EQ(both->targets.size(), 6u);  // the full-screen space is no desktop
    EXPECT_EQ(both->expectedTargetCount, 6);
    for (const auto& target : both->targets)
        EXPECT_EQ(target.name, target.id == W::kDesktop2 ? std::optional<std::string>("Write") : std::nullopt);
    auto iconsOnly = labelLiveState(tree, names, MissionControlOverlayOptions{false, true}, false);
    ASSERT_TRUE(iconsOnly);
    for (const auto& target : iconsOnly->targets) EXPECT_FALSE(target.name);
    EXPECT_FALSE(labelLiveState(tree, names, MissionControlOverlayOptions{false, false}, false));
}

TEST_F(LabelLiveStateTest, SampleModeLabelsOnlyTheCatalogsDesktopOneAsWork) {
    auto live = labelLiveState(tree, configuration({{W::kDesktop1, "Inbox"}, {W::kDesktop2, "Write"}}),
                               MissionControlOverlayOptions{false, false}, true);
    ASSERT_TRUE(live);
    ASSERT_EQ(live->targets.size(), 1u);
    EXPECT_EQ(live->targets[0].id, W::kDesktop1);
    EXPECT_EQ(live->targets[0].name, "Work");
    EXPECT_EQ(live->expectedTargetCount, 1);
    // A catalog without a "Desktop 1" (only the second display) has nothing to label.
    auto monitors = model->monitors.get();
    monitors.erase(monitors.begin());
    EXPECT_FALSE(labelLiveState(tree, LabelConfiguration{monitors, {}}, kLabels, true));
}

TEST_F(LabelLiveStateTest, ADesktopWhoseButtonIsUnusableStillCounts) {
    (*node("Desktop 2").asDictionary())["frameAX"] = labelFrameMetadata(Rect(670, 0, 0, 40));
    auto live = labelLiveState(tree, configuration({{W::kDesktop2, "Write"}, {W::kDesktop4, "Code"}}), kLabels, false);
    ASSERT_TRUE(live);
    EXPECT_EQ(live->expectedTargetCount, 2);
    ASSERT_EQ(live->targets.size(), 1u);
    EXPECT_EQ(live->targets[0].id, W::kDesktop4);
}

TEST_F(LabelLiveStateTest, TheWidestLabelStopsEightPointsBeforeTheNearestNeighbour) {
    const double x2 = frame("Desktop 2").minX();
    moveTo("Desktop 1", x2 - 100);
    auto live = labelLiveState(tree, configuration({{W::kDesktop1, "Inbox"}, {W::kDesktop2, "Write"}}), kLabels, false);
    ASSERT_TRUE(live);
    EXPECT_EQ(live->targets[0].maximumWidth, 92);
    EXPECT_EQ(live->targets[1].maximumWidth, 92);
    // Closer than eight points: no room at all, while the signature keeps the shortfall.
    moveTo("Desktop 3", x2 + 4);
    live = labelLiveState(tree, configuration({{W::kDesktop2, "Write"}}), kLabels, false);
    ASSERT_TRUE(live);
    EXPECT_EQ(live->targets[0].maximumWidth, 0);
    EXPECT_NE(live->signature.find("\"maximumWidth\":-4"), std::string::npos) << live->signature;
}

TEST(LabelLiveStateAloneTest, AButtonAloneOnItsDisplayMayBeAsWideAsTheCap) {
    testkit::TestEnvironment env;
    env.session.load(R"({
      "displays": [{"id": 1, "uuid": "37D8832A-2D66-02CA-B9F7-8F30A301B230", "bounds": [0, 0, 1512, 982],
                    "spaces": [{"id64": 1, "uuid": ""}]}],
      "applications": [{"pid": 120, "bundleID": "com.apple.WindowManager", "name": "WindowManager"}],
      "missionControl": {"open": true}})");
    DesktopNamesModel model;
    const Array tree = MissionControlGeometryReader().readNow(120).tree;
    auto live = labelLiveState(tree, LabelConfiguration{model.monitors.get(), {{W::kDesktop1, "Inbox"}}}, kLabels, false);
    ASSERT_TRUE(live);
    EXPECT_EQ(live->targets[0].maximumWidth, 240);
}

TEST_F(LabelLiveStateTest, SignaturesChangeExactlyWithTheGeometryAndNamesTheyCover) {
    const auto names = configuration({{W::kDesktop2, "Write"}, {W::kDesktop4, "Code"}});
    const auto before = *labelLiveState(tree, names, kLabels, false);
    const auto same = *labelLiveState(tree, names, kLabels, false);
    EXPECT_EQ(before.signature, same.signature);
    EXPECT_EQ(before.displaySignatures, same.displaySignatures);

    // A button moved on the second display changes its signature and the overall one only.
    moveTo("Desktop 5", frame("Desktop 5").minX() + 1);
    const auto moved = *labelLiveState(tree, names, kLabels, false);
    EXPECT_EQ(moved.displaySignatures.at(W::kDisplay1), before.displaySignatures.at(W::kDisplay1));
    EXPECT_NE(moved.displaySignatures.at(W::kDisplay2), before.displaySignatures.at(W::kDisplay2));

    // A renamed desktop changes its display's signature and the overall one.
    const auto renamed = *labelLiveState(tree, configuration({{W::kDesktop2, "Read"}, {W::kDesktop4, "Code"}}), kLabels, false);
    EXPECT_NE(renamed.signature, moved.signature);
    EXPECT_NE(renamed.displaySignatures.at(W::kDisplay1), moved.displaySignatures.at(W::kDisplay1));
    EXPECT_EQ(renamed.displaySignatures.at(W::kDisplay2), moved.displaySignatures.at(W::kDisplay2));

    // Absent values are null.
    const auto slots = *labelLiveState(tree, names, MissionControlOverlayOptions{false, true}, false);
    EXPECT_NE(slots.signature.find("\"name\":null"), std::string::npos);
}

TEST_F(LabelLiveStateTest, ABarFrameThatIsNoNumberStillEntersTheSignatureDistinctly) {
    const auto names = configuration({{W::kDesktop2, "Write"}});
    Value* bar = nullptr;
    for (auto& n : tree)
        if (const Value* id = n.find("AXIdentifier"); id && *id == Value("mc.spaces")) bar = &n;
    ASSERT_TRUE(bar);
    auto withX = [&](double x) {
        Dictionary frame = *bar->find("frameAX")->asDictionary();
        frame["x"] = x;
        (*bar->asDictionary())["frameAX"] = Value(frame);
        return labelLiveState(tree, names, kLabels, false)->signature;
    };
    const std::string nan = withX(std::nan("")), inf = withX(std::numeric_limits<double>::infinity());
    EXPECT_FALSE(nan.empty());
    EXPECT_NE(nan, inf);
    EXPECT_NE(nan.find("\"nan\""), std::string::npos);
}

// The controller's cache of the last live state: whatever comes in, it hands out what
// labelLiveState makes of it, and it works the state out again only when something differs.
TEST_F(LabelLiveStateTest, TheCacheGivesTheFreshStateAndWorksItOutOnlyWhenAnInputDiffers) {
    LabelLiveStateCache cache;
    int computations = 0;
    const auto expectFresh = [&](const LabelConfiguration& names, MissionControlOverlayOptions options, bool sample,
                                 bool worksItOut) {
        EXPECT_EQ(cache.liveState(tree, names, options, sample), labelLiveState(tree, names, options, sample));
        computations += worksItOut;
        EXPECT_EQ(cache.computations(), computations);
    };
    const auto names = configuration({{W::kDesktop2, "Write"}, {W::kDesktop4, "Code"}});
    expectFresh(names, kLabels, false, true);
    expectFresh(names, kLabels, false, false);  // the same read again

    moveTo("Desktop 5", frame("Desktop 5").minX() + 1);
    expectFresh(names, kLabels, false, true);
    expectFresh(configuration({{W::kDesktop2, "Read"}, {W::kDesktop4, "Code"}}), kLabels, false, true);
    expectFresh(configuration({{W::kDesktop2, "Read"}, {W::kDesktop4, "Code"}}), MissionControlOverlayOptions{true, true},
                false, true);
    expectFresh(configuration({{W::kDesktop2, "Read"}, {W::kDesktop4, "Code"}}), MissionControlOverlayOptions{true, true},
                true, true);

    // A display whose bounds are given with a flipped size equals the other one as a monitor, but
    // its targets carry the bounds as given.
    LabelConfiguration flipped = names;
    const Rect bounds = flipped.monitors[0].bounds;
    flipped.monitors[0].bounds = Rect(bounds.maxX(), bounds.maxY(), -bounds.width(), -bounds.height());
    ASSERT_EQ(flipped.monitors, names.monitors);
    expectFresh(names, kLabels, false, true);
    expectFresh(flipped, kLabels, false, true);

    // Numbers compare by their bits: a NaN, which equals nothing as a number, is the same NaN
    // in the next read, and a zero of the other sign is another frame.
    Dictionary frame = *node("Desktop 2").find("frameAX")->asDictionary();
    frame["x"] = std::nan("");
    (*node("Desktop 2").asDictionary())["frameAX"] = Value(frame);
    expectFresh(names, kLabels, false, true);
    expectFresh(names, kLabels, false, false);
    frame["y"] = -0.0;
    (*node("Desktop 2").asDictionary())["frameAX"] = Value(frame);
    expectFresh(names, kLabels, false, true);
}

}  // namespace
}  // namespace tarnwick
