// The caret and the selection of the text field being edited: the arrows move by whole
// characters (a selection collapsing to its edge first), typing, pasting and deleting act at the
// caret through the field's binding, a caret move ends a run of typing, Undo and Redo bring the
// selection back with the text, Return selects the text, and Tab in a window where no field has
// the keyboard goes to the first field of its key view loop and Shift-Tab to the last.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "platform/ui/declarative/controls.h"
#include "platform/ui/declarative/text_field_selection.h"
#include "support/text.h"
#include "testkit/field_keys.h"
#include "testkit/hosted_view.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
namespace flags = platform::modifier_flags;
namespace keys = platform::key_codes;
using namespace testkit::field_keys;
using Texts = std::vector<std::string>;
using ui::TextSelection;

// "e" with a combining acute, a flag of two regional indicators, and a family joined by ZWJs:
// each is one character on screen.
const std::string kAccented = "e\xCC\x81";
const std::string kFlag = "\xF0\x9F\x87\xAB\xF0\x9F\x87\xB7";
const std::string kFamily = "\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7";

TEST(TextFieldSelectionTest, TheArrowsMoveByWholeCharactersAndCollapseASelectionToItsEdge) {
    const std::string text = "a" + kAccented + kFlag + kFamily;
    const std::size_t afterA = 1, afterE = afterA + kAccented.size(), afterFlag = afterE + kFlag.size();
    std::vector<std::size_t> stops;
    for (TextSelection s = TextSelection::caret(0); stops.size() < 6; s = ui::movedRight(text, s)) stops.push_back(s.start);
    EXPECT_EQ(stops, (std::vector<std::size_t>{0, afterA, afterE, afterFlag, text.size(), text.size()}));
    stops.clear();
    for (TextSelection s = TextSelection::caret(text.size()); stops.size() < 6; s = ui::movedLeft(text, s))
        stops.push_back(s.start);
    EXPECT_EQ(stops, (std::vector<std::size_t>{text.size(), afterFlag, afterE, afterA, 0, 0}));

    // A selection goes to its own edge first, without moving on; Up and Down go to the ends.
    EXPECT_EQ(ui::movedLeft(text, {afterA, afterFlag}), TextSelection::caret(afterA));
    EXPECT_EQ(ui::movedRight(text, {afterA, afterFlag}), TextSelection::caret(afterFlag));
    EXPECT_EQ(ui::movedToStart(text, {afterA, afterFlag}), TextSelection::caret(0));
    EXPECT_EQ(ui::movedToEnd(text, TextSelection::caret(afterA)), TextSelection::caret(text.size()));

    // A right-to-left paragraph runs the other way: Left goes on through the text.
    const std::string hebrew = "\xD7\xA9\xD7\x9C";  // two letters
    EXPECT_EQ(ui::movedLeft(hebrew, TextSelection::caret(0)), TextSelection::caret(2));
    EXPECT_EQ(ui::movedRight(hebrew, TextSelection::caret(4)), TextSelection::caret(2));

    // An offset past the text or inside a character is fitted to the character's end.
    EXPECT_EQ(ui::fittedSelection(text, {afterFlag + 2, 99}), (TextSelection{text.size(), text.size()}));
    EXPECT_EQ(ui::fittedSelection(text, {afterE, afterA + 1}), (TextSelection{afterE, afterE}));
}

TEST(TextFieldSelectionTest, EditsReplaceTheSelectionAndDeleteWholeCharactersOnEitherSideOfTheCaret) {
    EXPECT_EQ(ui::insertedText("ab", TextSelection::caret(1), "c").text, "acb");
    EXPECT_EQ(ui::insertedText("ab", TextSelection::caret(1), "c").selection, TextSelection::caret(2));
    const auto replaced = ui::insertedText("Home", {1, 3}, "XY");
    EXPECT_EQ(replaced.text, "HXYe");
    EXPECT_EQ(replaced.selection, TextSelection::caret(3));
    // A mark typed after a letter joins it; the caret stays after the whole character.
    const auto marked = ui::insertedText("xe", TextSelection::caret(2), "\xCC\x81");
    EXPECT_EQ(marked.text, "x" + kAccented);
    EXPECT_EQ(marked.selection, TextSelection::caret(marked.text.size()));

    const std::string text = kFlag + "a" + kAccented;
    EXPECT_EQ(ui::deletedBackward(text, TextSelection::caret(text.size())).text, kFlag + "a");
    EXPECT_EQ(ui::deletedBackward(text, TextSelection::caret(kFlag.size())).text, "a" + kAccented);
    EXPECT_EQ(ui::deletedBackward(text, TextSelection::caret(kFlag.size())).selection, TextSelection::caret(0));
    EXPECT_EQ(ui::deletedForward(text, TextSelection::caret(0)).text, "a" + kAccented);
    EXPECT_EQ(ui::deletedForward(text, TextSelection::caret(kFlag.size() + 1)).text, kFlag + "a");
    // At an edge there is nothing to take; a selection goes whole either way.
    EXPECT_EQ(ui::deletedBackward(text, TextSelection::caret(0)).text, text);
    EXPECT_EQ(ui::deletedForward(text, TextSelection::caret(text.size())).text, text);
    EXPECT_EQ(ui::deletedForward(text, {0, kFlag.size() + 1}).text, kAccented);
}

