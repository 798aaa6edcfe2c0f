// The built program with the simulated user's console: turned on by the environment, driven on
// virtual time through standard input, ended by quit, the end of input or a signal.

#include <algorithm>
#include <csignal>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "testkit/console_process.h"
#include "testkit/run_program.h"
#include "testkit/temp_folder.h"
#include "testkit/text_expectations.h"
#include "testkit/xml_document.h"

namespace tarnwick {
namespace {

using Lines = std::vector<std::string>;
const std::filesystem::path kSource = TARNWICK_SOURCE_DIR;
const std::filesystem::path kDefaultSession = kSource / "sessions/default.json";

std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The commands of a command file or of a page's indented block: its lines but blank ones and
// comments.
Lines commandsOf(const std::string& text) {
    Lines commands;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        const auto first = line.find_first_not_of(' ');
        if (first != std::string::npos && line[first] != '#') commands.push_back(line.substr(first));
    }
    return commands;
}

TEST(ConsoleProgramTest, ABadConsoleVariableEndsTheProgramWithStatusTwoNamingIt) {
    testkit::TempFolder home;
    const std::string h = home.path().string();
    const std::vector<std::pair<std::map<std::string, std::string>, std::string>> cases{
        {{{"HOME", h}, {"TARNWICK_CONSOLE", "yes"}},
         "TARNWICK_CONSOLE must be 1 to turn the console on, or empty or unset to leave it off.\n"},
        {{{"HOME", h}, {"TARNWICK_CONSOLE", "1"}, {"TARNWICK_VIRTUAL_TIME", "0"}},
         "TARNWICK_VIRTUAL_TIME must be 1 to stop the clock, or empty or unset to leave it off.\n"},
        {{{"HOME", h}, {"TARNWICK_VIRTUAL_TIME", "1"}},
         "TARNWICK_VIRTUAL_TIME=1 needs TARNWICK_CONSOLE=1: only the console's wait moves virtual time.\n"},
    };
    for (const auto& [environment, sentence] : cases) {
        testkit::RunOptions options;
        options.unset = {"TARNWICK_CONSOLE", "TARNWICK_VIRTUAL_TIME"};
        const auto result = testkit::runTarnwick({}, environment, options);
        EXPECT_EQ(result.exitStatus, 2) << sentence;
        EXPECT_EQ(result.standardError, sentence);
        EXPECT_EQ(result.standardOutput, "");
    }
    EXPECT_TRUE(std::filesystem::is_empty(home.path()));
}

TEST(ConsoleProgramTest, CommandsOnVirtualTimeThroughStandardInputThenQuit) {
    testkit::TempFolder home;
    testkit::ConsoleProcess program({home.path(), kDefaultSession, {}, {}, true});
    EXPECT_EQ(program.ready(), (Lines{"@1000.000 status-item shown at 1479 0 25 25", "ready"}));
    EXPECT_EQ(program.send("switch 2"), (Lines{"@1000.000 desktop switched on display 1 to \"Desktop 2\"", "ok"}));
    // Bad input: one error each, nothing changed.
    EXPECT_EQ(program.send("switch \xC3\x28"), Lines{"error: The line is not valid UTF-8 text; type it again as plain text."});
    EXPECT_EQ(program.send(std::string(5000, 'x')), Lines{"error: The line is longer than 4096 bytes; type a shorter command."});
    EXPECT_EQ(program.send("mission-control sideways"),
              Lines{"error: \"sideways\" is not something mission-control knows here; type open, close, expand or "
                    "collapse."});
    // The switch's banner shows once its delay has passed.
    EXPECT_EQ(program.send("# a comment gets no answer\nwait 1.25"),
              (Lines{"@1000.120 shown window 600002 \"Space Name\" at " +
                         testkit::consoleNumber(756 - testkit::bannerWidth("Desktop 2") / 2) + " 884 " +
                         testkit::consoleNumber(testkit::bannerWidth("Desktop 2")) + " 66 level 3 texts \"Desktop 2\"",
                     "ok"}));
    const Lines screen = program.send("screen");
    ASSERT_GE(screen.size(), 3u);
    EXPECT_EQ(screen[0].rfind("display 1 \"Built-in Retina Display\" at 0 0 1512 982 current \"Desktop 2\"", 0), 0u);

    const auto picture = home.path() / "screen.svg";
    EXPECT_EQ(program.send("screen svg " + picture.string()), Lines{"ok"});
    std::ifstream in(picture);
    std::stringstream bytes;
    bytes << in.rdbuf();
    EXPECT_TRUE(testkit::parseXml(bytes.str()));

    EXPECT_EQ(program.send("quit"),
              (Lines{"@1001.250 hidden window 600002 \"Space Name\"", "@1001.250 application ended with status 0"}));
    EXPECT_EQ(program.finish(), 0);
    EXPECT_FALSE(program.readFailed());
    EXPECT_EQ(program.standardError(), "");
}

// Without its fonts the program says once, at start, which package brings them, and goes on:
// names are still measured and drawn.
TEST(ConsoleProgramTest, MissingFontsAreReportedOnceAtStartAndTextIsStillSet) {
    testkit::TempFolder home, noFonts;
    testkit::ConsoleProcess program(
        {home.path(), kDefaultSession, {}, {{"TARNWICK_FONTS_FOLDER", noFonts.path().string()}}, true});
    EXPECT_EQ(program.ready().back(), "ready");
    program.send("switch 2");
    program.send("wait 1.25");
    const auto picture = home.path() / "screen.svg";
    EXPECT_EQ(program.send("screen svg " + picture.string()), Lines{"ok"});
    const auto parsed = testkit::parseXml(readText(picture));
    ASSERT_TRUE(parsed);
    bool named = false;
    for (const auto* text : parsed->all("text"))
        if (text->text == "Desktop 2" && text->attribute("textLength")) named = text->number("textLength") > 0;
    EXPECT_TRUE(named);
    program.send("quit");
    EXPECT_EQ(program.finish(), 0);
    const std::string& said = program.standardError();
    const auto lines = std::count(said.begin(), said.end(), '\n');
    EXPECT_EQ(lines, 2) << said;  // one sentence for each package
    EXPECT_EQ(said.find("fonts-inter"), said.rfind("fonts-inter")) << said;
    EXPECT_NE(said.find("Install the package fonts-inter"), std::string::npos) << said;
    EXPECT_NE(said.find("fonts-dejavu-core"), std::string::npos) << said;
}

TEST(ConsoleProgramTest, TheEndOfInputOrASignalEndsTheRunAsALogoutWithStatusZero) {
    testkit::TempFolder home;
    {
        testkit::ConsoleProcess program({home.path(), kDefaultSession, {}, {}, true});
        program.write("switch 3\n");
        program.closeInput();
        EXPECT_EQ(program.finish(), 0);
        EXPECT_EQ(program.rest(), (Lines{"@1000.000 status-item shown at 1479 0 25 25", "ready",
                                         "@1000.000 desktop switched on display 1 to \"Desktop 3\"", "ok",
                                         "@1000.000 application ended with status 0"}));
    }
    testkit::ConsoleProcess program({home.path(), kDefaultSession, {}, {}, true});
    EXPECT_EQ(program.ready().back(), "ready");
    program.signal(SIGTERM);
    EXPECT_EQ(program.finish(), 0);
    EXPECT_EQ(program.rest(), Lines{"@1000.000 application ended with status 0"});
}

// The README's walk through the simulated session, piped in as it stands on a fresh home: every
// command is answered ok, in real time as on virtual time, and the name typed into the rename
// prompt is saved.
TEST(ConsoleProgramTest, TheReadmesOperatingExamplePipedInOnAFreshHomeDoesWhatItSays) {
    const std::string script = readText(kSource / "tools/operating-example.txt");
    const std::string readme = readText(kSource / "README.md");
    const Lines commands = commandsOf(script);
    ASSERT_GT(commands.size(), 10u);
    ASSERT_EQ(commands.back().rfind("quit", 0), 0u);
    for (const auto& command : commands) EXPECT_NE(readme.find("    " + command + "\n"), std::string::npos) << command;
    for (const bool virtualTime : {true, false}) {
        testkit::TempFolder home;
        // The example's picture goes to /tmp; the test's goes to a folder of its own.
        std::string localScript = script;
        const std::string tmp = "/tmp/", local = (home / "tmp").string() + "/";
        std::filesystem::create_directory(home / "tmp");
        for (auto at = localScript.find(tmp); at != std::string::npos; at = localScript.find(tmp, at + local.size()))
            localScript.replace(at, tmp.size(), local);
        testkit::ConsoleProcess program({home.path(), kDefaultSession, {}, {}, virtualTime});
        program.write(localScript);
        program.closeInput();
        EXPECT_EQ(program.finish(), 0);
        const Lines& printed = program.rest();
        std::string transcript;
        for (const auto& line : printed) transcript += line + "\n";
        EXPECT_EQ(std::count(printed.begin(), printed.end(), "ok"), std::ptrdiff_t(commands.size() - 1)) << transcript;
        EXPECT_EQ(transcript.find("error:"), std::string::npos) << transcript;
        ASSERT_FALSE(printed.empty());
        EXPECT_NE(printed.back().find("application ended with status 0"), std::string::npos) << transcript;
        const std::string names = readText(home.path() / "Library/Application Support/Tarnwick/names.json");
        EXPECT_NE(names.find(R"("6F1C2B9E-0D4A-4C8E-9B3F-2A7D5E1C8B40":"Work")"), std::string::npos) << names;
    }
}

// The console page's steps to the settings' controls, typed as the page shows them, each reach
// their control: pressing Identify shows the display's identification.
TEST(ConsoleProgramTest, TheConsolePagesStepsToTheSettingsControlsReachThem) {
    const std::string page = readText(kSource / "docs/console.md");
    const auto press = page.find("    press \"Identify Studio Display\"");
    ASSERT_NE(press, std::string::npos);
    const auto begin = page.rfind("\n\n", press) + 2;
    const Lines steps = commandsOf(page.substr(begin, page.find("\n\n", press) - begin));
    ASSERT_GT(steps.size(), 1u);
    testkit::TempFolder home;
    testkit::ConsoleProcess program({home.path(), kDefaultSession, {}, {}, true});
    EXPECT_EQ(program.ready().back(), "ready");
    Lines answered;
    for (const auto& step : steps) {
        answered = program.send(step);
        EXPECT_EQ(answered.back(), "ok") << step;
    }
    ASSERT_EQ(answered.size(), 2u);
    EXPECT_NE(answered[0].find("shown window 600003 \"Identify Display\""), std::string::npos) << answered[0];
    EXPECT_NE(answered[0].find("texts \"Studio Display\""), std::string::npos) << answered[0];
    program.send("quit");
    EXPECT_EQ(program.finish(), 0);
}

// The indented block of a page that holds the line, as commands.
Lines blockHolding(const std::string& page, const std::string& line) {
    const auto at = page.find(line);
    if (at == std::string::npos) return {};
    const auto begin = page.rfind("\n\n", at) + 2;
    return commandsOf(page.substr(begin, page.find("\n\n", at) - begin));
}

// The steps the console page and the README give to record a shortcut, choose a colour and open
// a pop-up, typed as they stand: each is answered ok, the pop-up's menu opens and its row
// chooses, and the shortcut and the colour are saved.
TEST(ConsoleProgramTest, TheStepsToRecordAShortcutChooseAColourAndOpenAPopUpDoWhatTheySay) {
    const std::string openSettings[] = {"click status-item", "wait 0.5", "menu \"Settings…\""};
    const Lines fromPage = blockHolding(readText(kSource / "docs/console.md"), "    keys ctrl-opt-cmd-k");
    Lines fromReadme(std::begin(openSettings), std::end(openSettings));
    for (auto& step : blockHolding(readText(kSource / "README.md"), "    keys ctrl-opt-cmd-k")) fromReadme.push_back(step);
    for (const Lines& steps : {fromPage, fromReadme}) {
        ASSERT_GT(steps.size(), 8u);
        testkit::TempFolder home;
        testkit::ConsoleProcess program({home.path(), kDefaultSession, {}, {}, true});
        EXPECT_EQ(program.ready().back(), "ready");
        for (const auto& step : steps) {
            const Lines answered = program.send(step);
            EXPECT_EQ(answered.back(), "ok") << step;
            if (step.rfind("press \"Position\"", 0) == 0) {
                EXPECT_NE(answered.front().find("menu opened \"\" at "), std::string::npos) << answered.front();
            }
        }
        const Lines screen = program.send("screen");
        EXPECT_NE(std::find(screen.begin(), screen.end(), "              picker \"Position\" selected \"Top center\""),
                  screen.end());
        program.send("quit");
        EXPECT_EQ(program.finish(), 0);
        const std::string defaults = readText(home.path() / "Library/Preferences/local.orlenbay.Tarnwick.json");
        EXPECT_NE(defaults.find("\"keyCode\" : 40"), std::string::npos) << defaults;
        EXPECT_NE(defaults.find("\"bannerTintEnabled\" : true"), std::string::npos) << defaults;
    }
}

// "--capture-debug" modifies only the locate modes: alone it is the normal run, the menu-bar
// application with its status item, which ends with status 0 on quit.
TEST(ConsoleProgramTest, CaptureDebugAloneIsTheNormalRun) {
    testkit::TempFolder home;
    testkit::ConsoleProcess program({home.path(), kDefaultSession, {"--capture-debug"}, {}, true});
    EXPECT_EQ(program.ready(), (Lines{"@1000.000 status-item shown at 1479 0 25 25", "ready"}));
    EXPECT_EQ(program.send("quit").back(), "@1000.000 application ended with status 0");
    EXPECT_EQ(program.finish(), 0);
    EXPECT_EQ(program.standardError(), "");
    // The launch's permission snapshot was written, and flushed before the process ended.
    EXPECT_TRUE(std::filesystem::exists(home.path() / "Library/Logs/Tarnwick/permission-state.json"));
}

}  // namespace
}  // namespace tarnwick
