// The keys typed into the text field being edited, as its field editor takes them: a field takes
// the keyboard from a click whether or not a focus binding follows it, typed characters go in at
// the caret after the text, Delete takes back one whole character, Return submits, Tab in the
// only field selects its text, and the keys a field does not take pass on to the window and the
// menus.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/ui/declarative/controls.h"
#include "testkit/field_keys.h"
#include "testkit/hosted_view.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
namespace flags = platform::modifier_flags;
namespace keys = platform::key_codes;
using namespace testkit::field_keys;

class FieldKeysTest : public ::testing::Test {
protected:
    FieldKeysTest() {
        env.session.loadDefaultSession();
        hosted = std::make_unique<testkit::HostedView>(testkit::HostedView::function(
            [this](ui::ViewContext&) { return body(); },
            [this](ui::ViewHost& h) {
                h.watch(name);
                h.watch(iconFocus);
                h.watch(locked);
            }));
        view().show();
    }
    testkit::HostedView& view() { return *hosted; }
    ui::ViewHost& host() { return view().host(); }
    const ui::Node& field() { return view().node("field"); }
    // The field as the Desktop Names window makes it: no focus binding, every edit saved.
    ui::Node body() {
        Binding<std::string> text{[this] { return name.get(); }, [this](const std::string& t) {
                                      writes.push_back(t);
                                      name.set(t);
                                  }};
        return ui::vstack(ui::HorizontalAlignment::leading, 4,
                          ui::nodes(ui::textField("Desktop 1", std::move(text),
                                                  ui::TextFieldOptions{"Custom name", true,
                                                                       ui::TextFieldStyle::roundedBorder})
                                        .onSubmit([this] { submitted.push_back(name.get()); })
                                        .disabled(locked.get())
                                        .accessibilityIdentifier("field"),
                                    ui::button(ui::text("Finder"), [] {})
                                        .focused(iconFocus, 1)
                                        .accessibilityIdentifier("icon")));
    }

    testkit::TestEnvironment env;
    Published<std::string> name{""};
    Published<std::optional<int>> iconFocus;
    Published<bool> locked{false};
    std::vector<std::string> writes;
    std::vector<std::string> submitted;
    std::unique_ptr<testkit::HostedView> hosted;
};

TEST_F(FieldKeysTest, AFieldWithoutAFocusBindingTakesTheKeyboardFromAClickAndTypesAtTheCaret) {
    iconFocus.set(1);
    ASSERT_TRUE(host().editField(field()));
    // Clicking into the field took focus from the icon; the field has the keyboard, unbound.
    EXPECT_EQ(iconFocus.get(), std::nullopt);
    EXPECT_EQ(host().focusedNode(), nullptr);
    EXPECT_EQ(host().keyFocusNode(), &field());
    EXPECT_EQ(view().panel->firstResponder(), view().hosting.get());

    for (const char* c : {"W", "\xC3\xB6", "r", "k", " "}) EXPECT_TRUE(host().keyDown(typed(c))) << c;
    EXPECT_EQ(writes, (std::vector<std::string>{"W", "Wö", "Wör", "Wörk", "Wörk "}));
    // Option types what the layout gives it; Shift is in the characters already.
    EXPECT_TRUE(host().keyDown(key(0, "\xC3\xA5", flags::kOption)));
    EXPECT_EQ(name.get(), "Wörk å");

    // Return submits, once for a held key; Enter as well.
    EXPECT_TRUE(host().keyDown(key(keys::kReturn, "\r")));
    platform::KeyEvent held = key(keys::kReturn, "\r");
    held.isRepeat = true;
    EXPECT_TRUE(host().keyDown(held));
    EXPECT_TRUE(host().keyDown(key(keys::kKeypadEnter, "\x03")));
    EXPECT_EQ(submitted, (std::vector<std::string>{"Wörk å", "Wörk å"}));
}

