// The application delegate launched in the default session as the program launches it, and the
// user's roads through it: lock and unlock, sleep and wake, restarts of the system's processes,
// a new display, the rename prompt, the global shortcut and quitting.

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "overview/workstation_preview_view.h"
#include "platform/sim/sim_hot_keys.h"
#include "platform/sim/sim_application_launcher.h"
#include "platform/sim/ui/sim_window_system.h"
#include "platform/ui/screens.h"
#include "testkit/delegate_world.h"
#include "testkit/trace_records.h"

namespace tarnwick {
namespace {

using testkit::DelegateWorld;
namespace flags = platform::modifier_flags;

class DelegateRoadsTest : public ::testing::Test {
protected:
    static DelegateWorld::Names savedNames() {
        return {{DelegateWorld::kDesktop3, "Write"}, {DelegateWorld::kDesktop4, "Code"}};
    }
    // Mission Control opens; the time until both labels show.
    double openWithLabels() {
        world.env.advance(0.4);
        world.env.session.openMissionControl();
        return world.runUntil([&] { return world.shownLabelCount() == 2; }, 2.0);
    }
    void pressShortcut() {
        world.env.session.pressKeys(13, flags::kControl | flags::kOption | flags::kCommand);
        world.settle();
    }
    bool overviewShown() {
        auto* preview = world.delegate->workstationPreview();
        return preview && preview->panel().isVisible();
    }

