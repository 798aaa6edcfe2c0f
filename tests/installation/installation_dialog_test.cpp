#include "installation/installation_bootstrap.h"
#include "installation/installation_error.h"
#include "installation_fixture.h"

namespace tarnwick::installation_test {
namespace {

constexpr std::int32_t kInstallerPID = 4242;
constexpr const char* kFinderHint = "\n\nYou can also drag Tarnwick into Applications in Finder, then open it there.";

// The copy running from the installer disk image, launched by the user.
class InstallationDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        files::createDirectories(applications);
        env.session.fileSystem.mainBundle = source;
        env.session.system().processID = kInstallerPID;
        env.session.applications = {copyAt(kInstallerPID, source)};
    }

    // Launches the dialog with the user's answers and lets it run until the app terminates.
    std::shared_ptr<ApplicationInstallationDelegate> launch(std::vector<std::string> answers) {
        for (auto& answer : answers) env.session.alertScript.answers.push_back(std::move(answer));
        auto delegate = ApplicationInstallationBootstrap::delegateIfNeeded();
        if (!delegate) throw std::runtime_error("no installation dialog");
        delegate->applicationDidFinishLaunching();
        for (int step = 0; step < 400 && env.session.applicationState.terminations == 0; ++step) env.advance(0.05);
        return delegate;
    }
    const sim::SimShownAlert& alert(size_t index) const { return env.session.alertScript.shown.at(index); }
    std::vector<std::string> messages() const {
        std::vector<std::string> texts;
        for (const auto& shown : env.session.alertScript.shown) texts.push_back(shown.alert.messageText);
        return texts;
    }
    void running(std::int32_t pid, const fs::path& bundle, sim::SimQuitAnswer answer = sim::SimQuitAnswer::quit,
                 double quitDelay = 0.3) {
        env.session.applications.push_back(copyAt(pid, bundle));
        env.session.processTable.details[pid].quitAnswer = answer;
        env.session.processTable.details[pid].quitDelay = quitDelay;
    }

    testkit::TestEnvironment env;
    sim::SimDiskImage& disk = attachInstallerImage(env);
    fs::path source = disk.mountPoint / "Tarnwick.app";
    fs::path applications = env.session.machinePath("/Applications");
    fs::path userApplications = env.home.path() / "Applications";
    fs::path installed = applications / "Tarnwick.app";
};

TEST_F(InstallationDialogTest, TheCopyOnTheImageInstallsOpensTheInstalledCopyAndHandsTheImageOver) {
    auto delegate = launch({"Install and Open"});
    EXPECT_EQ(env.session.applicationState.activations, 1);
    ASSERT_EQ(messages(), std::vector<std::string>{"Install Tarnwick"});
    EXPECT_EQ(
        alert(0).alert.informativeText,
        "Keep Tarnwick in Applications so automatic updates can install and relaunch correctly. Your desktop names "
        "and settings will be kept.");
    ASSERT_EQ(alert(0).alert.buttons.size(), 2u);
    EXPECT_EQ(alert(0).alert.buttons[1].title, "Quit");
    EXPECT_EQ(alert(0).alert.buttons[1].keyEquivalent, "\x1b");
    EXPECT_EQ(alert(0).alert.iconOfFile, source);

    // Installed, verified, opened with "--settings" as a new instance, then the installer quits.
    EXPECT_EQ(versionOf(installed), "7");
    EXPECT_NO_THROW(verifyBundle(installed, requirementFor()));
    EXPECT_EQ(listing(applications), std::vector<std::string>{"Tarnwick.app"});
    ASSERT_EQ(env.session.launchServices.requests.size(), 1u);
    const auto& request = env.session.launchServices.requests.front();
    EXPECT_EQ(request.bundle, installed);
    EXPECT_TRUE(request.configuration.createsNewApplicationInstance);
    EXPECT_FALSE(request.configuration.allowsRunningApplicationSubstitution);
    EXPECT_EQ(request.configuration.arguments, std::vector<std::string>{"--settings"});
    EXPECT_EQ(env.session.applicationState.terminations, 1);
    EXPECT_EQ(delegate->lastHandOff(), InstallerEjection::HandOff::started);

    // The second run: the installed copy ejects the image once the installer has gone.
    ASSERT_EQ(env.session.processTable.spawned.size(), 1u);
    const auto argv = env.session.processTable.spawned.front().argv;
    ASSERT_TRUE(isFinishInstallerEjectLaunch(argv));
    env.session.fileSystem.mainBundle = installed;
    env.session.system().processID = 7777;
    env.loop.postAfter(0.5, [this] { env.session.terminateApplication(kInstallerPID); });
    EXPECT_EQ(runFinishInstallerEject(argv), 0);
    EXPECT_FALSE(disk.attached);
}

