// Tab and Shift-Tab from text field to text field in the order they are laid out, and Undo and
// Redo of the field being edited a run of typing at a time, each change through its binding.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "platform/ui/declarative/controls.h"
#include "platform/ui/declarative/text_field_undo.h"
#include "platform/ui/menu.h"
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

const platform::KeyEvent kTab = key(keys::kTab, "\t");
const platform::KeyEvent kShiftTab = key(keys::kTab, "\t", flags::kShift);

class FieldTabUndoTest : public ::testing::Test {
protected:
    FieldTabUndoTest() {
        env.session.loadDefaultSession();
        hosted = std::make_unique<testkit::HostedView>(testkit::HostedView::function(
            [this](ui::ViewContext&) { return body(); },
            [this](ui::ViewHost& h) {
                for (auto* text : {&one, &two, &three, &four, &five}) h.watch(*text);
                h.watch(fiveFocus);
                h.watch(iconFocus);
                h.watch(locked);
                h.watch(withFive);
            },
            Rect(100, 100, 420, 320)));
        hosted->show();
    }
    ui::ViewHost& host() { return hosted->host(); }
    const ui::Node& node(const std::string& id) { return hosted->node(id); }
    std::string keyFocus() { return hosted->keyFocus(); }
    void typeKeys(const std::string& text) {
        for (char c : text) ASSERT_TRUE(host().keyDown(typed(std::string(1, c))));
    }

    ui::Node field(const std::string& id, Published<std::string>& text) {
        Binding<std::string> binding{[&text] { return text.get(); }, [this, &text, id](const std::string& t) {
                                         writes.push_back(id + "=" + t);
                                         text.set(t);
                                     }};
        return ui::textField(id, std::move(binding), ui::TextFieldOptions{"", true}).accessibilityIdentifier(id);
    }
    // Two columns, "one" over "two" and "three" over "four", so that the tree's order (one, two,
    // three, four) differs from the order they are laid out in; "five" under them holds a focus
    // binding and commits what it holds when it loses focus, as the settings' display names do.
    ui::Node body() {
        auto columns = ui::hstack(
            ui::VerticalAlignment::top, 8,
            ui::nodes(ui::vstack(ui::HorizontalAlignment::leading, 8, ui::nodes(field("one", one), field("two", two))),
                      ui::vstack(ui::HorizontalAlignment::leading, 8,
                                 ui::nodes(field("three", three), field("four", four).disabled(locked.get())))));
        std::vector<ui::Node> rows = ui::nodes(std::move(columns));
        if (withFive.get())
            rows.push_back(field("five", five)
                               .focused(fiveFocus, 5)
                               .onChangeFrom<bool>(fiveFocus.get().has_value(), [this](const bool& before, const bool& now) {
                                   if (before && !now) commits.push_back(five.get());
                               }));
        rows.push_back(ui::button(ui::text("Finder"), [] {}).focused(iconFocus, 1).accessibilityIdentifier("icon"));
        return ui::vstack(ui::HorizontalAlignment::leading, 8, std::move(rows))
            .onKeyPress({keys::kTab}, static_cast<ui::KeyPhases>(ui::KeyPhase::down), [this](const ui::KeyPress&) {
                ++tabsHeard;
                return ui::KeyPressResult::handled;
            });
    }

    testkit::TestEnvironment env;
    Published<std::string> one{""}, two{""}, three{""}, four{""}, five{""};
    Published<std::optional<int>> fiveFocus, iconFocus;
    Published<bool> locked{false}, withFive{true};
    Texts writes, commits;
    int tabsHeard = 0;
    std::unique_ptr<testkit::HostedView> hosted;
};

TEST_F(FieldTabUndoTest, TabGoesThroughTheFieldsAsTheyAreLaidOutRoundTheEndsAndShiftTabBack) {
    ASSERT_TRUE(host().editField(node("one")));
    Texts order;
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(host().keyDown(kTab));
        order.push_back(keyFocus());
    }
    EXPECT_EQ(order, (Texts{"three", "two", "four", "five", "one"}));
    EXPECT_TRUE(host().keyDown(kShiftTab));
    EXPECT_EQ(keyFocus(), "five");
    EXPECT_EQ(fiveFocus.get(), 5);
    EXPECT_TRUE(host().keyDown(kShiftTab));
    EXPECT_EQ(keyFocus(), "four");
    EXPECT_EQ(fiveFocus.get(), std::nullopt);

    // A disabled field is passed over; the tree's own Tab handler heard none of these.
    locked.set(true);
    ASSERT_TRUE(host().editField(node("two")));
    EXPECT_TRUE(host().keyDown(kTab));
    EXPECT_EQ(keyFocus(), "five");
    EXPECT_EQ(tabsHeard, 0);
    EXPECT_TRUE(writes.empty());
}

