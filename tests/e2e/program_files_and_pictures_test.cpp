// The built program with the console on virtual time: names that XML cannot hold give pictures
// that parse while the names file keeps them; files are written where their path points, and
// what is no file is refused and left alone; an unreadable preferences file is told once at
// start and never written, its changes kept for the run; a names link to nothing is no saved
// file, one that loops is said to loop, and one with a NUL byte is unreadable and kept whole;
// numbers out of range are named as they were typed. As a user without root's rights, folders
// that may be written in but not listed take the files, and a folder that may not be written in
// or a read-only disk is named.

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "testkit/child_process.h"
#include "testkit/console_process.h"
#include "testkit/device_node.h"
#include "testkit/program_copy.h"
#include "testkit/run_program.h"
#include "testkit/temp_folder.h"
#include "testkit/xml_document.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const fs::path kDefaultSession = fs::path(TARNWICK_SOURCE_DIR) / "sessions/default.json";
constexpr const char* kDesktop2 = "6F1C2B9E-0D4A-4C8E-9B3F-2A7D5E1C8B40";
constexpr const char* kDesktop3 = "A0B1C2D3-E4F5-4A6B-8C7D-9E0F1A2B3C4D";

std::string readFile(const fs::path& path) { return testkit::fileText(path); }

fs::path namesFile(const testkit::TempFolder& home) { return home.path() / "Library/Application Support/Tarnwick/names.json"; }
fs::path preferencesFile(const testkit::TempFolder& home) {
    return home.path() / "Library/Preferences/local.orlenbay.Tarnwick.json";
}
fs::path logFile(const testkit::TempFolder& home) { return home.path() / "Library/Logs/Tarnwick/Tarnwick.log"; }

void sendAll(testkit::ConsoleProcess& program, const Lines& commands) {
    for (const auto& command : commands) EXPECT_EQ(program.send(command).back(), "ok") << command;
}

// The Desktop Names window from the status menu, a name typed into a desktop's field and saved.
void nameThroughTheWindow(testkit::ConsoleProcess& program, const std::string& desktop, const std::string& typed) {
    sendAll(program, {"click status-item", "wait 1", "menu \"Desktop Names\"", "type name." + desktop + " \"" + typed + "\"",
                      "submit name." + desktop, "close \"Desktop Names\""});
}

// "Home" typed into desktop 2's field of the open Desktop Names window and submitted: whether the
// window then shows the sentence, and the program, quit, ends well.
::testing::AssertionResult namingDesktop2Shows(testkit::ConsoleProcess& program, const std::string& sentence) {
    const std::string field = "name." + std::string(kDesktop2);
    sendAll(program, {"type " + field + " Home", "submit " + field});
    const Lines shown = program.send("screen");
    program.send("quit");
    const int status = program.finish();
    if (!testkit::printed(shown, sentence)) return ::testing::AssertionFailure() << testkit::transcript(shown);
    if (status != 0) return ::testing::AssertionFailure() << "the program ended with status " << status;
    return ::testing::AssertionSuccess();
}

std::vector<std::string> textsOf(const testkit::XmlElement& picture) {
    std::vector<std::string> texts;
    for (const auto* text : picture.all("text")) texts.push_back(text->text);
    return texts;
}

