#include <memory>

#include <gtest/gtest.h>

#include "overview/overview_shortcut_control.h"
#include "overview/shortcut_key_capture.h"
#include "platform/sim/sim_hot_keys.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace flags = platform::modifier_flags;
namespace keys = platform::key_codes;
using Kind = ShortcutKeyCapture::Kind;

constexpr std::uint16_t kKeyO = 31;
constexpr std::uint16_t kKeyA = 0;
constexpr std::uint16_t kRightCommandKey = 54;
constexpr platform::ModifierFlags kControlOptionCommand = flags::kControl | flags::kOption | flags::kCommand;
const OverviewShortcut kControlOptionCommandO{kKeyO, 0x1900};
constexpr const char* kInclude = "Include Command or Control with your shortcut.";

platform::KeyEvent key(std::uint16_t code, platform::ModifierFlags modifiers = 0, bool repeat = false) {
    platform::KeyEvent event;
    event.keyCode = code;
    event.modifierFlags = modifiers;
    event.isRepeat = repeat;
    return event;
}

Kind decide(const platform::KeyEvent& event) { return ShortcutKeyCapture::decide(true, true, event).kind; }

TEST(ShortcutKeyCaptureTest, KeysPassOnUnlessTheRecorderRecordsAndHoldsKeyFocus) {
    EXPECT_EQ(ShortcutKeyCapture::decide(false, true, key(kKeyO, kControlOptionCommand)).kind, Kind::passOn);
    EXPECT_EQ(ShortcutKeyCapture::decide(true, false, key(keys::kEscape)).kind, Kind::passOn);
    EXPECT_FALSE(ShortcutKeyCapture::decide(true, false, key(keys::kEscape)).consumed());
}

TEST(ShortcutKeyCaptureTest, RepeatsAreSwallowedBeforeAnythingElse) {
    EXPECT_EQ(decide(key(keys::kEscape, 0, true)), Kind::swallow);
    EXPECT_EQ(decide(key(kKeyO, kControlOptionCommand, true)), Kind::swallow);
    EXPECT_TRUE(ShortcutKeyCapture::decide(true, true, key(kKeyA, 0, true)).consumed());
}

TEST(ShortcutKeyCaptureTest, EscapeAndDeleteAreCommandsOnlyWithoutAnyModifier) {
    EXPECT_EQ(decide(key(keys::kEscape)), Kind::cancel);
    EXPECT_EQ(decide(key(keys::kDelete)), Kind::clear);
    EXPECT_EQ(decide(key(keys::kForwardDelete)), Kind::clear);
    // Caps Lock and Function are dropped before the check.
    EXPECT_EQ(decide(key(keys::kEscape, flags::kCapsLock | flags::kFunction)), Kind::cancel);

    EXPECT_EQ(decide(key(keys::kEscape, flags::kCommand)), Kind::record);
    EXPECT_EQ(decide(key(keys::kEscape, flags::kShift)), Kind::refuse);
    EXPECT_EQ(decide(key(keys::kDelete, flags::kControl)), Kind::record);
    EXPECT_EQ(decide(key(keys::kForwardDelete, flags::kOption)), Kind::refuse);
}

TEST(ShortcutKeyCaptureTest, CombinationsNeedCommandOrControlAndAnOrdinaryKey) {
    const auto recorded = ShortcutKeyCapture::decide(true, true, key(kKeyO, kControlOptionCommand | flags::kCapsLock));
    EXPECT_EQ(recorded.kind, Kind::record);
    EXPECT_EQ(recorded.candidate, kControlOptionCommandO);

    EXPECT_EQ(decide(key(kKeyA)), Kind::refuse);
    EXPECT_EQ(decide(key(kKeyA, flags::kShift | flags::kOption)), Kind::refuse);
    EXPECT_EQ(decide(key(kRightCommandKey, flags::kCommand)), Kind::refuse);
    EXPECT_EQ(decide(key(63, flags::kControl)), Kind::refuse);
    EXPECT_EQ(decide(key(64, flags::kControl)), Kind::record);
}

// A recording shortcut over the simulated session, registered as after the first feature-state pass.
class ShortcutRecorderTest : public ::testing::Test {
protected:
    ShortcutRecorderTest() {
        shortcut = std::make_unique<GlobalOverviewShortcut>(OverviewShortcutStore(env.session.defaults()));
        shortcut->start([this] { ++actions; });
        shortcut->setSuspended(false);
    }

    bool registered(const OverviewShortcut& s) {
        auto list = env.session.hotKeys().ownRegistrations();
        return list.size() == 1 && list[0].keyCode == s.keyCode && list[0].modifiers == s.modifiers;
    }
    bool capture(const platform::KeyEvent& event) { return ShortcutKeyCapture::capture(shortcut.get(), true, event); }

    testkit::TestEnvironment env;
    std::unique_ptr<GlobalOverviewShortcut> shortcut;
    int actions = 0;
};

