// A row's key equivalent as a menu shows it beside the row, and the room the menu gives it.

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/sim/ui/sim_menu_layout.h"
#include "platform/ui/menu.h"
#include "platform/ui/menu_key_equivalent.h"
#include "platform/ui/text_metrics.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
namespace flags = platform::modifier_flags;
using sim::SimMenuLayout;

constexpr platform::ModifierFlags kAll = flags::kCommand | flags::kShift | flags::kOption | flags::kControl;

TEST(MenuKeyEquivalentTest, ModifiersComeInTheMenusOrderBeforeTheKeyInCapitals) {
    EXPECT_EQ(ui::keyEquivalentGlyphs("q", flags::kCommand), "⌘Q");
    EXPECT_EQ(ui::keyEquivalentGlyphs(",", flags::kCommand), "⌘,");
    EXPECT_EQ(ui::keyEquivalentGlyphs("w", flags::kControl | flags::kOption | flags::kCommand), "⌃⌥⌘W");
    // Whatever order the mask's bits are in: ⌃ ⌥ ⇧ ⌘.
    EXPECT_EQ(ui::keyEquivalentGlyphs("k", kAll), "⌃⌥⇧⌘K");
    EXPECT_EQ(ui::keyEquivalentGlyphs("k", flags::kShift | flags::kControl), "⌃⇧K");
    EXPECT_EQ(ui::keyEquivalentGlyphs("a", 0), "A");
    // Flags that are no modifier of a key equivalent do not show.
    EXPECT_EQ(ui::keyEquivalentGlyphs("x", flags::kCommand | flags::kCapsLock | flags::kFunction | 0x0108), "⌘X");
    // A letter outside ASCII is in capitals too; a digit stays as it is.
    EXPECT_EQ(ui::keyEquivalentGlyphs("é", flags::kCommand), "⌘É");
    EXPECT_EQ(ui::keyEquivalentGlyphs("1", flags::kCommand), "⌘1");
}

TEST(MenuKeyEquivalentTest, AnUpperCaseLetterIsTypedWithShiftAndShowsIt) {
    EXPECT_EQ(ui::keyEquivalentGlyphs("Z", flags::kCommand), "⇧⌘Z");
    EXPECT_EQ(ui::keyEquivalentGlyphs("Z", flags::kCommand | flags::kShift), "⇧⌘Z");  // once
    EXPECT_EQ(ui::keyEquivalentGlyphs("É", flags::kCommand), "⇧⌘É");
    EXPECT_EQ(ui::keyEquivalentModifiers("Z", flags::kCommand), flags::kCommand | flags::kShift);
    EXPECT_EQ(ui::keyEquivalentModifiers("z", flags::kCommand), flags::kCommand);
    EXPECT_EQ(ui::keyEquivalentModifiers(",", flags::kCommand | flags::kCapsLock), flags::kCommand);

    // The same rule matches key presses: Shift-Command-Z chooses "Z", Command-Z does not.
    platform::KeyEvent event{6, "Z", flags::kCommand | flags::kShift};
    EXPECT_TRUE(ui::matchesKeyEquivalent(event, "Z", flags::kCommand));
    event = {6, "z", flags::kCommand};
    EXPECT_FALSE(ui::matchesKeyEquivalent(event, "Z", flags::kCommand));
    EXPECT_TRUE(ui::matchesKeyEquivalent(event, "z", flags::kCommand));
}

