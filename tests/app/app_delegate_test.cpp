#include <gtest/gtest.h>

#include "platform/sim/sim_hot_keys.h"
#include "platform/sim/ui/sim_status_bar.h"
#include "platform/sim/ui/sim_window_system.h"
#include "platform/ui/menu.h"
#include "platform/ui/panel.h"
#include "testkit/delegate_world.h"
#include "testkit/trace_records.h"

namespace tarnwick {
namespace {

using testkit::DelegateWorld;
using Opening = DelegateWorld::Opening;

TEST(AppDelegateLaunch, WiresEverythingAndRecordsTheLaunch) {
    DelegateWorld world(DelegateWorld::Names{{DelegateWorld::kDesktop3, "Mail"}});
    auto& delegate = world.launch();
    EXPECT_TRUE(delegate.launched());
    EXPECT_FALSE(delegate.session().suspended());
    ASSERT_NE(delegate.workstationPreview(), nullptr);
    // A saved name of a desktop that is not current still makes labels wanted.
    EXPECT_TRUE(delegate.overlaysRunning());
    EXPECT_TRUE(delegate.prototype().isRunning());
    EXPECT_TRUE(delegate.spaceBanners().isRunning());
    EXPECT_EQ(delegate.topology().size(), 2u);
    EXPECT_EQ(world.statusLine(), AppDelegate::kRunning);
    EXPECT_TRUE(delegate.runStatus()->isHidden);
    EXPECT_TRUE(delegate.statusSeparator()->isHidden);
    EXPECT_EQ(world.env.session.hotKeys().ownRegistrations().size(), 1u);
    EXPECT_EQ(delegate.lifecycleObserverCount(), 11u);
    ASSERT_TRUE(platform::ui::mainMenu());
    EXPECT_TRUE(platform::ui::mainMenu()->item({"Edit", "Paste"}));

    const auto snapshot = world.snapshot();
    EXPECT_EQ(world.snapshotEvent(), "launch");
    EXPECT_EQ(snapshot.at("labelRendererRunning").asBool(), true);
    EXPECT_EQ(snapshot.at("workstationPreviewAttached").asBool(), true);
    EXPECT_EQ(snapshot.at("overviewShortcut").asString() ? *snapshot.at("overviewShortcut").asString() : "",
              OverviewShortcut::defaultShortcut.displayName());
    EXPECT_FALSE(snapshot.count("captureError"));
    EXPECT_FALSE(snapshot.count("overviewShortcutError"));
}

TEST(AppDelegateLaunch, WithoutAStatusButtonThereIsNoOverviewAndTheShortcutDoesNothing) {
    DelegateWorld world;
    world.env.session.statusBar().itemsGetButtons = false;
    auto& delegate = world.launch();
    EXPECT_EQ(delegate.workstationPreview(), nullptr);
    EXPECT_EQ(world.snapshot().at("workstationPreviewAttached").asBool(), false);
    world.env.session.pressKeys(13, platform::modifier_flags::kControl | platform::modifier_flags::kOption |
                                        platform::modifier_flags::kCommand);
    world.settle();
    delegate.showWorkstationOverview();
    delegate.invalidateRenderers();
    world.settle();
    EXPECT_EQ(world.statusLine(), AppDelegate::kRunning);
}

TEST(AppDelegateLaunch, NothingHappensBeforeLaunchHasFinished) {
    DelegateWorld world;
    auto& delegate = world.make();
    // Not yet refreshed: the session counts as suspended.
    EXPECT_TRUE(delegate.session().suspended());
    delegate.applyFeatureState(true);
    delegate.recoverEnvironment();
    world.env.advance(7);
    EXPECT_FALSE(delegate.overlaysRunning());
    EXPECT_FALSE(delegate.recoveryPending());
    EXPECT_FALSE(std::filesystem::exists(world.snapshotFile()));
    delegate.applicationWillFinishLaunching();
    EXPECT_FALSE(delegate.session().suspended());
    // A notification before launch changes only the session state.
    world.env.session.lockScreen();
    world.settle();
    EXPECT_TRUE(delegate.session().locked);
    EXPECT_FALSE(std::filesystem::exists(world.snapshotFile()));
    EXPECT_TRUE(world.env.session.windowSystem().panels().empty());
}

TEST(AppDelegateLaunch, FirstLaunchOpensPermissionsOnceOverTwoLaunches) {
    DelegateWorld world;
    world.env.session.accessibilityTrusted = false;
    world.launch();
    ASSERT_EQ(world.opened->settings.size(), 1u);
    EXPECT_EQ(world.opened->settings[0], (Opening{SettingsTab::permissions, std::nullopt}));
    EXPECT_EQ(world.env.session.defaults().object(AppDelegate::kLaunchedBeforeKey)->asBool(), true);

    world.delegate->applicationWillTerminate();
    world.delegate->settings().overviewShortcut().dispose();
    world.delegate.reset();
    world.opened->settings.clear();
    world.launchAgain();
    EXPECT_TRUE(world.opened->settings.empty());
}

TEST(AppDelegateLaunch, FirstLaunchWithLabelsOffOpensNothingButRemembers) {
    DelegateWorld world;
    world.env.session.accessibilityTrusted = false;
    world.env.session.defaults().set("labelsEnabled", Value(false));
    world.launch();
    EXPECT_TRUE(world.opened->settings.empty());
    EXPECT_EQ(world.env.session.defaults().object(AppDelegate::kLaunchedBeforeKey)->asBool(), true);
}

TEST(AppDelegateLaunch, CommandLineOpensWindowsAndTheTestQuitsAfterTwentySeconds) {
    DelegateWorld world;
    world.env.session.system().arguments = {"tarnwick", "--settings", "--names", "--prototype-test"};
    world.env.session.defaults().set(AppDelegate::kLaunchedBeforeKey, Value(true));
    auto& delegate = world.launch();
    EXPECT_TRUE(delegate.testingLabel());
    EXPECT_FALSE(delegate.overlaysRunning());
    ASSERT_EQ(world.opened->settings.size(), 1u);
    EXPECT_EQ(world.opened->settings[0].tab, std::nullopt);
    EXPECT_EQ(world.opened->names.size(), 1u);
    world.env.advance(19.9);
    EXPECT_TRUE(delegate.prototype().isRunning());
    EXPECT_FALSE(world.env.session.applicationState.terminated);
    world.env.advance(0.2);
    EXPECT_FALSE(delegate.prototype().isRunning());
    EXPECT_FALSE(delegate.testingLabel());
    EXPECT_TRUE(world.env.session.applicationState.terminated);
    EXPECT_EQ(delegate.lifecycleObserverCount(), 0u);
}

TEST(AppDelegateLaunch, ReopenShowsSettingsOnItsLastPage) {
    DelegateWorld world;
    auto& delegate = world.launch();
    world.opened->settings.clear();
    EXPECT_TRUE(delegate.applicationShouldHandleReopen(false));
    ASSERT_EQ(world.opened->settings.size(), 1u);
    EXPECT_EQ(world.opened->settings[0].tab, std::nullopt);
}

TEST(AppDelegateHooks, SettingsRequestsUseTheSettingsWindowsDisplay) {
    DelegateWorld world;
    std::vector<const platform::ui::Panel*> sources;
    auto windows = world.windows();
    windows.invocationDisplayID = [&sources](const platform::ui::Panel* source) -> std::optional<std::uint32_t> {
        sources.push_back(source);
        return source ? std::optional<std::uint32_t>(7) : std::nullopt;
    };
    platform::ui::Panel panel(Rect(0, 0, 100, 100), 1);
    world.opened->settingsPanel = &panel;
    world.delegate = std::make_shared<AppDelegate>(windows);
    world.delegate->applicationWillFinishLaunching();
    world.delegate->applicationDidFinishLaunching();
    sources.clear();
    world.opened->settings.clear();

    world.delegate->settings().namesRequested();
    ASSERT_EQ(world.opened->names.size(), 1u);
    EXPECT_EQ(world.opened->names.back().display, 7u);
    world.env.session.accessibilityTrusted = false;
    world.delegate->settings().permissionSetupRequested();
    ASSERT_EQ(world.opened->settings.size(), 1u);
    EXPECT_EQ(world.opened->settings.back(), (Opening{SettingsTab::permissions, 7u}));
    for (auto* source : sources) EXPECT_EQ(source, &panel);
}

TEST(AppDelegateHooks, NamesChangedEndsTheOneLabelTestAndReturnsToPolling) {
    DelegateWorld world;
    auto& delegate = world.launch();
    EXPECT_FALSE(delegate.overlaysRunning());  // no names yet
    delegate.startPrototype();
    EXPECT_TRUE(delegate.testingLabel());
    ASSERT_TRUE(delegate.namesModel().rename("Work", DelegateWorld::kDesktop4));
    EXPECT_FALSE(delegate.testingLabel());
    EXPECT_TRUE(delegate.overlaysRunning());
    EXPECT_EQ(world.snapshotEvent(), "names-changed");
}

TEST(AppDelegateHooks, IdentifyingADisplayReportsOneSentenceForEveryFailure) {
    DelegateWorld world;
    auto& delegate = world.launch();
    auto& error = delegate.settings().displayIdentificationError;
    delegate.settings().identifyDisplayRequested("00000000-0000-0000-0000-00000000FFFF");
    EXPECT_EQ(error.get(), AppDelegate::kDisplayUnavailable);
    delegate.settings().identifyDisplayRequested(DelegateWorld::kDisplay2);
    EXPECT_EQ(error.get(), std::nullopt);
    EXPECT_NE(delegate.displayIdentification().panel(), nullptr);

    world.env.session.lockScreen();
    world.settle();
    EXPECT_FALSE(delegate.displayIdentification().panel() && delegate.displayIdentification().panel()->isVisible());
    delegate.settings().identifyDisplayRequested(DelegateWorld::kDisplay2);
    EXPECT_EQ(error.get(), AppDelegate::kDisplayUnavailable);
}

TEST(AppDelegateHooks, ClosuresAndDelayedWorkDoNothingOnceTheDelegateIsGone) {
    DelegateWorld world;
    auto& delegate = world.launch();
    auto changed = delegate.settings().changed;
    auto namesChanged = delegate.namesModel().namesChanged;
    auto shell = app::ApplicationShellServices::make(world.delegate);
    delegate.recoverEnvironment();  // a recovery attempt waits on the loop
    EXPECT_TRUE(delegate.recoveryPending());
    world.delegate->applicationWillTerminate();
    world.delegate.reset();

    changed(AppPreferences{}, AppPreferences{});
    namesChanged();
    EXPECT_TRUE(shell.configurationProvider(true).monitors.empty());
    EXPECT_TRUE(shell.monitors().empty());
    EXPECT_EQ(shell.describe(SpaceNavigationTarget{}), "Desktop applications");
    world.env.session.unlockScreen();
    world.env.session.wake();
    world.env.advance(7);  // nothing left to run into
}

}  // namespace
}  // namespace tarnwick