    DelegateWorld world{savedNames()};
};

TEST_F(DelegateRoadsTest, LockTakesEverythingAwayAndUnlockBringsItBackWithinAFifthOfASecond) {
    auto& delegate = world.launch();
    ASSERT_LE(openWithLabels(), 0.5);
    delegate.settings().identifyDisplayRequested(DelegateWorld::kDisplay1);

    world.env.session.lockScreen();
    world.settle();
    EXPECT_EQ(world.shownLabelCount(), 0u);
    EXPECT_FALSE(delegate.prototype().isRunning());
    EXPECT_FALSE(delegate.spaceBanners().isRunning());
    EXPECT_FALSE(delegate.displayIdentification().panel() && delegate.displayIdentification().panel()->isVisible());
    EXPECT_EQ(world.statusLine(), AppDelegate::kPaused);
    EXPECT_EQ(world.snapshotEvent(), "locked");
    pressShortcut();
    world.env.advance(0.5);
    EXPECT_FALSE(overviewShown());

    world.env.session.unlockScreen();
    world.settle();
    world.env.advance(0.19);
    EXPECT_FALSE(delegate.prototype().isRunning());
    world.env.advance(0.01);
    EXPECT_TRUE(delegate.prototype().isRunning());
    EXPECT_TRUE(delegate.spaceBanners().isRunning());
    EXPECT_EQ(world.snapshotEvent(), "environment-recovered");
    EXPECT_EQ(world.runUntil([&] { return world.shownLabelCount() == 2; }, 2.0) <= 1.0, true);
    EXPECT_EQ(world.statusLine(), AppDelegate::kRunning);
}

TEST_F(DelegateRoadsTest, ADockRestartRecoversAndANotesQuitDoesNot) {
    auto& delegate = world.launch();
    sim::SimApplication notes;
    notes.pid = world.env.session.nextProcessID();
    notes.bundleIdentifier = "com.apple.Notes";
    world.env.session.launchApplication(notes);
    world.settle();
    world.env.session.terminateApplication(notes.pid);
    world.settle();
    EXPECT_FALSE(delegate.recoveryPending());
    ASSERT_TRUE(world.env.session.relaunchApplication("com.apple.dock"));
    world.settle();
    EXPECT_TRUE(delegate.recoveryPending());
    EXPECT_FALSE(delegate.prototype().isRunning());
    world.env.advance(0.2);
    EXPECT_TRUE(delegate.prototype().isRunning());
    EXPECT_EQ(world.snapshotEvent(), "environment-recovered");
}

TEST_F(DelegateRoadsTest, PluggingADisplayTearsDownAndStartsAgainOnTheNewGeometry) {
    auto& delegate = world.launch();
    ASSERT_EQ(delegate.topology().size(), 2u);
    sim::SimDisplay third;
    third.id = 3;
    third.uuid = "5B6C7D8E-9F00-4A1B-8C2D-3E4F5A6B7C8D";
    third.name = "Projector";
    third.bounds = Rect(world.env.session.displays.back().bounds.maxX(), 0, 1920, 1080);
    third.spaces.push_back(sim::SimSpace{90, "7C8D9E0F-1A2B-4C3D-8E4F-5A6B7C8D9E0F", 0, ""});
    third.currentSpace = 90;
    world.env.session.addDisplay(third);
    world.runUntil([&] { return delegate.topology().size() == 3; }, 1.0);
    EXPECT_EQ(delegate.topology().size(), 3u);
    EXPECT_TRUE(delegate.prototype().isRunning());
    EXPECT_TRUE(delegate.spaceBanners().isRunning());
}

TEST_F(DelegateRoadsTest, AnOptionDoubleClickOnALabelRenamesTheDesktop) {
    auto& delegate = world.launch();
    world.env.session.alertScript.answers.push_back(sim::SimAlertAnswer("Save", "Work"));
    // The prompt names the display by its own name, whatever the user calls it.
    delegate.namesModel().editDisplayName("Desk", DelegateWorld::kDisplay2);
    delegate.namesModel().commitDisplayName(DelegateWorld::kDisplay2);
    ASSERT_LE(openWithLabels(), 0.5);
    world.env.session.holdModifiers(flags::kOption);
    world.env.advance(0.2);
    ASSERT_TRUE(world.shownLabel(DelegateWorld::kDesktop4));
    world.env.session.windowSystem().doubleClick(world.labelCentre(DelegateWorld::kDesktop4));
    world.runUntil([&] { return !world.env.session.alertScript.shown.empty(); }, 0.5, 0.001);

    const auto& shown = world.env.session.alertScript.shown;
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].alert.messageText, "Rename Desktop 4");
    EXPECT_EQ(shown[0].alert.informativeText, "Studio Display\nLeave the name blank to use its default.");
    EXPECT_EQ(shown[0].alert.textField->placeholderString, "Desktop 4");
    EXPECT_EQ(shown[0].screen, 2u);
    EXPECT_EQ(world.namesFile().at(DelegateWorld::kDesktop4), "Work");
    EXPECT_EQ(world.snapshotEvent(), "names-changed");
    const double back = world.runUntil([&] {
        auto* label = world.shownLabel(DelegateWorld::kDesktop4);
        return label && label->shownTexts() == std::vector<std::string>{"Work"};
    });
    EXPECT_LT(back, 2.0);
}

TEST_F(DelegateRoadsTest, ARenameThatCannotBeSavedBringsThePromptBackWithTheReason) {
    auto& delegate = world.launch();
    // The names file turns into a folder: the next save cannot replace it.
    std::filesystem::remove(world.namesFilePath());
    std::filesystem::create_directories(world.namesFilePath());
    world.env.session.alertScript.answers.push_back(sim::SimAlertAnswer("Save", "Work"));
    world.env.session.alertScript.answers.push_back(sim::SimAlertAnswer("Cancel"));
    // While the failure is read, the desktop moves to the built-in display.
    auto& session = world.env.session;
    session.alertScript.onClose = [&session](const platform::Alert&, const std::string&) {
        if (session.alertScript.shown.size() != 1) return;
        ASSERT_TRUE(session.removeDesktop(2, 4));
        session.addDesktop(1, sim::SimSpace{4, DelegateWorld::kDesktop4, 0, ""});
    };
    delegate.quickRename(DelegateWorld::kDesktop4);

    const auto& shown = world.env.session.alertScript.shown;
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].alert.textField->stringValue, "Work");
    EXPECT_EQ(shown[1].alert.textField->stringValue, "Work");  // what the user typed stays
    EXPECT_EQ(shown[1].alert.informativeText.rfind("Could not save this name. ", 0), 0u)
        << shown[1].alert.informativeText;
    EXPECT_EQ(shown[0].screen, 2u);
    EXPECT_EQ(shown[1].screen, 1u);  // where the desktop is now
    EXPECT_TRUE(std::filesystem::is_directory(world.namesFilePath()));
    EXPECT_EQ(delegate.namesModel().store().names().at(DelegateWorld::kDesktop4), "Code");

    // A later prompt holds the saved name again, not the text that could not be saved.
    delegate.quickRename(DelegateWorld::kDesktop4);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[2].alert.textField->stringValue, "Code");
}