TEST_F(InstallationDialogTest, AnOlderInstalledCopyIsQuitAndReplaced) {
    makeBundle(installed, BundleRecipe().withVersion("5"));
    running(3000, installed);
    launch({"Install and Open"});
    EXPECT_EQ(messages(), std::vector<std::string>{"Install Tarnwick"});
    EXPECT_EQ(env.session.processTable.quitRequests, std::vector<std::int32_t>{3000});
    EXPECT_TRUE(env.session.application(3000)->terminated);
    EXPECT_EQ(versionOf(installed), "7");
    EXPECT_EQ(listing(applications), std::vector<std::string>{"Tarnwick.app"});
    // No instance of the installed path was left running, so a new one was asked for.
    EXPECT_TRUE(env.session.launchServices.requests.at(0).configuration.createsNewApplicationInstance);
}

TEST_F(InstallationDialogTest, ACopyOfTheSameOrANewerBuildIsOpenedInsteadOfReplaced) {
    makeBundle(userApplications / "Tarnwick.app", BundleRecipe().withVersion("7"));
    makeBundle(installed, BundleRecipe().withVersion("7"));
    running(3000, userApplications / "Tarnwick.app");
    launch({"Open Tarnwick"});
    ASSERT_EQ(messages(), std::vector<std::string>{"Tarnwick is already installed"});
    EXPECT_EQ(alert(0).alert.informativeText, "Open the installed copy to use Tarnwick and receive automatic updates.");
    // Equal builds: the first folder (the user's) wins; its running instance is reused.
    const auto& request = env.session.launchServices.requests.at(0);
    EXPECT_EQ(request.bundle, userApplications / "Tarnwick.app");
    EXPECT_FALSE(request.configuration.createsNewApplicationInstance);
    EXPECT_TRUE(env.session.processTable.quitRequests.empty());
    EXPECT_EQ(listing(applications), std::vector<std::string>{"Tarnwick.app"});
    EXPECT_EQ(env.session.applicationState.terminations, 1);
}

TEST_F(InstallationDialogTest, TheHigherInstalledBuildIsOpened) {
    makeBundle(userApplications / "Tarnwick.app", BundleRecipe().withVersion("7"));
    makeBundle(installed, BundleRecipe().withVersion("8"));
    launch({"Open Tarnwick"});
    EXPECT_EQ(env.session.launchServices.requests.at(0).bundle, installed);
}

TEST_F(InstallationDialogTest, WhatAKilledInstallationLeftIsClearedBeforeTheAlert) {
    // A rollback killed between its two moves: the previous copy parked, nothing in its place.
    const fs::path workspace = applications / ".Tarnwick-installation-6F1C2A3B-0000-4000-8000-00000000000A";
    makeBundle(workspace / "Previous.app", BundleRecipe().withVersion("7"));
    files::writeAtomically(workspace / ".Tarnwick-workspace", "");
    // A parked copy that no longer verifies stays where it is; that is only logged.
    const fs::path stuck = userApplications / ".Tarnwick-installation-6F1C2A3B-0000-4000-8000-00000000000B";
    makeBundle(stuck / "Previous.app", BundleRecipe().unsignedCopy());
    files::writeAtomically(stuck / ".Tarnwick-workspace", "");

    auto delegate = launch({"Open Tarnwick"});
    ASSERT_EQ(messages(), std::vector<std::string>{"Tarnwick is already installed"});
    EXPECT_EQ(env.session.launchServices.requests.at(0).bundle, installed);
    EXPECT_EQ(listing(applications), std::vector<std::string>{"Tarnwick.app"});
    ASSERT_EQ(delegate->leftoverLog().size(), 1u);
    EXPECT_TRUE(delegate->leftoverLog()[0].find(stuck.string()) != std::string::npos) << delegate->leftoverLog()[0];
    EXPECT_TRUE(fs::exists(stuck / "Previous.app"));
}

