#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/error.h"
#include "support/files.h"
#include "support/write_failure.h"
#include "testkit/child_process.h"
#include "testkit/temp_folder.h"

namespace tarnwick::files {

void PrintTo(const WriteFailure& failure, std::ostream* out) {
    *out << "{" << failure.error << ", " << failure.place << "}";
}

namespace {

namespace fs = std::filesystem;

// What the writer threw for `path`; fails the test when it wrote.
SystemError failureWriting(const fs::path& path) {
    try {
        writeAtomically(path, "bytes");
    } catch (const SystemError& failure) {
        return failure;
    }
    ADD_FAILURE() << "wrote " << path;
    return file_error::make(file_error::kFileWriteUnknown);
}

WriteFailure stopped(const fs::path& path) { return whatStoppedTheWrite(failureWriting(path), path); }

// Each errno a person can act on gets its clause, naming the place as the caller quotes it; the
// rest get none, so the caller keeps its general sentence.
TEST(WriteFailureReasonTest, EachErrnoAPersonCanActOnNamesItsPlace) {
    const fs::path folder = "/Volumes/Backup/pictures";
    const auto plain = [](const std::string& text) { return "<" + text + ">"; };
    const auto reason = [&](int error, const fs::path& place = "/Volumes/Backup/pictures") {
        return reasonOf(WriteFailure{error, place}, plain).value_or("none");
    };
    EXPECT_EQ(reason(ENOSPC), "there isn\u2019t enough space");
    EXPECT_EQ(reason(EROFS), "the folder </Volumes/Backup/pictures> is on a read-only disk");
    EXPECT_EQ(reason(ENOENT), "the folder </Volumes/Backup/pictures> does not exist");
    EXPECT_EQ(reason(ENOTDIR, "/Volumes/Backup"), "</Volumes/Backup> is not a folder");
    EXPECT_EQ(reason(EACCES), "you may not write in the folder </Volumes/Backup/pictures>");
    EXPECT_EQ(reason(EPERM), reason(EACCES));
    EXPECT_EQ(reason(ELOOP), "the symbolic links on its path loop");
    EXPECT_EQ(reason(EISDIR, "/"), "it is a folder");
    EXPECT_EQ(reason(ENAMETOOLONG, folder / std::string(256, 'n')),
              "its name is too long: a file name may have at most 255 bytes");
    EXPECT_EQ(reason(ENAMETOOLONG, folder / "short.svg"), "its path is too long: a path may have at most 4095 bytes");
    for (int unknown : {0, EIO, EFBIG, EINVAL}) EXPECT_EQ(reason(unknown), "none") << unknown;
    EXPECT_EQ(reasonOf(WriteFailure{ENOENT, folder}), "the folder \u201C/Volumes/Backup/pictures\u201D does not exist");
}

// The cases a test can make in its own folder, through real failed writes.
TEST(WriteFailureCauseTest, RealFailuresAreTracedToTheirPlace) {
    testkit::TempFolder folder;
    std::ofstream(folder / "plain") << "a file, not a folder";
    EXPECT_EQ(stopped(folder / "missing" / "deeper" / "a.svg"), (WriteFailure{ENOENT, folder / "missing" / "deeper"}));
    // The part of the path that is a file, wherever it stands.
    EXPECT_EQ(stopped(folder / "plain" / "a.svg"), (WriteFailure{ENOTDIR, folder / "plain"}));
    EXPECT_EQ(stopped(folder / "plain" / "sub" / "a.svg"), (WriteFailure{ENOTDIR, folder / "plain"}));
    const fs::path tooLong = folder / (std::string(252, 'n') + ".svg");
    EXPECT_EQ(stopped(tooLong), (WriteFailure{ENAMETOOLONG, tooLong}));
    // A link is followed to the file the write makes, as the writer follows it.
    fs::create_symlink(folder / "elsewhere" / "kept.svg", folder / "link.svg");
    EXPECT_EQ(stopped(folder / "link.svg"), (WriteFailure{ENOENT, folder / "elsewhere"}));
    EXPECT_TRUE(fs::is_symlink(folder / "link.svg"));
}

// The writer's own code tells no space; a folder that shows nothing gives no reason.
TEST(WriteFailureCauseTest, TheWritersCodeComesFirstAndAnUnexplainedFailureStaysUnexplained) {
    testkit::TempFolder folder;
    const auto noSpace = file_error::make(file_error::kFileWriteOutOfSpace, "a.svg");
    EXPECT_EQ(whatStoppedTheWrite(noSpace, folder / "a.svg").error, ENOSPC);
    const auto unknown = file_error::make(file_error::kFileWriteUnknown, "a.svg");
    EXPECT_EQ(whatStoppedTheWrite(unknown, folder / "a.svg").error, 0);
    EXPECT_FALSE(withReason(unknown, folder / "a.svg"));
}

std::string shown(const WriteFailure& failure) {
    const char* missing[] = {"writing", "passing", "replacingOwn"};
    return "{" + std::to_string(failure.error) + ", " + failure.place.string() + ", " +
           missing[static_cast<int>(failure.missing)] + "}";
}

// As a user without root's rights (root may write in any folder): a folder without the right to
// write in it is named, and so is a folder on the way that may not be passed through.
TEST(WriteFailureCauseTest, AFolderWithoutWriteRightsIsNamed) {
    testkit::TempFolder folder;
    for (const char* name : {"closed", "shut/inner"}) fs::create_directories(folder / name);
    const auto outcome = testkit::asUnprivilegedUser({folder.path()}, [&] {
        fs::permissions(folder / "closed", fs::perms::owner_read | fs::perms::owner_exec);
        fs::permissions(folder / "shut", fs::perms::owner_read | fs::perms::owner_write);
        const std::string answer = shown(stopped(folder / "closed" / "a.svg")) + "\n" +
                                   shown(stopped(folder / "shut" / "inner" / "a.svg"));
        fs::permissions(folder / "shut", fs::perms::owner_all);
        return answer;
    });
    if (!outcome.skipped.empty()) GTEST_SKIP() << outcome.skipped;
    EXPECT_EQ(outcome.answer, shown({EACCES, folder / "closed"}) + "\n" +
                                  shown({EACCES, folder / "shut", WriteFailure::Missing::passing}));
    EXPECT_EQ(reasonOf({EACCES, "/a/shut", WriteFailure::Missing::passing}), "you may not open the folder \u201C/a/shut\u201D");
}

// In a folder such as /tmp, where only a file's owner may replace it, another user's file is
// named as such: the folder itself may be written in.
TEST(WriteFailureCauseTest, AnotherUsersFileInAFolderThatKeepsOwnersApartIsNamed) {
    if (::geteuid() != 0) GTEST_SKIP() << "takes root, to leave a file of another user than the test's";
    testkit::TempFolder folder;
    fs::create_directory(folder / "shared");
    fs::permissions(folder / "shared", fs::perms::all | fs::perms::sticky_bit);
    std::ofstream(folder / "shared" / "theirs.svg") << "theirs";
    const auto outcome = testkit::asUnprivilegedUser({}, [&] { return shown(stopped(folder / "shared" / "theirs.svg")); });
    if (!outcome.skipped.empty()) GTEST_SKIP() << outcome.skipped;
    EXPECT_EQ(outcome.answer, shown({EPERM, folder / "shared" / "theirs.svg", WriteFailure::Missing::replacingOwn}));
    EXPECT_EQ(testkit::fileText(folder / "shared" / "theirs.svg"), "theirs");
    EXPECT_EQ(reasonOf({EPERM, "/tmp/theirs.svg", WriteFailure::Missing::replacingOwn}),
              "\u201C/tmp/theirs.svg\u201D belongs to another user, and its folder lets only a file\u2019s owner "
              "replace it");
}

// The failing call's errno is the cause, passed on from whichever step failed; the folder, which
// shows nothing wrong, is blamed for none of them.
TEST(WriteFailureCauseTest, TheFailingCallsErrnoIsTheCause) {
    testkit::TempFolder folder;
    const fs::path file = folder / "names.json";
    struct Case {
        WriteStep step;
        int error;
        std::string reason;  // none: the writer's own sentence stays
    };
    const std::string in = "\u201C" + folder.path().string() + "\u201D";
    const std::vector<Case> cases{
        {WriteStep::makeTemporary, EROFS, "the folder " + in + " is on a read-only disk"},
        {WriteStep::makeTemporary, EACCES, "you may not write in the folder " + in},
        {WriteStep::makeTemporary, EDQUOT, "your disk quota is used up"},
        {WriteStep::makeTemporary, EMFILE, "the program has too many files open"},
        {WriteStep::openFolder, ENFILE, "the system has too many files open"},
        {WriteStep::writeBytes, EDQUOT, "your disk quota is used up"},
        {WriteStep::flush, EIO, "none"},
        {WriteStep::rename, ENOENT, "none"},  // the temporary went, not the folder
        {WriteStep::rename, EROFS, "the folder " + in + " is on a read-only disk"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(static_cast<int>(c.step)) + ": " + std::strerror(c.error));
        const WriteHooksScope hooks({.sweepBegins = {}, .temporaryMade = {}, .step = [&](WriteStep step) {
                                         if (step == c.step) return c.error;
                                         // Where the file system cannot swap, the plain rename is the last step.
                                         const bool swaps = step == WriteStep::placeWithoutReplacing || step == WriteStep::exchange;
                                         return swaps && c.step == WriteStep::rename ? EINVAL : 0;
                                     }});
        const SystemError failure = failureWriting(file);
        EXPECT_EQ(failure.underlyingErrno(), c.error);
        const auto said = withReason(failure, file);
        EXPECT_EQ(said ? std::string(said->what()) : "none",
                  c.reason == "none" ? "none" : "The file \u201Cnames.json\u201D couldn\u2019t be saved because " + c.reason + ".");
        if (said) {
            EXPECT_EQ(said->underlyingErrno(), c.error);
        }
        EXPECT_TRUE(fs::is_empty(folder.path())) << "nothing is left behind";
    }
    const WriteHooksScope full({.sweepBegins = {}, .temporaryMade = {},
                                .step = [](WriteStep step) { return step == WriteStep::writeBytes ? ENOSPC : 0; }});
    const SystemError noSpace = failureWriting(file);
    EXPECT_EQ(noSpace.code(), file_error::kFileWriteOutOfSpace);
    EXPECT_EQ(whatStoppedTheWrite(noSpace, file), (WriteFailure{ENOSPC, folder.path()}));

    // A right missing where folders were still to be made is missing in the nearest one there.
    const auto denied = file_error::make(file_error::kFileWriteUnknown, "names.json", EACCES);
    EXPECT_EQ(whatStoppedTheWrite(denied, folder / "Library" / "Preferences" / "names.json"),
              (WriteFailure{EACCES, folder.path()}));
}

// A read-only disk, mounted in the test's own folder where only the test's child process sees
// it, is named as such: from the failing call's errno, and from the disk's flags where the error
// kept none.
TEST(WriteFailureCauseTest, AReadOnlyDiskIsNamed) {
    testkit::TempFolder folder;
    const fs::path disk = folder / "disk";
    fs::create_directory(disk);
    const auto outcome = testkit::withMountsOfItsOwn([&] {
        testkit::mountReadOnlyDisk(disk);
        const auto unknown = file_error::make(file_error::kFileWriteUnknown, "a.svg");
        std::string answer = shown(stopped(disk / "a.svg")) + "\n" + shown(whatStoppedTheWrite(unknown, disk / "a.svg"));
        try {
            createDirectories(disk / "new" / "deeper");
            answer += "\nmade";
        } catch (const SystemError& failure) {
            answer += "\n" + shown(whatStoppedTheWrite(failure, disk / "new" / "deeper" / "a.svg"));
        }
        return answer;
    });
    if (!outcome.skipped.empty()) GTEST_SKIP() << outcome.skipped;
    EXPECT_EQ(outcome.answer, shown({EROFS, disk}) + "\n" + shown({EROFS, disk}) + "\n" + shown({EROFS, disk}));
    EXPECT_TRUE(fs::is_empty(disk)) << "the mount went with the child";
}

// The file layer's sentence gains the reason; what already says why is left as it is.
TEST(WriteFailureSentenceTest, TheWritersSentenceGainsItsReasonOnlyWhereItLacksOne) {
    testkit::TempFolder folder;
    const fs::path missing = folder / "gone" / "names.json";
    const auto said = withReason(failureWriting(missing), missing);
    ASSERT_TRUE(said);
    EXPECT_EQ(said->what(), "The file \u201Cnames.json\u201D couldn\u2019t be saved because the folder \u201C" +
                                (folder / "gone").string() + "\u201D does not exist.");
    EXPECT_EQ(said->code(), file_error::kFileNoSuchFile);

    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    EXPECT_FALSE(withReason(failureWriting(folder / "fifo"), folder / "fifo"));
    EXPECT_FALSE(withReason(file_error::make(file_error::kFileWriteOutOfSpace, "a"), folder / "gone" / "a"));
}

}  // namespace
}  // namespace tarnwick::files
