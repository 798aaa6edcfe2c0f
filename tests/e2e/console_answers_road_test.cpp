// Every answer says what happened, through the built program: a menu row chosen before the menu
// opened, a hover where the pointer already rests, disabled menu rows, the standard panels the
// status menu opens (About, and the result of a check for updates) in the listing and in the
// picture, and a piped installation whose every command gets its answer before the run ends, on
// virtual time and in real time.

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/json.h"
#include "testkit/console_process.h"
#include "testkit/picture_reading.h"
#include "testkit/temp_folder.h"
#include "testkit/xml_document.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using testkit::printed;
using testkit::transcript;
using Lines = std::vector<std::string>;

const fs::path kSource = TARNWICK_SOURCE_DIR;

// The running copy is a bundle whose manifest names it, its version, build and copyright, with
// the default session's machine and an update feed in the home folder.
class ConsoleAnswersRoadTest : public ::testing::Test {
protected:
    ConsoleAnswersRoadTest() {
        const fs::path bundle = home / "Applications/Tarnwick.app";
        fs::create_directories(bundle / "Contents/MacOS");
        std::ofstream(bundle / "Contents/Info.json") << R"({
  "CFBundleExecutable" : "Tarnwick",
  "CFBundleIdentifier" : "local.orlenbay.Tarnwick",
  "CFBundleName" : "Tarnwick",
  "CFBundleShortVersionString" : "1.4",
  "CFBundleVersion" : "7",
  "NSHumanReadableCopyright" : "Copyright © 2025 Orlenbay"
})";
        auto session = json::parse(testkit::fileText(kSource / "sessions/default.json"));
        (*session)["fileSystem"]["mainBundle"] = "~/Applications/Tarnwick.app";
        (*session)["updates"]["feed"] = "file://" + (home / "feed.json").string();
        std::ofstream(home / "session.json") << json::write(*session).value_or("");
    }

    testkit::ConsoleProcess& start() {
        program = std::make_unique<testkit::ConsoleProcess>(
            testkit::ConsoleProcess::Options{home.path(), home / "session.json", {}, {}, true});
        EXPECT_EQ(program->ready().back(), "ready");
        return *program;
    }
    std::optional<testkit::XmlElement> picture(const std::string& name) {
        EXPECT_EQ(program->send("screen svg " + (home / name).string()), Lines{"ok"});
        auto parsed = testkit::parseXml(testkit::fileText(home / name));
        EXPECT_TRUE(parsed);
        return parsed;
    }

    testkit::TempFolder home;
    std::unique_ptr<testkit::ConsoleProcess> program;
};

TEST_F(ConsoleAnswersRoadTest, AnswersSayWhyNothingHappenedAndMenusMarkTheirDisabledRows) {
    auto& app = start();
    EXPECT_EQ(app.send("click status-item"), Lines{"ok"});
    // The menu comes after the double-click interval: a row chosen now says so, and how long to wait.
    EXPECT_EQ(app.send("menu \"Desktop Names\""),
              Lines{"error: No menu is open yet: the status menu opens 0.5 s after a click on the status item (the "
                    "double-click interval), in case a second click follows; type wait 0.5, then choose the row."});
    // The click left the pointer on the item: resting it there again opens nothing, and says so.
    EXPECT_EQ(app.send("hover status-item"),
              Lines{"error: The pointer already rests on the status item, so nothing new happens; unhover moves it "
                    "away, then hover status-item rests it there again."});
    EXPECT_EQ(app.send("wait 0.2"), Lines{"ok"});
    EXPECT_EQ(app.send("menu \"Desktop Names\"").back(),
              "error: No menu is open yet: the status menu opens 0.5 s after a click on the status item (the "
              "double-click interval), in case a second click follows; type wait 0.3, then choose the row.");
    EXPECT_TRUE(printed(app.send("wait 0.3"), "menu opened"));
    app.send("keys escape");

    // With Option, the Testing submenu shows; its first row is a status line that cannot be chosen.
    app.send("click status-item option");
    const Lines opened = app.send("wait 0.5");
    ASSERT_TRUE(printed(opened, "menu opened")) << transcript(opened);
    const Lines screen = app.send("screen");
    const auto submenu = std::find_if(screen.begin(), screen.end(),
                                      [](const std::string& line) { return line.rfind("  submenu \"Testing\"", 0) == 0; });
    ASSERT_NE(submenu, screen.end()) << transcript(screen);
    EXPECT_EQ(submenu->rfind("  submenu \"Testing\" rows \"Diagnostics\" disabled \"Start sample label", 0), 0u) << *submenu;
    EXPECT_EQ(app.send("menu \"Testing\" \"Diagnostics\""), Lines{"error: The row \"Diagnostics\" is disabled."});
    EXPECT_EQ(app.send("quit").back(), "@1001.000 application ended with status 0");
    EXPECT_EQ(app.finish(), 0);
}

