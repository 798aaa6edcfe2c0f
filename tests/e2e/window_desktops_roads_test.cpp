// The built program as a person meets our windows across desktops and displays: a window stays
// on its desktop, listed and drawn only while that desktop is current, and choosing it again from
// the status menu goes there; an unplugged display's window comes onto the main display, shrunk
// to fit where it must; a click into a window makes it key, our application coming back gives the
// keyboard to its last key window, and an open alert is key rather than the window behind it.
// The default session: the built-in display (1) at 0 0 1512 982 is main with Desktops 1 to 3, the
// Studio Display (2) at 1512 -200 2560 1440 beside it with Desktops 4 to 6.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "testkit/console_process.h"
#include "testkit/picture_reading.h"
#include "testkit/temp_folder.h"
#include "testkit/text_expectations.h"
#include "testkit/xml_document.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using testkit::printed;

const fs::path kSessions = fs::path(TARNWICK_SOURCE_DIR) / "sessions";
const fs::path kRenameSession = fs::path(TARNWICK_SOURCE_DIR) / "tests/e2e/roads/rename.json";
constexpr const char* kSettingsAway =
    "elsewhere window 600002 \"Tarnwick Settings\" on \"Desktop 1\" of display 1";

class WindowDesktopsRoadsTest : public ::testing::Test {
protected:
    testkit::ConsoleProcess& start(const fs::path& session = kSessions / "default.json") {
        program = std::make_unique<testkit::ConsoleProcess>(
            testkit::ConsoleProcess::Options{home.path(), session, {}, {}, true});
        EXPECT_EQ(program->ready().back(), "ready");
        return *program;
    }
    Lines send(const std::string& command) { return program->send(command); }
    Lines choose(const std::string& row) {
        EXPECT_EQ(send("click status-item").back(), "ok");
        send("wait 0.5");
        const Lines chosen = send("menu \"" + row + "\"");
        EXPECT_EQ(chosen.back(), "ok") << row;
        return chosen;
    }
    // The title of the window `screen` marks key, or "" when none is.
    std::string keyWindow() {
        for (const auto& line : send("screen")) {
            if (line.rfind("window ", 0) != 0 || line.find(" key texts ") == std::string::npos) continue;
            const auto open = line.find('"');
            return line.substr(open + 1, line.find('"', open + 1) - open - 1);
        }
        return "";
    }
    // The picture of the screen now, parsed.
    testkit::XmlElement picture(const std::string& name) {
        const fs::path file = home.path() / name;
        EXPECT_EQ(send("screen svg " + file.string()), Lines{"ok"});
        auto parsed = testkit::parseXml(testkit::fileText(file));
        EXPECT_TRUE(parsed) << name;
        return parsed ? std::move(*parsed) : testkit::XmlElement{};
    }
    void quit() {
        send("quit");
        EXPECT_EQ(program->finish(), 0);
    }

    testkit::TempFolder home;
    std::unique_ptr<testkit::ConsoleProcess> program;
};

TEST_F(WindowDesktopsRoadsTest, TheSettingsStayOnTheirDesktopAndComeBackWithIt) {
    start();
    choose("Settings\u2026");
    // Switching away prints the switch alone: the window is not hidden, it stays behind.
    const Lines switched = send("switch 2");
    EXPECT_EQ(switched, (Lines{"@1000.500 desktop switched on display 1 to \"Desktop 2\"", "ok"}));
    send("wait 3");
    const Lines away = send("screen");
    EXPECT_TRUE(printed(away, kSettingsAway)) << testkit::transcript(away);
    EXPECT_FALSE(std::any_of(away.begin(), away.end(), [](const std::string& line) {
        return line.rfind("window ", 0) == 0 || line.find("toggle") != std::string::npos;
    })) << testkit::transcript(away);
    EXPECT_EQ(testkit::windowTitled(picture("away.svg"), "Tarnwick Settings"), nullptr);

    // Named, it is answered with where it is and how to get there; the hint of a bare command too.
    EXPECT_EQ(send("in \"Tarnwick Settings\" set \"Launch at login\" on"),
              Lines{"error: The window \"Tarnwick Settings\" is on \"Desktop 1\" of display 1, not the current "
                    "desktop; switch 1 goes there."});
    EXPECT_EQ(send("app activate com.apple.finder").back(), "ok");
    EXPECT_EQ(send("set \"Launch at login\" on"),
              Lines{"error: No window of ours is key while another application is active, and none with controls "
                    "is on screen; the window \"Tarnwick Settings\" is on \"Desktop 1\" of display 1, not the "
                    "current desktop; switch 1 goes there."});

    // Back on its desktop it is listed with its controls and drawn, with nothing printed for it.
    const Lines back = send("switch 1");
    EXPECT_EQ(back, (Lines{"@1003.500 desktop switched on display 1 to \"Desktop 1\"", "ok"}));
    const Lines shown = send("screen");
    EXPECT_TRUE(printed(shown, "window 600002 \"Tarnwick Settings\" at 376 223.5 760 560")) << testkit::transcript(shown);
    EXPECT_TRUE(printed(shown, "toggle \"Launch at login\" off"));
    EXPECT_FALSE(printed(shown, "elsewhere window"));
    EXPECT_NE(testkit::windowTitled(picture("back.svg"), "Tarnwick Settings"), nullptr);
    EXPECT_EQ(send("in \"Tarnwick Settings\" set \"Launch at login\" on").back(), "ok");
    quit();
}

