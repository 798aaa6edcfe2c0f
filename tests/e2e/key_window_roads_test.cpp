// The keyboard and our windows through the built program, as a person at the Mac would meet
// them: the window of ours in front takes over as key when the key window closes, goes to the
// Dock or is ordered out, so that bare commands act in it; with none key the answer names a
// window on screen with a command that works as given, or says how to open one; `focus` gives a
// desktop's name field the keyboard and `keys` type the name; a resize stops at the Dock, at the
// bottom or on the right of the display. A window stays on its desktop, listed and drawn only
// while that desktop is current, and choosing it again from the status menu goes there; an
// unplugged display's window comes onto the main display, shrunk to fit where it must; a click
// makes a window key, our application coming back gives the keyboard to its last key window, and
// an open alert is key rather than the window behind it. The default session: the built-in
// display (1) at 0 0 1512 982 is main with Desktops 1 to 3, the Studio Display (2) at 1512 -200
// 2560 1440 beside it with Desktops 4 to 6.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
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
using Lines = std::vector<std::string>;

const fs::path kDefaultSession = fs::path(TARNWICK_SOURCE_DIR) / "sessions/default.json";
const fs::path kRenameSession = fs::path(TARNWICK_SOURCE_DIR) / "tests/e2e/roads/rename.json";
constexpr const char* kDesktop1 = "00000000-0000-0000-0000-000000000001";
constexpr const char* kSettingsAway =
    "elsewhere window 600002 \"Tarnwick Settings\" on \"Desktop 1\" of display 1";
using testkit::printed;

