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
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "support/file_target.h"
#include "support/files.h"
#include "support/write_temporaries.h"
#include "testkit/child_process.h"
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

// A FIFO takes the name after the last look; the exchange puts the write's document at the name
// and the FIFO under the temporary's, and then the swap back fails, or other programs act at
// either name just before a swap. The answer says where the document is, where the FIFO is or
// that it is gone, where each file of another program's is, by absolute paths, and blames other
// programs for the very names they changed, only when they did. A file of theirs never stays
// under the temporary's name, where the next run's sweep would take it for a leftover.
TEST(FilesRacesTest, ASwapBackThatGoesWrongSaysTruthfullyWhereEverythingIs) {
    using Act = std::function<int(const fs::path& file, const fs::path& temporary)>;
    const auto put = [](const fs::path& at, const std::string& text) {
        std::ofstream(at.parent_path() / "theirs") << text;
        fs::rename(at.parent_path() / "theirs", at);  // over what is there
    };
    const Act nothing = [](const fs::path&, const fs::path&) { return 0; };
    const Act fails = [](const fs::path&, const fs::path&) { return EIO; };
    const Act saveTheirs = [&](const fs::path& file, const fs::path&) { return put(file, "theirs"), 0; };
    struct Case {
        const char* what;
        Act atTheSwapBack, atTheNextSwap;
        std::string outcome;  // <name> and <temporary> stand for their absolute paths
        std::map<std::string, std::string> left;  // "name", "temporary", "kept": a text, or "FIFO"
    };
    const std::string fifo = "The file \u201Cscreen.svg\u201D couldn\u2019t be saved because it is a FIFO (named pipe), "
                             "not a regular file";
    const std::string wasFifo = "The file \u201Cscreen.svg\u201D couldn\u2019t be saved because it was a FIFO (named "
                                "pipe), not a regular file";
    const std::string writtenAmiss = "The file \u201Cscreen.svg\u201D was written where it should not have been: it "
                                     "was a FIFO (named pipe), not a regular file, and the write swapped that out of "
                                     "the way to look at it and could not swap it back";
    const std::string changedAtName = ", and other programs changed what is at <name> while it was being saved; ";
    const std::vector<Case> cases{
        {"the swap back fails, nobody else acting", fails, nothing,
         writtenAmiss + "; the document written is now at <name> and the FIFO (named pipe) is at <temporary>.",
         {{"name", "new"}, {"temporary", "FIFO"}}},
        {"another program removes the FIFO from the temporary's name",
         [](const fs::path&, const fs::path& temporary) { return fs::remove(temporary) ? 0 : EIO; }, nothing,
         writtenAmiss + ", and other programs changed what is at <temporary> meanwhile; the document written is now "
                        "at <name> and the FIFO (named pipe) is gone.",
         {{"name", "new"}}},
        {"another program puts its file at the temporary's name, and the swap back fails",
         [&](const fs::path&, const fs::path& temporary) { return put(temporary, "theirs"), EIO; }, nothing,
         writtenAmiss + ", and other programs changed what is at <temporary> meanwhile; the document written is now "
                        "at <name>, the FIFO (named pipe) is gone and another program\u2019s file is at "
                        "<temporary>.kept.",
         {{"name", "new"}, {"kept", "theirs"}}},
        {"another program puts its file at the temporary's name, and the swap back takes it to the name",
         [&](const fs::path&, const fs::path& temporary) { return put(temporary, "theirs"), 0; }, nothing,
         wasFifo + ", and other programs changed what is at <temporary> while it was being saved; the FIFO (named "
                   "pipe) is gone and another program\u2019s file is at <name>. Nothing was written.",
         {{"name", "theirs"}}},
        {"another program saves its file at the name", saveTheirs, nothing,
         wasFifo + changedAtName + "the FIFO (named pipe) is at <temporary> and another program\u2019s file is at "
                                   "<name>. Nothing was written.",
         {{"name", "theirs"}, {"temporary", "FIFO"}}},
        {"another program empties the name",
         [](const fs::path& file, const fs::path&) { return fs::remove(file) ? 0 : EIO; }, nothing, fifo + changedAtName + "the FIFO (named pipe) is back at <name>. Nothing was written.",
         {{"name", "FIFO"}}},
        {"another program saves its file at the name, which cannot be put back", saveTheirs, fails,
         fifo + changedAtName + "the FIFO (named pipe) is back at <name> and another program\u2019s file is at "
                                "<temporary>.kept. Nothing was written.",
         {{"name", "FIFO"}, {"kept", "theirs"}}},
        {"other programs save at the name at each swap", saveTheirs,
         [&](const fs::path& file, const fs::path&) { return put(file, "theirs again"), 0; },
         wasFifo + changedAtName + "the FIFO (named pipe) is gone, another program\u2019s file is at <name> and "
                                   "another program\u2019s file is at <temporary>.kept. Nothing was written.",
         {{"name", "theirs"}, {"kept", "theirs again"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
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
                     if (step != files::WriteStep::exchange) return 0;
                     ++exchanges;
                     return exchanges == 2 ? c.atTheSwapBack(file, temporary)
                            : exchanges == 3 ? c.atTheNextSwap(file, temporary)
                                             : 0;
                 }});
            outcome = outcomeOfWriting(file, "new");
        }
        std::string expected = c.outcome;
        for (const auto& [mark, path] : {std::pair{std::string("<name>"), file}, {"<temporary>", temporary}})
            for (auto at = expected.find(mark); at != std::string::npos; at = expected.find(mark))
                expected.replace(at, mark.size(), path.string());
        EXPECT_EQ(outcome, expected);
        // As the answer says, and so after the next run's sweep.
        for (const bool swept : {false, true}) {
            SCOPED_TRACE(swept ? "after the sweep" : "before the sweep");
            const std::map<std::string, fs::path> places{
                {"name", file}, {"temporary", temporary}, {"kept", temporary.string() + ".kept"}};
            for (const auto& [place, path] : places) {
                const auto left = c.left.find(place);
                if (left == c.left.end()) {
                    EXPECT_FALSE(files::itemExists(path)) << place;
                } else if (left->second == "FIFO") {
                    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(path))) << place;
                } else {
                    EXPECT_EQ(regularText(path), left->second) << place;
                }
            }
            EXPECT_EQ(entryCount(folder.path()), c.left.size());
            const files::detail::Folder handle = files::detail::openFolder(AT_FDCWD, folder.path());
            files::detail::removeLeftoversStampedBefore(handle.fd(), "screen.svg", {::time(nullptr) + 3600, 0});
        }
    }
}

