// The keyboard through the built program, as a person at the Mac would meet it: the window of
// ours in front takes over as key when the key window closes, goes to the Dock or is ordered
// out, so that bare commands act in it; with none key the answer names a window on screen with
// a command that works as given, or says how to open one; `focus` gives a desktop's name field
// the keyboard and `keys` type the name; and a resize stops at the Dock, at the bottom or on the
// right of the display.

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
#include "testkit/temp_folder.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const fs::path kDefaultSession = fs::path(TARNWICK_SOURCE_DIR) / "sessions/default.json";
constexpr const char* kDesktop1 = "00000000-0000-0000-0000-000000000001";

class KeyWindowRoadsTest : public ::testing::Test {
protected:
    testkit::ConsoleProcess& start(const fs::path& session = kDefaultSession) {
        program = std::make_unique<testkit::ConsoleProcess>(
            testkit::ConsoleProcess::Options{home.path(), session, {}, {}, true});
        EXPECT_EQ(program->ready().back(), "ready");
        return *program;
    }
    Lines send(const std::string& command) { return program->send(command); }
    void choose(const std::string& row) {
        EXPECT_EQ(send("click status-item").back(), "ok");
        send("wait 0.5");
        EXPECT_EQ(send("menu \"" + row + "\"").back(), "ok") << row;
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
                       "is on screen; click status-item, wait 0.5, then menu \"Settings\u2026\" open the settings "
                       "from the status menu.");
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

}  // namespace
}  // namespace tarnwick
