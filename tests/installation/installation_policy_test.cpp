#include "installation/installation_error.h"
#include "installation/installation_paths.h"
#include "installation/installation_policy.h"
#include "installation_fixture.h"

namespace tarnwick::installation_test {
namespace {

using namespace ApplicationInstallationPolicy;

class InstallationPolicyTest : public ::testing::Test {
protected:
    void SetUp() override {
        files::createDirectories(applications);
        files::createDirectories(userApplications);
    }
    testkit::TestEnvironment env;
    fs::path root = env.session.fileSystem.root;
    fs::path applications = root / "Applications";
    fs::path userApplications = env.home.path() / "Applications";
    std::vector<fs::path> directories{userApplications, applications};
};

TEST_F(InstallationPolicyTest, CopiesInsideAnApplicationsFolderNeedNoInstallation) {
    EXPECT_FALSE(needsInstallation(applications / "Tarnwick.app", directories, true));
    EXPECT_FALSE(needsInstallation(applications / "Tools/Tarnwick.app", directories, true));
    EXPECT_FALSE(needsInstallation(userApplications / "Tarnwick.app/", directories, true));
    EXPECT_TRUE(needsInstallation(root / "Users/ana/Downloads/Tarnwick.app", directories, true));
    EXPECT_TRUE(needsInstallation(root / "Volumes/Tarnwick/Tarnwick.app", directories, true));
    // The folder's path is a prefix only up to its final "/".
    EXPECT_TRUE(needsInstallation(root / "ApplicationsOld/Tarnwick.app", directories, true));
    // Inside another app bundle, even one in Applications.
    EXPECT_TRUE(needsInstallation(applications / "Other.app/Contents/Tarnwick.app", directories, true));
    EXPECT_TRUE(needsInstallation(applications / "Tarnwick.app", {}, true));
    EXPECT_FALSE(needsInstallation(root / "Users/ana/Downloads/Tarnwick.app", directories, false));
    // "." and ".." are resolved before comparing.
    EXPECT_TRUE(needsInstallation(applications / "../Downloads/Tarnwick.app", directories, true));
}

TEST_F(InstallationPolicyTest, LinksAreResolvedBeforeComparingButAnInstalledLinkIsNotSafe) {
    makeBundle(applications / "Tarnwick.app");
    fs::create_directory_symlink(applications, root / "Shortcut");
    EXPECT_FALSE(needsInstallation(root / "Shortcut/Tarnwick.app", directories, true));
    EXPECT_TRUE(isSafeInstalledCopy(root / "Shortcut/Tarnwick.app", directories));

    makeBundle(root / "Downloads/Tarnwick.app");
    fs::create_directory_symlink(root / "Downloads/Tarnwick.app", userApplications / "Tarnwick.app");
    EXPECT_FALSE(isSafeInstalledCopy(userApplications / "Tarnwick.app", directories));
    EXPECT_FALSE(isSafeInstalledCopy(userApplications / "Tarnwick.app/", directories));

    files::writeAtomically(applications / "Plain.app", "not a folder");
    EXPECT_FALSE(isSafeInstalledCopy(applications / "Plain.app", directories));
    EXPECT_FALSE(isSafeInstalledCopy(applications / "Missing.app", directories));
    EXPECT_FALSE(isSafeInstalledCopy(applications / "Tarnwick.app", {}));
    makeBundle(applications / "Other.app/Contents/Tarnwick.app");
    EXPECT_FALSE(isSafeInstalledCopy(applications / "Other.app/Contents/Tarnwick.app", directories));
}

TEST_F(InstallationPolicyTest, BuildsAndFolderChoice) {
    EXPECT_TRUE(reuseInstalledCopy(7, 7));
    EXPECT_TRUE(reuseInstalledCopy(7, 8));
    EXPECT_FALSE(reuseInstalledCopy(7, 6));
    auto writable = [](const fs::path& p) { return p == "/Applications"; };
    EXPECT_EQ(preferredApplicationsDirectory("/Applications", "/Users/ana/Applications", writable), "/Applications");
    EXPECT_EQ(preferredApplicationsDirectory("/Library", "/Users/ana/Applications", writable),
              "/Users/ana/Applications");
}

TEST_F(InstallationPolicyTest, OnlyABooleanTrueSwitchesInstallationOn) {
    EXPECT_TRUE(installationEnabled(platform::Bundle(makeBundle(root / "a/Tarnwick.app"))));
    EXPECT_FALSE(installationEnabled(
        platform::Bundle(makeBundle(root / "b/Tarnwick.app", BundleRecipe().withRequireInstallation(Value(1))))));
    EXPECT_FALSE(installationEnabled(
        platform::Bundle(makeBundle(root / "c/Tarnwick.app", BundleRecipe().withRequireInstallation(Value("YES"))))));
    EXPECT_FALSE(installationEnabled(
        platform::Bundle(makeBundle(root / "d/Tarnwick.app", BundleRecipe().withRequireInstallation(std::nullopt)))));
    EXPECT_FALSE(installationEnabled(platform::Bundle(root / "missing/Tarnwick.app")));
}

TEST(InstallationPathsTest, NormalisationResolvesLinksAndDotsAndIgnoresTrailingSlashes) {
    testkit::TempFolder temp;
    files::createDirectories(temp / "real/inner");
    fs::create_directory_symlink(temp / "real", temp / "link");
    fs::create_symlink("loop", temp / "loop");
    EXPECT_EQ(paths::normalized(temp / "link/inner/"), temp / "real/inner");
    EXPECT_EQ(paths::normalized(temp / "link/./inner/../inner/missing/../x"), temp / "real/inner/x");
    EXPECT_EQ(paths::normalized(temp / "loop/x"), temp / "loop/x");  // a loop gives up, it never hangs
    EXPECT_EQ(paths::standardized("/a/./b/../../../c//"), "/c");
    EXPECT_EQ(paths::lastComponent("/Applications/Tarnwick.app/"), "Tarnwick.app");
    EXPECT_EQ(paths::parent("/Applications/Tarnwick.app/"), "/Applications");
    EXPECT_EQ(paths::parent("/Tarnwick.app"), "/");
}

TEST(ApplicationInstallationErrorTest, EachCaseIsACompleteSentenceAndCasesCompareByKind) {
    using E = ApplicationInstallationError;
    EXPECT_STREQ(E::unsafeLocation().what(), "This location cannot be used for installation.");
    EXPECT_STREQ(E::destinationChanged().what(), "The installed copy changed during installation. Please try again.");
    EXPECT_STREQ(E::invalidApplication().what(), "The app could not be verified. Download a fresh copy of Tarnwick.");
    EXPECT_STREQ(E::applicationStillRunning().what(), "Quit the copy of Tarnwick in Applications, then try again.");
    EXPECT_STREQ(E::unexpectedLaunchLocation().what(),
                 "macOS opened a temporary copy. Please finish installation using Finder.");
    EXPECT_EQ(E::unsafeLocation(), E::unsafeLocation());
    EXPECT_FALSE(E::unsafeLocation() == E::destinationChanged());
    EXPECT_EQ(std::hash<E>()(E::invalidApplication()), std::hash<E>()(E::invalidApplication()));
}

}  // namespace
}  // namespace tarnwick::installation_test