TEST_F(DelegateRoadsTest, ARenameOfAVanishedDesktopShowsNoPrompt) {
    auto& delegate = world.launch();
    delegate.quickRename("11111111-2222-3333-4444-555555555555");
    EXPECT_TRUE(world.env.session.alertScript.shown.empty());
}

TEST_F(DelegateRoadsTest, TheShortcutOpensTheOverviewAndAPickSwitchesDesktopOnTheOtherDisplay) {
    auto& delegate = world.launch();
    // Mission Control opened by our own switch shows no Mission Control banner.
    delegate.settings().update([](AppPreferences& p) { p.missionControlBannerEnabled = true; });
    world.env.session.windowSystem().movePointer(Point{600, 700});
    pressShortcut();
    world.settle();
    ASSERT_TRUE(overviewShown());
    auto& host = delegate.workstationPreview()->keyboardHost()->host();
    const auto* row = host.find(WorkstationPreviewView::desktopIdentifier("3A4F5E6D-7C8B-49AA-B9C8-D7E6F5A4B303"));
    ASSERT_NE(row, nullptr);
    ASSERT_TRUE(host.click(*row));
    world.runUntil([&] { return world.env.session.display(2)->currentSpace == 8u && !world.env.session.missionControlOpen; },
                   5.0, 0.05);
    EXPECT_EQ(world.env.session.display(2)->currentSpace, 8u);
    EXPECT_FALSE(overviewShown());
    delegate.spaceBanners().diagnosticTrace().flush();
    for (const auto& record :
         testkit::readTraceRecords(DiagnosticFiles::location(SpaceBannerController::traceFileName)))
        EXPECT_NE(record.event, "mission-control-shown");
}

TEST(DelegateSettingsRoadsTest, GrantingMissingAccessTwiceQuicklyAsksOnceScreenRecordingFirst) {
    DelegateWorld world(DelegateWorld::RealWindows{});
    world.env.session.system().screenCaptureAllowed = false;
    world.env.session.accessibilityTrusted = false;
    world.env.session.capture.faults.listingLatency = 0.5;
    world.env.session.capture.faults.listingError = "The user declined TCCs for application, window, display capture";
    auto& delegate = world.launch();
    // The first launch with access missing opens the Permissions page.
    auto* window = delegate.settingsWindow().window();
    ASSERT_TRUE(window && window->isVisible());
    EXPECT_EQ(delegate.settings().tab.get(), SettingsTab::permissions);

    ASSERT_TRUE(DelegateWorld::clickText(window, "Grant missing access\u2026"));
    world.settle();
    // The button now reads "Requesting access…"; the settings' hook is asked again anyway.
    EXPECT_FALSE(DelegateWorld::clickText(window, "Grant missing access\u2026"));
    delegate.settings().permissionSetupRequested();
    world.settle();
    EXPECT_EQ(world.env.session.system().screenCaptureRequests, 1);
    EXPECT_EQ(world.env.session.accessibilityPrompts, 0);
    world.env.advance(0.5);
    world.settle();
    EXPECT_EQ(world.env.session.accessibilityPrompts, 1);
    EXPECT_TRUE(delegate.settings().hasRequestedPermissions.get());
    EXPECT_FALSE(delegate.settings().requestingPermissions.get());
    const auto snapshot = world.snapshot();
    EXPECT_EQ(world.snapshotEvent(), "permission-request-returned");
    ASSERT_TRUE(snapshot.count("captureError"));
    EXPECT_GE(*snapshot.at("visibleWindowCount").toInt64(), 1);
}