TEST_F(FieldKeysTest, DeleteTakesBackOneWholeCharacterAndASelectionGoesWhole) {
    ASSERT_TRUE(host().editField(field()));
    // A flag is two scalars and a letter with its accent two more: each goes as one.
    name.set("Home \xF0\x9F\x87\xAB\xF0\x9F\x87\xB7 e\xCC\x81");
    EXPECT_TRUE(host().keyDown(key(keys::kDelete, "\x7f")));
    EXPECT_EQ(name.get(), "Home \xF0\x9F\x87\xAB\xF0\x9F\x87\xB7 ");
    EXPECT_TRUE(host().keyDown(key(keys::kDelete, "\x7f")));
    EXPECT_TRUE(host().keyDown(key(keys::kDelete, "\x7f")));
    EXPECT_EQ(name.get(), "Home ");

    // Nothing after the caret for Forward Delete; an empty field has nothing to delete: no edits.
    writes.clear();
    EXPECT_TRUE(host().keyDown(key(keys::kForwardDelete, "\xEF\x9C\xA8")));
    name.set("");
    EXPECT_TRUE(host().keyDown(key(keys::kDelete, "\x7f")));
    EXPECT_TRUE(writes.empty());

    // With all of it selected, a typed key replaces it and Delete empties it.
    name.set("Work");
    ASSERT_TRUE(host().selectAllText());
    EXPECT_TRUE(host().keyDown(typed("P")));
    EXPECT_EQ(name.get(), "P");
    ASSERT_TRUE(host().selectAllText());
    EXPECT_TRUE(host().keyDown(key(keys::kForwardDelete, "\xEF\x9C\xA8")));
    EXPECT_EQ(name.get(), "");
}

TEST_F(FieldKeysTest, KeysTheFieldDoesNotTakePassOnAndAFieldThatLostTheKeyboardTakesNone) {
    ASSERT_TRUE(host().editField(field()));
    name.set("Work");
    writes.clear();
    // Menu and window combinations (Command with any key but an arrow or Delete, Control with
    // any, the arrows among them), Option-Tab and Escape are not the field's.
    for (const auto& event : {key(13, "w", flags::kCommand), key(0, "a", flags::kControl),
                              key(keys::kTab, "\t", flags::kOption), key(keys::kEscape, "\x1b"),
                              key(keys::kLeftArrow, "\xEF\x9C\x82", flags::kControl),
                              key(keys::kDelete, "\x7f", flags::kControl), key(0, "")})
        EXPECT_FALSE(host().keyDown(event)) << event.keyCode;
    EXPECT_TRUE(writes.empty());
    // Tab goes round to the only field there is: its text is selected, so typing replaces it.
    EXPECT_TRUE(host().keyDown(key(keys::kTab, "\t")));
    EXPECT_EQ(host().keyFocusNode(), &field());
    EXPECT_TRUE(host().hasSelectedText());
    EXPECT_TRUE(writes.empty());
    ASSERT_TRUE(host().editField(field()));

    // Focus moved to the icon: the field is no longer edited and keys do not reach it.
    host().moveFocus(view().node("icon"));
    EXPECT_EQ(host().editingField(), nullptr);
    EXPECT_EQ(host().keyFocusNode(), &view().node("icon"));
    host().keyDown(typed("x"));
    EXPECT_EQ(name.get(), "Work");
    // Nor once the binding lets go again: the click that made the field edited is past.
    host().dropFocus();
    EXPECT_EQ(host().editingField(), nullptr);

    // A disabled field cannot be clicked into, and one disabled while edited takes no keys.
    ASSERT_TRUE(host().editField(field()));
    locked.set(true);
    view().renderNow();
    EXPECT_FALSE(host().keyDown(typed("x")));
    EXPECT_FALSE(host().editField(field()));
    EXPECT_EQ(name.get(), "Work");
    EXPECT_TRUE(submitted.empty());
}

}  // namespace
}  // namespace tarnwick
