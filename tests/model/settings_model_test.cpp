#include <gtest/gtest.h>

#include "model/settings_model.h"
#include "platform/sim/sim_login_items.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

using platform::LoginItemStatus;
using testkit::TestEnvironment;

class SettingsModelTest : public ::testing::Test {
protected:
    TestEnvironment env;
    sim::SimLoginItem& login = env.session.loginItem();
};

TEST_F(SettingsModelTest, CreationReadsTheSystemAndWritesNothing) {
    env.session.defaults().set("bannerDuration", 10.0);
    env.session.accessibilityTrusted = false;
    SettingsModel model;
    EXPECT_FALSE(model.accessibilityAllowed.get());
    EXPECT_TRUE(model.screenAllowed.get());
    EXPECT_FALSE(model.permissionsReady());
    EXPECT_EQ(model.loginStatus.get(), LoginItemStatus::notRegistered);
    EXPECT_EQ(model.tab.get(), SettingsTab::general);
    EXPECT_EQ(model.preferences->bannerDuration, 6.0);  // read normalised
    EXPECT_EQ(env.session.defaults().writeCount("bannerDuration"), 1);  // only the test's own write
}

TEST_F(SettingsModelTest, BindingWritesAreSavedPublishedAndReportedOnce) {
    SettingsModel model;
    std::vector<std::pair<double, double>> changes;
    model.changed = [&](const AppPreferences& old, const AppPreferences& updated) {
        // By the time the hook runs, the defaults and the published value hold the new value.
        EXPECT_EQ(model.preferences->bannerDuration, updated.bannerDuration);
        EXPECT_EQ(env.session.defaults().object("bannerDuration"), Value(updated.bannerDuration));
        changes.emplace_back(old.bannerDuration, updated.bannerDuration);
    };
    int published = 0;
    auto subscription = model.preferences.subscribe([&](const AppPreferences&) { ++published; });
    auto duration = model.binding(&AppPreferences::bannerDuration);

    duration.set(2.0);  // the value already there
    EXPECT_EQ(env.session.defaults().totalWrites(), 0);
    EXPECT_EQ(published, 0);
    EXPECT_TRUE(changes.empty());

    duration.set(10.0);
    EXPECT_EQ(duration.get(), 6.0);
    EXPECT_EQ(changes, (std::vector<std::pair<double, double>>{{2.0, 6.0}}));
    EXPECT_EQ(env.session.defaults().totalWrites(), 1);  // just that one key

    duration.set(10.0);  // clamped back to what is stored: no change
    EXPECT_EQ(changes.size(), 1u);
    EXPECT_EQ(published, 1);
}

TEST_F(SettingsModelTest, AHookMayChangeTheModelAgain) {
    SettingsModel model;
    int calls = 0;
    model.changed = [&](const AppPreferences&, const AppPreferences& updated) {
        ++calls;
        if (updated.paused) model.update([](AppPreferences& p) { p.bannersEnabled = false; });
    };
    model.update([](AppPreferences& p) { p.paused = true; });
    EXPECT_EQ(calls, 2);
    EXPECT_FALSE(model.preferences->bannersEnabled);
    EXPECT_EQ(env.session.defaults().object("bannersEnabled"), Value(false));
}

TEST_F(SettingsModelTest, StatusRefreshNotifiesOnlyWhenReadinessFlips) {
    env.session.accessibilityTrusted = false;
    SettingsModel model;
    int notified = 0;
    model.systemStatusChanged = [&] { ++notified; };

    env.session.accessibilityTrusted = true;  // the second of two permissions granted
    model.refreshSystemStatus(true);
    EXPECT_EQ(notified, 1);
    model.refreshSystemStatus(true);
    EXPECT_EQ(notified, 1);

    env.session.system().screenCaptureAllowed = false;
    model.refreshSystemStatus(false);  // no hook without notify
    EXPECT_EQ(notified, 1);
    EXPECT_FALSE(model.screenAllowed.get());

    env.session.system().screenCaptureAllowed = true;
    login.state = LoginItemStatus::enabled;
    model.refreshSystemStatus(true);
    EXPECT_EQ(notified, 2);
    EXPECT_TRUE(model.loginEnabled());
}

TEST_F(SettingsModelTest, StatusRefreshPublishesOnlyTheValuesThatChanged) {
    SettingsModel model;
    int accessibility = 0, screen = 0, login = 0;
    auto a = model.accessibilityAllowed.subscribe([&](bool) { ++accessibility; });
    auto s = model.screenAllowed.subscribe([&](bool) { ++screen; });
    auto l = model.loginStatus.subscribe([&](LoginItemStatus) { ++login; });

    model.refreshSystemStatus(true);
    model.refreshSystemStatus(false);
    EXPECT_EQ(accessibility + screen + login, 0);

    env.session.system().screenCaptureAllowed = false;
    model.refreshSystemStatus(true);
    model.refreshSystemStatus(true);
    EXPECT_EQ(screen, 1);
    EXPECT_EQ(accessibility + login, 0);
}

TEST_F(SettingsModelTest, LaunchAtLoginFollowsTheLoginItemStates) {
    SettingsModel model;
    login.approvalRequired = true;
    model.setLaunchAtLogin(true);
    EXPECT_EQ(login.registerCalls, 1);
    EXPECT_EQ(model.loginStatus.get(), LoginItemStatus::requiresApproval);

    model.setLaunchAtLogin(true);  // waiting for approval: only opens Login Items
    EXPECT_EQ(login.settingsOpenings, 1);
    EXPECT_EQ(login.registerCalls, 1);

    model.setLaunchAtLogin(false);  // cancels the request
    EXPECT_EQ(login.unregisterCalls, 1);
    EXPECT_EQ(model.loginStatus.get(), LoginItemStatus::notRegistered);

    login.approvalRequired = false;
    model.setLaunchAtLogin(true);
    EXPECT_TRUE(model.loginEnabled());
    const int reads = login.statusReads;
    model.setLaunchAtLogin(true);  // already enabled: nothing at all
    EXPECT_EQ(login.statusReads, reads);
    EXPECT_EQ(login.registerCalls, 2);
}

TEST_F(SettingsModelTest, AFailedLoginChangeShowsTheSystemsMessage) {
    SettingsModel model;
    login.registerError = "The operation couldn’t be completed.";
    model.setLaunchAtLogin(true);
    EXPECT_EQ(model.loginError.get(), "The operation couldn’t be completed.");
    EXPECT_EQ(model.loginStatus.get(), LoginItemStatus::notRegistered);
    login.registerError.reset();
    model.setLaunchAtLogin(true);
    EXPECT_FALSE(model.loginError->has_value());
}

TEST(PermissionPresentationTest, EntriesAndRestartHint) {
    PermissionPresentation none{false, false, false};
    auto entries = none.entries();
    EXPECT_EQ(entries[0].title, "Screen Recording");
    EXPECT_EQ(entries[1].settingsButtonTitle, "Open Device Control Settings\u2026");
    EXPECT_EQ(PermissionPresentation::settingsURL(entries[0]),
              "x-apple.systempreferences:com.apple.preference.security?Privacy_ScreenCapture");
    EXPECT_FALSE(none.showRestartHint());
    EXPECT_TRUE((PermissionPresentation{true, false, true}).showRestartHint());
    EXPECT_FALSE((PermissionPresentation{true, true, true}).showRestartHint());
    EXPECT_EQ(fromRawValue<SettingsTab>("Overview"), std::nullopt);
    EXPECT_EQ(fromRawValue<SettingsTab>("overview"), SettingsTab::overview);
}

}  // namespace
}  // namespace tarnwick