class FieldCaretTest : public ::testing::Test {
protected:
    FieldCaretTest() {
        env.session.loadDefaultSession();
        hosted = std::make_unique<testkit::HostedView>(testkit::HostedView::function(
            [this](ui::ViewContext&) { return body(); },
            [this](ui::ViewHost& h) {
                h.watch(one);
                h.watch(two);
                h.watch(upper);
            },
            Rect(100, 100, 420, 320)));
        hosted->show();
    }
    ui::ViewHost& host() { return hosted->host(); }
    const ui::Node& node(const std::string& id) { return hosted->node(id); }
    std::string keyFocus() { return hosted->keyFocus(); }
    void press(const platform::KeyEvent& event) { ASSERT_TRUE(host().keyDown(event)) << event.keyCode; }
    void typeKeys(const std::string& text) {
        for (char c : text) press(typed(std::string(1, c)));
    }
    std::optional<TextSelection> selectionOf(const std::string& id) { return host().selection(node(id)); }

    // A field whose binding keeps its text in capitals when `capitals` holds.
    ui::Node field(const std::string& id, Published<std::string>& text, bool capitals = false) {
        Binding<std::string> binding{[&text] { return text.get(); }, [this, &text, id, capitals](const std::string& t) {
                                         writes.push_back(id + "=" + t);
                                         text.set(capitals ? text::uppercased(t) : t);
                                     }};
        return ui::textField(id, std::move(binding), ui::TextFieldOptions{"", true})
            .onSubmit([this, id] { submitted.push_back(id); })
            .accessibilityIdentifier(id);
    }
    ui::Node body() {
        return ui::vstack(ui::HorizontalAlignment::leading, 8,
                          ui::nodes(field("one", one), field("two", two), field("upper", upper, true)));
    }

    testkit::TestEnvironment env;
    Published<std::string> one{""}, two{""}, upper{""};
    Texts writes, submitted;
    std::unique_ptr<testkit::HostedView> hosted;
};

TEST_F(FieldCaretTest, TypingGoesInAtTheCaretTheArrowsMoveAndTabbingInSelectsAll) {
    // Tabbed into, "xy" is all selected: Right goes to its end and typing adds to it.
    two.set("xy");
    ASSERT_TRUE(host().editField(node("one")));
    press(key(keys::kTab, "\t"));
    EXPECT_EQ(selectionOf("two"), (TextSelection{0, 2}));
    press(kRight);
    typeKeys("q");
    EXPECT_EQ(two.get(), "xyq");
    // Left goes back one character at a time; what is typed goes in there, through the binding.
    ASSERT_TRUE(host().editField(node("one")));
    typeKeys("ab");
    press(kLeft);
    typeKeys("c");
    EXPECT_EQ(one.get(), "acb");
    EXPECT_EQ(writes.back(), "one=acb");
    press(kUp);
    typeKeys("<");
    press(kDown);
    typeKeys(">");
    EXPECT_EQ(one.get(), "<acb>");
    // Delete takes the character before the caret, Forward Delete the one after.
    press(kLeft);
    press(kLeft);
    press(kDelete);
    press(kForwardDelete);
    EXPECT_EQ(one.get(), "<a>");
    EXPECT_EQ(selectionOf("one"), TextSelection::caret(2));

    // Paste replaces the selection and Copy copies only what is selected.
    platform::current().pasteboard->setString("XY");
    ASSERT_TRUE(host().pasteText());
    EXPECT_EQ(one.get(), "<aXY>");
    ASSERT_TRUE(host().selectAllText());
    press(kRight);
    press(kLeft);
    EXPECT_FALSE(host().copyText());  // nothing selected
    ASSERT_TRUE(host().selectAllText());
    ASSERT_TRUE(host().copyText());
    EXPECT_EQ(platform::current().pasteboard->string(), "<aXY>");
}