TEST_F(WindowDesktopsRoadsTest, ChoosingTheSettingsAgainGoesToTheDesktopThatHoldsThem) {
    start();
    choose("Settings\u2026");
    send("switch 3");
    send("wait 3");
    // Shown as the system shows a window of the active application on another desktop: the
    // desktop that holds it becomes current, and it is key there.
    const Lines chosen = choose("Settings\u2026");
    EXPECT_TRUE(printed(chosen, "desktop switched on display 1 to \"Desktop 1\"")) << testkit::transcript(chosen);
    EXPECT_FALSE(printed(chosen, "shown window 600002"));
    EXPECT_EQ(keyWindow(), "Tarnwick Settings");
    // The banner names the desktop it went to.
    EXPECT_TRUE(printed(send("wait 1"), "texts \"Desktop 1\""));
    quit();
}

TEST_F(WindowDesktopsRoadsTest, AnUnpluggedDisplaysWindowComesOntoTheMainDisplayThatIsLeft) {
    start();
    choose("Settings\u2026");
    // From 376 223.5 on the built-in display's visible frame (0 25 1512 957) to as far from the
    // top left of the Studio Display's (1512 -175 2560 1415), its size kept.
    const Lines removed = send("display remove 1");
    EXPECT_TRUE(printed(removed, "@1000.500 moved window 600002 \"Tarnwick Settings\" to 1888 23.5 760 560"))
        << testkit::transcript(removed);
    EXPECT_EQ(keyWindow(), "Tarnwick Settings");
    const auto drawn = picture("moved.svg");
    const auto* window = testkit::windowTitled(drawn, "Tarnwick Settings");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(testkit::rectOf(*window->all("rect", "window-frame").at(0)), Rect(1888, 23.5, 760, 560));

    // Larger than the built-in display's visible frame, it shrinks to it when it comes back there.
    EXPECT_EQ(send("display add 1 0 0 1512 982 \"Built-in Retina Display\" 3").back(), "ok");
    EXPECT_EQ(send("resize \"Tarnwick Settings\" 2000 1200").back(), "ok");
    const Lines shrunk = send("display remove 2");
    EXPECT_TRUE(printed(shrunk, "moved window 600002 \"Tarnwick Settings\" to 0 25 1512 957"))
        << testkit::transcript(shrunk);
    EXPECT_EQ(keyWindow(), "Tarnwick Settings");
    quit();
}

TEST_F(WindowDesktopsRoadsTest, AClickMakesAWindowKeyAndOurApplicationComingBackGivesTheKeyboardBack) {
    start();
    choose("Settings\u2026");
    choose("About Tarnwick");
    EXPECT_EQ(keyWindow(), "About Tarnwick");
    // A command named in a window is a click into it.
    EXPECT_EQ(send("in \"Tarnwick Settings\" set \"Launch at login\" on").back(), "ok");
    EXPECT_EQ(keyWindow(), "Tarnwick Settings");

    // Another application in front takes the keyboard; ours coming back gives it to the window
    // that had it.
    EXPECT_EQ(send("app activate com.apple.finder").back(), "ok");
    EXPECT_EQ(keyWindow(), "");
    EXPECT_EQ(send("reopen").back(), "ok");
    EXPECT_EQ(keyWindow(), "Tarnwick Settings");
    // Bare commands act in it again.
    EXPECT_EQ(send("set \"Launch at login\" off").back(), "ok");
    quit();
}

TEST_F(WindowDesktopsRoadsTest, WhileTheRenamePromptIsOpenItIsKeyNotTheWindowBehindIt) {
    const fs::path folder = home.path() / "Library/Application Support/Tarnwick";
    fs::create_directories(folder);
    std::ofstream(folder / "names.json") << R"({"version":1,"names":{"A0B1C2D3-E4F5-4A6B-8C7D-9E0F1A2B3C4D":"Home"}})";
    start(kRenameSession);
    choose("Settings\u2026");
    send("mission-control open");
    send("wait 1");
    ASSERT_TRUE(printed(send("option-double-click label 3"), "alert \"Rename Desktop 3\""));
    const Lines during = send("screen");
    EXPECT_TRUE(printed(during, "alert \"Rename Desktop 3\" key informative")) << testkit::transcript(during);
    EXPECT_TRUE(printed(during, "window 600002 \"Tarnwick Settings\""));
    EXPECT_FALSE(printed(during, " key texts ")) << testkit::transcript(during);
    EXPECT_EQ(send("alert press Cancel").back(), "ok");
    EXPECT_EQ(keyWindow(), "Tarnwick Settings");
    quit();
}

}  // namespace
}  // namespace tarnwick