TEST(DelegateSettingsRoadsTest, TheMenuOpensTheProgramsWindowsOnTheDisplayUnderThePointer) {
    DelegateWorld world(DelegateWorld::RealWindows{});
    world.env.session.defaults().set(AppDelegate::kLaunchedBeforeKey, Value(true));
    auto& delegate = world.launch();
    const auto second = platform::ui::screens()[1];
    world.env.session.windowSystem().movePointer(Point{second.frame.midX(), second.frame.midY()});
    delegate.statusMenu()->item("Desktop Names")->action();
    auto* names = delegate.namesWindow().window();
    ASSERT_TRUE(names && names->isVisible());
    EXPECT_EQ(names->title(), "Desktop Names");
    EXPECT_TRUE(second.visibleFrame.contains(names->frame()));
    delegate.statusMenu()->item("Settings\u2026")->action();
    auto* settings = delegate.settingsWindow().window();
    ASSERT_TRUE(settings && settings->isVisible());
    EXPECT_TRUE(second.visibleFrame.contains(settings->frame()));
    // The banner preview goes to the settings window's screen while it shows.
    delegate.previewSpaceBanner();
    world.settle();
    bool bannerOnSecond = false;
    for (auto* panel : world.env.session.windowSystem().panelsOnDisplay(2))
        bannerOnSecond = bannerOnSecond || panel->title() == "Space Name";
    EXPECT_TRUE(bannerOnSecond);
}

TEST_F(DelegateRoadsTest, QuittingRightAfterAChangeSavesItAndLetsGoOfTheHotKey) {
    auto& delegate = world.launch();
    delegate.namesModel().editDisplayName("Desk", DelegateWorld::kDisplay2);
    delegate.settings().update([](AppPreferences& p) { p.bannerDuration = 3.0; });
    world.env.advance(0.03);
    delegate.quit();
    EXPECT_EQ(world.snapshotEvent(), "settings-changed");
    EXPECT_EQ(world.snapshot().at("bannerObserverRunning").asBool(), false);
    EXPECT_EQ(delegate.namesModel().displayAlias(DelegateWorld::kDisplay2), "Desk");
    EXPECT_TRUE(world.env.session.hotKeys().ownRegistrations().empty());
    for (auto* panel : world.env.session.windowSystem().onScreenPanels()) EXPECT_NE(panel->title(), "Space Name");
    world.env.session.sleep();
    world.settle();
    world.env.advance(1);
    EXPECT_EQ(world.snapshotEvent(), "settings-changed");
}

TEST_F(DelegateRoadsTest, LoggingOutTakesTheOverlaysDownAndSavesAsQuittingDoes) {
    auto& delegate = world.launch();
    ASSERT_LE(openWithLabels(), 0.5);
    delegate.settings().update([](AppPreferences& p) { p.bannerScale = 1.5; });
    world.env.session.logOut();
    EXPECT_EQ(world.env.session.applicationState.terminations, 1);
    EXPECT_EQ(world.shownLabelCount(), 0u);
    EXPECT_EQ(world.snapshotEvent(), "settings-changed");
    EXPECT_EQ(world.snapshot().at("bannerScale").toDouble(), 1.5);
    EXPECT_TRUE(world.env.session.hotKeys().ownRegistrations().empty());
    EXPECT_EQ(delegate.lifecycleObserverCount(), 0u);
}

TEST_F(DelegateRoadsTest, ReopeningTheAppShowsTheSettings) {
    world.launch();
    EXPECT_EQ(world.env.session.reopenApplication(), true);
    ASSERT_EQ(world.opened->settings.size(), 1u);
}

