#include <gtest/gtest.h>

#include "platform/sim/sim_hot_keys.h"
#include "testkit/delegate_world.h"

namespace tarnwick {
namespace {

using testkit::DelegateWorld;

bool identificationShown(AppDelegate& delegate) {
    auto* panel = delegate.displayIdentification().panel();
    return panel && panel->isVisible();
}

TEST(AppDelegateLifecycle, LockTakesEverythingDownAndUnlockRecoversWithinAFifthOfASecond) {
    DelegateWorld world(DelegateWorld::Names{{DelegateWorld::kDesktop1, "Work"}});
    auto& delegate = world.launch();
    ASSERT_TRUE(delegate.prototype().isRunning());
    world.env.session.lockScreen();
    world.settle();
    EXPECT_TRUE(delegate.session().suspended());
    EXPECT_FALSE(delegate.prototype().isRunning());
    EXPECT_FALSE(delegate.spaceBanners().isRunning());
    EXPECT_EQ(world.statusLine(), AppDelegate::kPaused);
    EXPECT_TRUE(world.env.session.hotKeys().ownRegistrations().empty());
    EXPECT_EQ(world.snapshotEvent(), "locked");

    world.env.session.unlockScreen();
    world.settle();
    EXPECT_FALSE(delegate.session().suspended());
    EXPECT_FALSE(delegate.prototype().isRunning());
    world.env.advance(0.2);
    EXPECT_TRUE(delegate.prototype().isRunning());
    EXPECT_TRUE(delegate.spaceBanners().isRunning());
    EXPECT_EQ(world.env.session.hotKeys().ownRegistrations().size(), 1u);
    EXPECT_EQ(world.snapshotEvent(), "environment-recovered");
    EXPECT_FALSE(delegate.recoveryPending());
}

TEST(AppDelegateLifecycle, WakingWithoutDisplayDataTriesFiveTimesThenReportsOnce) {
    DelegateWorld world;
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

TEST(AppDelegateLifecycle, ANewSuspensionEndsARecoverySeries) {
    DelegateWorld world;
    auto& delegate = world.launch();
    world.env.session.skyLight.managedDisplaySpaces = std::optional<Value>{};
    delegate.recoverEnvironment();
    world.env.advance(0.7);
    world.env.session.lockScreen();
    world.settle();
    EXPECT_FALSE(delegate.recoveryPending());
    world.env.advance(10);
    EXPECT_EQ(world.snapshotEvent(), "locked");
}

TEST(AppDelegateLifecycle, OnlyTheDockAndWindowManagerRestartsRecover) {
    DelegateWorld world;
    auto& delegate = world.launch();
    sim::SimApplication notes;
    notes.pid = world.env.session.nextProcessID();
    notes.bundleIdentifier = "com.apple.Notes";
    notes.name = "Notes";
    world.env.session.launchApplication(notes);
    world.settle();
    world.env.session.terminateApplication(notes.pid);
    world.settle();
    EXPECT_FALSE(delegate.recoveryPending());

    ASSERT_TRUE(world.env.session.relaunchApplication("com.apple.dock"));
    world.settle();
    EXPECT_TRUE(delegate.recoveryPending());
    world.env.advance(0.2);
    EXPECT_EQ(world.snapshotEvent(), "environment-recovered");
}

TEST(AppDelegateLifecycle, SwitchingUsersSuspendsAndComingBackRecovers) {
    DelegateWorld world;
    auto& delegate = world.launch();
    world.env.session.switchUserAway();
    world.settle();
    EXPECT_FALSE(delegate.session().active);
    EXPECT_EQ(world.snapshotEvent(), "session-inactive");
    world.env.session.switchUserBack();
    world.settle();
    world.env.advance(0.2);
    EXPECT_TRUE(delegate.session().active);
    EXPECT_TRUE(delegate.spaceBanners().isRunning());
}

TEST(AppDelegateLifecycle, TopologyChangeTearsDownButAnUnchangedCatalogOnlyReappliesFeatures) {
    DelegateWorld world;
    auto& delegate = world.launch();
    delegate.settings().identifyDisplayRequested(DelegateWorld::kDisplay1);
    ASSERT_TRUE(identificationShown(delegate));
    // A refresh the user asked for reports the catalog even when nothing changed.
    delegate.namesModel().refreshForUser();
    world.settle();
    EXPECT_TRUE(identificationShown(delegate));

    auto display = world.env.session.displays.back();
    world.env.session.setDisplayBounds(display.id, Rect(display.bounds.origin.x + 100, display.bounds.origin.y,
                                                        display.bounds.width(), display.bounds.height()));
    delegate.namesModel().refresh(true);
    world.settle();
    EXPECT_FALSE(identificationShown(delegate));
    EXPECT_EQ(delegate.topology().at(DelegateWorld::kDisplay2).origin.x, display.bounds.origin.x + 100);
    EXPECT_TRUE(delegate.spaceBanners().isRunning());
}

TEST(AppDelegateQuit, TerminationSavesPendingWorkAndLetsGoOfEverything) {
    DelegateWorld world;
    auto& delegate = world.launch();
    delegate.namesModel().editDisplayName("Desk", DelegateWorld::kDisplay2);
    delegate.settings().update([](AppPreferences& p) { p.bannerScale = 1.25; });
    world.env.advance(0.01);
    delegate.quit();
    EXPECT_EQ(world.env.session.applicationState.terminations, 1);
    EXPECT_TRUE(world.env.loop.stopRequested());
    EXPECT_EQ(world.snapshotEvent(), "settings-changed");
    EXPECT_EQ(world.snapshot().at("bannerScale").toDouble(), 1.25);
    EXPECT_EQ(delegate.namesModel().displayAlias(DelegateWorld::kDisplay2), "Desk");
    EXPECT_TRUE(world.env.session.hotKeys().ownRegistrations().empty());
    EXPECT_EQ(delegate.lifecycleObserverCount(), 0u);
    EXPECT_FALSE(delegate.prototype().isRunning());
    // Nothing reacts any more.
    world.env.session.lockScreen();
    world.settle();
    world.env.advance(1);
    EXPECT_FALSE(delegate.session().locked);
    EXPECT_EQ(world.snapshotEvent(), "settings-changed");
}

TEST(AppDelegateDiagnostics, EmptyJsonIsAFailureAndWritesNoFile) {
    DelegateWorld world;
    const auto written = AppDelegate::writeDiagnostic("", DiagnosticFiles::kMissionControlPrefix);
    EXPECT_FALSE(written.file);
    EXPECT_EQ(written.error, AppDelegate::kRecordingNotJSON);
    const auto folder = DiagnosticFiles::location("x").parent_path();
    if (std::filesystem::exists(folder))
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            ADD_FAILURE() << "unexpected file " << entry.path();
    const auto saved = AppDelegate::writeDiagnostic("{}", DiagnosticFiles::kMissionControlPrefix);
    ASSERT_TRUE(saved.file);
    EXPECT_EQ(std::filesystem::file_size(*saved.file), 2u);
}

TEST(AppDelegateDiagnostics, RecordingTakesThirtySamplesIntoOneFile) {
    DelegateWorld world;
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

TEST(AppDelegateDiagnostics, RecordingWithoutAccessibilityRecordsNothing) {
    DelegateWorld world;
    auto& delegate = world.launch();
    world.env.session.accessibilityTrusted = false;
    delegate.record();
    EXPECT_EQ(world.env.session.accessibilityPrompts, 1);
    EXPECT_FALSE(delegate.recording());
}

TEST(AppDelegateDiagnostics, LocatingWaitsFiveSecondsThenSavesTheLocatorsResult) {
    DelegateWorld world;
    auto& delegate = world.launch();
    delegate.locate();
    EXPECT_EQ(delegate.diagnosticsStatus()->title, AppDelegate::kLocateStatus);
    world.env.session.openMissionControl();
    world.env.advance(4.99);
    EXPECT_FALSE(delegate.captureURL());
    world.runUntil([&] { return delegate.captureURL().has_value(); }, 1.0);
    ASSERT_TRUE(delegate.captureURL());
    EXPECT_EQ(delegate.diagnosticsStatus()->title, AppDelegate::kLocateSaved);
    EXPECT_EQ(delegate.captureURL()->filename().string().rfind("label-locator-", 0), 0u);
    EXPECT_GT(std::filesystem::file_size(*delegate.captureURL()), 2u);
}

TEST(AppDelegateDiagnostics, LocatingWithoutScreenRecordingRequestsItInstead) {
    DelegateWorld world;
    auto& delegate = world.launch();
    world.env.session.system().screenCaptureAllowed = false;
    world.opened->settings.clear();
    delegate.locate();
    EXPECT_TRUE(delegate.settingUpPermissions());
    ASSERT_EQ(world.opened->settings.size(), 1u);
    EXPECT_EQ(world.opened->settings[0].tab, SettingsTab::permissions);
}

}  // namespace
}  // namespace tarnwick
