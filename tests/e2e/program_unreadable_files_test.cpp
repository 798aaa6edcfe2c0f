// The built program with the console on virtual time, started over files it cannot use: an
// unreadable preferences file is told once at start, on standard error and in the log, its
// changes are kept for the run and the file is never written; a names file that is a link to
// nothing is no saved file, and one whose links loop is said to loop.

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "testkit/console_process.h"
#include "testkit/temp_folder.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const fs::path kDefaultSession = fs::path(TARNWICK_SOURCE_DIR) / "sessions/default.json";
constexpr const char* kDesktop2 = "6F1C2B9E-0D4A-4C8E-9B3F-2A7D5E1C8B40";

fs::path preferencesFile(const testkit::TempFolder& home) {
    return home.path() / "Library/Preferences/local.orlenbay.Tarnwick.json";
}
fs::path namesFile(const testkit::TempFolder& home) { return home.path() / "Library/Application Support/Tarnwick/names.json"; }
fs::path logFile(const testkit::TempFolder& home) { return home.path() / "Library/Logs/Tarnwick/Tarnwick.log"; }

void sendAll(testkit::ConsoleProcess& program, const Lines& commands) {
    for (const auto& command : commands) EXPECT_EQ(program.send(command).back(), "ok") << command;
}

// The Banner page of the settings, from the status menu.
const Lines kOpenBannerSettings = {"click status-item", "wait 1", "menu \"Settings\u2026\"",
                                   "set \"Settings sections\" Banner"};

// One run: "Tint glass" as the settings show it at start, after turning it on, and what the
// program said on standard error.
struct TintRun {
    bool onAtStart = false;
    bool onAfterTheChange = false;
    std::string standardError;
};

TintRun runTurningTintOn(const testkit::TempFolder& home) {
    testkit::ConsoleProcess program({home.path(), kDefaultSession, {}, {}, true});
    TintRun run;
    EXPECT_EQ(program.ready().back(), "ready");
    sendAll(program, kOpenBannerSettings);
    run.onAtStart = testkit::printed(program.send("screen"), "toggle \"Tint glass\" on");
    sendAll(program, {"set \"Tint glass\" on"});
    run.onAfterTheChange = testkit::printed(program.send("screen"), "toggle \"Tint glass\" on");
    program.send("quit");
    EXPECT_EQ(program.finish(), 0);
    run.standardError = program.standardError();
    return run;
}

// Broken JSON, an array, a folder, a FIFO: each is said once at start, naming the file and why;
// the change holds for the run and is gone at the next, which says it again; the file stays.
TEST(ProgramUnreadableFilesTest, UnreadablePreferencesAreToldOnceAndTheirChangesLastTheRun) {
    struct Case {
        std::string what;
        std::function<void(const fs::path&)> make;
        std::string reason;
    };
    const auto writeText = [](const std::string& text) {
        return [text](const fs::path& file) { std::ofstream(file, std::ios::binary) << text; };
    };
    const Case cases[] = {
        {"broken JSON", writeText("{\"hasLaunchedBefore\": tru"), "it is not valid JSON"},
        {"an array", writeText("[{\"bannerTintEnabled\": true}]"), "it holds a JSON array, not an object of settings"},
        {"a folder", [](const fs::path& file) { fs::create_directory(file); }, "it is a folder"},
        {"a FIFO", [](const fs::path& file) { ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0); }, "it is a FIFO (named pipe)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testkit::TempFolder home;
        const fs::path file = preferencesFile(home);
        fs::create_directories(file.parent_path());
        c.make(file);
        const std::string before = fs::is_regular_file(file) ? testkit::fileText(file) : std::string();
        const std::string sentence = "The preferences file \u201C" + file.string() + "\u201D could not be read: " +
                                     c.reason +
                                     ". Changes to the settings are kept only until Tarnwick quits, and the file is "
                                     "left as it is.";

        const TintRun first = runTurningTintOn(home);
        EXPECT_FALSE(first.onAtStart);
        EXPECT_TRUE(first.onAfterTheChange);
        EXPECT_EQ(first.standardError, "tarnwick: " + sentence + "\n");
        const TintRun second = runTurningTintOn(home);
        EXPECT_FALSE(second.onAtStart);
        EXPECT_EQ(second.standardError, first.standardError);

        const std::string log = testkit::fileText(logFile(home));
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2) << log;
        EXPECT_NE(log.find("Z " + sentence + "\n"), std::string::npos) << log;
        const auto status = fs::symlink_status(file);
        if (fs::is_regular_file(status)) {
            EXPECT_EQ(testkit::fileText(file), before);
        } else if (fs::is_directory(status)) {
            EXPECT_TRUE(fs::is_empty(file));
        } else {
            EXPECT_TRUE(fs::is_fifo(status));
        }
    }
}

