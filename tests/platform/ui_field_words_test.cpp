// Words and edges in the text field being edited: ICU's words, Option and the arrows moving by
// them and Command to the start or end, Shift extending the selection from its anchor, Option-
// and Command-Delete taking a word or all before the caret, each kind of deleting a run of its
// own for Undo, and every change reaching the field's binding.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/ui/declarative/controls.h"
#include "platform/ui/declarative/text_field_selection.h"
#include "platform/ui/text_segmentation.h"
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
using Words = std::vector<ui::TextWord>;
using ui::TextSelection;
using ui::TextStep;

TEST(TextWordsTest, ICUFindsTheWordsAndNotTheSpacesAndPunctuationBetweenThem) {
    EXPECT_EQ(ui::segmentWords("Hello, world!"), (Words{{0, 5}, {7, 12}}));
    // An apostrophe and a decimal point inside stay in their word; a letter with a combining
    // accent is one word with it, and so is one written precomposed.
    EXPECT_EQ(ui::segmentWords("don't 3.14"), (Words{{0, 5}, {6, 10}}));
    const std::string etude = "e\xCC\x81tude caf\xC3\xA9";
    EXPECT_EQ(ui::segmentWords(etude), (Words{{0, 7}, {8, 13}}));
    EXPECT_TRUE(ui::segmentWords("  ... !? ").empty());
    EXPECT_TRUE(ui::segmentWords("").empty());

    // Written without spaces, Japanese is cut into words by ICU's dictionary: more than one,
    // covering the text, each on a character's boundary.
    const std::string japanese = "\xE6\x9D\xB1\xE4\xBA\xAC\xE9\x83\xBD\xE3\x81\xAB\xE4\xBD\x8F\xE3\x82\x80";
    const Words words = ui::segmentWords(japanese);
    ASSERT_GE(words.size(), 2u);
    EXPECT_EQ(words.front().from, 0u);
    EXPECT_EQ(words.back().to, japanese.size());
    for (const auto& word : words) EXPECT_EQ(word.from % 3, 0u);

    // An ill-formed byte is no word, and no word ends inside a character.
    EXPECT_EQ(ui::segmentWords("ab\xFF" "cd"), (Words{{0, 2}, {3, 5}}));
    for (const auto& word : ui::segmentWords("x\xE2\x82 y")) EXPECT_NE(word.to, 2u);
}

TEST(TextFieldWordsTest, OptionStepsOverWordsAndCommandToTheEdgesAndASelectionGoesOnFromItsEdge) {
    const std::string text = "Hello, world  again";
    std::vector<std::size_t> stops;
    for (std::size_t at = 0; stops.size() < 5; at = ui::steppedOffset(text, at, TextStep::word, false)) stops.push_back(at);
    EXPECT_EQ(stops, (std::vector<std::size_t>{0, 5, 12, 19, 19}));
    stops.clear();
    for (std::size_t at = 19; stops.size() < 5; at = ui::steppedOffset(text, at, TextStep::word, true)) stops.push_back(at);
    EXPECT_EQ(stops, (std::vector<std::size_t>{19, 14, 7, 0, 0}));
    // From inside a word, back to its start and on to its end.
    EXPECT_EQ(ui::steppedOffset(text, 10, TextStep::word, true), 7u);
    EXPECT_EQ(ui::steppedOffset(text, 10, TextStep::word, false), 12u);
    EXPECT_EQ(ui::steppedOffset(text, 10, TextStep::edge, true), 0u);
    EXPECT_EQ(ui::steppedOffset(text, 10, TextStep::edge, false), text.size());

    // A selection goes on by a word from its edge on that side, and to the edge with Command.
    EXPECT_EQ(ui::movedLeft(text, {7, 12}, TextStep::word), TextSelection::caret(0));
    EXPECT_EQ(ui::movedRight(text, {0, 5}, TextStep::word), TextSelection::caret(12));
    EXPECT_EQ(ui::movedRight(text, {0, 5}, TextStep::edge), TextSelection::caret(text.size()));
    // A right-to-left paragraph: Option-Left goes on through the text to the first word's end.
    const std::string hebrew = "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D \xD7\xA2\xD7\x95\xD7\x9C\xD7\x9D";
    EXPECT_EQ(ui::movedLeft(hebrew, TextSelection::caret(0), TextStep::word), TextSelection::caret(8));

    // A flag is no word, and a step never lands inside it.
    const std::string flagged = "go \xF0\x9F\x87\xAB\xF0\x9F\x87\xB7 now";
    EXPECT_EQ(ui::steppedOffset(flagged, 2, TextStep::word, false), flagged.size());
    EXPECT_EQ(ui::steppedOffset(flagged, flagged.size() - 3, TextStep::word, true), 0u);
}