// A display named "A" U+FFFF in the session file, a desktop named "B" U+FFFE in the names file and
// one named "C" U+FFFF through the Desktop Names window: every picture parses and shows U+FFFD in
// their place; the screen's text and the names file keep the names as they are.
TEST(ProgramFilesAndPicturesTest, NamesXmlCannotHoldGiveAPictureThatParsesWhileTheNamesFileKeepsThem) {
    testkit::TempFolder home, folder;
    std::string session = readFile(kDefaultSession);
    const std::string studio = "\"name\": \"Studio Display\"";
    ASSERT_NE(session.find(studio), std::string::npos);
    session.replace(session.find(studio), studio.size(), "\"name\": \"A\\uFFFF\"");
    std::ofstream(folder / "session.json") << session;
    fs::create_directories(namesFile(home).parent_path());
    std::ofstream(namesFile(home)) << R"({"version": 1, "names": {")" << kDesktop2 << R"(": "B\uFFFE"}})";

    testkit::ConsoleProcess program({home.path(), folder / "session.json", {}, {}, true});
    EXPECT_EQ(program.ready().back(), "ready");
    nameThroughTheWindow(program, kDesktop3, "C\\xEF\\xBF\\xBF");
    EXPECT_TRUE(testkit::printed(program.send("screen"), "\"A\xEF\xBF\xBF\""));

    const auto picture = [&](const std::string& name) {
        EXPECT_EQ(program.send("screen svg " + (folder / name).string()), Lines{"ok"});
        const std::string bytes = readFile(folder / name);
        EXPECT_EQ(bytes.find("\xEF\xBF\xBF"), std::string::npos);
        EXPECT_EQ(bytes.find("\xEF\xBF\xBE"), std::string::npos);
        std::string problem;
        auto root = testkit::parseXml(bytes, &problem);
        EXPECT_TRUE(root) << name << ": " << problem;
        return root ? textsOf(*root) : std::vector<std::string>{};
    };
    const auto holds = [](const std::vector<std::string>& texts, const std::string& text) {
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    };
    // The display's name; the names in the Desktop Names window's rows.
    EXPECT_TRUE(holds(picture("desktop.svg"), "A\uFFFD"));
    for (const std::string command : {"click status-item", "wait 1", "menu \"Desktop Names\""})
        EXPECT_EQ(program.send(command).back(), "ok") << command;
    const auto names = picture("names.svg");
    EXPECT_TRUE(holds(names, "B\uFFFD")) << ::testing::PrintToString(names);
    EXPECT_TRUE(holds(names, "C\uFFFD")) << ::testing::PrintToString(names);
    // The overview under the status item (the pointer leaves it first), and the banner of a switch.
    for (const std::string command : {"close \"Desktop Names\"", "unhover", "hover status-item", "wait 1"})
        EXPECT_EQ(program.send(command).back(), "ok") << command;
    EXPECT_TRUE(holds(picture("overview.svg"), "B\uFFFD"));
    EXPECT_EQ(program.send("unhover").back(), "ok");
    for (const std::string command : {"switch 2", "wait 1.25"}) EXPECT_EQ(program.send(command).back(), "ok");
    EXPECT_TRUE(holds(picture("banner.svg"), "B\uFFFD"));

    const std::string saved = readFile(namesFile(home));
    EXPECT_NE(saved.find(std::string(kDesktop2) + "\":\"B\xEF\xBF\xBE\""), std::string::npos) << saved;
    EXPECT_NE(saved.find(std::string(kDesktop3) + "\":\"C\xEF\xBF\xBF\""), std::string::npos) << saved;
    program.send("quit");
    EXPECT_EQ(program.finish(), 0);
}