class KeyWindowRoadsTest : public ::testing::Test {
protected:
    testkit::ConsoleProcess& start(const fs::path& session = kDefaultSession) {
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
    // The picture of the screen now, parsed.
    testkit::XmlElement picture(const std::string& name) {
        const fs::path file = home.path() / name;
        EXPECT_EQ(send("screen svg " + file.string()), Lines{"ok"});
        auto parsed = testkit::parseXml(testkit::fileText(file));
        EXPECT_TRUE(parsed) << name;
        return parsed ? std::move(*parsed) : testkit::XmlElement{};
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
    // The command an answer gives: from "in " after the semicolon up to the words that follow it,
    // the sentence's full stop left out.
    static std::string givenCommand(const std::string& answer) {
        const std::string follows = " names the window to act in.";
        const auto at = answer.find("; in ");
        if (at == std::string::npos || !answer.ends_with(follows)) return {};
        return answer.substr(at + 2, answer.size() - follows.size() - at - 2);
    }
    // The default session with the built-in display keeping these strips.
    fs::path sessionWithReserved(const std::string& name, const std::string& reserved) {
        std::string session = testkit::fileText(kDefaultSession);
        const std::string first = "\"scale\": 2,";
        const auto at = session.find(first);
        EXPECT_NE(at, std::string::npos);
        session.insert(at + first.size(), " \"reserved\": " + reserved + ",");
        const fs::path file = home.path() / name;
        std::ofstream(file) << session;
        return file;
    }
    // The frame a "moved window" line gives: x y width height.
    static std::vector<double> movedTo(const Lines& lines) {
        for (const auto& line : lines)
            if (const auto at = line.find(" to ");
                line.find("moved window") != std::string::npos && at != std::string::npos) {
                std::istringstream in(line.substr(at + 4));
                std::vector<double> frame(4);
                for (auto& v : frame) in >> v;
                return frame;
            }
        return {};
    }
    // Whether anything in the window's group is painted in the accent: a window in the background
    // draws every control of the system's and of the app's own style without it.
    bool drawsAccent(const std::string& name, const std::string& title) {
        const auto drawn = picture(name);
        const auto* window = testkit::windowTitled(drawn, title);
        EXPECT_NE(window, nullptr) << title;
        if (!window) return false;
        for (const char* element : {"rect", "path", "circle"})
            for (const auto* shape : window->all(element))
                if (const auto* fill = shape->attribute("fill"); fill && *fill == "#0a84ff") return true;
        return false;
    }
    void quit() {
        send("quit");
        EXPECT_EQ(program->finish(), 0);
    }

    testkit::TempFolder home;
    std::unique_ptr<testkit::ConsoleProcess> program;
};

TEST_F(KeyWindowRoadsTest, TheWindowInFrontTakesOverAsKeyWhenTheKeyWindowLeaves) {
    start();
    choose("Settings\u2026");
    choose("About Tarnwick");
    EXPECT_EQ(keyWindow(), "About Tarnwick");
    EXPECT_EQ(send("close \"About Tarnwick\"").back(), "ok");
    EXPECT_EQ(keyWindow(), "Tarnwick Settings");
    // The bare command acts in it.
    EXPECT_EQ(send("set \"Launch at login\" on").back(), "ok");

    // The update window, closed by its OK button, hands the keyboard back too.
    choose("Check for Updates\u2026");
    EXPECT_EQ(keyWindow(), "Software Update");
    EXPECT_EQ(send("keys return").back(), "ok");
    EXPECT_EQ(keyWindow(), "Tarnwick Settings");

    // Desktop Names to the Dock and back; the identification panel never takes the keyboard.
    choose("Desktop Names");
    EXPECT_EQ(send("miniaturize \"Desktop Names\"").back(), "ok");
    EXPECT_EQ(keyWindow(), "Tarnwick Settings");
    EXPECT_EQ(send("restore \"Desktop Names\"").back(), "ok");
    EXPECT_EQ(keyWindow(), "Desktop Names");
    // A command in another window is a click into it: that window becomes key.
    EXPECT_EQ(send("in \"Tarnwick Settings\" set \"Settings sections\" \"Desktop Names\"").back(), "ok");
    EXPECT_EQ(keyWindow(), "Tarnwick Settings");
    EXPECT_EQ(send("in \"Desktop Names\" press Refresh").back(), "ok");
    EXPECT_EQ(keyWindow(), "Desktop Names");
    EXPECT_TRUE(testkit::printed(send("in \"Tarnwick Settings\" press \"Identify Studio Display\""),
                                 "\"Identify Display\" at "));
    const Lines expired = send("wait 2.5");
    EXPECT_TRUE(std::any_of(expired.begin(), expired.end(), [](const std::string& line) {
        return line.find("hidden window") != std::string::npos &&
               line.find("\"Identify Display\"") != std::string::npos;
    })) << testkit::transcript(expired);
    EXPECT_EQ(keyWindow(), "Tarnwick Settings");
    EXPECT_EQ(send("in \"Desktop Names\" press Refresh").back(), "ok");
    EXPECT_EQ(send("close \"Desktop Names\"").back(), "ok");
    EXPECT_EQ(keyWindow(), "Tarnwick Settings");

    // The overview opened by its shortcut takes the keyboard and gives it back when it closes.
    EXPECT_TRUE(testkit::printed(send("keys ctrl-opt-cmd-w"), "shown window 600001 \"Workstation Overview\""));
    EXPECT_EQ(keyWindow(), "Workstation Overview");
    EXPECT_EQ(send("keys escape").back(), "ok");
    EXPECT_EQ(keyWindow(), "Tarnwick Settings");
    quit();
}

TEST_F(KeyWindowRoadsTest, WithNoKeyWindowTheAnswersCommandWorksAsGiven) {
    start();
    choose("Settings\u2026");
    // Another application in front: our windows stay on screen, none of them key.
    EXPECT_EQ(send("app activate com.apple.finder").back(), "ok");
    EXPECT_EQ(keyWindow(), "");
    const Lines refused = send("set \"Launch at login\" on");
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0], "error: No window of ours is key while another application is active; in \"Tarnwick "
                          "Settings\" set \"Launch at login\" on names the window to act in.");
    // Copied exactly, it works, and as a click into the window it brings ours forward with it key.
    EXPECT_EQ(send(givenCommand(refused[0])).back(), "ok");
    EXPECT_EQ(keyWindow(), "Tarnwick Settings");

    // With none on screen, the answer says how to open one; done as it says, the command works.
    EXPECT_EQ(send("app activate com.apple.finder").back(), "ok");
    EXPECT_EQ(send("close \"Tarnwick Settings\"").back(), "ok");
    const Lines none = send("set \"Launch at login\" off");
    ASSERT_EQ(none.size(), 1u);
    EXPECT_EQ(none[0], "error: No window of ours is key while another application is active, and none with controls "
                       "is on screen; click status-item, wait 0.5, then menu \"Settings\u2026\" or menu \"Desktop "
                       "Names\" open a window from the status menu.");
    for (const char* step : {"click status-item", "wait 0.5", "menu \"Settings\u2026\""})
        EXPECT_EQ(send(step).back(), "ok") << step;
    EXPECT_EQ(send("set \"Launch at login\" off").back(), "ok");
    quit();
}

