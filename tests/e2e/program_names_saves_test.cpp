// The built program on virtual time where the names file cannot be read or saved. The Desktop
// Names window shows why, and so do standard error and the log, for those who never open that
// window: a file that cannot be read once at start, names that cannot be saved once for each
// cause, and the first name saved after them.

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "testkit/child_process.h"
#include "testkit/console_process.h"
#include "testkit/program_copy.h"
#include "testkit/temp_folder.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const fs::path kDefaultSession = fs::path(TARNWICK_SOURCE_DIR) / "sessions/default.json";
constexpr const char* kDesktop2 = "6F1C2B9E-0D4A-4C8E-9B3F-2A7D5E1C8B40";
constexpr const char* kDesktop3 = "A0B1C2D3-E4F5-4A6B-8C7D-9E0F1A2B3C4D";

fs::path namesFolder(const testkit::TempFolder& home) { return home.path() / "Library/Application Support/Tarnwick"; }
fs::path namesFile(const testkit::TempFolder& home) { return namesFolder(home) / "names.json"; }
fs::path logFile(const testkit::TempFolder& home) { return home.path() / "Library/Logs/Tarnwick/Tarnwick.log"; }

size_t linesOf(const std::string& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

std::string couldNotSave(const std::string& because) {
    return "Could not save this name. The file \u201Cnames.json\u201D couldn\u2019t be saved because " + because + ".";
}

// A run of the program with the Desktop Names window open, to name desktops in.
class Names {
public:
    explicit Names(const testkit::TempFolder& home, const testkit::ProgramCopy* copy = nullptr)
        : program_({home.path(), copy ? copy->session : kDefaultSession, {}, {}, true,
                    testkit::ConsoleProcess::kPatience, copy ? std::optional(copy->program) : std::nullopt}) {
        const Lines lines = program_.ready();
        ready_ = !lines.empty() && lines.back() == "ready";
        for (const std::string command : {"click status-item", "wait 1", "menu \"Desktop Names\""})
            if (program_.send(command).back() != "ok") ready_ = false;
    }
    bool ready() const { return ready_; }
    // Names the desktop; what the window then shows of the sentence, or "shows nothing".
    std::string name(const std::string& desktop, const std::string& typed, const std::string& sentence) {
        const std::string field = "name." + desktop;
        program_.send("type " + field + " \"" + typed + "\"");
        program_.send("submit " + field);
        return testkit::printed(program_.send("screen"), sentence) ? "shows it" : "shows nothing";
    }
    // Quits; the program's status and all it said on standard error.
    std::string quit() {
        program_.send("quit");
        const int status = program_.finish();
        return "status " + std::to_string(status) + "\n" + program_.standardError();
    }

private:
    testkit::ConsoleProcess program_;
    bool ready_ = false;
};

// The names folder is a file, which root cannot pass either: each rename fails, said once; the
// file taken away, the next name is saved and said to be.
TEST(ProgramNamesSavesTest, NamesThatCannotBeSavedAreSaidOnceAndTheSaveThatSucceedsAgain) {
    testkit::TempFolder home;
    fs::create_directories(namesFolder(home).parent_path());
    std::ofstream(namesFolder(home)) << "in the way";
    const std::string sentence = couldNotSave("\u201C" + namesFolder(home).string() + "\u201D is not a folder");
    Names run(home);
    ASSERT_TRUE(run.ready());
    EXPECT_EQ(run.name(kDesktop2, "Work", sentence), "shows it");
    EXPECT_EQ(run.name(kDesktop3, "Mail", sentence), "shows it");
    fs::remove(namesFolder(home));
    EXPECT_EQ(run.name(kDesktop2, "Work", sentence), "shows nothing");
    EXPECT_EQ(run.name(kDesktop3, "Mail", sentence), "shows nothing");
    const std::string savedAgain = "The names file \u201C" + namesFile(home).string() + "\u201D is saved again.";
    EXPECT_EQ(run.quit(), "status 0\ntarnwick: " + sentence + "\ntarnwick: " + savedAgain + "\n");
    const std::string log = testkit::fileText(logFile(home));
    EXPECT_EQ(linesOf(log), 2u) << log;
    EXPECT_NE(log.find("Z " + sentence + "\n"), std::string::npos) << log;
    EXPECT_NE(testkit::fileText(namesFile(home)).find("\"Mail\""), std::string::npos);
}

// A names file that cannot be read is said at start, once, naming the file and why, however many
// names are then refused; the file is left as it is.
TEST(ProgramNamesSavesTest, AnUnreadableNamesFileIsSaidOnceAtStartWithWhy) {
    struct Case {
        std::function<void(const fs::path&)> make;
        std::string reason;
    };
    const auto text = [](const std::string& content) {
        return [content](const fs::path& file) { std::ofstream(file, std::ios::binary) << content; };
    };
    const Case cases[] = {
        {text(R"({"version": 2, "names": {}})"), "its version is 2, and Tarnwick reads only version 1"},
        {text(R"({"version": 1, "names": {"Desktop 2": "Work"}})"),
         "its names have the key \u201CDesktop 2\u201D, which is not a desktop\u2019s UUID"},
        {text(R"({"version": 1, "names": {")" + std::string(kDesktop2) + R"(": "A", ")" + kDesktop2 + R"(": "B"}})"),
         "it names the desktop \u201C" + std::string(kDesktop2) + "\u201D twice"},
        {text(R"({"version":1,"names":)" + std::string(1'000'000, '[') + std::string(1'000'000, ']') + "}"),
         "it nests arrays and objects more than 512 levels deep"},
        {[](const fs::path& file) { fs::create_directory(file); }, "it is a folder, not a regular file"},
        {[](const fs::path& file) { ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0); },
         "it is a FIFO (named pipe), not a regular file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        testkit::TempFolder home;
        fs::create_directories(namesFolder(home));
        c.make(namesFile(home));
        const std::string content = fs::is_regular_file(namesFile(home)) ? testkit::fileText(namesFile(home)) : "";
        Names run(home);
        ASSERT_TRUE(run.ready());
        EXPECT_EQ(run.name(kDesktop2, "Work", "Could not save this name. "), "shows it");
        EXPECT_EQ(run.name(kDesktop3, "Mail", "Could not save this name. "), "shows it");
        const std::string sentence = "Saved names could not be read from \u201C" + namesFile(home).string() + "\u201D: " +
                                     c.reason + ". Your saved file has been left unchanged.";
        EXPECT_EQ(run.quit(), "status 0\ntarnwick: " + sentence + "\n");
        const std::string log = testkit::fileText(logFile(home));
        EXPECT_EQ(linesOf(log), 1u);
        EXPECT_NE(log.find("Z " + sentence + "\n"), std::string::npos) << log;
        if (!content.empty()) {
            EXPECT_EQ(testkit::fileText(namesFile(home)), content);
        } else {
            EXPECT_FALSE(fs::is_regular_file(namesFile(home)));
        }
    }
}

// A names file this user may not read, as a person who is not root meets it, is said with why.
TEST(ProgramNamesSavesTest, ANamesFileThisUserMayNotReadIsSaidWithWhy) {
    testkit::TempFolder home;
    fs::create_directories(namesFolder(home));
    const std::string content = std::string(R"({"version": 1, "names": {")") + kDesktop2 + R"(": "Work"}})";
    std::ofstream(namesFile(home)) << content;
    fs::permissions(namesFile(home), fs::perms::none);
    const testkit::ProgramCopy copy(kDefaultSession);
    const auto outcome = testkit::asUnprivilegedUser({home.path(), copy.folder.path()}, [&] {
        Names names(home, &copy);
        if (!names.ready()) return std::string("not ready");
        return names.quit();
    });
    fs::permissions(namesFile(home), fs::perms(0644));
    if (!outcome.skipped.empty()) GTEST_SKIP() << outcome.skipped;
    EXPECT_EQ(outcome.answer, "status 0\ntarnwick: Saved names could not be read from \u201C" + namesFile(home).string() +
                                  "\u201D: you may not read it. Your saved file has been left unchanged.\n");
    EXPECT_EQ(testkit::fileText(namesFile(home)), content);
}

// A names folder of mode 0555, as a person who is not root meets it: said once with the writer's
// reason, in each run.
TEST(ProgramNamesSavesTest, AReadOnlyNamesFolderIsSaidOnceAsAnotherUser) {
    testkit::TempFolder home;
    fs::create_directories(namesFolder(home));
    fs::permissions(namesFolder(home), fs::perms(0555));
    const testkit::ProgramCopy copy(kDefaultSession);
    const std::string sentence = couldNotSave("you may not write in the folder \u201C" + namesFolder(home).string() + "\u201D");
    const auto outcome = testkit::asUnprivilegedUser({home.path(), copy.folder.path()}, [&] {
        std::string seen;
        for (int run = 0; run < 2; ++run) {
            Names names(home, &copy);
            if (!names.ready()) return std::string("not ready");
            seen += names.name(kDesktop2, "Work", sentence) + ", " + names.name(kDesktop3, "Mail", sentence) + "\n";
            seen += names.quit();
        }
        return seen;
    });
    fs::permissions(namesFolder(home), fs::perms(0755));
    if (!outcome.skipped.empty()) GTEST_SKIP() << outcome.skipped;
    const std::string run = "shows it, shows it\nstatus 0\ntarnwick: " + sentence + "\n";
    EXPECT_EQ(outcome.answer, run + run);
    EXPECT_TRUE(fs::is_empty(namesFolder(home)));
    EXPECT_EQ(linesOf(testkit::fileText(logFile(home))), 2u);
}

}  // namespace
}  // namespace tarnwick