// As a user without root's rights, the swap back and the keeping of another program's file work
// as they do for root, in a folder that user owns.
TEST(FilesRacesTest, ASwapBackThatGoesWrongSaysWhereEverythingIsAsAnotherUser) {
    testkit::TempFolder folder;
    const fs::path file = folder / "screen.svg";
    fs::path temporary;
    const auto run = testkit::asUnprivilegedUser({folder.path()}, [&] {
        int exchanges = 0;
        const files::WriteHooksScope hooks(
            {.sweepBegins = {}, .temporaryMade = [&](const fs::path& made) { temporary = made; },
             .step = [&](files::WriteStep step) {
                 if (step == files::WriteStep::placeWithoutReplacing && exchanges == 0) replaceWithFifo(file);
                 if (step != files::WriteStep::exchange || ++exchanges != 2) return 0;
                 std::ofstream(folder / "theirs") << "theirs";
                 fs::rename(folder / "theirs", temporary);
                 return EIO;
             }});
        const std::string outcome = outcomeOfWriting(file, "new");
        return outcome + "\n" + temporary.string() + "\n" + regularText(file) + "\n" +
               regularText(temporary.string() + ".kept");
    });
    if (!run.skipped.empty()) GTEST_SKIP() << run.skipped;
    const std::size_t first = run.answer.find('\n') + 1;
    const std::string aside = run.answer.substr(first, run.answer.find('\n', first) - first);
    EXPECT_EQ(run.answer, "The file \u201Cscreen.svg\u201D was written where it should not have been: it was a FIFO "
                          "(named pipe), not a regular file, and the write swapped that out of the way to look at it "
                          "and could not swap it back, and other programs changed what is at " + aside +
                              " meanwhile; the document written is now at " + file.string() +
                              ", the FIFO (named pipe) is gone and another program\u2019s file is at " + aside +
                              ".kept.\n" + aside + "\nnew\ntheirs");
    EXPECT_EQ(aside.rfind((folder / ".screen.svg.").string(), 0), 0u) << aside;
}

// The answer names the places where they are now: the folder moved away while the write went on
// is named where it went.
TEST(FilesRacesTest, ASwapBackThatGoesWrongNamesTheFolderWhereItIsNow) {
    testkit::TempFolder home;
    const fs::path folder = home / "pictures";
    files::createDirectories(folder);
    int exchanges = 0;
    std::string outcome;
    fs::path temporary;
    {
        const files::WriteHooksScope hooks(
            {.sweepBegins = {}, .temporaryMade = [&](const fs::path& made) { temporary = made; },
             .step = [&](files::WriteStep step) {
                 if (step == files::WriteStep::placeWithoutReplacing && exchanges == 0) replaceWithFifo(folder / "a.svg");
                 if (step != files::WriteStep::exchange || ++exchanges != 2) return 0;
                 fs::rename(folder, home / "moved");
                 return EIO;
             }});
        outcome = outcomeOfWriting(folder / "a.svg", "new");
    }
    const fs::path moved = home / "moved";
    EXPECT_NE(outcome.find("the document written is now at " + (moved / "a.svg").string() + " and the FIFO (named "
                           "pipe) is at " + (moved / temporary.filename()).string() + "."),
              std::string::npos)
        << outcome;
    EXPECT_EQ(regularText(moved / "a.svg"), "new");
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
