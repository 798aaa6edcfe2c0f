// The atomic writer against what other programs do at the same time: the file's name taken by
// something else while the bytes go in, the folder moved, and the sweep of leftover temporaries
// meeting writes still in flight.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>
#include <fstream>
#include <functional>
#include <memory>
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

// The text of a regular file; never opens anything else (a FIFO would hold the open).
std::string regularText(const fs::path& path) {
    return fs::is_regular_file(fs::symlink_status(path)) ? files::read(path) : "<no regular file>";
}

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
                                          }, .step = {}});
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
                                  }, .step = {}});
    EXPECT_EQ(outcomeOfWriting(home / "names.json", "new"),
              "The file \u201Cnames.json\u201D couldn\u2019t be saved because its link leads to " +
                  (dotfiles / "names.json").string() + ", which is a FIFO (named pipe), not a regular file" + kNothing);
    EXPECT_TRUE(fs::is_fifo(dotfiles / "names.json"));
    EXPECT_TRUE(fs::is_symlink(home / "names.json"));
    EXPECT_EQ(entryCount(dotfiles.path()), 1u);
}

// Hooks that act at the `nth` step of one kind (counted from 1) and let every other step run.
files::WriteHooks atStep(files::WriteStep which, int nth, std::function<int()> act) {
    auto seen = std::make_shared<int>(0);
    return {.sweepBegins = {}, .temporaryMade = {}, .step = [=](files::WriteStep step) {
                return step == which && ++*seen == nth ? act() : 0;
            }};
}

