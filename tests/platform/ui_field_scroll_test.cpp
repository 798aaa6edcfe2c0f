// The line of a text field being edited scrolls along itself so that its caret stays inside the
// field: the least that brings the caret in, back to the start when the caret goes home, never
// past the text's end, read again when the field is resized or the app sets its text, and none
// for a field not being edited. Positions come from the text system's own measures.

#include <cmath>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "platform/ui/declarative/controls.h"
#include "platform/ui/declarative/text_field_line.h"
#include "testkit/field_keys.h"
#include "testkit/hosted_view.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
namespace flags = platform::modifier_flags;
namespace keys = platform::key_codes;
using namespace testkit::field_keys;

const std::string kLong = "A very long desktop name that surely goes on past the right edge of the field yes";
constexpr double kNear = 1e-9;

TEST(FieldTextLineTest, ScrollsTheLeastThatShowsTheCaretAndNeverPastTheTextsEnd) {
    testkit::TestEnvironment env;
    const ui::FieldTextLine line(kLong, ui::Font::system(13));
    const double width = 100;
    const double furthest = line.width() + ui::kFieldCaretWidth - width;
    ASSERT_GT(furthest, 0);
    // The caret at the end: the end stands at the trailing edge; at the start, none.
    EXPECT_NEAR(ui::scrolledToShow(line, width, 0, kLong.size()), furthest, kNear);
    EXPECT_EQ(ui::scrolledToShow(line, width, furthest, 0), 0);
    // Inside what shows the caret moves the line not at all; past either edge, just so far.
    EXPECT_EQ(ui::scrolledToShow(line, width, 40, 20), 40);
    const double at30 = line.advance(30);
    ASSERT_GT(at30 + ui::kFieldCaretWidth, 40 + width);
    EXPECT_NEAR(ui::scrolledToShow(line, width, 40, 30), at30 + ui::kFieldCaretWidth - width, kNear);
    EXPECT_NEAR(ui::scrolledToShow(line, width, 400, 30), at30, kNear);
    // Without a caret to show (a selection made at once) it only keeps within the text.
    EXPECT_EQ(ui::scrolledToShow(line, width, 40, std::nullopt), 40);
    EXPECT_NEAR(ui::scrolledToShow(line, width, 1e6, std::nullopt), furthest, kNear);
    EXPECT_EQ(ui::scrolledToShow(line, width, NAN, std::nullopt), 0);
    // A line that fits is not scrolled, nor is one in a field with no room at all moved past it.
    const ui::FieldTextLine fits("Home", ui::Font::system(13));
    EXPECT_EQ(ui::scrolledToShow(fits, width, 30, 4), 0);
    EXPECT_LE(ui::scrolledToShow(line, 0, 0, kLong.size()), line.width() + ui::kFieldCaretWidth);
    // Offsets run by whole characters: inside a letter with its accent, its start.
    const ui::FieldTextLine accented("xe\xCC\x81y", ui::Font::system(13));
    EXPECT_EQ(accented.advance(2), accented.advance(1));
    EXPECT_EQ(accented.advance(99), accented.width());
}

class FieldScrollTest : public ::testing::Test {
protected:
    FieldScrollTest() {
        env.session.loadDefaultSession();
        hosted = std::make_unique<testkit::HostedView>(testkit::HostedView::function(
            [this](ui::ViewContext&) {
                Binding<std::string> binding{[this] { return name.get(); }, [this](const std::string& t) { name.set(t); }};
                return ui::vstack(ui::HorizontalAlignment::leading, 8,
                                  ui::nodes(ui::textField("name", std::move(binding), ui::TextFieldOptions{"", true})
                                                .accessibilityIdentifier("name"),
                                            ui::textField("other", Binding<std::string>{[] { return std::string(); },
                                                                                        [](const std::string&) {}},
                                                          ui::TextFieldOptions{"", true})
                                                .accessibilityIdentifier("other")));
            },
            [this](ui::ViewHost& h) { h.watch(name); }, Rect(100, 100, 200, 120)));
        hosted->show();
    }
    ui::ViewHost& host() { return hosted->host(); }
    const ui::Node& field() { return hosted->node("name"); }
    void press(const platform::KeyEvent& event) { ASSERT_TRUE(host().keyDown(event)) << event.keyCode; }
    double scroll() { return host().textScroll(field()); }
    // The text area's width and the line of the text the field shows now.
    double area() { return field().as<ui::TextFieldContent>()->textFrame().width(); }
    ui::FieldTextLine line() { return ui::FieldTextLine(name.get(), field().font()); }
    // The caret's place along the line, from the text area's leading edge.
    double caretInArea() { return line().advance(host().selection(field())->start) - scroll(); }