// A names file kept in a dotfiles folder and linked: the first save goes through the link, which
// stays. A temporary a killed write left a moment before the run goes with the run's first write
// of its file. `screen svg` at a FIFO or a device answers what is there and leaves it as it was.
TEST(ProgramFilesAndPicturesTest, FilesAreWrittenWhereTheirPathPointsAndWhatIsNoFileIsLeftAlone) {
    testkit::TempFolder home, dotfiles, folder;
    std::ofstream(dotfiles / "names.json") << R"({"version": 1, "names": {}})";
    fs::create_directories(namesFile(home).parent_path());
    fs::create_symlink(dotfiles / "names.json", namesFile(home));
    const auto device = testkit::makeCharacterDevice(folder / "null", testkit::kNullDevice);

    const fs::path leftover = folder / ".picture.svg.6F1C2B9E-0D4A-4C8E-9B3F-2A7D5E1C8B40.tmp";
    std::ofstream(leftover) << "left by a killed write";
    testkit::ConsoleProcess program({home.path(), kDefaultSession, {}, {}, true});
    EXPECT_EQ(program.ready().back(), "ready");
    nameThroughTheWindow(program, kDesktop2, "Home");
    EXPECT_TRUE(fs::is_symlink(namesFile(home)));
    EXPECT_NE(readFile(dotfiles / "names.json").find(std::string(kDesktop2) + "\":\"Home\""), std::string::npos);

    const fs::path fifo = folder / "screen.svg";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(program.send("screen svg " + fifo.string()),
              Lines{"error: The file \u201Cscreen.svg\u201D couldn\u2019t be saved because it is a FIFO (named pipe), "
                    "not a regular file. Nothing was written."});
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ(program.send("screen svg " + (folder / "picture.svg").string()), Lines{"ok"});
    EXPECT_FALSE(fs::exists(leftover));
    if (device) {
        EXPECT_EQ(program.send("screen svg " + device->string()),
                  Lines{"error: The file \u201Cnull\u201D couldn\u2019t be saved because it is a character device, not a "
                        "regular file. Nothing was written."});
        EXPECT_TRUE(fs::is_character_file(*device));
    }
    program.send("quit");
    EXPECT_EQ(program.finish(), 0);
    if (!device) GTEST_SKIP() << "the device: " << testkit::kNoDeviceHere;
}

// With its output going to a file, `screen svg` at a link into the program's own open files (as
// /dev/stdout, /dev/fd/1 and /proc/self/fd/1 are) is refused: the transcript keeps every line,
// before the refusals and after them, and is still the file the output was sent to. The links
// here are the test's own, with the machine's shape; the program's output goes to its folder.
TEST(ProgramFilesAndPicturesTest, APictureAtTheProgramsOwnOutputIsRefusedAndTheTranscriptStays) {
    testkit::TempFolder home, folder;
    const fs::path transcript = folder / "out.txt";
    fs::create_symlink("/proc/self/fd/1", folder / "stdout");
    fs::create_symlink("/proc/self/fd/2", folder / "stderr");
    fs::create_symlink("/proc/self/fd", folder / "fd");
    testkit::RunOptions options;
    options.outputFile = transcript.string();
    options.input = "screen\nscreen svg " + (folder / "stdout").string() + "\nscreen svg " + (folder / "stderr").string() +
                    "\nscreen svg " + (folder / "fd" / "1").string() + "\nscreen svg /proc/self/fd/1\nscreen\nquit\n";
    const auto result = testkit::runTarnwick({}, {{"HOME", home.path().string()},
                                                  {"TARNWICK_SESSION", kDefaultSession.string()},
                                                  {"TARNWICK_CONSOLE", "1"},
                                                  {"TARNWICK_VIRTUAL_TIME", "1"}},
                                             options);
    EXPECT_EQ(result.exitStatus, 0) << result.standardError;
    EXPECT_EQ(result.standardError, "");

    ASSERT_TRUE(fs::is_regular_file(fs::symlink_status(transcript)));
    std::istringstream lines(readFile(transcript));
    Lines answers;
    std::size_t ready = 0, screens = 0;
    std::string line, last;
    while (std::getline(lines, line)) {
        if (line == "ready") ++ready;
        if (line.rfind("display 1 ", 0) == 0) ++screens;
        if (line == "ok" || line.rfind("error: ", 0) == 0) answers.push_back(line);
        last = line;
    }
    EXPECT_EQ(ready, 1u);
    EXPECT_EQ(screens, 2u) << "both screen reports stay";
    const std::string what = "a process\u2019s link to something it has open, not a regular file. Nothing was written.";
    const auto through = [&](const std::string& name, const std::string& to) {
        return "error: The file \u201C" + name + "\u201D couldn\u2019t be saved because its link leads to " + to +
               ", which is " + what;
    };
    const std::string direct = "error: The file \u201C1\u201D couldn\u2019t be saved because it is " + what;
    EXPECT_EQ(answers, (Lines{"ok", through("stdout", "/proc/self/fd/1"), through("stderr", "/proc/self/fd/2"), direct,
                              direct, "ok"}));
    EXPECT_NE(last.find("application ended with status 0"), std::string::npos) << last;
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 4)
        << "no temporary is left beside the transcript";
}

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
    sendAll(program, {"click status-item", "wait 1", "menu \"Settings\u2026\"", "set \"Settings sections\" Banner"});
    run.onAtStart = testkit::printed(program.send("screen"), "toggle \"Tint glass\" on");
    sendAll(program, {"set \"Tint glass\" on"});
    run.onAfterTheChange = testkit::printed(program.send("screen"), "toggle \"Tint glass\" on");
    program.send("quit");
    EXPECT_EQ(program.finish(), 0);
    run.standardError = program.standardError();
    return run;
}

