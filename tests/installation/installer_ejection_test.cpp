#include "installation/base64.h"
#include "installation/installation_bootstrap.h"
#include "installation/installer_disk_image.h"
#include "installation/installer_ejection.h"
#include "installation_fixture.h"

namespace tarnwick::installation_test {
namespace {

using Outcome = InstallerEjection::Outcome;

constexpr std::int32_t kInstallerPID = 4242;
constexpr std::int32_t kInstalledPID = 5001;
constexpr std::int32_t kEjectionPID = 6001;

// The ejection launch: the installed copy runs a second time while the installer (from the
// image) is quitting and the installed copy it opened is running.
class InstallerEjectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        makeBundle(installed);
        env.session.fileSystem.mainBundle = installed;
        env.session.system().processID = kEjectionPID;
        env.session.applications = {copyAt(kInstallerPID, volume / "Tarnwick.app"), copyAt(kInstalledPID, installed)};
        record = *InstallerDiskImage::mounted(volume / "Tarnwick.app");
    }
    std::vector<std::string> arguments(std::string installer = std::to_string(kInstallerPID),
                                       std::string app = std::to_string(kInstalledPID)) {
        return {(installed / "Contents/MacOS/Tarnwick").string(), InstallerEjection::argument, installer, app,
                base64::encode(*record.json())};
    }
    void installerQuitsAfter(double seconds) {
        env.loop.postAfter(seconds, [this] { env.session.terminateApplication(kInstallerPID); });
    }
    Outcome finish(const std::vector<std::string>& argv) {
        const double start = env.clock.uptime();
        auto outcome = ApplicationInstallationBootstrap::finishInstallerEject(argv);
        elapsed = env.clock.uptime() - start;
        return outcome;
    }

    testkit::TestEnvironment env;
    sim::SimDiskImage& disk = attachInstallerImage(env);
    fs::path volume = disk.mountPoint;
    fs::path installed = env.session.machinePath("/Applications/Tarnwick.app");
    InstallerDiskImage record;
    double elapsed = 0;
};

TEST_F(InstallerEjectionTest, EjectsOnceTheInstallerHasQuit) {
    installerQuitsAfter(1.0);
    bool attachedWhileInstallerRan = false;
    env.loop.postAfter(0.95, [&] { attachedWhileInstallerRan = disk.attached; });
    EXPECT_EQ(finish(arguments("+4242")), Outcome::ejected);
    EXPECT_TRUE(attachedWhileInstallerRan);
    EXPECT_FALSE(disk.attached);
    EXPECT_NEAR(elapsed, 1.0, 0.11);
}

TEST_F(InstallerEjectionTest, WaitsForTheInstalledCopyToFinishLaunching) {
    env.session.terminateApplication(kInstallerPID);
    env.session.processTable.details[kInstalledPID].finishedLaunching = false;
    env.loop.postAfter(2.0, [this] { env.session.processTable.details[kInstalledPID].finishedLaunching = true; });
    EXPECT_EQ(finish(arguments()), Outcome::ejected);
    EXPECT_NEAR(elapsed, 2.0, 0.051);
}

TEST_F(InstallerEjectionTest, GivesUpAfterFortyWaitsAndReportsIt) {
    EXPECT_EQ(finish(arguments()), Outcome::installerStillRunning);
    EXPECT_NEAR(elapsed, 4.0, 1e-9);
    EXPECT_TRUE(disk.attached);
    EXPECT_EQ(runFinishInstallerEject(arguments()), 1);
}

TEST_F(InstallerEjectionTest, NothingIsDetachedWhenTheImageOrTheCopyChanged) {
    installerQuitsAfter(1.0);
    env.loop.postAfter(0.5, [this] { disk.attached = false; });  // the user ejected it
    EXPECT_EQ(finish(arguments()), Outcome::imageChanged);

    disk.attached = true;
    files::writeAtomically(volume / "Tarnwick.app/Contents/MacOS/Tarnwick", "#!changed\n");
    EXPECT_EQ(finish(arguments()), Outcome::sourceRejected);
    EXPECT_TRUE(disk.attached);
}

TEST_F(InstallerEjectionTest, AFailedDetachIsAFailure) {
    env.session.terminateApplication(kInstallerPID);
    env.session.diskImageTool.detachAnswer = sim::SimDetachAnswer::busy;
    EXPECT_EQ(finish(arguments()), Outcome::detachFailed);
    EXPECT_EQ(runFinishInstallerEject(arguments()), 1);
    env.session.diskImageTool.detachAnswer = sim::SimDetachAnswer::detach;
    EXPECT_EQ(runFinishInstallerEject(arguments()), 0);
}

