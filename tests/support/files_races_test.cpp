// The atomic writer against what other programs do at the same time: the file's name taken by
// something else while the bytes go in, the folder moved, and the sweep of leftover temporaries
// meeting writes still in flight.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "support/file_target.h"
#include "support/files.h"
#include "support/write_temporaries.h"
#include "testkit/temp_folder.h"
#include "testkit/write_outcome.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

std::size_t entryCount(const fs::path& folder) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

std::string outcomeOfWriting(const fs::path& path, const std::string& bytes) {
    return testkit::writeOutcome([&] { files::writeAtomically(path, bytes); });
}

void replaceWithFifo(const fs::path& path) {
    fs::remove(path);
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
}

const std::string kNothing = ". Nothing was written.";

// Once the write's temporary exists (its bytes are about to go in) another program puts something
// at the file's name. Only a regular file, or nothing, is ever replaced; anything else is left
// as it came, and the answer says what is there now. No temporary stays either way.
TEST(FilesRacesTest, WhatTakesTheFilesNameWhileItIsWrittenIsNeverReplaced) {
    struct Case {
        const char* what;
        std::function<void(const fs::path& folder)> before, during;
        std::string outcome;  // of writing "new" to "screen.svg"
        std::function<void(const fs::path& folder)> check;
        std::size_t entries = 1;  // in the folder afterwards
    };
    const auto existing = [](const fs::path& folder) { files::writeAtomically(folder / "screen.svg", "old"); };
    const auto none = [](const fs::path&) {};
    const auto fifoStays = [](const fs::path& folder) { EXPECT_TRUE(fs::is_fifo(folder / "screen.svg")); };
    const std::string fifo = "The file \u201Cscreen.svg\u201D couldn\u2019t be saved because it is a FIFO (named pipe), "
                             "not a regular file" + kNothing;
    const std::vector<Case> cases{
        {"a FIFO in place of the file", existing, [](const fs::path& f) { replaceWithFifo(f / "screen.svg"); }, fifo,
         fifoStays},
        {"a FIFO where there was nothing", none, [](const fs::path& f) { replaceWithFifo(f / "screen.svg"); }, fifo,
         fifoStays},
        {"a folder", existing,
         [](const fs::path& f) {
             fs::remove(f / "screen.svg");
             fs::create_directory(f / "screen.svg");
         },
         "The file \u201Cscreen.svg\u201D couldn\u2019t be saved because it is a folder, not a regular file" + kNothing,
         [](const fs::path& f) { EXPECT_TRUE(fs::is_directory(f / "screen.svg")); }},
        {"a link to another file", existing,
         [](const fs::path& f) {
             std::ofstream(f / "other.svg") << "other";
             fs::remove(f / "screen.svg");
             fs::create_symlink("other.svg", f / "screen.svg");
         },
         "The file \u201Cscreen.svg\u201D couldn\u2019t be saved because a symbolic link took its place while it was "
         "being saved" + kNothing,
         [](const fs::path& f) {
             EXPECT_EQ(fs::read_symlink(f / "screen.svg"), "other.svg");
             EXPECT_EQ(files::read(f / "other.svg"), "other");
         },
         2},
        {"the file removed", existing, [](const fs::path& f) { fs::remove(f / "screen.svg"); }, "written",
         [](const fs::path& f) { EXPECT_EQ(files::read(f / "screen.svg"), "new"); }},
        {"another writer's file", existing,
         [](const fs::path& f) {
             fs::remove(f / "screen.svg");
             std::ofstream(f / "screen.svg") << "theirs";
         },
         "written", [](const fs::path& f) { EXPECT_EQ(files::read(f / "screen.svg"), "new"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testkit::TempFolder folder;
        c.before(folder.path());
        bool replaced = false;
        {
            files::WriteHooksScope hooks({.sweepBegins = {}, .temporaryMade = [&](const fs::path&) {
                                              if (std::exchange(replaced, true)) return;
                                              c.during(folder.path());
                                          }});
            EXPECT_EQ(outcomeOfWriting(folder / "screen.svg", "new"), c.outcome);
        }
        EXPECT_TRUE(replaced);
        c.check(folder.path());
        EXPECT_EQ(entryCount(folder.path()), c.entries) << "no temporary stays";
    }
}

// Through a link, what took the name of the file at its end is named as such.
TEST(FilesRacesTest, AFileAtTheEndOfALinkThatStopsBeingOneIsLeftAsItCame) {
    testkit::TempFolder home, dotfiles;
    files::writeAtomically(dotfiles / "names.json", "old");
    fs::create_symlink(dotfiles / "names.json", home / "names.json");
    files::WriteHooksScope hooks({.sweepBegins = {}, .temporaryMade = [&](const fs::path& temporary) {
                                      EXPECT_EQ(temporary.parent_path(), dotfiles.path());
                                      replaceWithFifo(dotfiles / "names.json");
                                  }});
    EXPECT_EQ(outcomeOfWriting(home / "names.json", "new"),
              "The file \u201Cnames.json\u201D couldn\u2019t be saved because its link leads to " +
                  (dotfiles / "names.json").string() + ", which is a FIFO (named pipe), not a regular file" + kNothing);
    EXPECT_TRUE(fs::is_fifo(dotfiles / "names.json"));
    EXPECT_TRUE(fs::is_symlink(home / "names.json"));
    EXPECT_EQ(entryCount(dotfiles.path()), 1u);
}

// The rename is the write's last step, after its last look at the name: should something else
// take the name even then, it is swapped in, seen, and swapped back, untouched, and the write's
// bytes stay at the temporary's name for the caller to remove.
TEST(FilesRacesTest, TheRenameNeverReplacesWhatTookTheNameAfterTheLastLook) {
    struct Case {
        const char* what;
        std::function<void(const fs::path& at)> make;
        std::string because;
    };
    const std::vector<Case> cases{
        {"FIFO", [](const fs::path& at) { ASSERT_EQ(::mkfifo(at.c_str(), 0600), 0); },
         "it is a FIFO (named pipe), not a regular file"},
        {"folder", [](const fs::path& at) { fs::create_directory(at); }, "it is a folder, not a regular file"},
        {"link", [](const fs::path& at) { fs::create_symlink("elsewhere", at); },
         "a symbolic link took its place while it was being saved"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testkit::TempFolder folder;
        const fs::path file = folder / "screen.svg";
        const files::detail::WriteTarget target = files::detail::resolveWriteTarget(file);
        ASSERT_FALSE(target.mode) << "nothing there at the look";
        std::ofstream(folder / ".written") << "picture";
        c.make(file);
        try {
            files::detail::renameOver(target, ".written", file);
            ADD_FAILURE() << "renamed over a " << c.what;
        } catch (const files::TargetRefused& refused) {
            EXPECT_EQ(refused.what(), "The file \u201Cscreen.svg\u201D couldn\u2019t be saved because " + c.because + kNothing);
        }
        EXPECT_EQ(fs::symlink_status(file).type(), c.what == std::string("FIFO")     ? fs::file_type::fifo
                                                   : c.what == std::string("folder") ? fs::file_type::directory
                                                                                     : fs::file_type::symlink);
        EXPECT_EQ(files::read(folder / ".written"), "picture");
    }

    // A regular file that came meanwhile is replaced as any, and leaves nothing behind.
    testkit::TempFolder folder;
    const files::detail::WriteTarget target = files::detail::resolveWriteTarget(folder / "screen.svg");
    std::ofstream(folder / ".written") << "picture";
    std::ofstream(folder / "screen.svg") << "theirs";
    files::detail::renameOver(target, ".written", folder / "screen.svg");
    EXPECT_EQ(files::read(folder / "screen.svg"), "picture");
    EXPECT_EQ(entryCount(folder.path()), 1u);
}

// The write works in the folder it looked at: moved away meanwhile, with another folder put at
// its path, the file lands in the folder that was checked, and the newcomer is left alone.
TEST(FilesRacesTest, TheWriteStaysInTheFolderItLookedAt) {
    testkit::TempFolder home;
    const fs::path dotfiles = home / "dotfiles";
    files::createDirectories(dotfiles);
    files::writeAtomically(dotfiles / "names.json", "old");
    {
        files::WriteHooksScope hooks({.sweepBegins = {}, .temporaryMade = [&](const fs::path&) {
                                          fs::rename(dotfiles, home / "moved");
                                          fs::create_directory(dotfiles);
                                      }});
        EXPECT_EQ(outcomeOfWriting(dotfiles / "names.json", "new"), "written");
    }
    EXPECT_EQ(files::read(home / "moved" / "names.json"), "new");
    EXPECT_EQ(entryCount(home / "moved"), 1u);
    EXPECT_EQ(entryCount(dotfiles), 0u);
}

// A temporary left a moment before the run began is a leftover of that run's sweep, however
// close: the file system stamps files more finely than a coarse clock reads the run's start.
// One that a write holds (another program's, locked) stays whatever its stamp, and goes once
// that write is gone.
TEST(FilesRacesTest, TheSweepTakesWhatWasLeftJustBeforeTheRunAndNothingAWriteHolds) {
    testkit::TempFolder folder;
    const files::detail::Folder handle = files::detail::openFolder(AT_FDCWD, folder.path());
    ASSERT_GE(handle.fd(), 0);
    for (int attempt = 0; attempt < 20; ++attempt) {
        const std::string name = "names-" + std::to_string(attempt) + ".json";
        const fs::path leftover = folder / files::detail::temporaryName(name);
        std::ofstream(leftover) << "left";
        const timespec runStart = files::detail::stampNow();
        files::detail::removeLeftoversStampedBefore(handle.fd(), name, runStart);
        EXPECT_FALSE(files::itemExists(leftover)) << "attempt " << attempt;
    }

    const fs::path held = folder / files::detail::temporaryName("names.json");
    std::ofstream(held) << "in flight";
    const timespec anHourAgo[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, held.c_str(), anHourAgo, 0), 0);
    const int writer = ::open(held.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::flock(writer, LOCK_EX), 0);
    files::detail::removeLeftoversStampedBefore(handle.fd(), "names.json", files::detail::stampNow());
    EXPECT_TRUE(files::itemExists(held)) << "a write in flight keeps its temporary";
    ::close(writer);
    files::detail::removeLeftoversStampedBefore(handle.fd(), "names.json", files::detail::stampNow());
    EXPECT_FALSE(files::itemExists(held)) << "a killed write's lock goes with it";
}

}  // namespace
}  // namespace tarnwick
