#include <cstdio>
#include <map>
#include <sys/wait.h>
#include <unistd.h>

#include "installation/installation_flow.h"
#include "installation/installation_leftovers.h"
#include "installation/installation_transaction.h"
#include "installation_fixture.h"
#include "scripted_file_manager.h"

namespace tarnwick::installation_test {
namespace {

using Transaction = ApplicationInstallationTransaction;

constexpr const char* kMarker = ".Tarnwick-workspace";
constexpr const char* kForeignWorkspace = ".Tarnwick-installation-00000000-0000-4000-8000-000000000000";

// Every item under a folder with what it holds (files' bytes, links' targets), without following
// links: two equal snapshots mean nothing in it changed.
std::map<std::string, std::string> snapshot(const fs::path& folder, const std::string& skip = {}) {
    std::map<std::string, std::string> items;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().lexically_relative(folder).string();
        if (!skip.empty() && (name == skip || name.starts_with(skip + "/"))) {
            if (it->is_directory()) it.disable_recursion_pending();
            continue;
        }
        const auto status = fs::symlink_status(it->path());
        if (fs::is_symlink(status))
            items[name] = "link to " + fs::read_symlink(it->path()).string();
        else if (fs::is_regular_file(status))
            items[name] = files::read(it->path());
        else
            items[name] = "folder";
    }
    return items;
}

class InstallationLeftoversTest : public ::testing::Test {
protected:
    void SetUp() override {
        makeBundle(source);
        // Neighbours that are none of our business, among them a folder with our prefix and a
        // parked-looking copy, but without our marker.
        makeBundle(applications / "Other.app", BundleRecipe().withIdentifier("com.example.Other"));
        makeBundle(applications / kForeignWorkspace / "Previous.app", BundleRecipe().withVersion("3"));
        neighbours = snapshot(applications, "Tarnwick.app");
    }

    InstallationLeftovers::Verify verify() {
        return [this](const fs::path& bundle) { verifyBundle(bundle, requirement); };
    }
    std::vector<std::string> recover(platform::FileManager* through = nullptr) {
        return InstallationLeftovers::recover(destination, verify(), through ? *through : files);
    }
    // A workspace as a killed installation leaves it: marked, holding the given copies.
    fs::path leftover(const std::string& uuid, std::vector<std::pair<std::string, std::string>> copies) {
        const fs::path workspace = applications / (std::string(".Tarnwick-installation-") + uuid);
        files::createDirectories(workspace);
        files::writeAtomically(workspace / kMarker, "");
        for (const auto& [name, version] : copies) makeBundle(workspace / name, BundleRecipe().withVersion(version));
        return workspace;
    }
    std::vector<std::string> ours() const {
        std::vector<std::string> names;
        for (const auto& name : listing(applications))
            if (name.starts_with(".Tarnwick-installation-") && name != kForeignWorkspace) names.push_back(name);
        return names;
    }
    std::string workingCopy() {
        verifyBundle(destination, requirement);
        return versionOf(destination);
    }