// The rename is the write's last step, after its last look at the name: should something else
// take the name even then, it is swapped in, seen, and swapped back, untouched, and the write's
// bytes stay at the temporary's name for the caller to remove.
TEST(FilesRacesTest, TheRenameNeverReplacesWhatTookTheNameAfterTheLastLook) {
    struct Case {
        const char* what;
        std::function<void(const fs::path& at)> make;
        std::string because;
        fs::file_type left;
    };
    const std::vector<Case> cases{
        {"FIFO", [](const fs::path& at) { ASSERT_EQ(::mkfifo(at.c_str(), 0600), 0); },
         "it is a FIFO (named pipe), not a regular file", fs::file_type::fifo},
        {"folder", [](const fs::path& at) { fs::create_directory(at); }, "it is a folder, not a regular file",
         fs::file_type::directory},
        {"link", [](const fs::path& at) { fs::create_symlink("elsewhere", at); },
         "a symbolic link took its place while it was being saved", fs::file_type::symlink},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testkit::TempFolder folder;
        const fs::path file = folder / "screen.svg";
        const files::detail::WriteTarget target = files::detail::resolveWriteTarget(file);
        ASSERT_FALSE(target.mode) << "nothing there at the look";
        std::ofstream(folder / ".written") << "picture";
        const files::WriteHooksScope hooks(atStep(files::WriteStep::placeWithoutReplacing, 1, [&] {
            c.make(file);
            return 0;
        }));
        try {
            files::detail::renameOver(target, ".written", file);
            ADD_FAILURE() << "renamed over a " << c.what;
        } catch (const files::TargetRefused& refused) {
            EXPECT_EQ(refused.what(), "The file \u201Cscreen.svg\u201D couldn\u2019t be saved because " + c.because + kNothing);
        }
        EXPECT_EQ(fs::symlink_status(file).type(), c.left);
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

// A FIFO comes after the last look; while the write's document holds the name (the exchange has
// swapped them), other programs act again, just before it is swapped back. Another program's file
// ends under its own name, never under the temporary's, where the next run's sweep would take it
// for a leftover; what was found at the name is said to be where it went.
TEST(FilesRacesTest, TheSwapBackNeverLeavesAnotherProgramsFileUnderTheTemporarysName) {
    const auto saveTheirs = [](const fs::path& file) {
        std::ofstream(file.parent_path() / "theirs") << "theirs";
        fs::rename(file.parent_path() / "theirs", file);  // over the write's document
        return 0;
    };
    struct Case {
        const char* what;
        std::function<int(const fs::path& file)> atTheSwapBack, atTheNextSwap;
        std::string because;  // after "couldn’t be saved because it is a FIFO (named pipe), not a regular file"
        std::string atTheName;
        std::string asideSuffix;  // the temporary's name, and this, names where the rest is
    };
    const std::string fifo = "it is a FIFO (named pipe), not a regular file";
    const std::vector<Case> cases{
        {"another program saves its file", saveTheirs,
         [](const fs::path&) { return 0; }, "; another program then saved its own file under that name, and the FIFO "
         "(named pipe) is now at <aside>" + kNothing, "theirs", ""},
        {"the name is emptied", [](const fs::path& f) { return fs::remove(f) ? 0 : EIO; }, [](const fs::path&) { return 0; },
         kNothing, "fifo", ""},
        {"its file cannot be put back", saveTheirs,
         [](const fs::path&) { return EIO; }, ", and other programs changed what is at its name while it was being "
         "saved; what the write moved aside from its name is at <aside>.", "fifo", ".kept"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testkit::TempFolder folder;
        const fs::path file = folder / "screen.svg";
        fs::path temporary;
        int placings = 0, exchanges = 0;
        {
            const files::WriteHooksScope hooks(
                {.sweepBegins = {}, .temporaryMade = [&](const fs::path& made) { temporary = made; },
                 .step = [&](files::WriteStep step) {
                     if (step == files::WriteStep::placeWithoutReplacing && ++placings == 1) replaceWithFifo(file);
                     if (step != files::WriteStep::exchange) return 0;
                     ++exchanges;
                     return exchanges == 2 ? c.atTheSwapBack(file) : exchanges == 3 ? c.atTheNextSwap(file) : 0;
                 }});
            std::string expected = "The file \u201Cscreen.svg\u201D couldn\u2019t be saved because " + fifo + c.because;
            const std::string outcome = outcomeOfWriting(file, "new");
            if (const auto at = expected.find("<aside>"); at != std::string::npos)
                expected.replace(at, 7, temporary.string() + c.asideSuffix);
            EXPECT_EQ(outcome, expected);
        }
        if (c.atTheName == "theirs") {
            EXPECT_EQ(regularText(file), "theirs");
            EXPECT_TRUE(fs::is_fifo(temporary));
        } else {
            EXPECT_TRUE(fs::is_fifo(file));
        }
        if (!c.asideSuffix.empty()) {
            EXPECT_EQ(regularText(temporary.string() + c.asideSuffix), "theirs");
        }
        // Whenever the next run comes, its sweep takes nothing of another program's.
        const files::detail::Folder handle = files::detail::openFolder(AT_FDCWD, folder.path());
        files::detail::removeLeftoversStampedBefore(handle.fd(), "screen.svg", {::time(nullptr) + 3600, 0});
        EXPECT_EQ(entryCount(folder.path()), c.atTheName == "fifo" && c.asideSuffix.empty() ? 1u : 2u);
        if (!c.asideSuffix.empty()) {
            EXPECT_EQ(regularText(temporary.string() + c.asideSuffix), "theirs");
        }
        if (c.atTheName == "theirs") {
            EXPECT_EQ(regularText(file), "theirs");
        }
    }
}

// After the exchange has put the write's document at the name and a FIFO found there under the
// temporary's, the swap back can fail with nobody else acting, or find other programs acting at
// each swap. The answer says where the document and the FIFO are, blames other programs only
// when they acted, and no file of theirs stays where the next run's sweep takes it.
TEST(FilesRacesTest, ASwapBackThatFailsSaysTruthfullyWhereEverythingIs) {
    const auto save = [](const fs::path& file, const std::string& text) {
        std::ofstream(file.parent_path() / "theirs") << text;
        fs::rename(file.parent_path() / "theirs", file);
    };
    const std::string fifo = "The file \u201Cscreen.svg\u201D couldn\u2019t be saved because it is a FIFO (named pipe), "
                             "not a regular file";
    for (const bool othersAct : {false, true}) {
        SCOPED_TRACE(othersAct ? "another program saves at each swap back" : "the swap back fails");
        testkit::TempFolder folder;
        const fs::path file = folder / "screen.svg";
        fs::path temporary;
        int exchanges = 0;
        std::string outcome;
        {
            const files::WriteHooksScope hooks(
                {.sweepBegins = {}, .temporaryMade = [&](const fs::path& made) { temporary = made; },
                 .step = [&](files::WriteStep step) {
                     if (step == files::WriteStep::placeWithoutReplacing && exchanges == 0) replaceWithFifo(file);
                     if (step != files::WriteStep::exchange || ++exchanges == 1) return 0;
                     if (!othersAct) return EIO;
                     save(file, exchanges == 2 ? "theirs" : "theirs again");
                     return 0;
                 }});
            outcome = outcomeOfWriting(file, "new");
        }
        if (othersAct) {
            EXPECT_EQ(outcome, fifo + ", and other programs changed what is at its name while it was being saved; "
                                      "what the write moved aside from its name is at " +
                                   temporary.string() + ".kept.");
        } else {
            EXPECT_EQ(outcome, "The file \u201Cscreen.svg\u201D was written where it should not have been: it is a "
                               "FIFO (named pipe), not a regular file, and the write swapped that out of the way to "
                               "look at it and could not swap it back; the document written is now at its name and "
                               "the FIFO (named pipe) is at " +
                                   temporary.string() + ".");
        }
        // As the answer says, and so after the next run's sweep.
        for (const bool swept : {false, true}) {
            SCOPED_TRACE(swept ? "after the sweep" : "before the sweep");
            if (othersAct) {
                EXPECT_EQ(regularText(file), "theirs");
                EXPECT_EQ(regularText(temporary.string() + ".kept"), "theirs again");
                EXPECT_FALSE(files::itemExists(temporary));
            } else {
                EXPECT_EQ(regularText(file), "new");
                EXPECT_TRUE(fs::is_fifo(temporary));
            }
            EXPECT_EQ(entryCount(folder.path()), 2u);
            const files::detail::Folder handle = files::detail::openFolder(AT_FDCWD, folder.path());
            files::detail::removeLeftoversStampedBefore(handle.fd(), "screen.svg", {::time(nullptr) + 3600, 0});
        }
    }
}

// Where the file system cannot swap (nor refuse to replace), a look is all that keeps the rename
// from replacing what is no file: whatever took the name before the rename's attempts, or between
// them, is refused and left as it came, and a name nothing took is written as ever.
TEST(FilesRacesTest, WithoutTheSwapALookKeepsTheRenameFromWhatIsNoFile) {
    const auto cannotSwap = [](files::WriteStep step) {
        return step == files::WriteStep::placeWithoutReplacing || step == files::WriteStep::exchange ? EINVAL : 0;
    };
    const std::string refused = "The file \u201Cscreen.svg\u201D couldn\u2019t be saved because it is a FIFO (named "
                                "pipe), not a regular file" + kNothing;
    for (const bool whileTheBytesGoIn : {true, false}) {
        SCOPED_TRACE(whileTheBytesGoIn ? "while the bytes go in" : "at the rename's first attempt");
        testkit::TempFolder folder;
        const fs::path file = folder / "screen.svg";
        files::writeAtomically(file, "old");
        {
            bool made = false;
            const auto makeFifo = [&] {
                if (!std::exchange(made, true)) replaceWithFifo(file);
            };
            const files::WriteHooksScope hooks(
                {.sweepBegins = {},
                 .temporaryMade = [&](const fs::path&) { if (whileTheBytesGoIn) makeFifo(); },
                 .step = [&](files::WriteStep step) {
                     if (!whileTheBytesGoIn && step == files::WriteStep::placeWithoutReplacing) makeFifo();
                     return cannotSwap(step);
                 }});
            EXPECT_EQ(outcomeOfWriting(file, "new"), refused);
            EXPECT_TRUE(made);
        }
        EXPECT_TRUE(fs::is_fifo(file));
        EXPECT_EQ(entryCount(folder.path()), 1u);
    }
    testkit::TempFolder folder;
    const files::WriteHooksScope hooks({.sweepBegins = {}, .temporaryMade = {}, .step = cannotSwap});
    files::writeAtomically(folder / "screen.svg", "old");
    EXPECT_EQ(outcomeOfWriting(folder / "screen.svg", "new"), "written");
    EXPECT_EQ(files::read(folder / "screen.svg"), "new");
    EXPECT_EQ(entryCount(folder.path()), 1u);
}

// A temporary made, that the write cannot look at before its first byte, goes at once.
TEST(FilesRacesTest, ATemporaryThatCannotBeLookedAtIsRemovedAtOnce) {
    testkit::TempFolder folder;
    const files::WriteHooksScope hooks(atStep(files::WriteStep::inspectTemporary, 1, [] { return EIO; }));
    EXPECT_EQ(outcomeOfWriting(folder / "names.json", "new"),
              "not refused but failed: The file \u201Cnames.json\u201D couldn\u2019t be saved.");
    EXPECT_EQ(entryCount(folder.path()), 0u);
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
                                      }, .step = {}});
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

// Another run of the program starts while this one's write is in flight, its temporary stamped
// as a killed write's would be, long before: that run's first write of the file sweeps the folder
// and leaves the temporary, which the write holds locked, and both writes land. The other run is
// a child process forked before the write began (so it knows nothing of it), lined up by pipes.
TEST(FilesRacesTest, AnotherRunsSweepLeavesTheTemporaryOfAWriteInFlight) {
    testkit::TempFolder folder;
    const fs::path file = folder / "names.json";
    int inFlight[2], swept[2];
    ASSERT_EQ(::pipe2(inFlight, O_CLOEXEC), 0);
    ASSERT_EQ(::pipe2(swept, O_CLOEXEC), 0);
    const pid_t otherRun = ::fork();
    ASSERT_GE(otherRun, 0);
    if (otherRun == 0) {
        ::close(inFlight[1]);
        ::close(swept[0]);
        char go = 0;
        const std::string outcome = ::read(inFlight[0], &go, 1) == 1 ? outcomeOfWriting(file, "other run") : "never went";
        const bool told = ::write(swept[1], outcome.data(), outcome.size()) == static_cast<ssize_t>(outcome.size());
        ::_exit(told ? 0 : 1);
    }
    ::close(inFlight[0]);
    ::close(swept[1]);
    std::string otherOutcome;
    {
        const files::WriteHooksScope hooks(
            {.sweepBegins = {}, .temporaryMade = [&](const fs::path& temporary) {
                 const timespec anHourAgo[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
                 EXPECT_EQ(::utimensat(AT_FDCWD, temporary.c_str(), anHourAgo, 0), 0);
                 EXPECT_EQ(::write(inFlight[1], "g", 1), 1);
                 char buffer[256];
                 for (ssize_t n; (n = ::read(swept[0], buffer, sizeof buffer)) > 0;)
                     otherOutcome.append(buffer, static_cast<std::size_t>(n));
             }, .step = {}});
        EXPECT_EQ(outcomeOfWriting(file, "this run"), "written") << "the write in flight lost its temporary";
    }
    ::close(inFlight[1]);
    ::close(swept[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(otherRun, &status, 0), otherRun);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(otherOutcome, "written");
    EXPECT_EQ(files::read(file), "this run");
    EXPECT_EQ(entryCount(folder.path()), 1u);
}

}  // namespace
}  // namespace tarnwick
