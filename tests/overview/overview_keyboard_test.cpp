#include <string>
#include <unordered_set>
#include <vector>

#include <gtest/gtest.h>

#include "overview/overview_dismissal.h"
#include "overview/overview_focus_order.h"
#include "overview/overview_keyboard_command.h"

namespace tarnwick {
namespace {

namespace flags = platform::modifier_flags;
namespace keys = platform::key_codes;
using Mode = OverviewInteractionMode;
using Target = OverviewFocusTarget;
using Command = OverviewKeyboardCommand;

std::optional<Target> next(std::optional<Target> current, const std::vector<Target>& order, bool backwards) {
    return OverviewFocusOrder::next(current, order, backwards);
}

TEST(OverviewFocusOrderTest, WrapsBothWaysAndStartsOverFromAMissingTarget) {
    const auto a = Target::desktop("A");
    const auto app = Target::application("A", "com.example.mail");
    const auto b = Target::desktop("B");
    const std::vector<Target> order{a, app, b};

    EXPECT_EQ(next(a, order, false), app);
    EXPECT_EQ(next(b, order, false), a);
    EXPECT_EQ(next(a, order, true), b);
    EXPECT_EQ(next(app, order, true), a);

    EXPECT_EQ(next(std::nullopt, order, false), a);
    EXPECT_EQ(next(std::nullopt, order, true), b);
    const auto gone = Target::application("B", "com.example.mail");
    EXPECT_EQ(next(gone, order, false), a);
    EXPECT_EQ(next(gone, order, true), b);

    EXPECT_EQ(next(a, {}, false), std::nullopt);
    EXPECT_EQ(next(std::nullopt, {}, true), std::nullopt);
    EXPECT_EQ(next(a, {a}, false), a);
    EXPECT_EQ(next(a, {a}, true), a);
}

TEST(OverviewFocusOrderTest, ARepeatedTargetMovesOnFromItsFirstPlace) {
    const auto a = Target::desktop("A");
    const auto b = Target::desktop("B");
    const auto c = Target::desktop("C");
    EXPECT_EQ(next(a, {b, a, c, a}, false), c);
    EXPECT_EQ(next(a, {b, a, c, a}, true), b);
}

TEST(OverviewFocusTargetTest, TheCaseTellsADesktopFromAnAppWithTheSameStrings) {
    const auto desktop = Target::desktop("A");
    const auto emptyApp = Target::application("A", "");
    EXPECT_NE(desktop, emptyApp);
    EXPECT_EQ(Target::application("A", "x.y"), Target::application("A", "x.y"));
    EXPECT_NE(Target::application("A", "x.y"), Target::application("A.x", "y"));
    std::unordered_set<Target> set{desktop, emptyApp, Target::application("A", "x.y")};
    EXPECT_EQ(set.size(), 3u);
    EXPECT_EQ(std::hash<Target>()(desktop), std::hash<Target>()(Target::desktop("A")));
}

TEST(OverviewFocusTargetTest, KeepsIdsOfAnyLengthApart) {
    const std::string desktopID(36, 'D');
    for (std::size_t appLength : {0u, 35u, 36u, 37u, 200u}) {
        const std::string appID(appLength, 'a');
        const auto target = Target::application(desktopID, appID);
        EXPECT_EQ(target.desktopID(), desktopID);
        EXPECT_EQ(target.appID(), appID);
        const auto copy = target;
        EXPECT_EQ(copy, target);
        EXPECT_EQ(copy.appID(), appID);
        EXPECT_NE(Target::application(desktopID, appID + "b"), target);
        EXPECT_EQ(std::hash<Target>()(copy), std::hash<Target>()(target));
    }
    EXPECT_NE(Target::application("AB", "C"), Target::application("A", "BC"));
    EXPECT_EQ(Target::desktop(std::string(300, 'x')).desktopID(), std::string(300, 'x'));
}

platform::KeyEvent key(std::uint16_t code, platform::ModifierFlags modifiers = 0, std::string characters = {}) {
    return {code, std::move(characters), modifiers};
}

TEST(OverviewKeyboardCommandTest, MapsTheOverviewKeysByKeyCode) {
    EXPECT_EQ(keyboardCommand(key(keys::kReturn, 0, "\r")), Command::activate());
    EXPECT_EQ(keyboardCommand(key(keys::kKeypadEnter, flags::kNumericPad, "\x03")), Command::activate());
    EXPECT_EQ(keyboardCommand(key(keys::kSpace, 0, " ")), Command::activate());
    EXPECT_EQ(keyboardCommand(key(keys::kTab, 0, "\t")), Command::advance(false));
    EXPECT_EQ(keyboardCommand(key(keys::kTab, flags::kShift, "\x19")), Command::advance(true));
    EXPECT_EQ(keyboardCommand(key(keys::kEscape, 0, "\x1b")), Command::cancel());
    // The characters do not matter: a layout may type anything on these keys.
    EXPECT_EQ(keyboardCommand(key(keys::kTab, 0, "x")), Command::advance(false));
    EXPECT_EQ(keyboardCommand(key(0, 0, "\r")), std::nullopt);
    EXPECT_EQ(keyboardCommand(key(51)), std::nullopt);  // Delete
}

TEST(OverviewKeyboardCommandTest, ShortcutModifiersGiveNoCommandButShiftAndCapsLockDoNotMatter) {
    EXPECT_EQ(keyboardCommand(key(keys::kTab, flags::kControl)), std::nullopt);
    EXPECT_EQ(keyboardCommand(key(keys::kReturn, flags::kOption)), std::nullopt);
    EXPECT_EQ(keyboardCommand(key(keys::kEscape, flags::kCommand)), std::nullopt);
    EXPECT_EQ(keyboardCommand(key(keys::kTab, flags::kShift | flags::kCommand)), std::nullopt);
    EXPECT_EQ(keyboardCommand(key(keys::kReturn, flags::kShift)), Command::activate());
    EXPECT_EQ(keyboardCommand(key(keys::kEscape, flags::kShift)), Command::cancel());
    EXPECT_EQ(keyboardCommand(key(keys::kTab, flags::kCapsLock)), Command::advance(false));
    EXPECT_EQ(keyboardCommand(key(keys::kTab, flags::kCapsLock | flags::kShift | flags::kFunction)),
              Command::advance(true));
}

TEST(OverviewInteractionModeTest, OnlyAnExplicitPresentationTakesTheKeyboard) {
    EXPECT_FALSE(acceptsKeyboard(Mode::hover));
    EXPECT_FALSE(pinned(Mode::hover));
    EXPECT_TRUE(acceptsKeyboard(Mode::explicit_));
    EXPECT_TRUE(pinned(Mode::explicit_));

    EXPECT_FALSE(requiresApplicationActivation(Mode::hover, std::nullopt, 42));
    EXPECT_FALSE(requiresApplicationActivation(Mode::hover, 7, 42));
    EXPECT_TRUE(requiresApplicationActivation(Mode::explicit_, std::nullopt, 42));
    EXPECT_TRUE(requiresApplicationActivation(Mode::explicit_, 7, 42));
    EXPECT_FALSE(requiresApplicationActivation(Mode::explicit_, 42, 42));
}

TEST(OverviewDismissalTest, OnlyBackingOutOfAKeyPanelHandsFocusBack) {
    for (auto dismissal : kAllOverviewDismissals) {
        const bool backsOut = dismissal == OverviewDismissal::escape || dismissal == OverviewDismissal::shortcut;
        EXPECT_EQ(restoresFocus(dismissal, Mode::explicit_, true), backsOut);
        EXPECT_FALSE(restoresFocus(dismissal, Mode::explicit_, false));
        EXPECT_FALSE(restoresFocus(dismissal, Mode::hover, true));
    }
}

}  // namespace
}  // namespace tarnwick
