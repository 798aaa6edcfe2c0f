#include <sys/stat.h>

#include "installation/installation_error.h"
#include "installation/installation_flow.h"
#include "installation/installation_transaction.h"
#include "installation_fixture.h"
#include "platform/platform.h"
#include "scripted_file_manager.h"

namespace tarnwick::installation_test {
namespace {

using Transaction = ApplicationInstallationTransaction;
using Receipt = Transaction::Receipt;

SystemError diskFailure() { return file_error::make(file_error::kFileWriteUnknown, "Tarnwick.app"); }

class InstallationTransactionTest : public ::testing::Test {
public:
    void SetUp() override { makeBundle(source); }

    // Verification against the running copy's requirement, with a hook that may refuse a path.
    Transaction::Verify verify() {
        return [this](const fs::path& bundle) {
            verified.push_back(bundle);
            if (refuse && refuse(bundle)) throw ApplicationInstallationError::invalidApplication();
            verifyBundle(bundle, requirement);
        };
    }
    Receipt install(Transaction& transaction, Transaction::BeforePromotion before = nullptr) {
        return run(env, transaction.install(source, destination, std::move(before), verify()));
    }
    FileIdentity identity(const fs::path& path) { return Transaction::identifier(path, files); }
    bool isLink(const fs::path& path) { return fs::is_symlink(fs::symlink_status(path)); }

    testkit::TestEnvironment env;
    platform::FileManager& files = *env.session.platform().fileManager;
    ScriptedFileManager scripted{files};
    platform::CodeRequirement requirement = requirementFor();
    fs::path source = env.session.machinePath("/Volumes/Tarnwick/Tarnwick.app");
    fs::path applications = env.session.machinePath("/Applications");
    fs::path destination = applications / "Tarnwick.app";
    std::vector<fs::path> verified;
    std::function<bool(const fs::path&)> refuse;
};

TEST_F(InstallationTransactionTest, AFreshInstallCopiesTheSourceKeepingLinksAndParksNothing) {
    Transaction transaction;
    Receipt receipt = install(transaction);
    EXPECT_FALSE(receipt.previous());
    EXPECT_EQ(versionOf(destination), "7");
    EXPECT_TRUE(isLink(destination / "Contents/Resources/Current"));
    EXPECT_NO_THROW(verifyBundle(destination, requirement));
    EXPECT_EQ(identity(destination), receipt.identity());
    EXPECT_TRUE(fs::exists(source / "Contents/MacOS/Tarnwick"));

    // The hidden workspace sits beside the destination, private to the user, holding only the
    // marker that makes it recognisable as ours.
    ASSERT_TRUE(fs::is_directory(receipt.workspace()));
    EXPECT_EQ(receipt.workspace().parent_path(), applications);
    EXPECT_TRUE(receipt.workspace().filename().string().starts_with(".Tarnwick-installation-"));
    struct stat info {};
    ::stat(receipt.workspace().c_str(), &info);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
    EXPECT_EQ(listing(receipt.workspace()), std::vector<std::string>{".Tarnwick-workspace"});
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(receipt.workspace() / ".Tarnwick-workspace")));

    receipt.finish();
    EXPECT_TRUE(receipt.completed());
    EXPECT_EQ(listing(applications), std::vector<std::string>{"Tarnwick.app"});
}

TEST_F(InstallationTransactionTest, AnApplicationsFolderThatIsALinkIsInstalledThrough) {
    const fs::path elsewhere = env.home.path() / "Apps";
    files::createDirectories(elsewhere);
    fs::create_directory_symlink(elsewhere, env.home.path() / "Applications");
    const fs::path linked = env.home.path() / "Applications/Tarnwick.app";
    Transaction transaction;
    Receipt receipt = run(env, transaction.install(source, linked, nullptr, verify()));
    receipt.finish();
    EXPECT_EQ(versionOf(elsewhere / "Tarnwick.app"), "7");
    EXPECT_TRUE(isLink(env.home.path() / "Applications"));
    EXPECT_EQ(listing(elsewhere), std::vector<std::string>{"Tarnwick.app"});
}