// A preferences file that can be read is not spoken of, and its changes are kept.
TEST(ProgramUnreadableFilesTest, ReadablePreferencesAreNotSpokenOfAndKeepTheirChanges) {
    testkit::TempFolder home;
    EXPECT_EQ(runTurningTintOn(home).standardError, "");
    const TintRun again = runTurningTintOn(home);
    EXPECT_TRUE(again.onAtStart);
    EXPECT_EQ(again.standardError, "");
    EXPECT_FALSE(fs::exists(logFile(home)));
}

// The Desktop Names window, a name typed into Desktop 2's field and saved; what `screen` shows
// before and after.
std::pair<Lines, Lines> nameDesktop2(testkit::ConsoleProcess& program, const std::string& name) {
    EXPECT_EQ(program.ready().back(), "ready");
    sendAll(program, {"click status-item", "wait 1", "menu \"Desktop Names\""});
    const Lines before = program.send("screen");
    sendAll(program, {"type name." + std::string(kDesktop2) + " \"" + name + "\"", "submit name." + std::string(kDesktop2)});
    const Lines after = program.send("screen");
    program.send("quit");
    EXPECT_EQ(program.finish(), 0);
    return {before, after};
}

// A names file linked from a dotfiles folder that has no file yet is no saved file: no word of
// unreadable names, and the first save makes the file the link leads to.
TEST(ProgramUnreadableFilesTest, ANamesLinkToNothingIsNoSavedFileAndTheFirstSaveMakesItsFile) {
    testkit::TempFolder home, dotfiles;
    fs::create_directories(namesFile(home).parent_path());
    fs::create_symlink(dotfiles / "names.json", namesFile(home));
    testkit::ConsoleProcess program({home.path(), kDefaultSession, {}, {}, true});
    const auto [before, after] = nameDesktop2(program, "Home");
    EXPECT_FALSE(testkit::printed(before, "Saved names could not be read")) << testkit::transcript(before);
    EXPECT_FALSE(testkit::printed(after, "Could not save")) << testkit::transcript(after);
    EXPECT_TRUE(fs::is_symlink(namesFile(home)));
    EXPECT_NE(testkit::fileText(dotfiles / "names.json").find(std::string(kDesktop2) + "\":\"Home\""), std::string::npos);
}

// A names file whose link leads back to itself: the save says the links loop, and the link stays.
TEST(ProgramUnreadableFilesTest, ANamesLinkThatLoopsIsSaidToLoopAndStays) {
    testkit::TempFolder home;
    fs::create_directories(namesFile(home).parent_path());
    fs::create_symlink("names.json", namesFile(home));
    testkit::ConsoleProcess program({home.path(), kDefaultSession, {}, {}, true});
    const auto [before, after] = nameDesktop2(program, "Home");
    EXPECT_TRUE(testkit::printed(before, "Saved names could not be read")) << testkit::transcript(before);
    EXPECT_TRUE(testkit::printed(after, "Could not save this name. The file \u201Cnames.json\u201D couldn\u2019t be saved "
                                        "because its symbolic links loop or chain more than 40 deep. Nothing was written."))
        << testkit::transcript(after);
    EXPECT_EQ(fs::read_symlink(namesFile(home)), "names.json");
}

}  // namespace
}  // namespace tarnwick
