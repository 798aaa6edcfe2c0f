// The recorder button in its control, hosted in a window, worked with the pointer and keys.

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "overview/overview_shortcut_control.h"
#include "overview/shortcut_recorder.h"
#include "platform/sim/sim_hot_keys.h"
#include "platform/sim/ui/sim_window_system.h"
#include "platform/ui/declarative/hosting_view.h"
#include "platform/ui/panel.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
namespace flags = platform::modifier_flags;
namespace keys = platform::key_codes;
using Control = OverviewShortcutControl;

constexpr std::uint16_t kKeyO = 31;
constexpr std::uint16_t kKeyA = 0;
constexpr const char* kInclude = "Include Command or Control with your shortcut.";

class RecorderViewTest : public ::testing::Test {
protected:
    RecorderViewTest() {
        env.session.loadDefaultSession();
        shortcut.start([this] { ++actions; });
        shortcut.setSuspended(false);
        hosting = std::make_shared<ui::HostingView>(std::make_unique<Control::Standalone>(shortcut));
        window.setContentView(hosting);
        window.makeKeyAndOrderFront();
        hosting->layoutSubtreeIfNeeded();
        platform::current().application->activate(false);
        env.settle();
    }

    ShortcutRecorderButton* recorder() {
        hosting->host().renderIfNeeded();
        for (auto& view : hosting->subviews())
            if (auto* button = dynamic_cast<ShortcutRecorderButton*>(view.get())) return button;
        return nullptr;
    }
    Point centreOf(ui::View& view) {
        const Rect inScreen = window.convertToScreen(view.convertToWindow(view.bounds()));
        return Point{inScreen.midX(), inScreen.midY()};
    }
    void clickRecorder() { env.session.windowSystem().click(centreOf(*recorder())); }
    void press(std::uint16_t code, platform::ModifierFlags modifiers = 0) {
        env.session.pressKeys(code, modifiers);
        env.settle();
        hosting->host().renderIfNeeded();
    }
    bool shows(const std::string& text) { return hosting->host().findText(text) != nullptr; }
    bool registered(const OverviewShortcut& s) {
        auto list = env.session.hotKeys().ownRegistrations();
        return list.size() == 1 && list[0].keyCode == s.keyCode && list[0].modifiers == s.modifiers;
    }

    testkit::TestEnvironment env;
    GlobalOverviewShortcut shortcut{OverviewShortcutStore(env.session.defaults())};
    int actions = 0;
    ui::Panel window{Rect(200, 200, 460, 120), ui::style_mask::kTitled};
    std::shared_ptr<ui::HostingView> hosting;
};

TEST_F(RecorderViewTest, TheControlShowsItsRowsAndTheRecorderItsTitleAndAccessibilityTexts) {
    ASSERT_TRUE(recorder());
    EXPECT_EQ(recorder()->title, "\u2303\u2325\u2318W");
    EXPECT_EQ(recorder()->font, ui::Font::monospacedSystem(13, ui::font_weight::kMedium));
    EXPECT_EQ(recorder()->frame().size, (Size{150, 26}));
    EXPECT_EQ(recorder()->accessibilityLabel, "Workstation Overview keyboard shortcut");
    EXPECT_EQ(recorder()->accessibilityValue, "\u2303\u2325\u2318W");
    EXPECT_EQ(recorder()->accessibilityHelp, Control::kRecorderAccessibilityHelp);
    EXPECT_TRUE(shows("Keyboard shortcut"));
    EXPECT_TRUE(shows(Control::kIdleHelp));
    EXPECT_TRUE(shows("Use default"));
    for (const char* title : {"Clear", "Use default"}) {  // the primary colour, never the accent
        const ui::Node* button = hosting->host().findText(title)->parent();
        ASSERT_TRUE(button && button->tint()) << title;
        EXPECT_EQ(*button->tint(), ui::Color::label()) << title;
    }
    ASSERT_TRUE(hosting->host().click(*hosting->host().findText("Clear")));
    hosting->host().renderIfNeeded();
    EXPECT_EQ(recorder()->title, "Record shortcut\u2026");
    EXPECT_EQ(recorder()->accessibilityValue, "None");
    EXPECT_FALSE(hosting->host().click(*hosting->host().findText("Clear")));  // disabled now
    EXPECT_TRUE(env.session.hotKeys().ownRegistrations().empty());

    // Clicked, it records: "Clear" comes back although there is no shortcut.
    clickRecorder();
    hosting->host().renderIfNeeded();
    EXPECT_TRUE(shortcut.isRecording.get());
    EXPECT_EQ(window.firstResponder(), recorder());
    EXPECT_EQ(recorder()->title, "Press shortcut\u2026");
    EXPECT_TRUE(shows(Control::kRecordingHelp));
    clickRecorder();  // clicking again changes nothing
    EXPECT_TRUE(shortcut.isRecording.get());
    ASSERT_TRUE(hosting->host().click(*hosting->host().findText("Use default")));
    hosting->host().renderIfNeeded();
    EXPECT_FALSE(shortcut.isRecording.get());
    EXPECT_TRUE(registered(OverviewShortcut::defaultShortcut));

    // A change of keyboard layout renames the key in the title.
    ASSERT_TRUE(shortcut.use(OverviewShortcut{16, 0x1100}));
    hosting->host().renderIfNeeded();
    EXPECT_EQ(recorder()->title, "\u2303\u2318Y");
    ASSERT_TRUE(env.session.selectKeyboardLayout("com.apple.keylayout.German"));
    env.settle();
    hosting->host().renderIfNeeded();
    EXPECT_EQ(recorder()->title, "\u2303\u2318Z");
}