TEST_F(KeyWindowRoadsTest, FocusGivesADesktopsNameFieldTheKeyboardAndKeysTypeTheName) {
    start();
    choose("Desktop Names");
    const std::string field = std::string("name.") + kDesktop1;
    EXPECT_EQ(send("focus " + field).back(), "ok");
    bool focused = false;
    for (const auto& line : send("screen"))
        focused = focused || (line.find("id \"" + field + "\"") != std::string::npos &&
                              line.find(" focused") != std::string::npos);
    EXPECT_TRUE(focused);
    for (const char* key : {"w", "o", "r", "k", "s", "delete", "return"})
        EXPECT_EQ(send(std::string("keys ") + key).back(), "ok") << key;
    EXPECT_TRUE(testkit::printed(send("screen"), "textField \"work\" id \"" + field + "\""));
    EXPECT_EQ(send("focus Refresh"),
              Lines{"error: \"Refresh\" is a button, which cannot take the keyboard focus; press clicks it."});
    quit();
    const Value names = json::parse(testkit::fileText(home.path() / "Library/Application Support/Tarnwick/names.json"))
                            .value_or(Value());
    const Value* saved = names.find("names") ? names.find("names")->find(kDesktop1) : nullptr;
    ASSERT_TRUE(saved && saved->asString());
    EXPECT_EQ(*saved->asString(), "work");
}

// The built-in display is 1512 × 982 points; with the Dock at its bottom it shows 0 25 1512 887,
// with the Dock on its right 0 25 1432 957.
TEST_F(KeyWindowRoadsTest, AResizeStopsAtTheDockAtTheBottomOrOnTheRight) {
    struct Dock {
        const char* reserved;
        const char* size;        // the resize asked for
        const char* visible;     // the visible frame the answer names
        std::size_t along;       // 1: the bottom edge stops, 0: the right edge
        double edge;             // where the Dock's edge lies, in global points
    };
    for (const Dock& dock : {Dock{"{\"top\": 25, \"bottom\": 70}", "760 2000", "0 25 1512 887", 1, 912},
                             Dock{"{\"top\": 25, \"right\": 80}", "3000 560", "0 25 1432 957", 0, 1432}}) {
        SCOPED_TRACE(dock.reserved);
        start(sessionWithReserved("dock.json", dock.reserved));
        choose("Settings\u2026");
        const Lines resized = send(std::string("resize \"Tarnwick Settings\" ") + dock.size);
        EXPECT_TRUE(testkit::printed(resized, std::string("it stops at the visible frame of display 1 \"Built-in "
                                                          "Retina Display\", ") + dock.visible))
            << testkit::transcript(resized);
        const auto frame = movedTo(resized);
        ASSERT_EQ(frame.size(), 4u) << testkit::transcript(resized);
        EXPECT_EQ(frame[dock.along] + frame[dock.along + 2], dock.edge);
        quit();
    }
}

TEST_F(KeyWindowRoadsTest, TheSettingsStayOnTheirDesktopAndComeBackWithIt) {
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
                    "current desktop; switch 1 goes there, then in \"Tarnwick Settings\" set \"Launch at login\" on "
                    "acts in it."});

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

