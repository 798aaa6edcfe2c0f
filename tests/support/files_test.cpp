#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <ctime>
#include <exception>
#include <fstream>
#include <latch>
#include <string>
#include <thread>
#include <vector>

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

// The first write of a file in a run removes the temporaries that killed writes of it left, and
// nothing else: not another file's, not one named almost like ours, not a link or a folder, not
// one made since the run started (a worker's write in flight), never the file itself.
TEST(FilesTest, TheFirstWriteRemovesOnlyTheTemporariesKilledWritesOfTheFileLeft) {
    testkit::TempFolder folder;
    const auto stampAnHourAgo = [](const fs::path& item) {
        const timespec anHourAgo{::time(nullptr) - 3600, 0};
        const timespec times[2] = {anHourAgo, anHourAgo};
        ASSERT_EQ(::utimensat(AT_FDCWD, item.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << item;
    };
    const auto leave = [&](const std::string& name, bool old = true) {
        std::ofstream(folder / name) << "left";
        if (old) stampAnHourAgo(folder / name);
    };
    const std::string ours = ".names.json.6F1C2B9E-0D4A-4C8E-9B3F-2A7D5E1C8B40.tmp";
    leave(ours);
    leave(".names.json.0A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D.tmp");
    leave("names.json");
    const std::vector<std::string> kept{
        ".names.json.6f1c2b9e-0d4a-4c8e-9b3f-2a7d5e1c8b40.tmp",  // not how we write a UUID
        ".names.json.6F1C2B9E-0D4A-4C8E-9B3F-2A7D5E1C8B4X.tmp",
        ".names.json.6F1C2B9E-0D4A-4C8E-9B3F-2A7D5E1C8B40.tmp.bak",
        "names.json.6F1C2B9E-0D4A-4C8E-9B3F-2A7D5E1C8B40.tmp",
        ".other.json.6F1C2B9E-0D4A-4C8E-9B3F-2A7D5E1C8B40.tmp",
        ".names.json.1B2C3D4E-5F60-4A7B-8C9D-0E1F2A3B4C5D.tmp",  // a link to a file of the same age
        ".names.json.2C3D4E5F-6071-4B8C-9DAE-1F2A3B4C5D6E.tmp",  // a folder
        ".names.json.3D4E5F60-7182-4C9D-AEBF-2A3B4C5D6E7F.tmp",  // made during this run
    };
    for (std::size_t i = 0; i < 5; ++i) leave(kept[i]);
    leave("target");
    fs::create_symlink(folder / "target", folder / kept[5]);
    stampAnHourAgo(folder / kept[5]);
    fs::create_directory(folder / kept[6]);
    stampAnHourAgo(folder / kept[6]);
    leave(kept[7], false);

    files::writeAtomically(folder / "names.json", "new");
    EXPECT_EQ(files::read(folder / "names.json"), "new");
    EXPECT_FALSE(files::itemExists(folder / ours));
    EXPECT_FALSE(files::itemExists(folder / ".names.json.0A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D.tmp"));
    for (const auto& name : kept) EXPECT_TRUE(files::itemExists(folder / name)) << name;
    EXPECT_EQ(files::read(folder / "target"), "left");
    EXPECT_TRUE(fs::is_symlink(folder / kept[5]));
}

// How a file system keeping whole seconds (FAT: two) may stamp a file made in the run's first
// moments: a whole second, before the run began.
const timespec kCoarseStampOfTheRunsStart{::time(nullptr) - 1, 0};

// Two threads make the first write of one file at once: the one that sweeps reads the folder while
// the other's temporary is in flight, stamped before the run began. It is ours, so it stays and
// both writes succeed; a killed write's leftover still goes.
TEST(FilesTest, TheFirstWriteNeverRemovesATemporaryOfAWriteInFlight) {
    testkit::TempFolder folder;
    const fs::path file = folder / "names.json";
    const std::string leftover = ".names.json.6F1C2B9E-0D4A-4C8E-9B3F-2A7D5E1C8B40.tmp";
    std::ofstream(folder / leftover) << "left";
    const timespec old[2] = {kCoarseStampOfTheRunsStart, kCoarseStampOfTheRunsStart};
    ASSERT_EQ(::utimensat(AT_FDCWD, (folder / leftover).c_str(), old, 0), 0);

    std::latch sweeping(1), inFlight(1), swept(1);
    std::atomic<int> temporaries = 0;
    files::WriteHooksScope hooks({
        .sweepBegins =
            [&](const fs::path& path) {
                if (path != file) return;
                sweeping.count_down();
                inFlight.wait();
            },
        .temporaryMade =
            [&](const fs::path& temporary) {
                if (temporary.parent_path() != folder.path()) return;
                if (++temporaries == 2) {  // the sweeper's own, after its sweep
                    swept.count_down();
                    return;
                }
                EXPECT_EQ(::utimensat(AT_FDCWD, temporary.c_str(), old, 0), 0);
                inFlight.count_down();
                swept.wait();
            },
    });
    const auto writeOnAThread = [&](const char* bytes, std::exception_ptr& error) {
        return std::thread([&file, bytes, &error] {
            try {
                files::writeAtomically(file, bytes);
            } catch (...) {
                error = std::current_exception();
            }
        });
    };
    std::exception_ptr sweeperError, otherError;
    std::thread sweeper = writeOnAThread("sweeper", sweeperError);
    sweeping.wait();
    std::thread other = writeOnAThread("other", otherError);
    sweeper.join();
    other.join();

    EXPECT_FALSE(sweeperError);
    EXPECT_FALSE(otherError) << "the write in flight lost its temporary";
    const std::string content = files::read(file);
    EXPECT_TRUE(content == "sweeper" || content == "other") << content;
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1)
        << "the leftover goes and neither write leaves its temporary";
}

}  // namespace
}  // namespace tarnwick
