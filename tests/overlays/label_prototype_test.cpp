// The label controller's rules: hooks and their discipline, options, the trace, expiry with grace
// and lease, mouse routing, the rename checks and the placement's edge cases.

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "testkit/label_world.h"
#include "testkit/scripted_text_metrics.h"

namespace tarnwick {
namespace {

using testkit::LabelWorld;
namespace flags = platform::modifier_flags;

TEST(MissionControlOverlayOptionsTest, WhatNeedsACaptionAndWhatALabelSays) {
    const MissionControlOverlayOptions labels{true, false}, both{true, true}, icons{false, true}, none{false, false};
    EXPECT_TRUE(labels.needsCaption("Work"));
    EXPECT_FALSE(labels.needsCaption(""));
    EXPECT_FALSE(labels.needsCaption(std::nullopt));
    for (const auto& options : {both, icons}) {
        EXPECT_TRUE(options.needsCaption(std::nullopt));
        EXPECT_TRUE(options.needsCaption(""));
    }
    EXPECT_FALSE(none.needsCaption("Work"));
    EXPECT_EQ(labels.labelName("Work"), "Work");
    EXPECT_EQ(labels.labelName(""), std::nullopt);
    EXPECT_EQ(icons.labelName("Work"), std::nullopt);
    EXPECT_EQ(MissionControlOverlayOptions{}, labels);  // labels on, app icons off at first
}

const LabelWorld::Names kNames = {
    {LabelWorld::kDesktop2, "Write"}, {LabelWorld::kDesktop4, "Code"}, {LabelWorld::kDesktop6, "Music"}};

class LabelPrototypeTest : public ::testing::Test {
protected:
    void openWithLabels() {
        world.controller.start(false);
        world.env.advance(0.3);
        world.env.session.openMissionControl();
        world.runUntil([&] { return world.shownLabels().size() == kNames.size(); });
        ASSERT_EQ(world.shownLabels().size(), kNames.size());
    }
    LabelWorld world{kNames};
};

TEST_F(LabelPrototypeTest, StartTakesVisibilityInSilentlyAndStopReportsItOnce) {
    world.env.session.openMissionControl();
    world.controller.start(false);
    world.env.advance(1.0);
    EXPECT_TRUE(world.visibility.empty());
    world.controller.stop();
    EXPECT_EQ(world.visibility, std::vector<bool>{false});
    EXPECT_FALSE(world.controller.isRunning());
    world.controller.stop();  // not visible any more: nothing to report
    world.controller.start(false);
    world.env.advance(1.0);
    EXPECT_EQ(world.visibility, std::vector<bool>{false});
    world.env.session.closeMissionControl();
    world.env.advance(0.2);
    EXPECT_EQ(world.visibility, (std::vector<bool>{false, false}));
    EXPECT_EQ(world.reports, (std::vector<std::string>{"Mission Control overlays enabled", "Mission Control overlays enabled"}));
}

TEST_F(LabelPrototypeTest, ThePollRateFollowsVisibilityAndWhatIsWanted) {
    world.controller.start(false);
    EXPECT_EQ(world.controller.pollingInterval(), 0.15);
    world.env.session.openMissionControl();
    world.env.advance(0.2);
    EXPECT_EQ(world.controller.pollingInterval(), 0.05);
    world.controller.setOptions(MissionControlOverlayOptions{false, false});
    world.env.advance(0.1);
    EXPECT_EQ(world.controller.pollingInterval(), 0.15);
    world.controller.setOptions(MissionControlOverlayOptions{false, true});
    world.env.advance(0.2);
    EXPECT_EQ(world.controller.pollingInterval(), 0.05);
}

TEST_F(LabelPrototypeTest, EqualOptionsChangeNothingAndNewOnesTakeEveryLabelDown) {
    openWithLabels();
    const auto generation = world.controller.generation();
    world.controller.setOptions(MissionControlOverlayOptions{true, false});
    EXPECT_EQ(world.shownLabels().size(), kNames.size());
    EXPECT_EQ(world.controller.generation(), generation);
    world.controller.setOptions(MissionControlOverlayOptions{true, true});
    EXPECT_TRUE(world.shownLabels().empty());
    EXPECT_GT(world.controller.generation(), generation);
    world.runUntil([&] { return world.shownLabels().size() == kNames.size(); });
    EXPECT_EQ(world.shownLabels().size(), kNames.size());
}

TEST_F(LabelPrototypeTest, SlotOnlyTargetsAreConfirmedWithoutAnyLabelShowing) {
    world.controller.setOptions(MissionControlOverlayOptions{false, true});
    world.controller.start(false);
    world.env.session.openMissionControl();
    world.env.session.setSpacesBarExpanded(true);
    world.env.advance(2.0);
    EXPECT_EQ(world.controller.publishedApplicationSlots().size(), 6u);
    EXPECT_TRUE(world.shownLabels().empty());
    EXPECT_EQ(world.controller.schedule().settledPasses, 2);
    EXPECT_FALSE(world.controller.hasModifierMonitor());  // no labels: nothing to click
}

TEST_F(LabelPrototypeTest, UnderReduceMotionLabelsShowWithoutTheirReveal) {
    world.env.session.setReduceMotion(true);
    openWithLabels();
    for (const auto& [id, name] : kNames) EXPECT_FALSE(world.controller.presentations().at(id)->label()->isRevealing());
    EXPECT_TRUE(world.records("reveal-started").empty());
    EXPECT_EQ(world.records("shown-without-motion").size(), kNames.size());
    for (const auto& record : world.records("first-overlay")) EXPECT_EQ(record.fields.at("revealDuration"), Value(0));
}

TEST_F(LabelPrototypeTest, TheTraceSkipsRepeatsAndWritesDetailsOnlyWhenAsked) {
    openWithLabels();
    world.env.advance(1.0);
    EXPECT_TRUE(world.records("geometry-read").empty());
    EXPECT_TRUE(world.records("drawn").empty());
    world.controller.setDetailedDiagnostics(true);
    world.env.advance(1.0);
    EXPECT_FALSE(world.records("geometry-read").empty());
    EXPECT_FALSE(world.records("drawn").empty());
    // Identical consecutive records are written once.
    const auto trace = world.trace();
    for (size_t i = 1; i < trace.size(); ++i) {
        auto a = trace[i - 1].fields, b = trace[i].fields;
        for (auto* d : {&a, &b}) d->erase("timestamp"), d->erase("uptime");
        EXPECT_FALSE(trace[i].event == trace[i - 1].event && a == b) << i << " " << trace[i].event;
    }

    // The command line can ask for the details from the start.
    world.env.session.system().arguments = {"tarnwick", "--verbose-label-diagnostics"};
    LabelPrototype verbose(world.services.configurationProvider, {&world.reader, {&world.worker}, &world.icons});
    EXPECT_TRUE(verbose.detailedDiagnostics());
}

TEST_F(LabelPrototypeTest, AnExpiredLabelStaysWhileItsDesktopIsStillBeingRecognised) {
    openWithLabels();
    world.env.advance(1.0);  // settled: recognised every 0.45 s
    // The display's screenshots now take longer than a label's placement lasts, yet less than
    // the bound of a capture and the lease of a flight.
    world.env.session.capture.faults.screenshotLatencyByDisplay[1] = 0.9;
    for (int i = 0; i < 400; ++i) {
        world.env.advance(0.01);
        ASSERT_TRUE(world.shownLabel(LabelWorld::kDesktop2)) << i;
    }
}

TEST_F(LabelPrototypeTest, AnOptionClickKeepsAnExpiringLabelForTheDoubleClickInterval) {
    openWithLabels();
    world.env.session.holdModifiers(flags::kOption);
    world.env.advance(0.3);
    // From now on the built-in display's labels are no longer placed: they run out.
    world.env.session.capture.recognition.errorByDisplay[1] = "unreadable";
    const double placed = world.env.clock.uptime();
    world.runUntil([&] { return !world.shownLabel(LabelWorld::kDesktop2); }, 2.0, 0.005);
    const double expired = world.env.clock.uptime() - placed;

    // Again, with a single Option-click just before it would run out.
    world.env.session.capture.recognition.errorByDisplay.clear();
    world.runUntil([&] { return world.shownLabel(LabelWorld::kDesktop2) != nullptr; });
    world.env.advance(0.3);
    world.env.session.capture.recognition.errorByDisplay[1] = "unreadable";
    const double again = world.env.clock.uptime();
    world.env.advance(expired - 0.1);
    ASSERT_TRUE(world.shownLabel(LabelWorld::kDesktop2));
    const auto click = world.env.session.windowSystem().click(world.labelCentre(LabelWorld::kDesktop2));
    ASSERT_FALSE(click.wentPastPanels());
    world.runUntil([&] { return !world.shownLabel(LabelWorld::kDesktop2); }, 2.0, 0.005);
    EXPECT_GE(world.env.clock.uptime() - again, expired - 0.1 + 0.5);  // the default interval: 0.5 s
}

TEST_F(LabelPrototypeTest, OnlyOptionAloneMakesTheLabelsTakeTheMouse) {
    openWithLabels();
    world.env.advance(0.3);  // every reveal is over
    ASSERT_TRUE(world.controller.hasModifierMonitor());
    const auto* presentation = world.controller.presentations().at(LabelWorld::kDesktop4).get();
    auto takesMouse = [&](platform::ModifierFlags held) {
        world.env.session.releaseModifiers(~0ull);
        world.env.session.holdModifiers(held);
        world.env.settle();  // the monitor hears it; no poll needed
        const bool takes = !world.shownLabel(LabelWorld::kDesktop4)->ignoresMouseEvents();
        EXPECT_EQ(takes, !presentation->label()->cursorRects().empty());
        return takes;
    };
    EXPECT_TRUE(takesMouse(flags::kOption));
    EXPECT_TRUE(takesMouse(flags::kOption | flags::kCapsLock | flags::kFunction));
    EXPECT_FALSE(takesMouse(flags::kOption | flags::kShift));
    EXPECT_FALSE(takesMouse(flags::kOption | flags::kControl));
    EXPECT_FALSE(takesMouse(flags::kOption | flags::kCommand));
    EXPECT_FALSE(takesMouse(0));
    EXPECT_FALSE(takesMouse(flags::kShift));
}

TEST_F(LabelPrototypeTest, ALabelStillRevealingLetsClicksThroughUntilTheNextUpdateAfterTheReveal) {
    world.env.session.holdModifiers(flags::kOption);
    openWithLabels();
    auto* label = world.controller.presentations().at(LabelWorld::kDesktop2)->label();
    ASSERT_TRUE(label->isRevealing());
    EXPECT_TRUE(world.shownLabel(LabelWorld::kDesktop2)->ignoresMouseEvents());
    world.runUntil([&] { return !label->isRevealing(); }, 1.0, 0.005);
    world.runUntil([&] { return !world.shownLabel(LabelWorld::kDesktop2)->ignoresMouseEvents(); }, 0.06, 0.005);
    EXPECT_FALSE(world.shownLabel(LabelWorld::kDesktop2)->ignoresMouseEvents());
}

// The inspection of the saved labels, with nothing to locate, says what would help: opening
// Mission Control, or, when it is open, naming a desktop; with a name and Mission Control open,
// that its geometry could not be read (no WindowManager process, an incomplete tree). A name
// found still gets located.
TEST(LabelInspectionTest, NothingToLocateSaysWhetherMissionControlOrANameIsMissing) {
    const auto inspect = [](LabelWorld& world) {
        auto handle = spawn(world.controller.inspectConfiguredLabels(false));
        world.runUntil([&] { return handle.isDone(); });
        return handle.isDone() ? *handle.result() : Value();
    };
    const auto sentence = [](const Value& result) {
        const Value* unsupported = result.find("unsupported");
        return unsupported && unsupported->asString() ? *unsupported->asString() : describe(result);
    };
    LabelWorld unnamed;
    EXPECT_EQ(sentence(inspect(unnamed)), LabelPrototype::inspectionClosed);
    unnamed.env.session.openMissionControl();
    unnamed.env.advance(0.5);
    EXPECT_EQ(sentence(inspect(unnamed)), LabelPrototype::inspectionUnnamed);

    LabelWorld named(LabelWorld::Names{{LabelWorld::kDesktop4, "Code"}});
    EXPECT_EQ(sentence(inspect(named)), LabelPrototype::inspectionClosed);
    auto& session = named.env.session;
    session.openMissionControl();
    named.env.advance(0.5);
    EXPECT_TRUE(inspect(named).find("bars"));

    session.accessibility().globalError = platform::ax_error::kCannotComplete;
    EXPECT_EQ(sentence(inspect(named)), LabelPrototype::inspectionUnreadable);
    session.accessibility().globalError = platform::ax_error::kSuccess;
    // Mission Control's windows still listed, its process no longer among the applications.
    session.windowListOverride = Value(session.windowServer().windowList(true));
    session.terminateApplication(*session.windowManagerPID());
    EXPECT_EQ(sentence(inspect(named)), LabelPrototype::inspectionUnreadable);
}

class LabelRenameTest : public LabelPrototypeTest {
protected:
    void SetUp() override {
        world.env.session.holdModifiers(flags::kOption);
        openWithLabels();
        world.env.advance(0.3);
        ASSERT_FALSE(world.shownLabel(LabelWorld::kDesktop4)->ignoresMouseEvents());
    }
    void doubleClick(const char* desktop) { world.env.session.windowSystem().doubleClick(world.labelCentre(desktop)); }
};

TEST_F(LabelRenameTest, WithoutAHookADoubleClickDoesNothing) {
    doubleClick(LabelWorld::kDesktop4);
    world.env.advance(0.3);
    EXPECT_EQ(world.shownLabels().size(), kNames.size());
    EXPECT_TRUE(world.records("quick-rename-requested").empty());
    EXPECT_FALSE(world.controller.isRenaming());
}

TEST_F(LabelRenameTest, ADoubleClickWhileTheGeometryChangesRenamesNothing) {
    std::vector<std::string> hooked;
    world.controller.quickRename = [&](const std::string& id) { hooked.push_back(id); };
    doubleClick(LabelWorld::kDesktop4);
    world.env.session.setSpacesBarExpanded(true);  // before the fresh read comes back
    world.env.advance(0.5);
    EXPECT_TRUE(hooked.empty());
    EXPECT_TRUE(world.records("quick-rename-requested").empty());
}

TEST_F(LabelRenameTest, WhileRenamingPollsStayQuietAndASecondRequestIsIgnored) {
    std::vector<std::string> hooked;
    int pollsDuring = -1, readsDuring = -1;
    world.controller.quickRename = [&](const std::string& id) {
        hooked.push_back(id);
        EXPECT_TRUE(world.controller.isRenaming());
        EXPECT_FALSE(world.controller.hasModifierMonitor());
        const int polls = world.controller.polls(), reads = world.geometryReads();
        // The owner's modal prompt lets time pass; the controller waits.
        world.env.advance(1.0);
        pollsDuring = world.controller.polls() - polls;
        readsDuring = world.geometryReads() - reads;
        world.controller.presentations().at(LabelWorld::kDesktop2)->label()->quickRename();
        world.env.advance(0.2);
    };
    doubleClick(LabelWorld::kDesktop4);
    world.runUntil([&] { return !hooked.empty(); }, 0.5, 0.001);
    EXPECT_EQ(hooked, std::vector<std::string>{LabelWorld::kDesktop4});
    EXPECT_EQ(pollsDuring, 0);
    EXPECT_EQ(readsDuring, 0);
    EXPECT_FALSE(world.controller.isRenaming());
    // The first poll afterwards starts from scratch and the labels return.
    world.runUntil([&] { return world.shownLabels().size() == kNames.size(); });
    EXPECT_EQ(world.shownLabels().size(), kNames.size());
}

TEST_F(LabelRenameTest, TheSecondClickRenamesALabelThatRanOutSinceTheFirst) {
    std::vector<std::string> hooked;
    world.controller.quickRename = [&](const std::string& id) { hooked.push_back(id); };
    // The built-in display's labels are no longer placed: they run out.
    world.env.session.capture.recognition.errorByDisplay[1] = "unreadable";
    const auto& presentation = *world.controller.presentations().at(LabelWorld::kDesktop2);
    world.runUntil([&] { return wallClockNow() + 0.05 > presentation.expiry; }, 2.0, 0.005);
    auto& windows = world.env.session.windowSystem();
    const Point centre = world.labelCentre(LabelWorld::kDesktop2);
    ASSERT_FALSE(windows.click(centre, std::nullopt, 1).wentPastPanels());
    world.env.advance(0.2);  // past its placement, within the double-click interval
    ASSERT_GT(wallClockNow(), presentation.expiry);
    ASSERT_FALSE(windows.click(centre, std::nullopt, 2).wentPastPanels());
    world.runUntil([&] { return !hooked.empty(); }, 0.5, 0.001);
    EXPECT_EQ(hooked, std::vector<std::string>{LabelWorld::kDesktop2});
}

TEST_F(LabelRenameTest, AHookThatThrowsStillEndsTheRename) {
    world.controller.quickRename = [](const std::string&) { throw std::runtime_error("prompt failed"); };
    doubleClick(LabelWorld::kDesktop6);
    EXPECT_THROW(world.runUntil([] { return false; }, 0.2, 0.001), std::runtime_error);
    EXPECT_FALSE(world.controller.isRenaming());
    world.runUntil([&] { return world.shownLabels().size() == kNames.size(); });
    EXPECT_EQ(world.shownLabels().size(), kNames.size());
}

TEST(LabelPlacementTest, ALabelTallerThanTheSpaceAboveItsCaptionStartsAtTheDisplaysTop) {
    LabelWorld world(LabelWorld::Names{{LabelWorld::kDesktop4, "Code"}});
    testkit::ScriptedTextMetrics metrics;
    metrics.fittingHeight = 40;  // a tall label
    testkit::TextMetricsScope scope(world.env.session.platform(), metrics);
    world.controller.start(false);
    world.env.session.openMissionControl();
    world.runUntil([&] { return !world.shownLabels().empty(); });
    auto* panel = world.shownLabel(LabelWorld::kDesktop4);
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->frame().height(), 44);
    // The studio display's top (y = -200 in Mission Control's frames) in screen coordinates.
    const double primaryTop = world.env.session.displays.front().bounds.height();
    EXPECT_EQ(panel->frame().maxY(), primaryTop + 200);
    EXPECT_NEAR(panel->frame().midX(), world.caption("Desktop 4")->midX(), 1e-9);
}

TEST(LabelPlacementTest, TwoRecognisedCaptionsWithOneTextPlaceNeitherAndTheLabelRunsOut) {
    LabelWorld world(kNames);
    world.controller.start(false);
    world.env.session.openMissionControl();
    world.runUntil([&] { return world.shownLabels().size() == kNames.size(); });
    world.env.advance(1.0);
    // Text reading "Desktop 2" drawn a second time on the built-in display's bar.
    world.env.session.capture.faults.decoys.push_back({1, "Desktop 2", 40});
    const double from = world.env.clock.uptime();
    world.runUntil([&] { return !world.shownLabel(LabelWorld::kDesktop2); }, 3.0, 0.005);
    EXPECT_FALSE(world.shownLabel(LabelWorld::kDesktop2));
    EXPECT_GE(world.env.clock.uptime() - from, 0.6);  // it stayed until its placement ran out
    world.env.advance(2.0);
    EXPECT_EQ(world.shownLabels(), (std::vector<std::string>{LabelWorld::kDesktop4, LabelWorld::kDesktop6}));
}

TEST(LabelPlacementTest, ARecognisedLabelsBoundsNeedFourNumbersAndAPositiveSize) {
    const auto rect = [](Dictionary bounds) {
        return LabelPrototype::labelRect(Value(Dictionary{{"boundsCG", Value(std::move(bounds))}}));
    };
    EXPECT_EQ(rect({{"x", 10}, {"y", -20}, {"width", 30.5}, {"height", 12}}), Rect(10, -20, 30.5, 12));
    // Drawn from its far corner, a rectangle has a size only by its absolute value: refused.
    EXPECT_FALSE(rect({{"x", 40}, {"y", 0}, {"width", -30}, {"height", 12}}));
    EXPECT_FALSE(rect({{"x", 10}, {"y", 0}, {"width", 30}, {"height", 0}}));
    EXPECT_FALSE(rect({{"x", 10}, {"y", 0}, {"width", 30}}));
    EXPECT_FALSE(rect({{"x", "10"}, {"y", 0}, {"width", 30}, {"height", 12}}));
    EXPECT_FALSE(LabelPrototype::labelRect(Value(Dictionary{})));
}

}  // namespace
}  // namespace tarnwick
