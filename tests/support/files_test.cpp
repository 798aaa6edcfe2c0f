#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/error.h"
#include "support/files.h"
#include "testkit/temp_folder.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

long readErrorCode(const fs::path& path) {
    try {
        files::read(path);
    } catch (const SystemError& error) {
        return error.code();
    }
    return 0;
}

// A FIFO nobody writes to would hold a blocking open for ever; every one of these returns at once.
TEST(FilesTest, OnlyRegularFilesAndLinksToThemAreRead) {
    testkit::TempFolder folder;
    const fs::path fifo = folder / "names.json";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(readErrorCode(fifo), file_error::kFileReadUnknown);
    try {
        files::read(fifo);
    } catch (const SystemError& error) {
        EXPECT_STREQ(error.what(), "The file \u201cnames.json\u201d couldn\u2019t be opened.");
    }
    fs::create_symlink(fifo, folder / "link-to-fifo");
    EXPECT_EQ(readErrorCode(folder / "link-to-fifo"), file_error::kFileReadUnknown);
    EXPECT_EQ(readErrorCode("/dev/null"), file_error::kFileReadUnknown);
    EXPECT_EQ(readErrorCode(folder.path()), file_error::kFileReadUnknown);
    EXPECT_EQ(readErrorCode(folder / "missing"), file_error::kFileNoSuchFile);
    EXPECT_TRUE(fs::is_fifo(fifo));

    files::writeAtomically(folder / "plain", "content");
    fs::create_symlink(folder / "plain", folder / "link");
    EXPECT_EQ(files::read(folder / "link"), "content");
}

TEST(FilesTest, AppendingToAFifoIsRefusedWithOrWithoutAReader) {
    testkit::TempFolder folder;
    const fs::path fifo = folder / "trace.jsonl";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_THROW(files::append(fifo, "line\n"), SystemError);

    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_THROW(files::append(fifo, "line\n"), SystemError);
    char byte;
    EXPECT_EQ(::read(reader, &byte, 1), 0) << "nothing reached the reader";
    ::close(reader);

    files::writeAtomically(folder / "plain", "a");
    files::append(folder / "plain", "b");
    EXPECT_EQ(files::read(folder / "plain"), "ab");
}

TEST(FilesTest, OpenRegularLeavesTheDescriptorBlocking) {
    testkit::TempFolder folder;
    files::writeAtomically(folder / "plain", "x");
    const int fd = files::openRegular(folder / "plain", O_RDONLY);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::fcntl(fd, F_GETFL) & O_NONBLOCK, 0);
    EXPECT_NE(::fcntl(fd, F_GETFD) & FD_CLOEXEC, 0);
    ::close(fd);
    errno = 0;
    EXPECT_EQ(files::openRegular("/dev/null", O_RDONLY), -1);
    EXPECT_EQ(errno, EINVAL);
}

}  // namespace
}  // namespace tarnwick