TEST(TextFieldWordsTest, ShiftMovesTheEndAwayFromTheAnchorAndAFreshSelectionTheEndOnTheKeysSide) {
    const std::string text = "Hello world";
    // From a caret: it anchors there, and the other end goes back and forth across it.
    auto grown = ui::extendedLeft(text, TextSelection::caret(5), std::nullopt, TextStep::character);
    EXPECT_EQ(grown.selection, (TextSelection{4, 5}));
    EXPECT_EQ(grown.anchor, 5u);
    grown = ui::extendedRight(text, grown.selection, grown.anchor, TextStep::character);
    EXPECT_EQ(grown.selection, TextSelection::caret(5));
    grown = ui::extendedRight(text, grown.selection, grown.anchor, TextStep::word);
    EXPECT_EQ(grown.selection, (TextSelection{5, 11}));
    grown = ui::extendedLeft(text, grown.selection, grown.anchor, TextStep::word);
    EXPECT_EQ(grown.selection, (TextSelection{5, 6}));
    EXPECT_EQ(ui::movingEnd(grown.selection, grown.anchor), 6u);

    // A selection made at once (Select All, Tab) moves the end on the side the key goes to.
    EXPECT_EQ(ui::extendedLeft(text, {2, 4}, std::nullopt, TextStep::character).selection, (TextSelection{1, 4}));
    EXPECT_EQ(ui::extendedRight(text, {2, 4}, std::nullopt, TextStep::character).selection, (TextSelection{2, 5}));
    EXPECT_EQ(ui::movingEnd({2, 4}, std::nullopt), std::nullopt);

    // Shift-Up to the start, then Shift-Down carries the same end to the text's end.
    grown = ui::extended(text, TextSelection::caret(5), std::nullopt, TextStep::edge, true);
    EXPECT_EQ(grown.selection, (TextSelection{0, 5}));
    grown = ui::extended(text, grown.selection, grown.anchor, TextStep::edge, false);
    EXPECT_EQ(grown.selection, (TextSelection{5, 11}));
}

TEST(TextFieldWordsTest, DeletingByAWordOrToTheEdgeTakesTheSelectionFirst) {
    const std::string text = "Hello, world  ";
    EXPECT_EQ(ui::deletedBackward(text, TextSelection::caret(text.size()), TextStep::word).text, "Hello, ");
    EXPECT_EQ(ui::deletedBackward(text, TextSelection::caret(9), TextStep::word).text, "Hello, rld  ");
    EXPECT_EQ(ui::deletedForward(text, TextSelection::caret(0), TextStep::word).text, ", world  ");
    EXPECT_EQ(ui::deletedForward(text, TextSelection::caret(5), TextStep::word).text, "Hello  ");
    const auto toStart = ui::deletedBackward(text, TextSelection::caret(7), TextStep::edge);
    EXPECT_EQ(toStart.text, "world  ");
    EXPECT_EQ(toStart.selection, TextSelection::caret(0));
    EXPECT_EQ(ui::deletedForward(text, TextSelection::caret(5), TextStep::edge).text, "Hello");
    EXPECT_EQ(ui::deletedBackward(text, {1, 3}, TextStep::word).text, "Hlo, world  ");
    EXPECT_EQ(ui::deletedBackward(text, TextSelection::caret(0), TextStep::word).text, text);
}

class FieldWordKeysTest : public ::testing::Test {
protected:
    FieldWordKeysTest() {
        env.session.loadDefaultSession();
        hosted = std::make_unique<testkit::HostedView>(testkit::HostedView::function(
            [this](ui::ViewContext&) {
                Binding<std::string> binding{[this] { return name.get(); }, [this](const std::string& t) {
                                                 writes.push_back(t);
                                                 name.set(t);
                                             }};
                return ui::vstack(ui::HorizontalAlignment::leading, 8,
                                  ui::nodes(ui::textField("name", std::move(binding), ui::TextFieldOptions{"", true})
                                                .accessibilityIdentifier("name")));
            },
            [this](ui::ViewHost& h) { h.watch(name); }));
        hosted->show();
        EXPECT_TRUE(host().type(field(), "one two three"));
        writes.clear();
    }
    ui::ViewHost& host() { return hosted->host(); }
    const ui::Node& field() { return hosted->node("name"); }
    void press(const platform::KeyEvent& event) { ASSERT_TRUE(host().keyDown(event)) << event.keyCode; }
    std::optional<TextSelection> selection() { return host().selection(field()); }