// Broken JSON, an array, a NUL after the settings, a tagged value that does not fit its tag, a
// folder, a FIFO: each is said once at start, naming the file and why; the change holds for the
// run and is gone at the next, which says it again; the file stays.
TEST(ProgramFilesAndPicturesTest, UnreadablePreferencesAreToldOnceAndTheirChangesLastTheRun) {
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
        {"a NUL after the settings", writeText(std::string("{\"bannerTintEnabled\": true}") + '\0' + "{\"more\": 1}"),
         "it is not valid JSON"},
        {"a tagged value that does not fit its tag",
         writeText(R"({"bannerTintEnabled": true, "x": {"$type": "bytes", "value": [1, 999]}})"),
         "x.value must be an array of whole numbers from 0 to 255"},
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
TEST(ProgramFilesAndPicturesTest, ReadablePreferencesAreNotSpokenOfAndKeepTheirChanges) {
    testkit::TempFolder home;
    EXPECT_EQ(runTurningTintOn(home).standardError, "");
    const TintRun again = runTurningTintOn(home);
    EXPECT_TRUE(again.onAtStart);
    EXPECT_EQ(again.standardError, "");
    EXPECT_FALSE(fs::exists(logFile(home)));
}

// A preferences file holding an object of its own shaped like a tagged value, of a tag the
// program does not know, nested 258 levels: each start reads it and writes it back as it was
// (not a level deeper for each), so the next start reads it too, with the change of the run.
TEST(ProgramFilesAndPicturesTest, PreferencesOfShapesOfTheirOwnAreWrittenBackAsTheyRead) {
    testkit::TempFolder home;
    fs::create_directories(preferencesFile(home).parent_path());
    constexpr int kLevels = 258;
    std::string notes = R"({"x":)";
    for (int level = 0; level < kLevels; ++level) notes += R"({"$type":"note","value":)";
    notes += "1" + std::string(kLevels, '}') + "}";
    std::ofstream(preferencesFile(home)) << notes;
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        const TintRun tint = runTurningTintOn(home);
        EXPECT_EQ(tint.onAtStart, run > 0);
        EXPECT_EQ(tint.standardError, "");
        const std::string saved = readFile(preferencesFile(home));
        EXPECT_EQ(std::count(saved.begin(), saved.end(), '{'), kLevels + 1) << saved.substr(0, 200);
    }
    EXPECT_FALSE(fs::exists(logFile(home)));
}

// A names file linked from a dotfiles folder that has no file yet is no saved file: no word of
// unreadable names, and the first save makes the file the link leads to.
TEST(ProgramFilesAndPicturesTest, ANamesLinkToNothingIsNoSavedFileAndTheFirstSaveMakesItsFile) {
    testkit::TempFolder home, dotfiles;
    fs::create_directories(namesFile(home).parent_path());
    fs::create_symlink(dotfiles / "names.json", namesFile(home));
    testkit::ConsoleProcess program({home.path(), kDefaultSession, {}, {}, true});
    EXPECT_EQ(program.ready().back(), "ready");
    sendAll(program, {"click status-item", "wait 1", "menu \"Desktop Names\""});
    const Lines shown = program.send("screen");
    EXPECT_FALSE(testkit::printed(shown, "Saved names could not be read")) << testkit::transcript(shown);
    sendAll(program, {"close \"Desktop Names\""});
    nameThroughTheWindow(program, kDesktop2, "Home");
    program.send("quit");
    EXPECT_EQ(program.finish(), 0);
    EXPECT_TRUE(fs::is_symlink(namesFile(home)));
    EXPECT_NE(readFile(dotfiles / "names.json").find(std::string(kDesktop2) + "\":\"Home\""), std::string::npos);
}

