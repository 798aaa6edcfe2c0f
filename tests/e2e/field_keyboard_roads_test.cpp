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

    // Types a long name into the field and walks its caret from the start to the end.
    void walkLongText(const std::string& field, const std::string& owner);

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

// A long text in the field being edited shows whole, scrolled so that the caret stays inside
// the field: walked from the start to the end a character at a time, the caret never stops short
// of the text's end, the text slides left under it once it reaches the trailing edge, and
// the text, the caret and the field's clip agree. Left, the field cuts it short again.
void FieldKeyboardRoadsTest::walkLongText(const std::string& field, const std::string& owner) {
    const std::string name = "A very long desktop name that surely goes on past the right edge of the field yes";
    ok("type " + field + " \"" + name + "\"");
    // The drawn line of the name, the caret, and the clip the line is drawn in.
    struct Drawn {
        double textLeft = 0, textRight = 0, caret = 0;
        Rect clip, field;
    };
    const auto drawn = [&] {
        const testkit::XmlElement svg = picture();
        Drawn d;
        const auto* text = testkit::textShowing(svg, name);
        const auto carets = svg.all("rect", "caret");
        EXPECT_TRUE(text) << "the name is drawn whole, not cut short";
        EXPECT_EQ(carets.size(), 1u);
        if (!text || carets.size() != 1) return d;
        d.textLeft = testkit::textLeft(*text);
        d.textRight = testkit::textRight(*text);
        d.caret = testkit::rectOf(*carets[0]).minX();
        const auto clips = testkit::clipsAround(svg, *text);
        if (!clips.empty()) d.clip = testkit::rectOf(*clips.back());
        for (const auto* box : svg.all("rect", "text-field"))
            if (testkit::rectOf(*box).contains(Point{d.caret, testkit::rectOf(*carets[0]).midY()}))
                d.field = testkit::rectOf(*box);
        // The caret is clipped as the line is: inside the field's text area.
        const Rect caret = testkit::rectOf(*carets[0]);
        const Rect shown = testkit::shownPart(svg, *carets[0], caret);
        EXPECT_NEAR(shown.width(), caret.width(), 0.01);
        EXPECT_NEAR(shown.height(), caret.height(), 0.01);
        return d;
    };
    constexpr double kDrawn = 0.01;
    Drawn at = drawn();
    ASSERT_GT(at.field.width(), 0);
    // Typed, the caret stands after the last character at the trailing edge; the start is hidden.
    EXPECT_NEAR(at.caret, at.textRight, kDrawn);
    EXPECT_LT(at.textLeft, at.field.minX());
    EXPECT_GE(at.clip.minX(), at.field.minX());
    EXPECT_LE(at.clip.maxX(), at.field.maxX());
    EXPECT_LE(at.caret + 1, at.clip.maxX() + kDrawn);

    ok("keys up");
    at = drawn();
    EXPECT_NEAR(at.caret, at.textLeft, kDrawn);
    EXPECT_NEAR(at.textLeft, at.clip.minX(), kDrawn);
    double along = 0;
    bool slid = false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        ok("keys right");
        const Drawn next = drawn();
        // Each step the caret goes on through the text and stays inside the field.
        EXPECT_GT(next.caret - next.textLeft, along + kDrawn) << i;
        EXPECT_GE(next.caret, next.clip.minX() - kDrawn) << i;
        EXPECT_LE(next.caret + 1, next.clip.maxX() + kDrawn) << i;
        slid = slid || next.textLeft < at.textLeft - kDrawn;
        along = next.caret - next.textLeft;
        at = next;
    }
    EXPECT_TRUE(slid);
    EXPECT_NEAR(at.caret, at.textRight, kDrawn);
    EXPECT_TRUE(testkit::printed(send("screen"), "textField \"" + name + "\" id \"" + field + "\""));

    // Another field takes the keyboard: this one shows its start again, cut short.
    ok("keys tab");
    const testkit::XmlElement svg = picture();
    EXPECT_FALSE(testkit::textShowing(svg, name)) << owner;
    bool cut = false;
    for (const auto* text : svg.all("text", "text"))
        cut = cut || (text->text.starts_with("A very long") && text->text.ends_with("\u2026"));
    EXPECT_TRUE(cut) << owner;
}

