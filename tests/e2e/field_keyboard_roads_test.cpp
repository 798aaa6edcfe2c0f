// The keyboard in a text field through the built program: Tab and Shift-Tab from one desktop's
// name field to the next (and into the first or last where none has the keyboard), the caret
// that the arrows move and typing follows, Return selecting the text, Command-Z and
// Shift-Command-Z taking back and putting back a run of typing with the names file following
// each step, shifted and Option characters and dead keys typed as on the U.S. layout, Tab out of
// a display's friendly name in the settings saving it, and the selection and the caret as the
// picture draws them.

#include <filesystem>
#include <fstream>
#include <sstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/json.h"
#include "testkit/console_process.h"
#include "testkit/picture_reading.h"
#include "testkit/temp_folder.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using Names = std::map<std::string, std::string>;

const fs::path kDefaultSession = fs::path(TARNWICK_SOURCE_DIR) / "sessions/default.json";
constexpr const char* kDesktop1 = "00000000-0000-0000-0000-000000000001";
constexpr const char* kDesktop2 = "6F1C2B9E-0D4A-4C8E-9B3F-2A7D5E1C8B40";

class FieldKeyboardRoadsTest : public ::testing::Test {
protected:
    FieldKeyboardRoadsTest() {
        program = std::make_unique<testkit::ConsoleProcess>(
            testkit::ConsoleProcess::Options{home.path(), kDefaultSession, {}, {}, true});
        EXPECT_EQ(program->ready().back(), "ready");
    }
    ~FieldKeyboardRoadsTest() override {
        program->send("quit");
        program->finish();
    }
    Lines send(const std::string& command) { return program->send(command); }
    void ok(const std::string& command) { EXPECT_EQ(send(command).back(), "ok") << command; }
    void choose(const std::string& row) {
        ok("click status-item");
        ok("wait 0.5");
        ok("menu \"" + row + "\"");
    }
    // The names file as it is on disk now.
    Names namesFile() {
        Names names;
        const fs::path path = home.path() / "Library/Application Support/Tarnwick/names.json";
        if (!fs::exists(path)) return names;
        const Value file = json::parse(testkit::fileText(path)).value_or(Value());
        if (const Value* saved = file.find("names"); saved && saved->asDictionary())
            for (const auto& [id, name] : *saved->asDictionary())
                if (name.asString()) names[id] = *name.asString();
        return names;
    }
    // The identifier of the control `screen` marks focused, or "" when none is.
    std::string focused() {
        for (const auto& line : send("screen")) {
            if (line.size() < 8 || line.compare(line.size() - 8, 8, " focused") != 0) continue;
            const auto at = line.find(" id \"");
            if (at == std::string::npos) return "?";
            return line.substr(at + 5, line.find('"', at + 5) - at - 5);
        }
        return "";
    }

    // The screen drawn now, parsed.
    testkit::XmlElement picture() {
        const fs::path file = home.path() / "screen.svg";
        EXPECT_EQ(send("screen svg " + file.string()), Lines{"ok"});
        std::ifstream in(file);
        std::stringstream bytes;
        bytes << in.rdbuf();
        return testkit::parseXml(bytes.str()).value_or(testkit::XmlElement{});
    }

    testkit::TempFolder home;
    std::unique_ptr<testkit::ConsoleProcess> program;
};

TEST_F(FieldKeyboardRoadsTest, TabMovesBetweenDesktopNamesAndCommandZTakesBackARunOfTyping) {
    choose("Desktop Names");
    const std::string first = std::string("name.") + kDesktop1;
    const std::string second = std::string("name.") + kDesktop2;
    ok("focus " + first);
    for (const char* key : {"W", "o", "r", "k"}) ok(std::string("keys ") + key);
    EXPECT_EQ(namesFile(), (Names{{kDesktop1, "Work"}}));

    ok("keys tab");
    EXPECT_EQ(focused(), second);
    for (const char* key : {"m", "a", "i", "l", "!"}) ok(std::string("keys ") + key);
    EXPECT_EQ(namesFile(), (Names{{kDesktop1, "Work"}, {kDesktop2, "mail!"}}));

    // The run typed into the second field goes back in one step, and comes again.
    ok("keys cmd-z");
    EXPECT_EQ(namesFile(), (Names{{kDesktop1, "Work"}}));
    ok("keys cmd-shift-z");
    EXPECT_EQ(namesFile(), (Names{{kDesktop1, "Work"}, {kDesktop2, "mail!"}}));

    // Back to the first field, whose history is its own.
    ok("keys shift-tab");
    EXPECT_EQ(focused(), first);
    ok("keys cmd-z");
    EXPECT_EQ(namesFile(), (Names{{kDesktop2, "mail!"}}));
    ok("keys cmd-shift-z");
    ok("keys shift-1");
    ok("keys ?");
    EXPECT_EQ(namesFile(), (Names{{kDesktop1, "Work!?"}, {kDesktop2, "mail!"}}));
    EXPECT_TRUE(testkit::printed(send("screen"), "textField \"Work!?\" id \"" + first + "\""));

    // A text the type command replaces is one change, and its undo selects what it had replaced;
    // typing after an undo leaves nothing to redo.
    ok("type " + first + " Home");
    ok("keys cmd-z");
    EXPECT_EQ(namesFile().at(kDesktop1), "Work!?");
    ok("keys down");
    ok("keys s");
    ok("keys cmd-shift-z");
    EXPECT_EQ(namesFile().at(kDesktop1), "Work!?s");
}