    testkit::TestEnvironment env;
    platform::FileManager& files = *env.session.platform().fileManager;
    platform::CodeRequirement requirement = requirementFor();
    fs::path source = env.session.machinePath("/Volumes/Tarnwick/Tarnwick.app");
    fs::path applications = env.session.machinePath("/Applications");
    fs::path destination = applications / "Tarnwick.app";
    std::map<std::string, std::string> neighbours;
};

TEST_F(InstallationLeftoversTest, AParkedCopyReturnsToAnEmptyDestination) {
    const fs::path workspace =
        leftover("6F1C2A3B-0000-4000-8000-00000000000A",
                 {{"Previous.app", "5"}, {"Rejected-1.app", "7"}, {".Tarnwick-install-2.app", "7"}});
    EXPECT_TRUE(recover().empty());
    EXPECT_EQ(workingCopy(), "5");
    EXPECT_FALSE(fs::exists(workspace));
    EXPECT_EQ(snapshot(applications, "Tarnwick.app"), neighbours);
}

TEST_F(InstallationLeftoversTest, WithACopyInPlaceEveryWorkspaceOfOursIsRemoved) {
    makeBundle(destination, BundleRecipe().withVersion("7"));
    leftover("6F1C2A3B-0000-4000-8000-00000000000A", {{"Previous.app", "5"}});
    leftover("6F1C2A3B-0000-4000-8000-00000000000B", {{".Tarnwick-install-2.app", "7"}});
    leftover("6F1C2A3B-0000-4000-8000-00000000000C", {});
    // An interrupted creation or clean-up leaves the folder empty and unmarked: nothing to lose.
    files::createDirectories(applications / ".Tarnwick-installation-6F1C2A3B-0000-4000-8000-00000000000D");
    EXPECT_TRUE(recover().empty());
    EXPECT_EQ(workingCopy(), "7");
    EXPECT_TRUE(ours().empty());
    EXPECT_EQ(snapshot(applications, "Tarnwick.app"), neighbours);
}

TEST_F(InstallationLeftoversTest, WhatIsNotAWorkspaceOfOursIsNeverTouched) {
    // Our prefix on a link to a marked folder, on a file, and on a folder whose marker is a link.
    const fs::path elsewhere = env.home.path() / "Elsewhere";
    files::createDirectories(elsewhere);
    files::writeAtomically(elsewhere / kMarker, "");
    makeBundle(elsewhere / "Previous.app", BundleRecipe().withVersion("5"));
    fs::create_directory_symlink(elsewhere, applications / ".Tarnwick-installation-link");
    files::writeAtomically(applications / ".Tarnwick-installation-file", "not a folder");
    const fs::path linkedMarker = applications / ".Tarnwick-installation-linked-marker";
    files::createDirectories(linkedMarker);
    fs::create_symlink(elsewhere / kMarker, linkedMarker / kMarker);
    const auto before = snapshot(applications);
    const auto elsewhereBefore = snapshot(elsewhere);

    EXPECT_TRUE(recover().empty());
    EXPECT_FALSE(fs::exists(destination));
    EXPECT_EQ(snapshot(applications), before);
    EXPECT_EQ(snapshot(elsewhere), elsewhereBefore);
}

TEST_F(InstallationLeftoversTest, AParkedCopyThatCannotGoBackIsKeptAndLogged) {
    // It fails verification, with nothing at the destination.
    const fs::path workspace = leftover("6F1C2A3B-0000-4000-8000-00000000000A", {});
    makeBundle(workspace / "Previous.app", BundleRecipe().unsignedCopy());
    auto log = recover();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "The leftovers of an interrupted installation in \u201C" + workspace.string() +
                          "\u201D were not cleared: The app could not be verified. Download a fresh copy of Tarnwick.");
    EXPECT_TRUE(fs::exists(workspace / "Previous.app"));
    EXPECT_FALSE(fs::exists(destination));

    // It verifies, but what stands at the destination is no working copy: it may be the only one.
    fs::remove_all(workspace / "Previous.app");
    makeBundle(workspace / "Previous.app", BundleRecipe().withVersion("5"));
    files::createDirectories(destination);
    log = recover();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_TRUE(log[0].ends_with("were not cleared: \u201C" + destination.string() +
                                 "\u201D is not a working copy, so the copy parked beside it stays."))
        << log[0];
    EXPECT_EQ(versionOf(workspace / "Previous.app"), "5");
    EXPECT_TRUE(listing(destination).empty());
}

TEST_F(InstallationLeftoversTest, FailuresAreReportedNotThrownAndALaterStartFinishes) {
    makeBundle(destination, BundleRecipe().withVersion("7"));
    const fs::path workspace = leftover("6F1C2A3B-0000-4000-8000-00000000000A", {{"Previous.app", "5"}});
    ScriptedFileManager failing(files);
    failing.before = [](auto& op, auto& path, auto&) {
        if (op == "remove" && path.filename() == "Previous.app")
            throw file_error::make(file_error::kFileWriteUnknown, "Previous.app");
    };
    const auto log = recover(&failing);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_TRUE(log[0].ends_with("were not cleared: The file \u201CPrevious.app\u201D couldn\u2019t be saved."))
        << log[0];
    // The marker stays with what is left, so the next start still knows the workspace as ours.
    EXPECT_TRUE(fs::is_regular_file(workspace / kMarker));
    EXPECT_TRUE(recover().empty());
    EXPECT_TRUE(ours().empty());

    // No Applications folder at all is nothing to report.
    fs::remove_all(applications);
    EXPECT_TRUE(recover().empty());
}

