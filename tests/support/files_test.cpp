#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
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
#include "support/text.h"
#include "testkit/child_process.h"
#include "testkit/device_node.h"
#include "testkit/temp_folder.h"
#include "testkit/write_outcome.h"

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
    EXPECT_EQ(readErrorCode(folder.path()), file_error::kFileReadUnknown);
    EXPECT_EQ(readErrorCode(folder / "missing"), file_error::kFileNoSuchFile);
    EXPECT_TRUE(fs::is_fifo(fifo));

    files::writeAtomically(folder / "plain", "content");
    fs::create_symlink(folder / "plain", folder / "link");
    EXPECT_EQ(files::read(folder / "link"), "content");
}

TEST(FilesTest, OpenRegularLeavesTheDescriptorBlocking) {
    testkit::TempFolder folder;
    files::writeAtomically(folder / "plain", "x");
    const int fd = files::openRegular(folder / "plain", O_RDONLY);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::fcntl(fd, F_GETFL) & O_NONBLOCK, 0);
    EXPECT_NE(::fcntl(fd, F_GETFD) & FD_CLOEXEC, 0);
    ::close(fd);
}

// The first write of a file in a run removes the temporaries that killed writes of it left, and
// nothing else: not another file's, not one named almost like ours, not a link or a folder, not
// one stamped since the run started, never the file itself.
TEST(FilesTest, TheFirstWriteRemovesOnlyTheTemporariesKilledWritesOfTheFileLeft) {
    testkit::TempFolder folder;
    const auto stampAnHourAgo = [](const fs::path& item) {
        const timespec anHourAgo{::time(nullptr) - 3600, 0};
        const timespec times[2] = {anHourAgo, anHourAgo};
        ASSERT_EQ(::utimensat(AT_FDCWD, item.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << item;
    };
    const auto leave = [&](const std::string& name, bool old = true) {
        std::ofstream(folder / name) << "left";
        if (old) {
            stampAnHourAgo(folder / name);
        } else {
            // Later than the run's start by any clock, as a file made a moment after it may not be
            // where the file system stamps coarsely.
            const timespec aSecondAhead{::time(nullptr) + 1, 0};
            const timespec times[2] = {aSecondAhead, aSecondAhead};
            ASSERT_EQ(::utimensat(AT_FDCWD, (folder / name).c_str(), times, 0), 0);
        }
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
        ".names.json.3D4E5F60-7182-4C9D-AEBF-2A3B4C5D6E7F.tmp",  // stamped during this run
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
        .step = {},
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

// The temporaries of the writes made while it lives, by folder and name.
class TemporariesSeen {
public:
    TemporariesSeen()
        : hooks_({.sweepBegins = {}, .temporaryMade = [this](const fs::path& temporary) { made_.push_back(temporary); }, .step = {}}) {}
    const std::vector<fs::path>& made() const { return made_; }

private:
    std::vector<fs::path> made_;
    files::WriteHooksScope hooks_;
};

std::size_t entryCount(const fs::path& folder) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// A settings file kept in a dotfiles folder and linked from where the program looks: the write
// goes through the links to the file at their end, in that file's folder, and every link stays.
TEST(FilesTest, ALinkIsWrittenThroughToTheFileAtTheEndOfItsChain) {
    testkit::TempFolder home, dotfiles;
    files::writeAtomically(dotfiles / "names.json", "old");
    fs::create_symlink(dotfiles / "names.json", home / "absolute");                // absolute
    fs::create_symlink("absolute", home / "relative");                             // relative, to a link
    fs::create_directory(home / "deeper");
    fs::create_symlink("../relative", home / "deeper" / "chained");               // relative, up a folder
    const TemporariesSeen temporaries;
    for (const fs::path& link : {home / "absolute", home / "relative", home / "deeper" / "chained"}) {
        files::writeAtomically(link, "through " + link.filename().string());
        EXPECT_EQ(files::read(dotfiles / "names.json"), "through " + link.filename().string());
        EXPECT_EQ(temporaries.made().back().parent_path(), dotfiles.path()) << "renamed within the file's folder";
    }
    EXPECT_EQ(fs::read_symlink(home / "absolute"), dotfiles / "names.json");
    EXPECT_EQ(fs::read_symlink(home / "relative"), "absolute");
    EXPECT_EQ(fs::read_symlink(home / "deeper" / "chained"), "../relative");
    EXPECT_EQ(entryCount(dotfiles.path()), 1u) << "no temporary stays";

    // A link to nothing yet makes the file it names; a link into a missing folder fails whole.
    fs::create_symlink("made.json", home / "dangling");
    files::writeAtomically(home / "dangling", "new");
    EXPECT_TRUE(fs::is_symlink(home / "dangling"));
    EXPECT_EQ(files::read(home / "made.json"), "new");
    fs::create_symlink(home / "missing" / "x.json", home / "into-nothing");
    EXPECT_THROW(files::writeAtomically(home / "into-nothing", "x"), SystemError);
    EXPECT_TRUE(fs::is_symlink(home / "into-nothing"));
    EXPECT_FALSE(files::itemExists(home / "missing"));
}

TEST(FilesTest, AReplacedFileKeepsItsPermissionsAndANewOneGetsTheUsual) {
    testkit::TempFolder home, dotfiles;
    const auto mode = [](const fs::path& file) { return fs::status(file).permissions() & fs::perms::mask; };
    files::writeAtomically(dotfiles / "names.json", "old");
    const fs::perms usual = mode(dotfiles / "names.json");
    fs::permissions(dotfiles / "names.json", fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink(dotfiles / "names.json", home / "names.json");
    files::writeAtomically(home / "names.json", "through the link");
    files::writeAtomically(dotfiles / "names.json", "directly");
    EXPECT_EQ(files::read(dotfiles / "names.json"), "directly");
    EXPECT_EQ(mode(dotfiles / "names.json"), fs::perms::owner_read | fs::perms::owner_write);
    files::writeAtomically(dotfiles / "other.json", "new");
    EXPECT_EQ(mode(dotfiles / "other.json"), usual);
}

std::string refusalOf(const fs::path& path) {
    return testkit::writeOutcome([&] { files::writeAtomically(path, "picture"); });
}

// None of these is opened (a FIFO without a reader would hold the open for ever), replaced or
// changed, and the answer says what is there.
TEST(FilesTest, WhatIsNoRegularFileIsRefusedWithASentenceAndLeftAsItWas) {
    testkit::TempFolder folder;
    const fs::path fifo = folder / "screen.svg";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directory(folder / "folder.svg");
    files::writeAtomically(folder / "folder.svg" / "inside", "kept");
    const fs::path socketPath = folder / "socket.svg";
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socketPath.string().size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, socketPath.c_str());
    ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    fs::create_symlink(fifo, folder / "link-to-fifo.svg");
    fs::create_symlink("null", folder / "null");  // a link to itself
    fs::create_symlink("ping", folder / "pong");
    fs::create_symlink("pong", folder / "ping");

    const std::string nothing = ". Nothing was written.";
    EXPECT_EQ(refusalOf(fifo), "The file \u201Cscreen.svg\u201D couldn\u2019t be saved because it is a FIFO (named "
                               "pipe), not a regular file" + nothing);
    EXPECT_EQ(refusalOf(folder / "folder.svg"),
              "The file \u201Cfolder.svg\u201D couldn\u2019t be saved because it is a folder, not a regular file" + nothing);
    EXPECT_EQ(refusalOf(socketPath),
              "The file \u201Csocket.svg\u201D couldn\u2019t be saved because it is a socket, not a regular file" + nothing);
    EXPECT_EQ(refusalOf(folder / "link-to-fifo.svg"),
              "The file \u201Clink-to-fifo.svg\u201D couldn\u2019t be saved because its link leads to " + fifo.string() +
                  ", which is a FIFO (named pipe), not a regular file" + nothing);
    for (const char* loop : {"null", "ping"})
        EXPECT_EQ(refusalOf(folder / loop), "The file \u201C" + std::string(loop) +
                                                "\u201D couldn\u2019t be saved because its symbolic links loop or chain "
                                                "more than 40 deep" + nothing);
    ::close(listener);

    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_TRUE(fs::is_socket(socketPath));
    EXPECT_EQ(files::read(folder / "folder.svg" / "inside"), "kept");
    EXPECT_EQ(fs::read_symlink(folder / "ping"), "pong");
    EXPECT_EQ(entryCount(folder.path()), 7u) << "no temporary was made";
}

std::string appendRefusalOf(const fs::path& path) {
    return testkit::writeOutcome([&] { files::append(path, "line\n"); });
}

// The append refuses what the atomic write refuses, in the same words, whether or not a FIFO has
// a reader; it makes a missing file and writes through links to the file at their end.
TEST(FilesTest, AppendingRefusesWhatIsNoRegularFileAndMakesAMissingOne) {
    testkit::TempFolder folder, elsewhere;
    const fs::path fifo = folder / "trace.jsonl";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string refusedFifo = "The file \u201Ctrace.jsonl\u201D couldn\u2019t be saved because it is a FIFO "
                                    "(named pipe), not a regular file. Nothing was written.";
    EXPECT_EQ(appendRefusalOf(fifo), refusedFifo);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_EQ(appendRefusalOf(fifo), refusedFifo);
    char byte;
    EXPECT_EQ(::read(reader, &byte, 1), 0) << "nothing reached the reader";
    ::close(reader);
    fs::create_directory(folder / "folder.jsonl");
    EXPECT_EQ(appendRefusalOf(folder / "folder.jsonl"), refusalOf(folder / "folder.jsonl"));
    fs::create_symlink("loop", folder / "loop");
    EXPECT_EQ(appendRefusalOf(folder / "loop"), refusalOf(folder / "loop"));

    files::append(folder / "new.jsonl", "a");
    files::append(folder / "new.jsonl", "b");
    EXPECT_EQ(files::read(folder / "new.jsonl"), "ab");
    fs::create_symlink(elsewhere / "kept.jsonl", folder / "linked.jsonl");
    files::append(folder / "linked.jsonl", "through ");
    files::append(folder / "linked.jsonl", "the link");
    EXPECT_TRUE(fs::is_symlink(folder / "linked.jsonl"));
    EXPECT_EQ(files::read(elsewhere / "kept.jsonl"), "through the link");
    EXPECT_TRUE(fs::is_fifo(fifo));
}

// Read, opened, written or appended to, a device is refused and stays the device it was. It is
// made in the test's own folder: a writer that broke would otherwise replace the machine's.
TEST(FilesTest, ADeviceIsNeitherReadNorReplacedNorAppendedTo) {
    testkit::TempFolder folder;
    const auto device = testkit::makeCharacterDevice(folder / "null", testkit::kNullDevice);
    if (!device) GTEST_SKIP() << testkit::kNoDeviceHere;
    EXPECT_EQ(readErrorCode(*device), file_error::kFileReadUnknown);
    errno = 0;
    EXPECT_EQ(files::openRegular(*device, O_RDONLY), -1);
    EXPECT_EQ(errno, EINVAL);
    const std::string refused = "The file \u201Cnull\u201D couldn\u2019t be saved because it is a character device, "
                                "not a regular file. Nothing was written.";
    EXPECT_EQ(refusalOf(*device), refused);
    EXPECT_EQ(appendRefusalOf(*device), refused);
    fs::create_symlink("null", folder / "link");
    EXPECT_EQ(refusalOf(folder / "link"), "The file \u201Clink\u201D couldn\u2019t be saved because its link leads to " +
                                              (folder / "null").string() +
                                              ", which is a character device, not a regular file. Nothing was written.");
    EXPECT_TRUE(fs::is_character_file(*device));
    EXPECT_EQ(entryCount(folder.path()), 2u) << "no temporary was made";
}

// A link through a process's table of what it has open (/dev/stdout is one) names no place in a
// folder: replacing it would replace the file the descriptor is open on, and what the process
// writes there next would go to a removed file. Refused, and nothing is touched: neither that file
// nor its folder. The descriptor here is open on a file of the test's own.
TEST(FilesTest, ALinkToWhatAProcessHasOpenIsRefusedAndNothingIsTouched) {
    testkit::TempFolder folder, output;
    const fs::path transcript = output / "out.txt";
    files::writeAtomically(transcript, "ready\n");
    const int fd = files::openRegular(transcript, O_RDONLY);
    ASSERT_GE(fd, 0);
    struct stat before {};
    ASSERT_EQ(::fstat(fd, &before), 0);
    const std::string number = std::to_string(fd);
    const fs::path open = "/proc/self/fd/" + number;
    fs::create_symlink(open, folder / "stdout");        // as the machine's /dev/stdout is
    fs::create_symlink("stdout", folder / "relative");  // a chain that comes to one
    fs::create_symlink("/proc/self/fd", folder / "fd");  // as /dev/fd is

    const std::string what = "a process\u2019s link to something it has open, not a regular file. Nothing was written.";
    const auto through = [&](const std::string& name) {
        return "The file \u201C" + name + "\u201D couldn\u2019t be saved because its link leads to " + open.string() +
               ", which is " + what;
    };
    const std::string direct = "The file \u201C" + number + "\u201D couldn\u2019t be saved because it is " + what;
    EXPECT_EQ(refusalOf(folder / "stdout"), through("stdout"));
    EXPECT_EQ(refusalOf(folder / "relative"), through("relative"));
    EXPECT_EQ(refusalOf(folder / "fd" / number), direct);
    EXPECT_EQ(refusalOf(open), direct);
    EXPECT_EQ(appendRefusalOf(folder / "stdout"), through("stdout"));
    EXPECT_EQ(appendRefusalOf(open), direct);
    ::close(fd);

    struct stat after {};
    ASSERT_EQ(::stat(transcript.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "the file the descriptor was open on is still the one in its folder";
    EXPECT_EQ(files::read(transcript), "ready\n");
    EXPECT_EQ(entryCount(output.path()), 1u);
    EXPECT_EQ(entryCount(folder.path()), 3u);
}

// The kernel follows 40 links for an open; a write follows as many, and refuses one more.
TEST(FilesTest, AChainOfLinksIsFollowedAsFarAsTheKernelWouldAndNoFurther) {
    testkit::TempFolder folder;
    files::writeAtomically(folder / "link0", "end");
    for (int i = 1; i <= files::kMostLinksFollowed + 1; ++i)
        fs::create_symlink("link" + std::to_string(i - 1), folder / ("link" + std::to_string(i)));
    const auto link = [&](int i) { return folder / ("link" + std::to_string(i)); };
    files::writeAtomically(link(files::kMostLinksFollowed), "forty links away");
    EXPECT_EQ(files::read(link(files::kMostLinksFollowed)), "forty links away");
    EXPECT_THROW(files::writeAtomically(link(files::kMostLinksFollowed + 1), "too far"), files::TargetRefused);
    EXPECT_EQ(files::read(folder / "link0"), "forty links away");
}

// Any legal name can be written: a temporary's name stays within the 255 bytes a name may have,
// and is cut between characters. Two long names that start alike keep their temporaries apart.
TEST(FilesTest, TheLongestLegalNamesCanBeWritten) {
    testkit::TempFolder folder;
    std::string accented;
    while (accented.size() < 254) accented += "\u00E9";
    const std::vector<std::string> names{std::string(213, 'n'), std::string(214, 'n'), std::string(255, 'n'),
                                         std::string(254, 'n') + "m", "x" + accented};
    const TemporariesSeen temporaries;
    for (const auto& name : names) {
        ASSERT_LE(name.size(), 255u);
        files::writeAtomically(folder / name, name);
        EXPECT_EQ(files::read(folder / name), name);
        const std::string temporary = temporaries.made().back().filename().string();
        EXPECT_LE(temporary.size(), 255u);
        EXPECT_TRUE(text::isValidUTF8(temporary)) << temporary;
    }
    EXPECT_NE(temporaries.made()[2].filename().string().substr(0, 214),
              temporaries.made()[3].filename().string().substr(0, 214));
    EXPECT_EQ(entryCount(folder.path()), names.size());
}

// A killed write of a long name leaves a temporary of the bounded form: the next run's first write
// of that file removes it, and keeps that of another file whose long name starts the same way.
TEST(FilesTest, TheFirstWriteRemovesLeftoversOfLongNamesAndNoOtherFilesOnes) {
    testkit::TempFolder seen, folder;
    const std::string name(255, 'n'), neighbour = std::string(254, 'n') + "m";
    const auto leftoverOf = [&](const std::string& file) {
        const TemporariesSeen temporaries;
        files::writeAtomically(seen / file, "x");
        std::string temporary = temporaries.made().back().filename().string();
        const std::size_t id = temporary.size() - 41;  // ".<UUID>.tmp" ends it
        return temporary.replace(id, 37, ".6F1C2B9E-0D4A-4C8E-9B3F-2A7D5E1C8B40");
    };
    const std::string ours = leftoverOf(name), theirs = leftoverOf(neighbour);
    ASSERT_NE(ours, theirs);
    const timespec anHourAgo[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
    for (const auto& leftover : {ours, theirs}) {
        std::ofstream(folder / leftover) << "left";
        ASSERT_EQ(::utimensat(AT_FDCWD, (folder / leftover).c_str(), anHourAgo, 0), 0);
    }
    files::writeAtomically(folder / name, "new");
    EXPECT_FALSE(files::itemExists(folder / ours));
    EXPECT_TRUE(files::itemExists(folder / theirs));
}

// A folder its user may write in and pass through but not list (mode 0333) takes every write:
// the writer holds the folder without reading it. Only the sweep of leftovers needs the listing,
// so it waits for a run that may list the folder, and the write goes on.
TEST(FilesTest, AFolderThatMayBeWrittenInButNotListedTakesTheWrites) {
    testkit::TempFolder folder;
    const fs::path unlisted = folder / "unlisted";
    fs::create_directory(unlisted);
    const std::string leftover = ".names.json.6F1C2B9E-0D4A-4C8E-9B3F-2A7D5E1C8B40.tmp";
    std::ofstream(unlisted / leftover) << "left";
    const timespec anHourAgo[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (unlisted / leftover).c_str(), anHourAgo, 0), 0);
    const auto outcome = testkit::asUnprivilegedUser({folder.path()}, [&] {
        fs::permissions(unlisted, fs::perms::owner_write | fs::perms::owner_exec);
        std::string answer;
        for (const char* bytes : {"first", "second"})
            answer += testkit::writeOutcome([&] { files::writeAtomically(unlisted / "names.json", bytes); }) + "\n";
        answer += testkit::writeOutcome([&] { files::append(unlisted / "trace.jsonl", "line\n"); });
        fs::permissions(unlisted, fs::perms::owner_all);
        return answer;
    });
    if (!outcome.skipped.empty()) GTEST_SKIP() << outcome.skipped;
    EXPECT_EQ(outcome.answer, "written\nwritten\nwritten");
    EXPECT_EQ(files::read(unlisted / "names.json"), "second");
    EXPECT_EQ(files::read(unlisted / "trace.jsonl"), "line\n");
    EXPECT_TRUE(files::itemExists(unlisted / leftover)) << "the sweep waits for a run that may list the folder";
    EXPECT_EQ(entryCount(unlisted), 3u);
}

}  // namespace
}  // namespace tarnwick