TEST(MenuKeyEquivalentTest, NamedKeysShowTheirGlyphs) {
    struct Case {
        std::string key;
        std::string shown;
    };
    for (const auto& [key, shown] : {Case{"\r", "⌘↩"}, Case{"\x03", "⌘⌅"}, Case{"\t", "⌘⇥"}, Case{"\x1b", "⌘⎋"},
                                     Case{"\b", "⌘⌫"}, Case{"\x7f", "⌘⌫"}, Case{" ", "⌘Space"},
                                     Case{"\uF700", "⌘↑"}, Case{"\uF701", "⌘↓"}, Case{"\uF702", "⌘←"},
                                     Case{"\uF703", "⌘→"}, Case{"\uF728", "⌘⌦"}, Case{"\uF729", "⌘↖"},
                                     Case{"\uF72B", "⌘↘"}, Case{"\uF72C", "⌘⇞"}, Case{"\uF72D", "⌘⇟"},
                                     Case{"\uF704", "⌘F1"}, Case{"\uF70D", "⌘F10"}, Case{"\uF717", "⌘F20"},
                                     Case{"\uF726", "⌘F35"}})
        EXPECT_EQ(ui::keyEquivalentGlyphs(key, flags::kCommand), shown) << shown;
}

TEST(MenuKeyEquivalentTest, NoEquivalentOrOneNoMenuCanDrawShowsNothing) {
    for (const std::string& key : std::vector<std::string>{"", std::string("\0", 1), "\x01", "\x1f", "\uF727", "\uF7FF",
                                                            "\uE000", "\xff", "\xe2\x8c"})
        EXPECT_EQ(ui::keyEquivalentGlyphs(key, kAll), "") << testing::PrintToString(key);
}

class MenuKeyEquivalentLayoutTest : public ::testing::Test {
protected:
    MenuKeyEquivalentLayoutTest() { env.session.loadDefaultSession(); }
    double measured(const std::string& text) { return ui::textMetrics().lineWidth(text, SimMenuLayout::font()); }

    testkit::TestEnvironment env;
};

TEST_F(MenuKeyEquivalentLayoutTest, TheMenuMakesRoomForItsWidestEquivalentAfterItsWidestTitle) {
    ui::Menu plain;
    plain.addItem("Check for Updates…", [] {});
    plain.addItem("Quit", [] {});
    const double bare = SimMenuLayout::of(plain).size.width;
    EXPECT_DOUBLE_EQ(bare, SimMenuLayout::kCheckColumn + measured("Check for Updates…") + SimMenuLayout::kTrailingInset);

    // An equivalent on a short row widens the menu by the gap and the widest equivalent, not by
    // the sum of a title and its own equivalent.
    ui::Menu keyed;
    keyed.addItem("Check for Updates…", [] {});
    keyed.addItem("Quit", [] {}, "q");
    auto& overview = keyed.addItem("Go", [] {}, "w");
    overview.keyEquivalentModifierMask = flags::kControl | flags::kOption | flags::kCommand;
    const auto layout = SimMenuLayout::of(keyed);
    EXPECT_DOUBLE_EQ(layout.size.width, bare + SimMenuLayout::kKeyEquivalentGap + measured("⌃⌥⌘W"));
    ASSERT_EQ(layout.rows.size(), 3u);
    EXPECT_EQ(layout.rows[0].keyEquivalent, "");
    EXPECT_EQ(layout.rows[1].keyEquivalent, "⌘Q");
    EXPECT_EQ(layout.rows[2].keyEquivalent, "⌃⌥⌘W");

    // A hidden row's equivalent takes no room; a row that opens a submenu shows its arrow there
    // instead of an equivalent, so the arrow and the equivalents share the column.
    overview.isHidden = true;
    const double withQuit = bare + SimMenuLayout::kKeyEquivalentGap + measured("⌘Q");
    EXPECT_DOUBLE_EQ(SimMenuLayout::of(keyed).size.width, withQuit);
    auto& testing = keyed.addItem("Testing", nullptr, "t");
    testing.submenu = std::make_shared<ui::Menu>("Testing");
    const auto withSubmenu = SimMenuLayout::of(keyed);
    EXPECT_EQ(withSubmenu.rows.back().keyEquivalent, "");
    EXPECT_TRUE(withSubmenu.rows.back().hasSubmenu);
    EXPECT_DOUBLE_EQ(withSubmenu.size.width, std::max(withQuit, bare + SimMenuLayout::kSubmenuColumn));
}

}  // namespace
}  // namespace tarnwick