TEST_F(RecorderViewTest, KeysReachTheRecordingAsKeyPressesAndAsKeyEquivalents) {
    clickRecorder();
    press(kKeyA);
    EXPECT_TRUE(shortcut.isRecording.get());
    EXPECT_TRUE(shows(kInclude));
    EXPECT_EQ(recorder()->title, "Press shortcut\u2026");
    press(55, flags::kCommand);  // the Command key itself
    EXPECT_TRUE(shortcut.isRecording.get());
    press(keys::kEscape, flags::kShift);
    EXPECT_TRUE(shortcut.isRecording.get());

    // Command-Escape arrives as a key equivalent and is a valid shortcut.
    press(keys::kEscape, flags::kCommand);
    EXPECT_FALSE(shortcut.isRecording.get());
    EXPECT_TRUE(registered(OverviewShortcut{keys::kEscape, 0x100}));
    EXPECT_FALSE(shows(kInclude));

    // A held key decides once; its repeats are swallowed while the recording runs.
    clickRecorder();
    int errors = 0;
    auto counting = shortcut.error.subscribe([&](const auto&) { ++errors; });
    env.session.keyDown(kKeyA, 0);
    env.session.keyDown(kKeyA, 0);
    env.settle();
    EXPECT_EQ(errors, 1);
    EXPECT_TRUE(env.session.keyPresses.back().event.isRepeat);
    EXPECT_TRUE(env.session.keyPresses.back().consumed);
    env.session.keyUp(kKeyA, 0);
    env.session.keyDown(kKeyO, flags::kControl | flags::kOption);
    env.session.keyDown(kKeyO, flags::kControl | flags::kOption);
    env.settle();
    EXPECT_EQ(shortcut.shortcut.get(), (OverviewShortcut{kKeyO, 0x1800}));
    env.session.keyUp(kKeyO, flags::kControl | flags::kOption);

    clickRecorder();
    press(keys::kEscape);
    EXPECT_FALSE(shortcut.isRecording.get());
    EXPECT_EQ(shortcut.shortcut.get(), (OverviewShortcut{kKeyO, 0x1800}));
    clickRecorder();
    press(keys::kForwardDelete);
    EXPECT_EQ(shortcut.shortcut.get(), std::nullopt);

    // Not recording, keys pass it by.
    press(keys::kDelete);
    EXPECT_FALSE(env.session.keyPresses.back().consumed);
}

TEST_F(RecorderViewTest, ARecordingEndsWhenTheButtonLosesFocusItsWindowOrItsPlace) {
    clickRecorder();
    window.makeFirstResponder(hosting.get());
    EXPECT_FALSE(shortcut.isRecording.get());
    EXPECT_TRUE(registered(OverviewShortcut::defaultShortcut));

    clickRecorder();
    env.session.activateApplication(303);  // the window resigns key
    env.settle();
    EXPECT_FALSE(shortcut.isRecording.get());

    window.makeKeyAndOrderFront();
    clickRecorder();
    window.close();
    env.settle();
    EXPECT_FALSE(shortcut.isRecording.get());

    // Moved to another window: it watches that one alone.
    window.makeKeyAndOrderFront();
    clickRecorder();
    ui::Panel other(Rect(0, 0, 200, 100), ui::style_mask::kTitled);
    auto button = std::static_pointer_cast<ShortcutRecorderButton>(recorder()->shared_from_this());
    other.contentView()->addSubview(button);
    EXPECT_FALSE(shortcut.isRecording.get());
    EXPECT_EQ(button->windowObservers().size(), 2u);
    other.makeKeyAndOrderFront();
    button->begin();
    EXPECT_TRUE(shortcut.isRecording.get());
    window.makeKeyAndOrderFront();  // the other window resigns key
    env.settle();
    EXPECT_FALSE(shortcut.isRecording.get());

    // Leaving the tree ends it too; out of any window it records nothing.
    other.makeKeyAndOrderFront();
    button->begin();
    ShortcutRecorder{shortcut.weak()}.dismantleView(*button);
    EXPECT_FALSE(shortcut.isRecording.get());
    button->removeFromSuperview();
    button->begin();
    EXPECT_FALSE(shortcut.isRecording.get());
}

TEST_F(RecorderViewTest, AWindowThatRefusesTheFocusStartsNoRecording) {
    struct Stubborn : ui::View {
        using View::View;
        bool acceptsFirstResponder() const override { return true; }
        bool resignFirstResponder() override { return false; }
    };
    auto stubborn = std::make_shared<Stubborn>(Rect(0, 0, 10, 10));
    hosting->addSubview(stubborn);
    ASSERT_TRUE(window.makeFirstResponder(stubborn.get()));
    clickRecorder();
    EXPECT_FALSE(shortcut.isRecording.get());
    EXPECT_EQ(window.firstResponder(), stubborn.get());
}

}  // namespace
}  // namespace tarnwick
