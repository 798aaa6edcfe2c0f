#include <gtest/gtest.h>

#include "model/overview_shortcut.h"
#include "platform/sim/sim_keyboard_layouts.h"
#include "platform/ui/menu_key_equivalent.h"
#include "support/text.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

using testkit::TestEnvironment;
namespace flags = platform::modifier_flags;
namespace layout_ids = sim::keyboard_layout_ids;

constexpr std::uint32_t kCommand = 0x100, kShift = 0x200, kOption = 0x800, kControl = 0x1000;

TEST(OverviewShortcutTest, ValidityNeedsAPlainKeyAndCommandOrControl) {
    EXPECT_TRUE(OverviewShortcut::defaultShortcut.isValid());
    EXPECT_EQ(OverviewShortcut::defaultShortcut, (OverviewShortcut{13, kControl | kOption | kCommand}));
    EXPECT_TRUE((OverviewShortcut{13, kControl}).isValid());
    EXPECT_TRUE((OverviewShortcut{53, kCommand}).isValid());
    EXPECT_TRUE((OverviewShortcut{64, kCommand}).isValid());   // F17, just past the modifier keys
    EXPECT_TRUE((OverviewShortcut{127, kCommand}).isValid());

    EXPECT_FALSE((OverviewShortcut{128, kCommand}).isValid());
    for (std::uint32_t modifierKey : {54u, 55u, 59u, 63u}) EXPECT_FALSE((OverviewShortcut{modifierKey, kCommand}).isValid());
    EXPECT_FALSE((OverviewShortcut{13, kShift}).isValid());
    EXPECT_FALSE((OverviewShortcut{13, kShift | kOption}).isValid());
    EXPECT_FALSE((OverviewShortcut{13, 0}).isValid());
    EXPECT_FALSE((OverviewShortcut{13, kCommand | 0x20000}).isValid());  // a bit outside the mask
}

TEST(OverviewShortcutTest, RecordingKeepsOnlyTheFourModifiers) {
    auto recorded = OverviewShortcut::recorded(13, flags::kCommand | flags::kCapsLock);
    EXPECT_EQ(recorded, (OverviewShortcut{13, kCommand}));
    EXPECT_TRUE(recorded.isValid());

    auto shiftOnly = OverviewShortcut::recorded(13, flags::kShift);
    EXPECT_EQ(shiftOnly.modifiers, kShift);
    EXPECT_FALSE(shiftOnly.isValid());

    const auto everything = flags::kControl | flags::kOption | flags::kShift | flags::kCommand | flags::kFunction |
                            flags::kNumericPad | flags::kHelp | flags::kCapsLock | 0x0108;  // device bits
    auto all = OverviewShortcut::recorded(126, everything);
    EXPECT_EQ(all.modifiers, OverviewShortcut::modifierMask);
    EXPECT_EQ(all.eventModifiers(), flags::kControl | flags::kOption | flags::kShift | flags::kCommand);
    EXPECT_EQ(OverviewShortcut::recorded(0xFFFF, 0).keyCode, 0xFFFFu);
}

TEST(OverviewShortcutTest, DisplayNamesPutGlyphsInAFixedOrderBeforeTheUpperCasedKey) {
    TestEnvironment env;
    EXPECT_EQ(OverviewShortcut::defaultShortcut.displayName(), "⌃⌥⌘W");
    EXPECT_EQ((OverviewShortcut{49, kCommand | kShift}).displayName(), "⇧⌘SPACE");
    EXPECT_EQ((OverviewShortcut{0, kCommand | kShift | kOption | kControl}).displayName(), "⌃⌥⇧⌘A");
    EXPECT_EQ((OverviewShortcut{36, kControl}).displayName(), "⌃↩");
    env.session.selectKeyboardLayout(layout_ids::kFrench);
    EXPECT_EQ((OverviewShortcut{19, kCommand}).displayName(), "⌘É");
    // Upper case as the platform writes it: "ß" has no single capital; other scripts have theirs.
    env.session.selectKeyboardLayout(layout_ids::kGerman);
    EXPECT_EQ((OverviewShortcut{27, kCommand}).displayName(), "⌘SS");
    EXPECT_EQ(text::uppercased("цїλς"), "ЦЇΛΣ");
}