TEST_F(KeyWindowRoadsTest, ChoosingTheSettingsAgainGoesToTheDesktopThatHoldsThem) {
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

TEST_F(KeyWindowRoadsTest, AnUnpluggedDisplaysWindowComesOntoTheMainDisplayThatIsLeft) {
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

TEST_F(KeyWindowRoadsTest, AWindowMovedOntoADisplaySmallerThanItKeepsItsMinimumSize) {
    start();
    choose("Desktop Names");
    // Left with a display whose visible frame (-500 25 500 335) is smaller than the window's
    // minimum of 580 by 400: it comes there at its top left, no smaller than that minimum.
    EXPECT_EQ(send("display add 3 -500 0 500 360 \"Small Display\" 1").back(), "ok");
    EXPECT_EQ(send("display remove 2").back(), "ok");
    const Lines moved = send("display remove 1");
    EXPECT_TRUE(printed(moved, "moved window 600002 \"Desktop Names\" to -500 25 580 400")) << testkit::transcript(moved);
    quit();
}

TEST_F(KeyWindowRoadsTest, AClickMakesAWindowKeyAndOurApplicationComingBackGivesTheKeyboardBack) {
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

TEST_F(KeyWindowRoadsTest, WhileTheRenamePromptIsOpenItIsKeyNotTheWindowBehindIt) {
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
    // The window behind heard that it resigned: its own prominent button lost its accent too.
    EXPECT_FALSE(drawsAccent("during.svg", "Tarnwick Settings"));
    EXPECT_EQ(send("alert press Cancel").back(), "ok");
    EXPECT_EQ(keyWindow(), "Tarnwick Settings");
    EXPECT_TRUE(drawsAccent("after.svg", "Tarnwick Settings"));
    quit();
}

TEST_F(KeyWindowRoadsTest, TheHintNamesTheWindowThatShowsTheControlWhereverItIs) {
    start();
    choose("Settings\u2026");
    send("switch 3");
    choose("Desktop Names");
    send("switch 2");
    send("wait 3");
    // The switch is in the settings on Desktop 1, not in Desktop Names, the window used last.
    const std::string away =
        "the window \"Tarnwick Settings\" is on \"Desktop 1\" of display 1, not the current desktop; switch 1 goes "
        "there.";
    EXPECT_EQ(send("set \"Launch at login\" on"),
              Lines{"error: No window of ours is key, and none with controls is on screen; " + away});
    EXPECT_EQ(send("press \"Launch at login\""),
              Lines{"error: No window of ours shows anything with the identifier, label or text \"Launch at login\" "
                    "on screen; " + away});
    // A name no window shows anywhere is said to be shown nowhere, not promised on another desktop.
    const Lines bogus = send("set Bogus on");
    ASSERT_EQ(bogus.size(), 1u);
    EXPECT_NE(bogus[0].find("nor does a window elsewhere show \"Bogus\" as something set works on;"), std::string::npos)
        << bogus[0];
    EXPECT_EQ(send("switch 1").back(), "ok");
    EXPECT_EQ(send("set \"Launch at login\" on").back(), "ok");

    // A command whose value the control refuses is refused for it, with no window to go to.
    EXPECT_EQ(send("app activate com.apple.finder").back(), "ok");
    EXPECT_EQ(send("set \"Launch at login\" maybe"),
              Lines{"error: \"maybe\" is not something set knows here; type on or off."});

    // A window in the Dock is named as being there, with the restore that brings it back.
    EXPECT_EQ(send("switch 3").back(), "ok");
    EXPECT_EQ(send("miniaturize \"Desktop Names\"").back(), "ok");
    EXPECT_EQ(send("in \"Desktop Names\" press Refresh"),
              Lines{"error: The window \"Desktop Names\" is in the Dock; restore \"Desktop Names\" brings it back."});
    EXPECT_EQ(send("press Refresh"),
              Lines{"error: No window of ours shows anything with the identifier, label or text \"Refresh\" on "
                    "screen; the window \"Desktop Names\" is in the Dock; restore \"Desktop Names\" brings it back."});
    quit();
}

TEST_F(KeyWindowRoadsTest, APressLandsOnThePartOfTheControlThatShows) {
    start();
    choose("Settings\u2026");
    choose("Desktop Names");
    // Desktop Names (431 to 1081) covers the row's label but not the switch at its end.
    EXPECT_EQ(send("press \"Launch at login\"").back(), "ok");
    EXPECT_TRUE(printed(send("screen"), "toggle \"Launch at login\" on"));
    EXPECT_EQ(keyWindow(), "Tarnwick Settings");
    // Wholly covered, the answer names the window in front and how to bring this one forward.
    choose("Desktop Names");
    EXPECT_EQ(send("press \"Check for Updates\u2026\""),
              Lines{"error: \"Check for Updates\u2026\" is covered by the window \"Desktop Names\"; in \"Tarnwick "
                    "Settings\" press \"Check for Updates\u2026\" brings the window \"Tarnwick Settings\" forward and "
                    "presses it."});
    quit();
}

TEST_F(KeyWindowRoadsTest, AWindowShownAgainAfterItsDisplayWentAwayComesOntoAScreen) {
    start();
    // In the Dock, and closed, while the built-in display is unplugged: both come back on the
    // Studio Display (1512 -175 2560 1415 visible), moved the least way there.
    choose("Desktop Names");
    EXPECT_EQ(send("miniaturize \"Desktop Names\"").back(), "ok");
    choose("Check for Updates\u2026");
    EXPECT_EQ(send("close \"Software Update\"").back(), "ok");
    EXPECT_EQ(send("display remove 1").back(), "ok");

    const Lines restored = send("restore \"Desktop Names\"");
    EXPECT_TRUE(printed(restored, "shown window 600002 \"Desktop Names\" at 1512 178.5 650 650"))
        << testkit::transcript(restored);
    EXPECT_EQ(keyWindow(), "Desktop Names");
    const Lines reopened = choose("Check for Updates\u2026");
    EXPECT_TRUE(printed(reopened, "shown window 600003 \"Software Update\" at 1512 418.5 280 230"))
        << testkit::transcript(reopened);
    const auto drawn = picture("back.svg");
    EXPECT_NE(testkit::windowTitled(drawn, "Desktop Names"), nullptr);
    EXPECT_NE(testkit::windowTitled(drawn, "Software Update"), nullptr);
    // The resize is held by the display it is on now.
    const Lines resized = send("resize \"Desktop Names\" 4000 650");
    EXPECT_TRUE(printed(resized, "it stops at the visible frame of display 2")) << testkit::transcript(resized);
    quit();
}

}  // namespace
}  // namespace tarnwick