TEST_F(FieldKeyboardRoadsTest, ALongNameScrollsUnderTheCaretWhileItIsEditedInTheNamesWindowAndTheSettings) {
    choose("Desktop Names");
    walkLongText(std::string("name.") + kDesktop1, "names window");
    EXPECT_EQ(namesFile().at(kDesktop1),
              "A very long desktop name that surely goes on past the right edge of the field yes");
    ok("close \"Desktop Names\"");
    choose("Settings\u2026");
    ok("set \"Settings sections\" \"Desktop Names\"");
    walkLongText("display-alias.37D8832A-2D66-02CA-B9F7-8F30A301B230", "settings");
}

TEST_F(FieldKeyboardRoadsTest, AWaitingAccentStaysWithTheFieldItWasTypedInNotTheNextFieldOrWindow) {
    choose("Desktop Names");
    const std::string first = std::string("name.") + kDesktop1;
    const std::string second = std::string("name.") + kDesktop2;
    ok("focus " + first);
    ok("keys opt-e");
    ok("focus " + second);
    ok("keys e");
    EXPECT_EQ(namesFile(), (Names{{kDesktop2, "e"}}));
    // In the field it was typed in it composes as before.
    ok("keys opt-e");
    ok("keys e");
    EXPECT_EQ(namesFile(), (Names{{kDesktop2, "e\u00e9"}}));
    // The window closed takes it along: the settings' field gets the key as it is.
    ok("keys opt-u");
    ok("close \"Desktop Names\"");
    choose("Settings\u2026");
    ok("set \"Settings sections\" \"Desktop Names\"");
    const std::string alias = "display-alias.37D8832A-2D66-02CA-B9F7-8F30A301B230";
    ok("focus " + alias);
    ok("keys o");
    EXPECT_TRUE(testkit::printed(send("screen"), "textField \"o\" id \"" + alias + "\""));
}

TEST_F(FieldKeyboardRoadsTest, OptionAndCommandMoveSelectAndDeleteByWordsAndTheNamesFileFollowsEachChange) {
    choose("Desktop Names");
    const std::string first = std::string("name.") + kDesktop1;
    ok("type " + first + " \"one two three\"");
    // The field keeps the blank before the caret; the names file keeps the name without it.
    ok("keys opt-delete");
    EXPECT_TRUE(testkit::printed(send("screen"), "textField \"one two \" id \"" + first + "\""));
    EXPECT_EQ(namesFile().at(kDesktop1), "one two");
    ok("keys opt-delete");
    EXPECT_TRUE(testkit::printed(send("screen"), "textField \"one \" id \"" + first + "\""));
    EXPECT_EQ(namesFile().at(kDesktop1), "one");
    // Both words come back in one step.
    ok("keys cmd-z");
    EXPECT_EQ(namesFile().at(kDesktop1), "one two three");
    // Back a word, the word before it selected, typed over.
    ok("keys opt-left");
    ok("keys shift-opt-left");
    ok("keys X");
    EXPECT_EQ(namesFile().at(kDesktop1), "one Xthree");
    // Command-Delete takes all before the caret; Option-Forward-Delete the word after it.
    ok("keys cmd-delete");
    EXPECT_EQ(namesFile().at(kDesktop1), "three");
    ok("keys cmd-right");
    ok("keys shift-left");
    ok("keys shift-left");
    ok("keys Y");
    EXPECT_EQ(namesFile().at(kDesktop1), "thrY");
    ok("keys cmd-left");
    ok("keys opt-forward-delete");
    EXPECT_FALSE(namesFile().contains(kDesktop1));
    ok("keys cmd-z");
    EXPECT_EQ(namesFile().at(kDesktop1), "thrY");
}

}  // namespace
}  // namespace tarnwick