// A names file with a NUL byte after its document does not end there: the window says the names
// could not be read, a name typed is not saved, and the file keeps what follows the NUL.
TEST(ProgramFilesAndPicturesTest, ANamesFileWithANulByteIsUnreadableAndKeptWhole) {
    testkit::TempFolder home;
    fs::create_directories(namesFile(home).parent_path());
    const std::string content = std::string(R"({"version": 1, "names": {}})") + '\0' + R"({"version": 1, "names": {")" +
                                kDesktop2 + R"(": "Work"}})";
    std::ofstream(namesFile(home), std::ios::binary) << content;
    testkit::ConsoleProcess program({home.path(), kDefaultSession, {}, {}, true});
    EXPECT_EQ(program.ready().back(), "ready");
    sendAll(program, {"click status-item", "wait 1", "menu \"Desktop Names\""});
    EXPECT_TRUE(testkit::printed(program.send("screen"), "Saved names could not be read."));
    EXPECT_TRUE(namingDesktop2Shows(
        program, "Could not save this name. The data couldn\u2019t be read because it isn\u2019t in the correct format."));
    EXPECT_EQ(readFile(namesFile(home)), content);
}

// A names file whose link leads back to itself: the save says the links loop, and the link stays.
TEST(ProgramFilesAndPicturesTest, ANamesLinkThatLoopsIsSaidToLoopAndStays) {
    testkit::TempFolder home;
    fs::create_directories(namesFile(home).parent_path());
    fs::create_symlink("names.json", namesFile(home));
    testkit::ConsoleProcess program({home.path(), kDefaultSession, {}, {}, true});
    EXPECT_EQ(program.ready().back(), "ready");
    sendAll(program, {"click status-item", "wait 1", "menu \"Desktop Names\""});
    EXPECT_TRUE(namingDesktop2Shows(program, "Could not save this name. The file \u201Cnames.json\u201D couldn\u2019t be "
                                             "saved because its symbolic links loop or chain more than 40 deep. Nothing "
                                             "was written."));
    EXPECT_EQ(fs::read_symlink(namesFile(home)), "names.json");
}

// A number out of range is named back as it was typed, however large, small or negative.
TEST(ProgramFilesAndPicturesTest, ANumberOutOfRangeIsNamedAsItWasTyped) {
    testkit::TempFolder home;
    testkit::ConsoleProcess program({home.path(), kDefaultSession, {}, {}, true});
    EXPECT_EQ(program.ready().back(), "ready");
    for (const std::string typed : {"1e300", "-1e-300", "1e999", "-1e-999", "3600.0000001", "-0.0001"})
        EXPECT_EQ(program.send("wait " + typed),
                  Lines{"error: The time to wait in seconds must be from 0 to 3600, not " + typed + "."});
    EXPECT_EQ(program.send("wait 1e-999"), Lines{"ok"});
    program.send("quit");
    EXPECT_EQ(program.finish(), 0);
}

constexpr fs::perms kWriteAndPassOnly = fs::perms::owner_write | fs::perms::owner_exec;

// The program and its session, where the user the child has become cannot reach them.
void skipUnlessTheProgramCanBeRun() {
    if (::access(TARNWICK_BINARY, X_OK) != 0 || ::access(kDefaultSession.c_str(), R_OK) != 0)
        throw testkit::ChildSkip("skipped: the built program or its session is out of this user's reach");
}


// The commands' answers, one a line, each command's lines after a "> command" line.
std::string answersTo(testkit::ConsoleProcess& program, const Lines& commands) {
    std::string transcript;
    for (const auto& command : commands) transcript += "> " + command + "\n" + testkit::transcript(program.send(command));
    return transcript;
}