TEST_F(DelegateRoadsTest, AboutIsOneWindowReshownOnTheInvokingDisplay) {
    auto& delegate = world.launch();
    world.env.session.windowSystem().movePointer(Point{200, 300});
    delegate.showAbout();
    auto windows = platform::current().application->windows();
    ASSERT_EQ(world.env.session.applicationState.aboutPanelRequests, 1);
    platform::ui::Panel* about = nullptr;
    for (auto* window : windows)
        if (window->isVisible() && (window->styleMask() & platform::ui::style_mask::kTitled)) about = window;
    ASSERT_NE(about, nullptr);
    const auto second = platform::ui::screens()[1];
    world.env.session.windowSystem().movePointer(Point{second.frame.midX(), second.frame.midY()});
    delegate.showAbout();
    EXPECT_EQ(world.env.session.applicationState.aboutPanelRequests, 1);
    EXPECT_TRUE(second.visibleFrame.contains(about->frame()));
    EXPECT_EQ(world.snapshot().at("visibleWindowCount").toInt64(), std::optional<std::int64_t>(0));
    delegate.writePermissionDiagnostics("launch");
    EXPECT_EQ(world.snapshot().at("visibleWindowCount").toInt64(), std::optional<std::int64_t>(1));
}

TEST_F(DelegateRoadsTest, WakingWithoutDisplayDataTriesFiveTimesThenReportsOnce) {
    auto& delegate = world.launch();
    world.env.session.sleep();
    world.settle();
    EXPECT_EQ(world.snapshotEvent(), "sleep");
    world.env.session.skyLight.managedDisplaySpaces = std::optional<Value>{};
    world.env.session.wake();
    world.settle();
    // Attempts at 0.2, 0.6, 1.4, 3.0 and 6.2 s.
    const double attempts[] = {0.2, 0.6, 1.4, 3.0};
    double elapsed = 0;
    for (double at : attempts) {
        world.env.advance(at - elapsed);
        elapsed = at;
        EXPECT_TRUE(delegate.recoveryPending()) << at;
        EXPECT_NE(world.snapshotEvent(), "environment-recovered") << at;
    }
    world.env.advance(6.19 - elapsed);
    EXPECT_NE(world.snapshotEvent(), "environment-recovered");
    world.env.advance(0.01);
    EXPECT_FALSE(delegate.recoveryPending());
    EXPECT_EQ(world.snapshotEvent(), "environment-recovered");
    EXPECT_FALSE(delegate.spaceBanners().isRunning());
    // The series is over: nothing else comes.
    world.env.session.skyLight.managedDisplaySpaces.reset();
    world.env.advance(20);
    EXPECT_FALSE(delegate.spaceBanners().isRunning());
}


TEST_F(DelegateRoadsTest, RecordingGeometryTakesThirtySamplesIntoOneFile) {
    auto& delegate = world.launch();
    delegate.record();
    world.env.advance(1);
    delegate.record();  // a second choice during the recording does nothing
    EXPECT_EQ(delegate.diagnosticsStatus()->title, AppDelegate::kRecordingStatus);
    world.env.advance(13.9);
    EXPECT_TRUE(delegate.recording());
    world.env.advance(0.1);
    EXPECT_FALSE(delegate.recording());
    EXPECT_EQ(delegate.diagnosticsStatus()->title, AppDelegate::kDiagnosticSaved);
    ASSERT_TRUE(delegate.captureURL());
    std::ifstream in(*delegate.captureURL());
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto value = json::parse(text);
    ASSERT_TRUE(value);
    const auto* samples = value->find("samples") ? value->find("samples")->asArray() : nullptr;
    ASSERT_NE(samples, nullptr);
    EXPECT_EQ(samples->size(), 30u);
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(delegate.captureURL()->parent_path()))
        if (entry.path().filename().string().rfind("mission-control-", 0) == 0) ++files;
    EXPECT_EQ(files, 1u);
    delegate.reveal();
    ASSERT_EQ(world.env.session.launchServices.revealedInFinder.size(), 1u);
    EXPECT_EQ(world.env.session.launchServices.revealedInFinder[0], *delegate.captureURL());
}


}  // namespace
}  // namespace tarnwick