TEST_F(FieldTabUndoTest, TheFieldReachedHasItsTextSelectedAndTheFieldLeftEndsItsEditing) {
    three.set("Mail");
    ASSERT_TRUE(host().editField(node("one")));
    ASSERT_TRUE(host().keyDown(kTab));
    EXPECT_TRUE(host().hasSelectedText());
    typeKeys("W");
    EXPECT_EQ(three.get(), "W");

    // Leaving the field with a focus binding runs what it does on losing focus.
    ASSERT_TRUE(host().keyDown(kShiftTab));  // one
    ASSERT_TRUE(host().keyDown(kShiftTab));  // five
    hosted->renderNow();                     // as the next turn would
    typeKeys("x");
    ASSERT_TRUE(host().keyDown(kTab));
    hosted->renderNow();
    EXPECT_EQ(keyFocus(), "one");
    EXPECT_EQ(commits, (Texts{"x"}));

    // Where no field has the keyboard, Tab is the tree's.
    host().moveFocus(node("icon"));
    EXPECT_TRUE(host().keyDown(kTab));
    EXPECT_EQ(tabsHeard, 1);
    EXPECT_EQ(keyFocus(), "icon");
}

TEST_F(FieldTabUndoTest, UndoTakesBackARunOfTypingOrOfDeletingAtATimeAndRedoPutsItBack) {
    ASSERT_TRUE(host().editField(node("one")));
    EXPECT_FALSE(host().canUndoText());
    typeKeys("abc");
    ASSERT_TRUE(host().keyDown(kDelete));
    ASSERT_TRUE(host().keyDown(kDelete));
    typeKeys("d");
    EXPECT_EQ(one.get(), "ad");
    EXPECT_FALSE(host().canRedoText());

    Texts undone;
    while (host().canUndoText()) {
        ASSERT_TRUE(host().undoText());
        undone.push_back(one.get());
    }
    EXPECT_EQ(undone, (Texts{"a", "abc", ""}));
    EXPECT_FALSE(host().undoText());
    // Each step went through the binding.
    EXPECT_EQ(Texts(writes.end() - 3, writes.end()), (Texts{"one=a", "one=abc", "one="}));

    ASSERT_TRUE(host().redoText());
    ASSERT_TRUE(host().redoText());
    EXPECT_EQ(one.get(), "a");
    EXPECT_TRUE(host().canRedoText());
    // Typing after an undo leaves nothing to redo.
    typeKeys("x");
    EXPECT_FALSE(host().canRedoText());
    EXPECT_FALSE(host().redoText());
    ASSERT_TRUE(host().undoText());
    EXPECT_EQ(one.get(), "a");
}

TEST_F(FieldTabUndoTest, ARunEndsAtReturnSelectAllAPasteAndLeavingTheFieldWhichKeepsItsOwnHistory) {
    ASSERT_TRUE(host().editField(node("one")));
    typeKeys("ab");
    // Return selects the text, so what is typed next replaces it.
    ASSERT_TRUE(host().keyDown(key(keys::kReturn, "\r")));
    EXPECT_TRUE(host().hasSelectedText());
    typeKeys("c");
    EXPECT_EQ(one.get(), "c");
    ASSERT_TRUE(host().keyDown(key(keys::kDownArrow, "\xEF\x9C\x81")));
    typeKeys("d");
    ASSERT_TRUE(host().selectAllText());
    typeKeys("Z");
    platform::current().pasteboard->setString("XY");
    ASSERT_TRUE(host().pasteText());
    typeKeys("q");
    EXPECT_EQ(one.get(), "ZXYq");

    // Over to "three" and back: each field undoes its own changes.
    ASSERT_TRUE(host().keyDown(kTab));
    typeKeys("m");
    ASSERT_TRUE(host().keyDown(kShiftTab));
    Texts undone;
    while (host().undoText()) undone.push_back(one.get());
    // The caret moved between "c" and "d": two changes.
    EXPECT_EQ(undone, (Texts{"ZXY", "Z", "cd", "c", "ab", ""}));
    ASSERT_TRUE(host().keyDown(kTab));
    ASSERT_TRUE(host().undoText());
    EXPECT_EQ(three.get(), "");
    EXPECT_EQ(one.get(), "");
}

