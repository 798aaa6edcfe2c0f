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