TEST_F(FieldCaretTest, ACaretMoveEndsARunAndUndoAndRedoBringTheCaretBackWithTheText) {
    ASSERT_TRUE(host().editField(node("one")));
    typeKeys("ab");
    press(kLeft);
    typeKeys("c");
    // Undo takes back only the "c", the caret where it was typed.
    ASSERT_TRUE(host().undoText());
    EXPECT_EQ(one.get(), "ab");
    EXPECT_EQ(selectionOf("one"), TextSelection::caret(1));
    ASSERT_TRUE(host().redoText());
    EXPECT_EQ(one.get(), "acb");
    EXPECT_EQ(selectionOf("one"), TextSelection::caret(2));
    ASSERT_TRUE(host().undoText());
    ASSERT_TRUE(host().undoText());
    EXPECT_EQ(one.get(), "");

    // Typing over a selection, undone, gives the text back selected.
    one.set("Home");
    ASSERT_TRUE(host().selectAllText());
    typeKeys("W");
    ASSERT_TRUE(host().undoText());
    EXPECT_EQ(one.get(), "Home");
    EXPECT_EQ(selectionOf("one"), (TextSelection{0, 4}));
}

TEST_F(FieldCaretTest, ReturnSelectsTheTextAndAnAppsChangePutsTheCaretAfterIt) {
    ASSERT_TRUE(host().editField(node("one")));
    typeKeys("ab");
    press(key(keys::kReturn, "\r"));
    EXPECT_EQ(submitted, Texts{"one"});
    EXPECT_EQ(selectionOf("one"), (TextSelection{0, 2}));
    typeKeys("c");
    EXPECT_EQ(one.get(), "c");

    // The app sets another text meanwhile (a refresh): the caret goes after it.
    press(kLeft);
    one.set("Server");
    EXPECT_EQ(selectionOf("one"), TextSelection::caret(6));
    typeKeys("s");
    EXPECT_EQ(one.get(), "Servers");
    // A binding that keeps another text than it was given leaves the caret after what it kept.
    ASSERT_TRUE(host().editField(node("upper")));
    typeKeys("ab");
    press(kLeft);
    typeKeys("c");
    EXPECT_EQ(upper.get(), "ACB");
    EXPECT_EQ(selectionOf("upper"), TextSelection::caret(3));
    EXPECT_EQ(selectionOf("one"), std::nullopt);  // not edited now
}

TEST_F(FieldCaretTest, TabWhereNoFieldHasTheKeyboardGoesToTheFirstFieldAndShiftTabToTheLast) {
    one.set("Work");
    upper.set("MAIL");
    // The window just opened: its first responder is the window itself.
    ASSERT_EQ(hosted->panel->firstResponder(), nullptr);
    EXPECT_TRUE(hosted->panel->sendKeyEvent(key(keys::kTab, "\t")));
    EXPECT_EQ(keyFocus(), "one");
    EXPECT_EQ(selectionOf("one"), (TextSelection{0, 4}));
    EXPECT_EQ(hosted->panel->firstResponder(), hosted->hosting.get());

    // The field went (its window's first responder is the host, editing nothing): Shift-Tab
    // goes to the last one, its text selected.
    host().endEditing();
    EXPECT_EQ(keyFocus(), "none");
    EXPECT_TRUE(hosted->panel->sendKeyEvent(key(keys::kTab, "\t", flags::kShift)));
    EXPECT_EQ(keyFocus(), "upper");
    EXPECT_EQ(selectionOf("upper"), (TextSelection{0, 4}));
    // Option-Tab and Control-Tab are not the loop's.
    host().endEditing();
    EXPECT_FALSE(hosted->panel->sendKeyEvent(key(keys::kTab, "\t", flags::kOption)));
    EXPECT_FALSE(hosted->panel->sendKeyEvent(key(keys::kTab, "\t", flags::kControl)));
    EXPECT_EQ(keyFocus(), "none");
    EXPECT_TRUE(writes.empty());
}

// A tree with its own Tab (the overview's selection) keeps it: the window's loop is not asked.
TEST(FieldCaretTabTest, ATreeThatTakesTabKeepsIt) {
    testkit::TestEnvironment env;
    env.session.loadDefaultSession();
    Published<std::string> text{""};
    int tabs = 0;
    auto hosted = testkit::HostedView::function([&](ui::ViewContext&) {
        return ui::vstack(ui::HorizontalAlignment::leading, 8,
                          ui::nodes(ui::textField("name", Binding<std::string>{[&] { return text.get(); },
                                                                                [&](const std::string& t) { text.set(t); }})
                                        .accessibilityIdentifier("name")))
            .onKeyPress({keys::kTab}, static_cast<ui::KeyPhases>(ui::KeyPhase::down), [&](const ui::KeyPress&) {
                ++tabs;
                return ui::KeyPressResult::handled;
            });
    });
    hosted.show();
    hosted.panel->makeFirstResponder(hosted.hosting.get());
    EXPECT_TRUE(hosted.panel->sendKeyEvent(key(keys::kTab, "\t")));
    EXPECT_EQ(tabs, 1);
    EXPECT_EQ(hosted.host().keyFocusNode(), nullptr);
}

}  // namespace
}  // namespace tarnwick