// ---- a killed installer

// How the child process ended.
constexpr int kKilled = 71;
constexpr int kFinished = 72;
constexpr int kFailed = 73;

class KilledInstallerTest : public InstallationLeftoversTest {
protected:
    // Installs in a child process that stops dead (no clean-up, no destructors) just before its
    // `killAt`-th change of a file, or runs to the end; returns how it ended.
    int installKilledAt(int killAt, bool openFails) {
        std::fflush(nullptr);
        const pid_t child = ::fork();
        if (child < 0) throw std::runtime_error("fork failed");
        if (child == 0) {
            int changes = 0;
            ScriptedFileManager scripted(files);
            scripted.before = [&](auto&, auto&, auto&) {
                if (changes++ == killAt) ::_exit(kKilled);
            };
            int outcome = kFinished;
            try {
                Transaction transaction(&scripted);
                ApplicationInstallationFlow::Stop stop = [](ApplicationInstallationFlow::Recovery&) -> Task<void> {
                    co_return;
                };
                ApplicationInstallationFlow::Open<int> open = [openFails](fs::path) -> Task<int> {
                    co_await sleepFor(0.1);
                    if (openFails) throw SystemError("NSOSStatusErrorDomain", -10810, "No launch.");
                    co_return 1;
                };
                run(env, ApplicationInstallationFlow::install<int>(transaction, source, destination, verify(), stop,
                                                                   open));
            } catch (...) {
                outcome = kFailed;
            }
            ::_exit(outcome);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // Kills the installation at each of its file changes in turn; after each, a fresh start
    // clears the leftovers, and `check` sees the result. Returns the number of kill points.
    int killAtEveryStep(const std::optional<std::string>& previous, bool openFails,
                        const std::function<void(const std::string&)>& check) {
        int killAt = 0;
        for (; killAt < 100; ++killAt) {
            SCOPED_TRACE("killed before change " + std::to_string(killAt));
            fs::remove_all(destination);
            if (previous) makeBundle(destination, BundleRecipe().withVersion(*previous));
            const int outcome = installKilledAt(killAt, openFails);
            EXPECT_TRUE(outcome == kKilled || outcome == (openFails ? kFailed : kFinished)) << outcome;

            EXPECT_TRUE(recover().empty());
            EXPECT_TRUE(ours().empty()) << ours().front();
            EXPECT_EQ(snapshot(applications, "Tarnwick.app"), neighbours);
            check(fs::exists(fs::symlink_status(destination)) ? workingCopy() : "none");
            if (outcome != kKilled) break;
        }
        return killAt;
    }
};

TEST_F(KilledInstallerTest, AReplacementKilledAnywhereLeavesOneWorkingCopy) {
    const int steps = killAtEveryStep("5", false, [](const std::string& version) {
        EXPECT_TRUE(version == "5" || version == "7") << version;
    });
    EXPECT_GE(steps, 8);
    EXPECT_EQ(workingCopy(), "7");
}

TEST_F(KilledInstallerTest, ARollbackKilledAnywhereLeavesOneWorkingCopy) {
    const int steps = killAtEveryStep("5", true, [](const std::string& version) {
        EXPECT_TRUE(version == "5" || version == "7") << version;
    });
    EXPECT_GE(steps, 10);
    EXPECT_EQ(workingCopy(), "5");
}

TEST_F(KilledInstallerTest, AFirstInstallKilledAnywhereLeavesTheNewCopyOrNothing) {
    for (bool openFails : {false, true}) {
        SCOPED_TRACE(openFails ? "opening fails" : "opening works");
        killAtEveryStep(std::nullopt, openFails, [](const std::string& version) {
            EXPECT_TRUE(version == "none" || version == "7") << version;
        });
        EXPECT_EQ(fs::exists(destination), !openFails);
    }
}

}  // namespace
}  // namespace tarnwick::installation_test