TEST(OverviewShortcutTest, KeyNamesComeFromTheTableThenTheLayoutThenTheCode) {
    TestEnvironment env;
    auto name = [](std::uint32_t keyCode) { return OverviewShortcut{keyCode, kCommand}.keyName(); };
    EXPECT_EQ(name(53), "⎋");
    EXPECT_EQ(name(117), "⌦");
    EXPECT_EQ(name(123), "←");
    EXPECT_EQ(name(64), "F17");
    EXPECT_EQ(name(13), "w");
    EXPECT_EQ(name(52), "Key 52");  // the US layout types nothing on it
    EXPECT_EQ(name(70000), "Key 70000");

    env.session.selectKeyboardLayout(layout_ids::kGerman);
    EXPECT_EQ(name(16), "z");
    EXPECT_EQ(name(24), "´");  // a dead key names its own character
    EXPECT_EQ(name(53), "⎋");  // table names do not follow the layout

    auto& layouts = env.session.keyboardLayouts();
    layouts.translateStatus = -25340;
    EXPECT_EQ(name(16), "Key 16");
    layouts.translateStatus = 0;
    layouts.layoutDataAvailable = false;
    EXPECT_EQ(name(16), "Key 16");
    layouts.layoutDataAvailable = true;
    layouts.current.clear();
    EXPECT_EQ(name(16), "Key 16");
}

TEST(OverviewShortcutTest, MenuEquivalentsUseFunctionKeyCharactersAndLowerCasedSingleCharacters) {
    TestEnvironment env;
    auto menu = [](std::uint32_t keyCode) { return OverviewShortcut{keyCode, kCommand}.menuEquivalent(); };
    EXPECT_EQ(menu(122), "\uF704");  // F1
    EXPECT_EQ(menu(109), "\uF70D");  // F10
    EXPECT_EQ(menu(90), "\uF717");   // F20
    EXPECT_EQ(menu(36), "\r");
    EXPECT_EQ(menu(49), " ");
    EXPECT_EQ(menu(126), "\uF700");
    EXPECT_EQ(menu(13), "w");
    EXPECT_EQ(menu(52), "");  // "Key 52"
    env.session.selectKeyboardLayout(layout_ids::kFrench);
    EXPECT_EQ(menu(13), "z");
    EXPECT_EQ(menu(19), "é");
}

// The status menu's row shows the shortcut as the settings do: its menu equivalent and modifiers,
// drawn by the menu, read as its display name, on every layout; only the keys a menu names in
// words ("Space", "Help") are written as a Mac's menus write them.
TEST(OverviewShortcutTest, TheMenusGlyphsOfTheEquivalentAreTheDisplayName) {
    TestEnvironment env;
    for (const auto layout : {layout_ids::kUS, layout_ids::kFrench, layout_ids::kGerman}) {
        env.session.selectKeyboardLayout(layout);
        int shown = 0;
        for (std::uint32_t keyCode = 0; keyCode < 128; ++keyCode)
            for (std::uint32_t modifiers : {kControl | kOption | kCommand, kShift | kCommand, kControl}) {
                const OverviewShortcut shortcut{keyCode, modifiers};
                if (!shortcut.isValid() || shortcut.menuEquivalent().empty()) continue;
                const std::string glyphs =
                    platform::ui::keyEquivalentGlyphs(shortcut.menuEquivalent(), shortcut.eventModifiers());
                ++shown;
                if (keyCode == 49 || keyCode == 114) {
                    EXPECT_EQ(glyphs.substr(glyphs.size() - 4), keyCode == 49 ? "pace" : "Help");
                    continue;
                }
                // The keypad's Clear key, which the layouts name by the Escape character it types:
                // a menu draws that character as Escape's glyph.
                if (keyCode == 71) {
                    EXPECT_EQ(glyphs.substr(glyphs.size() - 3), "⎋");
                    continue;
                }
                EXPECT_EQ(glyphs, shortcut.displayName()) << layout << " " << keyCode << " " << modifiers;
            }
        EXPECT_GT(shown, 150) << layout;
    }
    EXPECT_EQ(platform::ui::keyEquivalentGlyphs(OverviewShortcut::defaultShortcut.menuEquivalent(),
                                                OverviewShortcut::defaultShortcut.eventModifiers()),
              "⌃⌥⌘W");
}

}  // namespace
}  // namespace tarnwick
