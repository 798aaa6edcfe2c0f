#include <memory>

#include <gtest/gtest.h>

#include "app/software_updates.h"
#include "platform/sim/sim_updater.h"
#include "platform/sim/ui/sim_menus.h"
#include "platform/ui/menu.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

// The simulated framework reports every change half a second late, so a published value that
// changed at once would show up as a fault.
class SoftwareUpdatesTest : public ::testing::Test {
protected:
    SoftwareUpdatesTest() { env.session.updates.reportingDelay = 0.5; }

    sim::SimUpdates& framework() { return env.session.updates; }

    testkit::TestEnvironment env;
};

TEST_F(SoftwareUpdatesTest, ItMakesTheStandardControllerUnstartedAndSeedsTheFourSwitches) {
    env.session.load(R"({"updates": {"automaticChecks": true, "allowsAutomaticUpdates": false}})");
    SoftwareUpdates updates;
    ASSERT_NE(updates.controller(), nullptr);
    EXPECT_EQ(&updates.updater(), updates.controller()->updater().get());
    EXPECT_EQ(framework().controllersMade, 1);
    EXPECT_EQ(framework().startCalls, 0);
    EXPECT_FALSE(updates.canCheckForUpdates.get());
    EXPECT_TRUE(updates.automaticallyChecksForUpdates.get());
    EXPECT_FALSE(updates.automaticallyDownloadsUpdates.get());
    EXPECT_FALSE(updates.allowsAutomaticUpdates.get());
    EXPECT_EQ(updates.startupError.get(), std::nullopt);
    EXPECT_FALSE(updates.validateMenuItem());
}

TEST_F(SoftwareUpdatesTest, AGivenUpdaterIsUsedWithoutAController) {
    auto updater = std::make_shared<sim::SimUpdater>(env.session);
    SoftwareUpdates updates(updater);
    EXPECT_EQ(updates.controller(), nullptr);
    EXPECT_EQ(&updates.updater(), updater.get());
    EXPECT_EQ(framework().controllersMade, 0);
    EXPECT_TRUE(updates.allowsAutomaticUpdates.get());
}

TEST_F(SoftwareUpdatesTest, StartingRunsOnceAndThePublishedValueFollowsTheUpdatersReport) {
    SoftwareUpdates updates;
    updates.start();
    updates.start();
    EXPECT_EQ(framework().startCalls, 1);
    // The menu asks the updater itself; the settings page waits for the report.
    EXPECT_TRUE(updates.validateMenuItem());
    EXPECT_FALSE(updates.canCheckForUpdates.get());
    env.advance(0.5);
    EXPECT_TRUE(updates.canCheckForUpdates.get());
}

TEST_F(SoftwareUpdatesTest, AFailedStartStaysFailedAndTheCheckStaysDisabled) {
    framework().startError = "The updater could not start because its feed address is missing.";
    SoftwareUpdates updates;
    updates.start();
    EXPECT_EQ(updates.startupError.get(), "The updater could not start because its feed address is missing.");

    framework().startError = "Another failure.";
    updates.start();
    framework().startError.reset();
    updates.start();
    EXPECT_EQ(framework().startCalls, 1);
    EXPECT_EQ(updates.startupError.get(), "The updater could not start because its feed address is missing.");
    env.advance(1);
    EXPECT_FALSE(updates.canCheckForUpdates.get());
    EXPECT_FALSE(updates.validateMenuItem());
    updates.checkForUpdates();
    env.advance(1);
    EXPECT_EQ(framework().checkRequests, 0);
}

TEST_F(SoftwareUpdatesTest, TheSwitchesWriteTheUpdaterAndThePublishedValuesFollowItsLateReports) {
    SoftwareUpdates updates;
    updates.setAutomaticChecks(true);
    updates.setAutomaticDownloads(true);
    EXPECT_TRUE(updates.updater().automaticallyChecksForUpdates());
    EXPECT_TRUE(updates.updater().automaticallyDownloadsUpdates());
    EXPECT_FALSE(updates.automaticallyChecksForUpdates.get());
    EXPECT_FALSE(updates.automaticallyDownloadsUpdates.get());
    env.advance(0.499);
    EXPECT_FALSE(updates.automaticallyChecksForUpdates.get());
    env.advance(0.001);
    EXPECT_TRUE(updates.automaticallyChecksForUpdates.get());
    EXPECT_TRUE(updates.automaticallyDownloadsUpdates.get());

    updates.setAutomaticChecks(false);
    env.advance(0.5);
    EXPECT_FALSE(updates.automaticallyChecksForUpdates.get());
}

TEST_F(SoftwareUpdatesTest, AChangeWithoutAValuePublishesFalse) {
    framework().changesCarryValues = false;
    SoftwareUpdates updates;
    updates.start();
    updates.setAutomaticChecks(true);
    env.advance(0.5);
    EXPECT_TRUE(updates.updater().automaticallyChecksForUpdates());
    EXPECT_FALSE(updates.automaticallyChecksForUpdates.get());
    EXPECT_FALSE(updates.canCheckForUpdates.get());
}

TEST_F(SoftwareUpdatesTest, ACheckRunsOnlyWhenTheUpdaterCanCheck) {
    framework().checkDuration = 2;
    SoftwareUpdates updates;
    updates.checkForUpdates();
    EXPECT_EQ(framework().checkRequests, 0);

    updates.start();
    env.advance(0.5);
    updates.checkForUpdates();
    EXPECT_EQ(framework().checkRequests, 1);
    EXPECT_FALSE(updates.validateMenuItem());
    updates.checkForUpdates();  // still running: ignored
    EXPECT_EQ(framework().checkRequests, 1);
    env.advance(0.5);
    EXPECT_FALSE(updates.canCheckForUpdates.get());

    env.advance(2);
    ASSERT_EQ(framework().outcomes.size(), 1u);
    EXPECT_FALSE(framework().outcomes[0].automatic);
    EXPECT_TRUE(updates.validateMenuItem());
    EXPECT_TRUE(updates.canCheckForUpdates.get());
}

TEST_F(SoftwareUpdatesTest, AsARowsTargetItEnablesTheRowByTheUpdaterAndChecksWhenChosen) {
    SoftwareUpdates updates;
    platform::ui::Menu menu;
    auto& row = menu.addItem("Check for Updates…");
    row.actionName = SoftwareUpdates::kCheckForUpdatesAction;
    row.setTarget(updates, updates.lifetime());
    menu.update();
    EXPECT_FALSE(row.isEnabled);
    updates.start();
    menu.update();  // the updater's answer now, before its late report
    EXPECT_TRUE(row.isEnabled);
    EXPECT_TRUE(row.perform());
    EXPECT_EQ(framework().checkRequests, 1);
}

TEST_F(SoftwareUpdatesTest, ReportsArrivingAfterTheObjectIsGoneReachNothing) {
    auto updater = std::make_shared<sim::SimUpdater>(env.session);
    auto updates = std::make_unique<SoftwareUpdates>(updater);
    updates->start();
    updates->setAutomaticChecks(true);
    updates.reset();
    env.advance(1);
    EXPECT_TRUE(updater->automaticallyChecksForUpdates());
    EXPECT_TRUE(updater->canCheckForUpdates());
}

}  // namespace
}  // namespace tarnwick