TEST_F(InstallerEjectionTest, StopsWhenTheInstalledCopyQuits) {
    env.loop.postAfter(0.3, [this] { env.session.terminateApplication(kInstalledPID); });
    EXPECT_EQ(finish(arguments()), Outcome::applicationGone);
    EXPECT_NEAR(elapsed, 0.3, 0.051);
}

TEST_F(InstallerEjectionTest, MalformedOrForeignRequestsAreRejectedWithoutWaiting) {
    env.session.terminateApplication(kInstallerPID);
    sim::SimApplication stranger = copyAt(7000, env.session.machinePath("/Applications/Other.app"));
    stranger.bundleIdentifier = "com.example.Other";
    env.session.applications.push_back(stranger);
    env.session.applications.push_back(copyAt(7001, env.session.machinePath("/Applications/Tools/Tarnwick.app")));

    auto six = arguments();
    six.push_back("extra");
    auto four = arguments();
    four.pop_back();
    auto garbled = arguments();
    garbled[4] = "not base64!";
    auto wrongShape = arguments();
    wrongShape[4] = base64::encode(R"({"mount": "file:///Volumes/Tarnwick/"})");
    const std::vector<std::vector<std::string>> requests = {
        six,
        four,
        garbled,
        wrongShape,
        arguments("1"),
        arguments("4242", "6001"),
        arguments("4242", "4242"),
        arguments("4242", "abc"),
        arguments(" 4242"),
        arguments("4242", "9999"),
        arguments("4242", "7000"),
        arguments("4242", "7001"),
        {"tarnwick", "--finish-installer-eject"},
    };
    for (const auto& request : requests) {
        EXPECT_EQ(finish(request), Outcome::rejected) << ::testing::PrintToString(request);
        EXPECT_EQ(elapsed, 0);
    }

    // Only an installed copy with installation switched on serves the request.
    env.session.fileSystem.mainBundle = volume / "Tarnwick.app";
    EXPECT_EQ(finish(arguments()), Outcome::rejected);
    env.session.fileSystem.mainBundle = installed;
    makeBundle(installed, BundleRecipe().withRequireInstallation(Value(false)));
    EXPECT_EQ(finish(arguments()), Outcome::rejected);
    EXPECT_TRUE(disk.attached);
}

// ---- the installing copy's end of the hand-off

class InstallerHandOffTest : public InstallerEjectionTest {
protected:
    void SetUp() override {
        InstallerEjectionTest::SetUp();
        env.session.system().processID = kInstallerPID;
        env.session.processTable.details[kInstalledPID].executable = installed / "Contents/MacOS/Tarnwick";
        opened = *env.session.platform().workspace->runningApplication(kInstalledPID);
    }
    platform::RunningApplication opened;
};

TEST_F(InstallerHandOffTest, StartsTheInstalledExecutableWithTheFiveArguments) {
    EXPECT_EQ(InstallerEjection::schedule(volume / "Tarnwick.app", opened), InstallerEjection::HandOff::started);
    ASSERT_EQ(env.session.processTable.spawned.size(), 1u);
    const auto& spawn = env.session.processTable.spawned.front();
    EXPECT_EQ(spawn.executable, installed / "Contents/MacOS/Tarnwick");
    EXPECT_EQ(spawn.workingDirectory, "/");
    ASSERT_EQ(spawn.argv.size(), 5u);
    EXPECT_EQ(spawn.argv[1], "--finish-installer-eject");
    EXPECT_EQ(spawn.argv[2], "4242");
    EXPECT_EQ(spawn.argv[3], "5001");
    EXPECT_EQ(InstallerDiskImage::fromJSON(*base64::decode(spawn.argv[4])), record);
    EXPECT_TRUE(isFinishInstallerEjectLaunch(spawn.argv));
}

TEST_F(InstallerHandOffTest, ReportsWhetherAHandOffWasNeededAndWhetherItStarted) {
    const fs::path downloaded = makeBundle(env.home.path() / "Downloads/Tarnwick.app");
    EXPECT_EQ(InstallerEjection::schedule(downloaded, opened), InstallerEjection::HandOff::notNeeded);
    disk.writeable = true;
    EXPECT_EQ(InstallerEjection::schedule(volume / "Tarnwick.app", opened), InstallerEjection::HandOff::notNeeded);
    disk.writeable = false;
    EXPECT_TRUE(env.session.processTable.spawned.empty());

    env.session.processTable.spawnFails = true;
    EXPECT_EQ(InstallerEjection::schedule(volume / "Tarnwick.app", opened), InstallerEjection::HandOff::failed);
    env.session.processTable.spawnFails = false;
    env.session.processTable.details[kInstalledPID].executable.reset();
    EXPECT_EQ(InstallerEjection::schedule(volume / "Tarnwick.app", opened), InstallerEjection::HandOff::failed);
}

}  // namespace
}  // namespace tarnwick::installation_test