TEST_F(ConsoleAnswersRoadTest, AboutShowsTheBundlesNameVersionBuildAndCopyrightWithItsIcon) {
    auto& app = start();
    app.send("click status-item");
    app.send("wait 0.5");
    const Lines about = app.send("menu \"About Tarnwick\"");
    ASSERT_TRUE(printed(about, "shown window")) << transcript(about);
    EXPECT_TRUE(printed(about, "\"About Tarnwick\" at ")) << transcript(about);
    EXPECT_TRUE(printed(about, "texts \"Tarnwick\" \"Version 1.4 (7)\" \"Copyright © 2025 Orlenbay\"")) << transcript(about);
    const auto drawn = picture("about.svg");
    ASSERT_TRUE(drawn);
    EXPECT_EQ(testkit::textsOfWindow(*drawn, "About Tarnwick"), (Lines{"Tarnwick", "Version 1.4 (7)", "Copyright © 2025 Orlenbay"}));
    const auto* window = testkit::windowTitled(*drawn, "About Tarnwick");
    ASSERT_NE(window, nullptr);
    const auto icons = window->all("g", "icon");
    ASSERT_EQ(icons.size(), 1u);
    EXPECT_EQ(*icons[0]->attribute("data-app"), "Tarnwick");
    // Escape closes the key panel, as its close button does.
    const Lines escaped = app.send("keys escape");
    EXPECT_TRUE(printed(escaped, "hidden window")) << transcript(escaped);
    app.send("quit");
    EXPECT_EQ(app.finish(), 0);
}

TEST_F(ConsoleAnswersRoadTest, CheckForUpdatesShowsHowTheCheckEndedInAWindow) {
    auto& app = start();
    const auto check = [&] {
        app.send("click status-item");
        app.send("wait 0.5");
        return app.send("menu \"Check for Updates\u2026\"");
    };
    std::ofstream(home / "feed.json") << "[]";
    const Lines upToDate = check();
    EXPECT_TRUE(printed(upToDate, "\"Software Update\" at ")) << transcript(upToDate);
    EXPECT_TRUE(printed(upToDate, "texts \"Tarnwick is up to date.\" \"Tarnwick 1.4 is the newest version available.\""))
        << transcript(upToDate);
    const auto drawn = picture("update.svg");
    ASSERT_TRUE(drawn);
    // The detail is set within the window, as its view lays it out, wrapped where it needs to be.
    const auto* window = testkit::windowTitled(*drawn, "Software Update");
    ASSERT_NE(window, nullptr);
    const auto frames = window->all("rect", "window-frame");
    ASSERT_FALSE(frames.empty());
    Lines texts = testkit::textsOfWindow(*drawn, "Software Update");
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.front(), "Tarnwick is up to date.");
    EXPECT_EQ(texts.back(), "OK");  // the window's button
    texts.pop_back();
    std::string detail;
    for (std::size_t i = 1; i < texts.size(); ++i) detail += (i > 1 ? " " : "") + texts[i];
    EXPECT_EQ(detail, "Tarnwick 1.4 is the newest version available.");
    for (const auto* text : window->all("text", "text"))
        EXPECT_LE(text->number("textLength"), frames.front()->number("width"));

    // A feed that cannot be read: what went wrong and why, in the same window.
    fs::remove(home / "feed.json");
    const Lines failed = check();
    EXPECT_TRUE(printed(failed, "now \"The update information could not be loaded.\" \"The update feed could not be "
                                "read.\" \"OK\""))
        << transcript(failed);
    EXPECT_EQ(app.send("close \"Software Update\"").back(), "ok");
    app.send("quit");
    EXPECT_EQ(app.finish(), 0);
}

// The README's installation, piped: the answer to the dialog comes before the run ends, though
// the installer quits by itself, in virtual time and in real time.
TEST(PipedInstallationTest, TheDialogsAnswerComesBeforeTheRunEnds) {
    for (const bool virtualTime : {true, false}) {
        testkit::TempFolder home;
        const fs::path script = kSource / "tools/install-example.sh";
        ASSERT_EQ(std::system(("'" + script.string() + "' '" + home.path().string() + "' > /dev/null").c_str()), 0);
        testkit::ConsoleProcess program(
            {home.path(), kSource / "sessions/install.json", {}, {}, virtualTime, testkit::ConsoleProcess::kPatience});
        program.write("alert press \"Install and Open\"\n");
        program.closeInput();
        const int status = program.finish();
        const Lines& lines = program.rest();
        EXPECT_EQ(status, 0) << transcript(lines);
        const auto closed = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
            return line.find("alert closed with \"Install and Open\"") != std::string::npos;
        });
        const auto answered = std::find(closed, lines.end(), "ok");
        ASSERT_NE(answered, lines.end()) << (virtualTime ? "virtual" : "real") << " time\n" << transcript(lines);
        ASSERT_FALSE(lines.empty());
        EXPECT_NE(lines.back().find("application ended with status 0"), std::string::npos) << transcript(lines);
        EXPECT_TRUE(fs::exists(home / "Applications/Tarnwick.app/Contents/Info.json"));
    }
}

}  // namespace
}  // namespace tarnwick