    testkit::TestEnvironment env;
    Published<std::string> name{""};
    Texts writes;
    std::unique_ptr<testkit::HostedView> hosted;
};

TEST_F(FieldWordKeysTest, TheArrowsWithOptionCommandAndShiftMoveAndSelectWhatTypingThenReplaces) {
    press(left(flags::kOption));
    EXPECT_EQ(selection(), TextSelection::caret(8));
    press(left(flags::kOption | flags::kShift));
    EXPECT_EQ(selection(), (TextSelection{4, 8}));
    press(left(flags::kShift));
    EXPECT_EQ(selection(), (TextSelection{3, 8}));
    press(right(flags::kCommand | flags::kShift));
    EXPECT_EQ(selection(), (TextSelection{8, 13}));
    press(left(flags::kCommand));
    EXPECT_EQ(selection(), TextSelection::caret(0));
    press(right(flags::kOption));
    EXPECT_EQ(selection(), TextSelection::caret(3));
    press(key(keys::kDownArrow, "\xEF\x9C\x81", flags::kShift));
    EXPECT_EQ(selection(), (TextSelection{3, 13}));
    press(key(keys::kUpArrow, "\xEF\x9C\x80", flags::kShift | flags::kOption));
    EXPECT_EQ(selection(), (TextSelection{0, 3}));
    EXPECT_TRUE(writes.empty());
    // What is typed replaces the selection, through the binding.
    press(key(0, "1"));
    EXPECT_EQ(name.get(), "1 two three");
    EXPECT_EQ(writes, Texts{"1 two three"});
    // Control with an arrow is the system's (a desktop switch), not the field's.
    EXPECT_FALSE(host().keyDown(left(flags::kControl)));
    EXPECT_FALSE(host().keyDown(right(flags::kControl | flags::kShift)));
}

TEST_F(FieldWordKeysTest, OptionAndCommandDeleteTakeWordsAndEachKindOfDeletingIsARunOfItsOwn) {
    press(backspace(flags::kOption));
    press(backspace(flags::kOption));
    EXPECT_EQ(writes, (Texts{"one two ", "one "}));
    // The run of word deletions goes back in one step, the caret where it began.
    ASSERT_TRUE(host().undoText());
    EXPECT_EQ(name.get(), "one two three");
    EXPECT_EQ(selection(), TextSelection::caret(13));

    // A character deleted after a word is another run: undone alone.
    press(backspace(flags::kOption));
    press(backspace());
    EXPECT_EQ(name.get(), "one two");
    ASSERT_TRUE(host().undoText());
    EXPECT_EQ(name.get(), "one two ");
    ASSERT_TRUE(host().undoText());
    EXPECT_EQ(name.get(), "one two three");

    // Command-Delete takes all before the caret, Option-Forward-Delete the word after it.
    press(left(flags::kOption));
    press(backspace(flags::kCommand));
    EXPECT_EQ(name.get(), "three");
    EXPECT_EQ(selection(), TextSelection::caret(0));
    press(forwardDelete(flags::kOption));
    EXPECT_EQ(name.get(), "");
    ASSERT_TRUE(host().undoText());
    EXPECT_EQ(name.get(), "three");
    ASSERT_TRUE(host().undoText());
    EXPECT_EQ(name.get(), "one two three");
    // A caret move ends a run of word deletions too.
    press(right(flags::kCommand));
    press(backspace(flags::kOption));
    press(left());
    press(backspace(flags::kOption));
    EXPECT_EQ(name.get(), "one  ");
    ASSERT_TRUE(host().undoText());
    EXPECT_EQ(name.get(), "one two ");
    // With a selection, any Delete takes just the selection.
    press(left(flags::kShift));
    press(backspace(flags::kCommand));
    EXPECT_EQ(name.get(), "one tw ");
}

}  // namespace
}  // namespace tarnwick