TEST_F(InstallationTransactionTest, ReplacingAnOlderCopyParksItUntilFinishOrRollback) {
    makeBundle(destination, BundleRecipe().withVersion("5"));
    const auto old = identity(destination);
    Transaction transaction;
    Receipt receipt = install(transaction);
    ASSERT_TRUE(receipt.previous());
    EXPECT_EQ(receipt.previous()->filename(), "Previous.app");
    EXPECT_EQ(receipt.previousIdentity(), old);
    EXPECT_EQ(versionOf(*receipt.previous()), "5");
    EXPECT_EQ(versionOf(destination), "7");
    receipt.rollback();
    EXPECT_EQ(identity(destination), old);
    EXPECT_EQ(listing(applications), std::vector<std::string>{"Tarnwick.app"});
    receipt.finish();  // completed: nothing more happens
    EXPECT_EQ(identity(destination), old);

    Receipt second = install(transaction);
    second.finish();
    EXPECT_EQ(versionOf(destination), "7");
    EXPECT_EQ(listing(applications), std::vector<std::string>{"Tarnwick.app"});
}

TEST_F(InstallationTransactionTest, UnsafeOrForeignDestinationsAreRefusedBeforeAnythingIsCopied) {
    Transaction transaction;
    auto expectCase = [&](ApplicationInstallationError::Case which) {
        try {
            install(transaction);
            ADD_FAILURE() << "installed";
        } catch (const ApplicationInstallationError& e) {
            EXPECT_EQ(e.which(), which);
        }
        std::vector<std::string> names = listing(applications);
        EXPECT_EQ(names.size(), 1u) << "a workspace was left behind";
    };
    files::createDirectories(applications);
    fs::create_directory_symlink(source, destination);
    expectCase(ApplicationInstallationError::Case::unsafeLocation);
    EXPECT_TRUE(isLink(destination));

    fs::remove(destination);
    files::writeAtomically(destination, "plain file");
    expectCase(ApplicationInstallationError::Case::unsafeLocation);
    EXPECT_EQ(files::read(destination), "plain file");

    fs::remove(destination);
    fs::create_directory_symlink(applications / "Gone.app", destination);  // a dangling link exists too
    expectCase(ApplicationInstallationError::Case::unsafeLocation);
    EXPECT_TRUE(isLink(destination));

    fs::remove(destination);
    makeBundle(destination, BundleRecipe().withIdentifier("com.example.Other"));
    const auto foreign = identity(destination);
    expectCase(ApplicationInstallationError::Case::invalidApplication);
    EXPECT_EQ(identity(destination), foreign);

    // Source and destination the same or nested in each other, also through a link.
    for (const fs::path& target : {source, source / "Contents/Tarnwick.app", source.parent_path(),
                                   env.session.machinePath("/Volumes/Link/Tarnwick.app")}) {
        if (target.parent_path().filename() == "Link" && !fs::exists(target.parent_path()))
            fs::create_directory_symlink(source.parent_path(), target.parent_path());
        try {
            run(env, transaction.install(source, target, nullptr, verify()));
            ADD_FAILURE() << target;
        } catch (const ApplicationInstallationError& e) {
            EXPECT_EQ(e.which(), ApplicationInstallationError::Case::unsafeLocation) << target;
        }
    }
    EXPECT_NO_THROW(verifyBundle(source, requirement));
}

TEST_F(InstallationTransactionTest, ADestinationReplacedWhileOtherCopiesQuitIsLeftAlone) {
    makeBundle(destination, BundleRecipe().withVersion("5"));
    // Not even moved for a moment: its owner would find it gone, and a failed move back would
    // leave it in our workspace.
    std::vector<std::string> touching;
    scripted.before = [&](auto& op, auto& from, auto& to) {
        if (from == destination || to == destination) touching.push_back(op);
    };
    Transaction transaction(&scripted);
    fs::path intruder = applications / "elsewhere";
    auto replace = [&]() -> Task<void> {
        fs::rename(destination, intruder);
        makeBundle(destination, BundleRecipe().withVersion("9"));
        co_return;
    };
    try {
        install(transaction, replace);
        FAIL();
    } catch (const ApplicationInstallationError& e) {
        EXPECT_EQ(e, ApplicationInstallationError::destinationChanged());
    }
    EXPECT_EQ(versionOf(destination), "9");
    EXPECT_EQ(listing(applications), (std::vector<std::string>{"Tarnwick.app", "elsewhere"}));
    EXPECT_TRUE(touching.empty()) << touching.front();
}