TEST_F(InstallationDialogTest, WithoutWriteAccessToApplicationsTheUsersFolderIsCreatedAndUsed) {
    env.session.fileSystem.unwritableFolders.insert(applications);
    launch({"Install and Open"});
    EXPECT_EQ(versionOf(userApplications / "Tarnwick.app"), "7");
    EXPECT_TRUE(listing(applications).empty());
}

TEST_F(InstallationDialogTest, ACopyThatRefusesToQuitIsReportedAndTryAgainAsksAfresh) {
    makeBundle(installed, BundleRecipe().withVersion("5"));
    running(3000, installed, sim::SimQuitAnswer::refuse);
    launch({"Install and Open", "Try Again", "escape"});
    ASSERT_EQ(messages(), (std::vector<std::string>{"Install Tarnwick", "Tarnwick couldn\u2019t be installed",
                                                    "Install Tarnwick"}));
    EXPECT_EQ(alert(1).alert.informativeText,
              std::string("Quit the copy of Tarnwick in Applications, then try again.") + kFinderHint);
    EXPECT_EQ(alert(2).answer, "Quit");
    EXPECT_EQ(versionOf(installed), "5");
    EXPECT_EQ(listing(applications), std::vector<std::string>{"Tarnwick.app"});
    EXPECT_EQ(env.session.applicationState.terminations, 1);
}

TEST_F(InstallationDialogTest, ACopyStillRunningAfterTenSecondsIsReportedAndLeftInPlace) {
    makeBundle(installed, BundleRecipe().withVersion("5"));
    running(3000, installed, sim::SimQuitAnswer::ignore);
    const double start = env.clock.uptime();
    launch({"Install and Open", "Quit"});
    EXPECT_GE(env.clock.uptime() - start, 10.0);
    EXPECT_EQ(alert(1).alert.informativeText,
              std::string("Quit the copy of Tarnwick in Applications, then try again.") + kFinderHint);
    EXPECT_EQ(versionOf(installed), "5");
    // The copy that was asked to quit is opened again by the flow.
    EXPECT_EQ(env.session.launchServices.requests.size(), 1u);
    EXPECT_EQ(env.session.launchServices.requests.at(0).bundle, installed);
}

TEST_F(InstallationDialogTest, ATemporaryCopyLaunchedInsteadIsQuitAndTheInstallationUndone) {
    makeBundle(installed, BundleRecipe().withVersion("5"));
    const fs::path translocated =
        makeBundle(env.session.machinePath("/private/var/folders/xy/AppTranslocation/Tarnwick.app"));
    env.session.launchServices.launchesFrom = translocated;
    launch({"Install and Open", "Show in Finder"});
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_EQ(alert(1).alert.informativeText,
              std::string("macOS opened a temporary copy. Please finish installation using Finder.") + kFinderHint);
    const auto launched = env.session.applications.back();
    EXPECT_EQ(env.session.processTable.quitRequests, std::vector<std::int32_t>{launched.pid});
    EXPECT_EQ(versionOf(installed), "5");
    EXPECT_EQ(listing(applications), std::vector<std::string>{"Tarnwick.app"});
    // "Show in Finder" shows the running copy and the Applications folder, then quits.
    EXPECT_EQ(env.session.launchServices.revealedInFinder, std::vector<fs::path>{source});
    EXPECT_EQ(env.session.openedURLs, std::vector<std::string>{platform::fileURLString(applications, true)});
    EXPECT_EQ(env.session.applicationState.terminations, 1);
}

TEST_F(InstallationDialogTest, ForgedCopiesAreNeverInstalledNorReplaced) {
    // A destination signed by someone else is never replaced.
    sim::SigningIdentity stranger;
    stranger.signer = "Developer ID Application: Mallory (MMMMMMMMMM)";
    makeBundle(installed, BundleRecipe().withVersion("5").withIdentity(stranger));
    launch({"Install and Open", "Quit"});
    EXPECT_EQ(alert(1).alert.informativeText,
              std::string("The app could not be verified. Download a fresh copy of Tarnwick.") + kFinderHint);
    EXPECT_EQ(versionOf(installed), "5");
    EXPECT_EQ(listing(applications), std::vector<std::string>{"Tarnwick.app"});
}