// Run by a user without root's rights (root may write in any folder, so as nobody where the tests
// run as root): a picture and the names go into folders that user may write in and pass through
// but not list, and a folder without the right to write in it is said to be one.
TEST(ProgramFilesAndPicturesTest, FoldersThatMayBeWrittenInButNotListedTakeThePictureAndTheNames) {
    testkit::TempFolder home, pictures;
    fs::create_directories(namesFile(home).parent_path());
    for (const char* name : {"unlisted", "closed"}) fs::create_directory(pictures / name);
    const fs::path picture = pictures / "unlisted" / "screen.svg";
    const fs::path refused = pictures / "closed" / "screen.svg";
    const std::string field = "name." + std::string(kDesktop2);
    const testkit::ProgramCopy copy(kDefaultSession);
    const auto outcome = testkit::asUnprivilegedUser({home.path(), pictures.path(), copy.folder.path()}, [&] {
        fs::permissions(namesFile(home).parent_path(), kWriteAndPassOnly);
        fs::permissions(pictures / "unlisted", kWriteAndPassOnly);
        fs::permissions(pictures / "closed", fs::perms::owner_read | fs::perms::owner_exec);
        testkit::ConsoleProcess program({home.path(), copy.session, {}, {}, true, testkit::ConsoleProcess::kPatience,
                                         copy.program});
        std::string transcript = testkit::transcript(program.ready());
        transcript += answersTo(program, {"screen svg " + picture.string(), "screen svg " + refused.string(),
                                          "click status-item", "wait 1", "menu \"Desktop Names\"",
                                          "type " + field + " Home", "submit " + field, "screen"});
        program.send("quit");
        transcript += "exit " + std::to_string(program.finish());
        return transcript;
    });
    if (!outcome.skipped.empty()) GTEST_SKIP() << outcome.skipped;
    const std::string& transcript = outcome.answer;
    EXPECT_NE(transcript.find("> screen svg " + picture.string() + "\nok\n"), std::string::npos) << transcript;
    EXPECT_NE(transcript.find("> screen svg " + refused.string() + "\nerror: The picture could not be written to \"" +
                              refused.string() + "\" because you may not write in the folder \"" +
                              (pictures / "closed").string() + "\".\n"),
              std::string::npos)
        << transcript;
    EXPECT_EQ(transcript.find("Could not save"), std::string::npos) << transcript;
    EXPECT_NE(transcript.find("exit 0"), std::string::npos) << transcript;

    std::string problem;
    const auto drawn = testkit::parseXml(testkit::fileText(picture), &problem);
    ASSERT_TRUE(drawn) << problem;
    EXPECT_EQ(drawn->name, "svg");
    EXPECT_NE(testkit::fileText(namesFile(home)).find(std::string(kDesktop2) + "\":\"Home\""), std::string::npos);
    EXPECT_FALSE(fs::exists(refused));
}

// A read-only disk, mounted where only the test's child process and the program it starts see it,
// is named as such.
TEST(ProgramFilesAndPicturesTest, AReadOnlyDiskIsNamedAsSuch) {
    testkit::TempFolder home, pictures;
    const fs::path disk = pictures / "disk";
    fs::create_directory(disk);
    const auto outcome = testkit::withMountsOfItsOwn([&] {
        skipUnlessTheProgramCanBeRun();
        testkit::mountReadOnlyDisk(disk);
        testkit::ConsoleProcess program({home.path(), kDefaultSession, {}, {}, true});
        program.ready();
        const std::string transcript = answersTo(program, {"screen svg " + (disk / "screen.svg").string()});
        program.send("quit");
        return transcript + "exit " + std::to_string(program.finish());
    });
    if (!outcome.skipped.empty()) GTEST_SKIP() << outcome.skipped;
    EXPECT_EQ(outcome.answer, "> screen svg " + (disk / "screen.svg").string() +
                                  "\nerror: The picture could not be written to \"" + (disk / "screen.svg").string() +
                                  "\" because the folder \"" + disk.string() + "\" is on a read-only disk.\nexit 0");
}

}  // namespace
}  // namespace tarnwick