TEST_F(InstallationTransactionTest, AFirstInstallNeverReplacesWhatAppearsMeanwhile) {
    // A folder with something in it, and an empty one, which a plain rename would replace.
    for (bool empty : {false, true}) {
        SCOPED_TRACE(empty ? "empty folder" : "folder with a file");
        fs::remove_all(applications);
        Transaction transaction;
        std::optional<FileIdentity> arrived;
        auto appear = [&]() -> Task<void> {
            files::createDirectories(destination);
            if (!empty) files::writeAtomically(destination / "keep", "someone else's");
            arrived = identity(destination);
            co_return;
        };
        EXPECT_THROW(install(transaction, appear), SystemError);
        EXPECT_EQ(identity(destination), arrived);
        EXPECT_EQ(listing(destination), empty ? std::vector<std::string>{} : std::vector<std::string>{"keep"});
        EXPECT_EQ(listing(applications), std::vector<std::string>{"Tarnwick.app"});
    }
}

TEST_F(InstallationTransactionTest, TheDestinationHoldsAWorkingCopyAtEveryStepOfAReplacement) {
    makeBundle(destination, BundleRecipe().withVersion("5"));
    std::vector<std::string> withoutCopy;
    auto look = [&](const std::string& op, auto&, auto&) {
        try {
            verifyBundle(destination, requirement);
        } catch (const std::exception&) {
            withoutCopy.push_back(op);
        }
    };
    scripted.before = look;
    scripted.after = look;
    Transaction transaction(&scripted);
    Receipt receipt = install(transaction);
    receipt.finish();
    EXPECT_TRUE(withoutCopy.empty()) << "no copy around " << withoutCopy.front();
    EXPECT_EQ(versionOf(destination), "7");
    EXPECT_EQ(listing(applications), std::vector<std::string>{"Tarnwick.app"});
}

TEST_F(InstallationTransactionTest, WhetherAMoveHappenedIsDecidedByLooking) {
    // Every move and swap takes effect but reports failure, as network volumes may: the
    // installation stands, and so does a rollback, which brings the previous copy back.
    makeBundle(destination, BundleRecipe().withVersion("5"));
    const auto old = identity(destination);
    scripted.after = [](auto& op, auto&, auto&) {
        if (op == "move" || op == "exchange") throw diskFailure();
    };
    Transaction reporting(&scripted);
    Receipt receipt = install(reporting);
    EXPECT_EQ(versionOf(destination), "7");
    ASSERT_TRUE(receipt.previous());
    EXPECT_EQ(identity(*receipt.previous()), old);
    receipt.rollback();
    EXPECT_TRUE(receipt.completed());
    EXPECT_EQ(identity(destination), old);
    EXPECT_EQ(listing(applications), std::vector<std::string>{"Tarnwick.app"});

    // A move that reports success without moving anything fails, and nothing is lost.
    Transaction idle(nullptr, [](const fs::path&, const fs::path&) {});
    EXPECT_THROW(install(idle), ApplicationInstallationError);
    EXPECT_EQ(identity(destination), old);
    EXPECT_EQ(listing(applications), std::vector<std::string>{"Tarnwick.app"});
    fs::remove_all(destination);
    EXPECT_THROW(install(idle), ApplicationInstallationError);
    EXPECT_TRUE(listing(applications).empty());
}