TEST_F(ShortcutRecorderTest, ALetterIsRefusedAndTheRecordingGoesOnUntilAValidCombination) {
    OverviewShortcutControl control(*shortcut);
    shortcut->beginRecording();
    EXPECT_TRUE(env.session.hotKeys().ownRegistrations().empty());

    EXPECT_TRUE(capture(key(kKeyA)));
    EXPECT_TRUE(shortcut->isRecording.get());
    EXPECT_EQ(control.errorLine(), kInclude);
    EXPECT_EQ(control.recorderTitle(), "Press shortcut\u2026");

    EXPECT_TRUE(capture(key(kKeyO, kControlOptionCommand)));
    EXPECT_FALSE(capture(key(kKeyO, kControlOptionCommand, true)));  // held: recorded once
    EXPECT_FALSE(shortcut->isRecording.get());
    EXPECT_EQ(shortcut->shortcut.get(), kControlOptionCommandO);
    EXPECT_TRUE(registered(kControlOptionCommandO));
    EXPECT_EQ(control.errorLine(), std::nullopt);
    EXPECT_EQ(control.recorderTitle(), "\u2303\u2325\u2318O");

    env.session.pressKeys(kKeyO, kControlOptionCommand);
    env.settle();
    EXPECT_EQ(actions, 1);
}

TEST_F(ShortcutRecorderTest, EscapeCancelsAndTheStoredShortcutWorksAgain) {
    shortcut->beginRecording();
    EXPECT_TRUE(capture(key(keys::kEscape)));
    EXPECT_FALSE(shortcut->isRecording.get());
    EXPECT_EQ(shortcut->shortcut.get(), OverviewShortcut::defaultShortcut);
    EXPECT_TRUE(registered(OverviewShortcut::defaultShortcut));
}

TEST_F(ShortcutRecorderTest, DeleteTurnsTheShortcutOff) {
    OverviewShortcutControl control(*shortcut);
    shortcut->beginRecording();
    EXPECT_TRUE(capture(key(keys::kForwardDelete)));
    EXPECT_FALSE(shortcut->isRecording.get());
    EXPECT_EQ(shortcut->shortcut.get(), std::nullopt);
    EXPECT_TRUE(env.session.hotKeys().ownRegistrations().empty());
    EXPECT_EQ(control.recorderTitle(), "Record shortcut\u2026");
    EXPECT_EQ(control.recorderAccessibilityValue(), "None");
}

TEST_F(ShortcutRecorderTest, ACombinationAnotherAppHoldsIsRefusedAndTheOldOneStays) {
    ASSERT_TRUE(env.session.registerHotKeyInOtherApplication(kKeyO, 0x1900));
    OverviewShortcutControl control(*shortcut);
    shortcut->beginRecording();
    EXPECT_TRUE(capture(key(kKeyO, kControlOptionCommand)));
    EXPECT_EQ(control.errorLine(), "That shortcut is already in use. Choose another combination.");
    EXPECT_EQ(shortcut->shortcut.get(), OverviewShortcut::defaultShortcut);
    EXPECT_TRUE(registered(OverviewShortcut::defaultShortcut));
}

TEST_F(ShortcutRecorderTest, WithoutRecordingFocusOrShortcutObjectKeysAreNotConsumed) {
    EXPECT_FALSE(capture(key(keys::kDelete)));
    EXPECT_EQ(shortcut->shortcut.get(), OverviewShortcut::defaultShortcut);

    shortcut->beginRecording();
    EXPECT_FALSE(ShortcutKeyCapture::capture(shortcut.get(), false, key(keys::kDelete)));
    EXPECT_TRUE(shortcut->isRecording.get());
    EXPECT_FALSE(ShortcutKeyCapture::capture(nullptr, true, key(keys::kDelete)));
}

TEST_F(ShortcutRecorderTest, ClearIsEnabledWithAShortcutOrWhileRecording) {
    OverviewShortcutControl control(*shortcut);
    EXPECT_TRUE(control.clearEnabled());
    EXPECT_EQ(control.helpText(), OverviewShortcutControl::kIdleHelp);
    EXPECT_EQ(control.recorderAccessibilityValue(), "\u2303\u2325\u2318W");

    control.clear();
    EXPECT_EQ(shortcut->shortcut.get(), std::nullopt);
    EXPECT_FALSE(control.clearEnabled());

    shortcut->beginRecording();
    EXPECT_TRUE(control.clearEnabled());
    EXPECT_EQ(control.helpText(), OverviewShortcutControl::kRecordingHelp);
    EXPECT_EQ(control.recorderAccessibilityValue(), "None");

    control.useDefault();
    EXPECT_FALSE(shortcut->isRecording.get());
    EXPECT_TRUE(registered(OverviewShortcut::defaultShortcut));
    EXPECT_EQ(control.recorderTitle(), "\u2303\u2325\u2318W");
}

TEST_F(ShortcutRecorderTest, TheTitleFollowsTheKeyboardLayout) {
    OverviewShortcutControl control(*shortcut);
    ASSERT_TRUE(shortcut->use(OverviewShortcut{16, 0x1100}));  // the key in the ANSI "Y" position
    EXPECT_EQ(control.recorderTitle(), "\u2303\u2318Y");
    ASSERT_TRUE(env.session.selectKeyboardLayout("com.apple.keylayout.German"));
    env.settle();
    EXPECT_EQ(control.recorderTitle(), "\u2303\u2318Z");
}

}  // namespace
}  // namespace tarnwick
