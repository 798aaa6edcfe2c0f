#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "support/error.h"
#include "support/files.h"
#include "support/write_failure.h"
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

// Root may write anywhere; elsewhere a folder without write rights is named.
TEST(WriteFailureCauseTest, AFolderWithoutWriteRightsIsNamed) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may write in any folder; the reason's sentence is tested above";
    testkit::TempFolder folder;
    fs::create_directory(folder / "closed");
    fs::permissions(folder / "closed", fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(stopped(folder / "closed" / "a.svg"), (WriteFailure{EACCES, folder / "closed"}));
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