TEST_F(InstallationTransactionTest, AFailureAtEveryStepLeavesThePreviousCopyWorking) {
    struct Step {
        const char* name;
        std::function<void(InstallationTransactionTest&)> arrange;
    };
    auto isStaged = [](const fs::path& p) { return p.filename().string().starts_with(".Tarnwick-install-"); };
    const std::vector<Step> steps = {
        {"copy",
         [](auto& t) {
             t.scripted.before = [](auto& op, auto&, auto&) {
                 if (op == "copy") throw diskFailure();
             };
         }},
        {"staged verification", [isStaged](auto& t) { t.refuse = isStaged; }},
        {"swap",
         [](auto& t) {
             t.scripted.before = [](auto& op, auto&, auto&) {
                 if (op == "exchange") throw diskFailure();
             };
         }},
        {"park after the swap",
         [](auto& t) {
             t.scripted.before = [](auto& op, auto&, auto& to) {
                 if (op == "move" && to.filename() == "Previous.app") throw diskFailure();
             };
         }},
        {"promoted verification",
         [](auto& t) {
             t.refuse = [&t, seen = 0](const fs::path& p) mutable { return p == t.destination && ++seen == 2; };
         }},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        fs::remove_all(applications);
        makeBundle(destination, BundleRecipe().withVersion("5"));
        const auto old = identity(destination);
        scripted.before = nullptr;
        refuse = nullptr;
        step.arrange(*this);
        Transaction transaction(&scripted);
        EXPECT_ANY_THROW(install(transaction));
        EXPECT_EQ(identity(destination), old);
        EXPECT_NO_THROW(verifyBundle(destination, requirement));
        EXPECT_EQ(listing(applications), std::vector<std::string>{"Tarnwick.app"});
    }
}

TEST_F(InstallationTransactionTest, CancellationWhileOtherCopiesQuitUndoesTheStaging) {
    makeBundle(destination, BundleRecipe().withVersion("5"));
    const auto old = identity(destination);
    Transaction transaction;
    auto handle = spawn(env.loop, transaction.install(
                                      source, destination, []() -> Task<void> { co_await sleepFor(5); }, verify()));
    env.advance(1);
    handle.cancel();
    env.advance(1);
    ASSERT_TRUE(handle.isDone());
    EXPECT_THROW(std::rethrow_exception(handle.error()), CancellationError);
    EXPECT_EQ(identity(destination), old);
    EXPECT_EQ(listing(applications), std::vector<std::string>{"Tarnwick.app"});
}

TEST_F(InstallationTransactionTest, ARollbackThatCannotRestoreThePreviousCopyKeepsTheNewOne) {
    makeBundle(destination, BundleRecipe().withVersion("5"));
    Transaction transaction(&scripted);
    Receipt receipt = install(transaction);
    const auto installed = identity(destination);

    // The parked copy was swapped: nothing is moved, the new copy keeps working.
    const fs::path parked = *receipt.previous();
    fs::rename(parked, receipt.workspace() / "held");
    makeBundle(parked, BundleRecipe().withVersion("3"));
    EXPECT_THROW(receipt.rollback(), ApplicationInstallationError);
    EXPECT_EQ(identity(destination), installed);
    EXPECT_FALSE(receipt.completed());
    fs::remove_all(parked);
    fs::rename(receipt.workspace() / "held", parked);

    // The parked copy cannot be moved back: the new copy returns to the destination.
    scripted.before = [&](auto& op, auto& from, auto&) {
        if (op == "move" && from == parked) throw diskFailure();
    };
    EXPECT_THROW(receipt.rollback(), SystemError);
    EXPECT_EQ(identity(destination), installed);
    EXPECT_FALSE(receipt.completed());

    // Once the disk recovers, a later rollback brings the previous copy back.
    scripted.before = nullptr;
    receipt.rollback();
    EXPECT_EQ(versionOf(destination), "5");
    EXPECT_EQ(listing(applications), std::vector<std::string>{"Tarnwick.app"});
}