TEST_F(FieldKeyboardRoadsTest, TabOutOfADisplaysFriendlyNameSavesItAsAClickElsewhereWould) {
    choose("Settings\u2026");
    ok("set \"Settings sections\" \"Desktop Names\"");
    const std::string builtIn = "display-alias.37D8832A-2D66-02CA-B9F7-8F30A301B230";
    const std::string studio = "display-alias.9C4E1F7A-5B2D-4E8F-A1C3-6D9B2E4F7A18";
    ok("focus " + builtIn);
    for (const char* key : {"L", "a", "p"}) ok(std::string("keys ") + key);
    EXPECT_FALSE(testkit::printed(send("screen"), "label \"Identify Lap\""));
    ok("keys tab");
    EXPECT_EQ(focused(), studio);
    EXPECT_TRUE(testkit::printed(send("screen"), "label \"Identify Lap\""));
    ok("keys tab");
    EXPECT_EQ(focused(), builtIn);
}

TEST_F(FieldKeyboardRoadsTest, TabFindsTheFirstFieldAndTypingFollowsTheCaretThatTheArrowsMove) {
    choose("Desktop Names");
    const std::string first = std::string("name.") + kDesktop1;
    const std::string second = std::string("name.") + kDesktop2;
    // Just opened, nothing has the keyboard: Tab goes to the first field, Shift-Tab round to the last.
    EXPECT_EQ(focused(), "");
    ok("keys tab");
    EXPECT_EQ(focused(), first);
    ok("keys shift-tab");
    EXPECT_NE(focused(), first);

    // Tabbed into, "xy" is all selected; Right goes to its end and "q" follows it.
    ok("type " + second + " xy");
    ok("keys shift-tab");
    ok("keys tab");
    EXPECT_EQ(focused(), second);
    ok("keys right");
    ok("keys q");
    EXPECT_EQ(namesFile().at(kDesktop2), "xyq");

    // "c" goes in before "b", and Undo takes back only the "c".
    ok("keys shift-tab");
    for (const char* key : {"a", "b", "left", "c"}) ok(std::string("keys ") + key);
    EXPECT_EQ(namesFile().at(kDesktop1), "acb");
    ok("keys cmd-z");
    EXPECT_EQ(namesFile().at(kDesktop1), "ab");
    ok("keys d");
    EXPECT_EQ(namesFile().at(kDesktop1), "adb");

    // Return selects the text: what is typed next replaces it.
    ok("keys return");
    ok("keys c");
    EXPECT_EQ(namesFile().at(kDesktop1), "c");

    // Option and Shift-Option type the U.S. layout's characters; a dead key composes with the
    // next key, gives its accent before a key it does not compose with, and Space types it alone.
    for (const char* key : {"opt-a", "opt-shift-a", "opt-2", "opt-e", "e", "opt-u", "x", "opt-n", "N", "opt-i", "space",
                            "opt-`", "delete", "\"\u00b4\""})
        ok(std::string("keys ") + key);
    EXPECT_EQ(namesFile().at(kDesktop1), "c\u00e5\u00c5\u2122\u00e9\u00a8x\u00d1\u02c6\u00b4");
}

TEST_F(FieldKeyboardRoadsTest, ThePictureDrawsTheSelectionBehindTheTextAndTheCaretWhereNothingIsSelected) {
    choose("Desktop Names");
    const std::string second = std::string("name.") + kDesktop2;
    ok("type " + second + " Home");
    ok("keys return");
    testkit::XmlElement svg = picture();
    const auto* text = testkit::textShowing(svg, "Home");
    ASSERT_TRUE(text);
    auto selections = svg.all("rect", "text-selection");
    ASSERT_EQ(selections.size(), 1u);
    EXPECT_EQ(selections[0]->value("data-value"), "Home");
    EXPECT_EQ(selections[0]->value("fill"), "#3f638b");
    const Rect selected = testkit::rectOf(*selections[0]);
    constexpr double kDrawn = 0.01;
    EXPECT_NEAR(selected.minX(), testkit::textLeft(*text), kDrawn);
    EXPECT_NEAR(selected.maxX(), testkit::textRight(*text), kDrawn);
    EXPECT_LT(selected.minY(), text->number("y"));
    EXPECT_GT(selected.maxY(), text->number("y"));
    EXPECT_TRUE(svg.all("rect", "caret").empty());

    // Nothing selected: the caret stands after the text's last character, one line high.
    ok("keys right");
    svg = picture();
    EXPECT_TRUE(svg.all("rect", "text-selection").empty());
    const auto carets = svg.all("rect", "caret");
    ASSERT_EQ(carets.size(), 1u);
    EXPECT_NEAR(testkit::rectOf(*carets[0]).minX(), testkit::textRight(*testkit::textShowing(svg, "Home")), kDrawn);
    EXPECT_NEAR(testkit::rectOf(*carets[0]).height(), selected.height(), kDrawn);
    ok("keys left");
    ok("keys left");
    EXPECT_LT(testkit::rectOf(*picture().all("rect", "caret").at(0)).maxX(), testkit::rectOf(*carets[0]).minX());

    // In the background the selection is grey and no caret shows.
    ok("keys return");
    choose("Settings\u2026");
    svg = picture();
    selections = svg.all("rect", "text-selection");
    ASSERT_EQ(selections.size(), 1u);
    EXPECT_EQ(selections[0]->value("fill"), "#464646");
    ok("keys right");  // the settings are key: the names window's field does not move
    EXPECT_TRUE(picture().all("rect", "caret").empty());
}

}  // namespace
}  // namespace tarnwick
