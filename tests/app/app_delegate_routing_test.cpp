#include <gtest/gtest.h>

#include "testkit/delegate_world.h"
#include "testkit/trace_records.h"

namespace tarnwick {
namespace {

using testkit::DelegateWorld;

// The banner previews shown so far.
std::size_t previews(AppDelegate& delegate) {
    delegate.spaceBanners().diagnosticTrace().flush();
    std::size_t count = 0;
    for (const auto& record :
         testkit::readTraceRecords(DiagnosticFiles::location(SpaceBannerController::traceFileName)))
        if (record.event == "previewed") ++count;
    return count;
}

TEST(AppDelegateRouting, IconSizeBurstGivesOneRestyleWithTheLastSize) {
    DelegateWorld world;
    auto& delegate = world.launch();
    auto& settings = delegate.settings();
    for (double size : {18.0, 20.0, 22.0, 24.0, 26.0}) {
        settings.update([size](AppPreferences& p) { p.missionControlIconSize = size; });
        world.env.advance(0.009);
        EXPECT_EQ(delegate.missionControlApplications().iconSize(), 16);
    }
    world.env.advance(0.006);  // 50 ms after the first change
    EXPECT_EQ(delegate.missionControlApplications().iconSize(), 26);
    EXPECT_EQ(world.snapshotEvent(), "settings-changed");
}

TEST(AppDelegateRouting, DurationDragShowsAtMostOnePreviewPerFiftyMilliseconds) {
    DelegateWorld world;
    auto& delegate = world.launch();
    const auto before = previews(delegate);
    for (int step = 1; step <= 20; ++step) {
        delegate.settings().update([step](AppPreferences& p) { p.bannerDuration = 2.0 + step * 0.1; });
        world.env.advance(0.01);
    }
    world.env.advance(0.1);
    const auto shown = previews(delegate) - before;
    EXPECT_GE(shown, 3u);
    EXPECT_LE(shown, 5u);
}

TEST(AppDelegateRouting, BannerLookChangesWhileBannersAreOffShowNoPreview) {
    DelegateWorld world;
    auto& delegate = world.launch();
    delegate.settings().update([](AppPreferences& p) { p.bannersEnabled = false; });
    world.env.advance(0.1);
    const auto before = previews(delegate);
    delegate.settings().update([](AppPreferences& p) { p.bannerDuration = 4; });
    world.env.advance(0.1);
    EXPECT_EQ(previews(delegate), before);
    EXPECT_FALSE(delegate.spaceBanners().isRunning());
}

TEST(AppDelegateRouting, PausingStopsEverythingAtOnceWithOneSnapshotAndNoPreview) {
    DelegateWorld world(DelegateWorld::Names{{DelegateWorld::kDesktop1, "Work"}});
    auto& delegate = world.launch();
    ASSERT_TRUE(delegate.overlaysRunning());
    const auto before = previews(delegate);
    delegate.settings().update([](AppPreferences& p) { p.bannerScale = 1.5; });
    delegate.settings().update([](AppPreferences& p) { p.paused = true; });
    EXPECT_FALSE(delegate.prototype().isRunning());
    EXPECT_FALSE(delegate.spaceBanners().isRunning());
    EXPECT_EQ(world.statusLine(), AppDelegate::kPaused);
    EXPECT_FALSE(delegate.runStatus()->isHidden);
    world.env.advance(0.2);
    EXPECT_EQ(previews(delegate), before);
    EXPECT_EQ(world.snapshotEvent(), "settings-changed");
    EXPECT_EQ(world.snapshot().at("paused").asBool(), true);
}

TEST(AppDelegateRouting, ANewerSnapshotDropsTheWaitingSettingsOne) {
    DelegateWorld world;
    auto& delegate = world.launch();
    delegate.settings().update([](AppPreferences& p) { p.overviewIconSize = 30; });
    ASSERT_TRUE(delegate.namesModel().rename("Work", DelegateWorld::kDesktop4));
    EXPECT_EQ(world.snapshotEvent(), "names-changed");
    world.env.advance(0.2);
    EXPECT_EQ(world.snapshotEvent(), "names-changed");
}

TEST(AppDelegateRouting, BannersWithTheMissionControlBannerMakeTheLabelControllerPoll) {
    DelegateWorld world;
    auto& delegate = world.launch();
    EXPECT_FALSE(delegate.prototype().isRunning());
    delegate.settings().update([](AppPreferences& p) { p.missionControlBannerEnabled = true; });
    EXPECT_TRUE(delegate.prototype().isRunning());
    EXPECT_TRUE(delegate.spaceBanners().isRunning());
    delegate.settings().update([](AppPreferences& p) { p.missionControlBannerEnabled = false; });
    EXPECT_FALSE(delegate.prototype().isRunning());
    EXPECT_TRUE(delegate.spaceBanners().isRunning());
}

TEST(AppDelegateRouting, SampleLabelWithoutPermissionsStartsTheRequestInstead) {
    DelegateWorld world;
    auto& delegate = world.launch();
    world.env.session.system().screenCaptureAllowed = false;
    delegate.settings().refreshSystemStatus(false);
    world.opened->settings.clear();
    delegate.startPrototype();
    EXPECT_FALSE(delegate.testingLabel());
    EXPECT_TRUE(delegate.settingUpPermissions());
    ASSERT_EQ(world.opened->settings.size(), 1u);
    EXPECT_EQ(world.opened->settings[0].tab, SettingsTab::permissions);
}

TEST(AppDelegatePermissions, SecondRequestWhileOneRunsIsIgnoredAndTheCaptureErrorIsKept) {
    DelegateWorld world;
    auto& delegate = world.launch();
    world.env.session.system().screenCaptureAllowed = false;
    world.env.session.accessibilityTrusted = false;
    world.env.session.capture.faults.listingError = "The user declined TCCs for application, window, display capture";
    world.env.session.capture.faults.listingLatency = 0.3;
    world.opened->settings.clear();
    delegate.requestPermissions();
    delegate.requestPermissions();
    EXPECT_EQ(world.opened->settings.size(), 1u);
    EXPECT_TRUE(delegate.settings().requestingPermissions.get());
    world.settle();
    EXPECT_EQ(world.env.session.system().screenCaptureRequests, 1);
    EXPECT_EQ(world.env.session.accessibilityPrompts, 0);  // still waiting for the content
    world.env.advance(0.3);
    world.settle();
    EXPECT_EQ(world.env.session.accessibilityPrompts, 1);
    EXPECT_FALSE(delegate.settingUpPermissions());
    EXPECT_FALSE(delegate.settings().requestingPermissions.get());
    EXPECT_TRUE(delegate.settings().hasRequestedPermissions.get());
    auto snapshot = world.snapshot();
    EXPECT_EQ(world.snapshotEvent(), "permission-request-returned");
    ASSERT_TRUE(snapshot.count("captureError"));
    EXPECT_EQ(*snapshot.at("captureError").asString(),
              "The user declined TCCs for application, window, display capture");

    delegate.writePermissionDiagnostics("launch");
    EXPECT_FALSE(world.snapshot().count("captureError"));
}

TEST(AppDelegatePermissions, WithEverythingAllowedARequestAsksNothingButStillReports) {
    DelegateWorld world;
    auto& delegate = world.launch();
    delegate.requestPermissions();
    world.settle();
    EXPECT_EQ(world.env.session.system().screenCaptureRequests, 0);
    EXPECT_EQ(world.env.session.accessibilityPrompts, 0);
    EXPECT_TRUE(delegate.settings().hasRequestedPermissions.get());
    EXPECT_EQ(world.snapshotEvent(), "permission-request-returned");
}

TEST(AppDelegatePermissions, SnapshotWithoutAShortcutSaysNone) {
    DelegateWorld world;
    auto& delegate = world.launch();
    ASSERT_TRUE(delegate.settings().overviewShortcut().use(std::nullopt));
    const auto snapshot = world.snapshot();
    EXPECT_EQ(world.snapshotEvent(), "overview-shortcut-changed");
    EXPECT_EQ(*snapshot.at("overviewShortcut").asString(), "None");
    EXPECT_EQ(snapshot.at("overviewShortcutRegistered").asBool(), false);
    EXPECT_EQ(*snapshot.at("bundleID").asString(), "missing");
    const auto timestamp = snapshot.at("timestamp").asString();
    ASSERT_NE(timestamp, nullptr);
    EXPECT_EQ(timestamp->size(), 20u);  // "2026-12-09T01:02:03Z": whole seconds, UTC
    EXPECT_EQ(timestamp->back(), 'Z');
}

}  // namespace
}  // namespace tarnwick