TEST_F(InstallationTransactionTest, RollbackLeavesAForeignItemAtTheDestination) {
    Transaction transaction;
    Receipt receipt = install(transaction);
    // Moved aside rather than deleted, so its file number cannot be reused for the newcomer.
    fs::rename(destination, applications / "aside");
    makeBundle(destination, BundleRecipe().withVersion("9"));
    const auto foreign = identity(destination);
    EXPECT_THROW(receipt.rollback(), ApplicationInstallationError);
    EXPECT_EQ(identity(destination), foreign);
}

// ---- the flow around the transaction

class InstallationFlowTest : public InstallationTransactionTest {
public:
    using Recovery = ApplicationInstallationFlow::Recovery;
    std::vector<fs::path> opened;
    std::vector<fs::path> quit;
    bool openFails = false;

    ApplicationInstallationFlow::Open<int> open() {
        return [this](fs::path url) -> Task<int> {
            co_await sleepFor(0.1);
            opened.push_back(url);
            if (openFails && url == destination) throw SystemError("NSOSStatusErrorDomain", -10810, "No launch.");
            co_return static_cast<int>(opened.size());
        };
    }
    ApplicationInstallationFlow::Stop stop() {
        return [this](Recovery& recovery) -> Task<void> {
            for (const auto& copy : quit) {
                recovery.record(copy);
                recovery.record(copy);
            }
            co_return;
        };
    }
};

TEST_F(InstallationFlowTest, OpensTheInstalledCopyAndFinishes) {
    makeBundle(destination, BundleRecipe().withVersion("5"));
    Transaction transaction;
    int result =
        run(env, ApplicationInstallationFlow::install<int>(transaction, source, destination, verify(), stop(), open()));
    EXPECT_EQ(result, 1);
    EXPECT_EQ(opened, std::vector<fs::path>{destination});
    EXPECT_EQ(versionOf(destination), "7");
    EXPECT_EQ(listing(applications), std::vector<std::string>{"Tarnwick.app"});
}

TEST_F(InstallationFlowTest, AFailedOpenRollsBackAndReopensTheQuitCopies) {
    makeBundle(destination, BundleRecipe().withVersion("5"));
    const auto old = identity(destination);
    const fs::path other = env.home.path() / "Applications/Tarnwick.app";
    makeBundle(other, BundleRecipe().withVersion("6"));
    const fs::path broken = env.home.path() / "Applications/Broken/Tarnwick.app";
    makeBundle(broken, BundleRecipe().unsignedCopy());
    quit = {broken, other, destination};
    openFails = true;
    Transaction transaction;
    EXPECT_THROW(
        run(env, ApplicationInstallationFlow::install<int>(transaction, source, destination, verify(), stop(), open())),
        SystemError);
    EXPECT_EQ(identity(destination), old);
    EXPECT_EQ(listing(applications), std::vector<std::string>{"Tarnwick.app"});
    // The copy that fails verification is not opened; the others are, in the order they quit.
    EXPECT_EQ(opened, (std::vector<fs::path>{destination, other, destination}));
}

TEST_F(InstallationFlowTest, AFinishThatCannotRemoveThePreviousCopyStillSucceeds) {
    makeBundle(destination, BundleRecipe().withVersion("5"));
    scripted.before = [](auto& op, auto& from, auto&) {
        if (op == "remove" && from.filename() == "Previous.app") throw diskFailure();
    };
    Transaction transaction(&scripted);
    EXPECT_EQ(
        run(env, ApplicationInstallationFlow::install<int>(transaction, source, destination, verify(), stop(), open())),
        1);
    EXPECT_EQ(versionOf(destination), "7");
    auto names = listing(applications);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(listing(applications / names[0]), (std::vector<std::string>{".Tarnwick-workspace", "Previous.app"}));
}

TEST(InstallationRecoveryTest, RecordsEachCopyOnce) {
    ApplicationInstallationFlow::Recovery recovery;
    recovery.record("/Applications/Tarnwick.app");
    recovery.record("/Users/ana/Applications/Tarnwick.app");
    recovery.record("/Applications/Tarnwick.app");
    EXPECT_EQ(recovery.stopped.size(), 2u);
}

}  // namespace
}  // namespace tarnwick::installation_test