TEST_F(FieldTabUndoTest, AHistoryTheAppChangedTheTextUnderIsDroppedAndAReplacedTextIsOneChange) {
    ASSERT_TRUE(host().editField(node("one")));
    typeKeys("ab");
    one.set("Server");  // a refresh of names, say
    EXPECT_FALSE(host().canUndoText());
    EXPECT_FALSE(host().undoText());
    EXPECT_EQ(one.get(), "Server");
    typeKeys("s");
    ASSERT_TRUE(host().undoText());
    EXPECT_EQ(one.get(), "Server");
    EXPECT_FALSE(host().canUndoText());

    writes.clear();
    ASSERT_TRUE(host().replaceText(node("one"), "New"));
    EXPECT_EQ(writes, (Texts{"one=", "one=N", "one=Ne", "one=New"}));
    ASSERT_TRUE(host().undoText());
    EXPECT_EQ(one.get(), "Server");

    // A field that leaves the tree takes its history along.
    ASSERT_TRUE(host().type(node("five"), "z"));
    withFive.set(false);
    hosted->renderNow();
    withFive.set(true);
    ASSERT_TRUE(host().editField(node("five")));
    EXPECT_FALSE(host().canUndoText());
}

TEST_F(FieldTabUndoTest, TheEditMenusUndoAndRedoRowsAreEnabledOnlyWithAChangeToTakeBackOrPutBack) {
    ui::Menu edit("Edit");
    auto& undo = edit.addItem("Undo", nullptr, "z");
    undo.actionName = "undo:";
    auto& redo = edit.addItem("Redo", nullptr, "z");
    redo.actionName = "redo:";
    redo.keyEquivalentModifierMask = flags::kCommand | flags::kShift;
    const auto enabled = [&] {
        edit.update();
        return std::vector<bool>{undo.isEnabled, redo.isEnabled};
    };
    EXPECT_EQ(enabled(), (std::vector<bool>{false, false}));  // no field is edited

    ASSERT_TRUE(host().editField(node("one")));
    EXPECT_EQ(enabled(), (std::vector<bool>{false, false}));
    typeKeys("hi");
    EXPECT_EQ(enabled(), (std::vector<bool>{true, false}));
    ASSERT_TRUE(edit.performKeyEquivalent(key(6, "z", flags::kCommand)));
    EXPECT_EQ(one.get(), "");
    EXPECT_EQ(enabled(), (std::vector<bool>{false, true}));
    EXPECT_FALSE(edit.performKeyEquivalent(key(6, "z", flags::kCommand)));
    ASSERT_TRUE(edit.performKeyEquivalent(key(6, "Z", flags::kCommand | flags::kShift)));
    EXPECT_EQ(one.get(), "hi");
    EXPECT_EQ(enabled(), (std::vector<bool>{true, false}));
}

TEST(TextFieldUndoTest, KeepsTheLatestChangesAndForgetsTheOldest) {
    ui::TextFieldUndo history;
    std::string text;
    for (std::size_t i = 0; i < ui::TextFieldUndo::kLimit + 20; ++i) {
        const std::string before = text;
        text += "x";
        history.record({before, ui::TextSelection::caret(before.size())}, {text, ui::TextSelection::caret(text.size())},
                       true);
    }
    EXPECT_EQ(history.undoCount(), ui::TextFieldUndo::kLimit);
    std::optional<std::string> undone;
    while (auto step = history.undo(text)) text = *(undone = step->text);
    EXPECT_EQ(undone, std::string(20, 'x'));
}

// Typing again after the app changed the text, with no undo between: the history starts anew
// there, so undoing can never jump past the app's text and lose it.
TEST(TextFieldUndoTest, AnEditFromATextTheAppSetStartsANewHistory) {
    ui::TextFieldUndo history;
    const auto at = [](const std::string& text) { return ui::EditedText{text, ui::TextSelection::caret(text.size())}; };
    history.record(at(""), at("a"), true);
    history.record(at("a"), at("ab"), false);
    history.record(at("X"), at("Xc"), true);  // the app showed "X" meanwhile
    const auto undone = history.undo("Xc");
    ASSERT_TRUE(undone);
    EXPECT_EQ(undone->text, "X");
    EXPECT_FALSE(history.canUndo("X"));
    EXPECT_FALSE(history.undo("X"));
}

}  // namespace
}  // namespace tarnwick