TEST_F(InstallationDialogTest, ATamperedRunningCopyIsRefusedBeforeTheInstallAlert) {
    files::writeAtomically(source / "Contents/MacOS/Tarnwick", "#!patched\n");
    launch({});
    ASSERT_EQ(messages(), std::vector<std::string>{"Tarnwick couldn\u2019t be installed"});
    EXPECT_EQ(alert(0).answer, "Quit");
    EXPECT_TRUE(listing(applications).empty());

    env.session.codeSigning.selfAvailable = false;
    auto delegate = ApplicationInstallationBootstrap::delegateIfNeeded();
    delegate->present();
    EXPECT_EQ(env.session.alertScript.shown.back().alert.informativeText,
              std::string("The app could not be verified. Download a fresh copy of Tarnwick.") + kFinderHint);
}

TEST_F(InstallationDialogTest, EscapeAtTheInstallAlertQuitsWithoutTouchingAnything) {
    launch({});
    EXPECT_EQ(alert(0).answer, "Quit");
    EXPECT_TRUE(listing(applications).empty());
    EXPECT_TRUE(env.session.launchServices.requests.empty());
    EXPECT_EQ(env.session.applicationState.terminations, 1);
}

TEST_F(InstallationDialogTest, AnAnswerNamingNoButtonAbortsItsAlertAndMakesTheSessionInvalid) {
    makeBundle(installed, BundleRecipe().withVersion("5"));
    running(3000, installed, sim::SimQuitAnswer::refuse);
    launch({"Install and Open", "Retry"});
    EXPECT_EQ(messages(), (std::vector<std::string>{"Install Tarnwick", "Tarnwick couldn\u2019t be installed"}));
    EXPECT_EQ(alert(1).answer, "");
    EXPECT_EQ(env.session.alertScript.error,
              "The session file is not valid: alertAnswers[1] \"Retry\" names no button of the alert \"Tarnwick "
              "couldn\u2019t be installed\".");
    EXPECT_EQ(env.session.applicationState.terminations, 1);  // taken as Quit
    EXPECT_EQ(versionOf(installed), "5");
}

TEST_F(InstallationDialogTest, OpeningACopyOutsideApplicationsIsRefused) {
    auto delegate = ApplicationInstallationBootstrap::delegateIfNeeded();
    try {
        run(env, delegate->openInstalled(source));
        FAIL();
    } catch (const ApplicationInstallationError& e) {
        EXPECT_EQ(e, ApplicationInstallationError::unsafeLocation());
    }
}

// ---- the launch decision

TEST_F(InstallationDialogTest, TheBootstrapAsksOnlyWhenInstallationIsOnAndTheCopyIsOutsideApplications) {
    // The bundle as the platform reports it, not normalised.
    fs::create_directory_symlink(disk.mountPoint, env.home.path() / "Installer");
    const fs::path reported = env.home.path() / "Installer/./Tarnwick.app";
    env.session.fileSystem.mainBundle = reported;
    auto delegate = ApplicationInstallationBootstrap::delegateIfNeeded();
    ASSERT_TRUE(delegate);
    EXPECT_EQ(delegate->source(), reported);
    EXPECT_EQ(delegate->directories(), (std::vector<fs::path>{userApplications, applications}));
    EXPECT_TRUE(delegate->applicationShouldHandleReopen(false));

    makeBundle(installed);
    env.session.fileSystem.mainBundle = installed;
    EXPECT_FALSE(ApplicationInstallationBootstrap::delegateIfNeeded());

    for (auto flag : {std::optional<Value>(Value(false)), std::optional<Value>()}) {
        const fs::path downloaded = env.home.path() / "Downloads/Tarnwick.app";
        fs::remove_all(downloaded);
        makeBundle(downloaded, BundleRecipe().withRequireInstallation(flag));
        env.session.fileSystem.mainBundle = downloaded;
        EXPECT_FALSE(ApplicationInstallationBootstrap::delegateIfNeeded());
    }
    EXPECT_FALSE(isFinishInstallerEjectLaunch({"tarnwick"}));
    EXPECT_FALSE(isFinishInstallerEjectLaunch({"tarnwick", "--settings", "--finish-installer-eject"}));
}

}  // namespace
}  // namespace tarnwick::installation_test