    testkit::TestEnvironment env;
    Published<std::string> name{""};
    std::unique_ptr<testkit::HostedView> hosted;
};

TEST_F(FieldScrollTest, TheCaretStaysInsideTheFieldAsItMovesAndTheTextChanges) {
    ASSERT_TRUE(host().type(field(), kLong));
    ASSERT_GT(line().width(), area());
    EXPECT_NEAR(scroll(), line().width() + ui::kFieldCaretWidth - area(), kNear);
    // Home: the start shows. Right moves the caret across the field without scrolling, until it
    // would pass the trailing edge; from there the line follows it, the caret at that edge.
    press(kUp);
    EXPECT_EQ(scroll(), 0);
    std::size_t steps = 0;
    double last = -1;
    for (; steps < kLong.size(); ++steps) {
        press(kRight);
        const double caret = caretInArea();
        EXPECT_GE(caret, -kNear);
        EXPECT_LE(caret + ui::kFieldCaretWidth, area() + kNear);
        if (scroll() > 0) {
            EXPECT_NEAR(caret + ui::kFieldCaretWidth, area(), kNear);
            EXPECT_GT(caret, last - kNear);
        } else {
            EXPECT_GT(caret, last);
        }
        last = caret;
    }
    EXPECT_NEAR(scroll(), line().width() + ui::kFieldCaretWidth - area(), kNear);
    // Back left within what shows: the line stays; the caret goes on left to the leading edge.
    const double atEnd = scroll();
    press(kLeft);
    EXPECT_EQ(scroll(), atEnd);
    // Deleting at the end pulls the line back, so the end stays at the trailing edge.
    press(kDown);
    press(kDelete);
    press(kDelete);
    EXPECT_NEAR(scroll(), line().width() + ui::kFieldCaretWidth - area(), kNear);
    EXPECT_LT(scroll(), atEnd);

    // A wider window shows more: the line is read again at the field's new size.
    const double before = scroll();
    hosted->resize(320, 120);
    EXPECT_NEAR(scroll(), std::max(line().width() + ui::kFieldCaretWidth - area(), 0.0), kNear);
    EXPECT_LT(scroll(), before);
    hosted->resize(200, 120);

    // The app sets a text meanwhile: the caret goes after it, and the line with it.
    press(kUp);
    name.set(kLong + " and more");
    EXPECT_NEAR(scroll(), line().width() + ui::kFieldCaretWidth - area(), kNear);
}

TEST_F(FieldScrollTest, ASelectionShowsTheEndShiftMovesAndAFieldNoLongerEditedShowsItsStart) {
    ASSERT_TRUE(host().type(field(), kLong));
    // Shift-Command-Left carries the selection's moving end home: the start shows.
    press(key(keys::kLeftArrow, "\xEF\x9C\x82", flags::kCommand | flags::kShift));
    EXPECT_EQ(scroll(), 0);
    // Word by word the line follows the caret; Select All then keeps it where it was.
    press(kLeft);
    while (scroll() == 0 && host().selection(field())->start < kLong.size())
        press(key(keys::kRightArrow, "\xEF\x9C\x83", flags::kOption));
    const double atWord = scroll();
    EXPECT_GT(atWord, 0);
    EXPECT_LT(atWord, line().width() + ui::kFieldCaretWidth - area());
    ASSERT_TRUE(host().selectAllText());
    EXPECT_EQ(scroll(), atWord);
    // Tab to the other field: this one is edited no more and is not scrolled; back in, the caret
    // after its text shows again.
    press(key(keys::kTab, "\t"));
    EXPECT_EQ(scroll(), 0);
    ASSERT_TRUE(host().editField(field()));
    EXPECT_NEAR(scroll(), line().width() + ui::kFieldCaretWidth - area(), kNear);
    host().endEditing();
    EXPECT_EQ(scroll(), 0);
}

}  // namespace
}  // namespace tarnwick
