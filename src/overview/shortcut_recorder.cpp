#include "overview/shortcut_recorder.h"

#include "overview/overview_shortcut_control.h"
#include "overview/shortcut_key_capture.h"
#include "platform/notifications.h"
#include "platform/platform.h"
#include "platform/ui/panel.h"

namespace tarnwick {

namespace ui = platform::ui;
namespace names = platform::notification_names;

void ShortcutRecorderButton::cancelRecording() {
    if (auto* s = shortcut.get()) s->cancelRecording();
}

void ShortcutRecorderButton::begin() {
    ui::Panel* panel = window();
    if (!panel || !panel->makeFirstResponder(this)) return;
    // Ignored while a recording already runs.
    if (auto* s = shortcut.get()) s->beginRecording();
}

void ShortcutRecorderButton::viewDidMoveToWindow() {
    Button::viewDidMoveToWindow();
    windowObservers_.clear();
    cancelRecording();
    ui::Panel* panel = window();
    if (!panel) return;
    auto& center = *platform::current().notificationCenter;
    std::weak_ptr<View> self = weak_from_this();
    const auto cancel = [self](const platform::Notification&) {
        if (auto button = self.lock()) static_cast<ShortcutRecorderButton&>(*button).cancelRecording();
    };
    windowObservers_.push_back(center.addObserver(names::kWindowDidResignKey, panel, cancel));
    windowObservers_.push_back(center.addObserver(names::kWindowWillClose, panel, cancel));
}

bool ShortcutRecorderButton::resignFirstResponder() {
    cancelRecording();
    return Button::resignFirstResponder();
}

bool ShortcutRecorderButton::capture(const platform::KeyEvent& event) {
    ui::Panel* panel = window();
    const bool holdsKeyFocus = panel && panel->firstResponder() == this;
    return ShortcutKeyCapture::capture(shortcut.get(), holdsKeyFocus, event);
}

bool ShortcutRecorderButton::keyDown(const platform::KeyEvent& event) {
    if (capture(event)) return true;
    return Button::keyDown(event);
}

bool ShortcutRecorderButton::performKeyEquivalent(const platform::KeyEvent& event) {
    if (capture(event)) return true;
    return Button::performKeyEquivalent(event);
}

std::shared_ptr<ui::View> ShortcutRecorder::makeView() const {
    auto button = std::make_shared<ShortcutRecorderButton>();
    button->shortcut = shortcut;
    std::weak_ptr<ShortcutRecorderButton> weakButton = button;
    button->action = [weakButton] {
        if (auto self = weakButton.lock()) self->begin();
    };
    button->bezelStyle = ui::BezelStyle::rounded;
    button->font = ui::Font::monospacedSystem(kFontSize, ui::font_weight::kMedium);
    button->accessibilityLabel = OverviewShortcutControl::kRecorderAccessibilityLabel;
    return button;
}

void ShortcutRecorder::updateView(ui::View& view) const {
    auto& button = static_cast<ShortcutRecorderButton&>(view);
    auto* s = shortcut.get();
    if (!s) return;
    const OverviewShortcutControl control(*s);
    button.title = control.recorderTitle();
    button.accessibilityValue = control.recorderAccessibilityValue();
    button.accessibilityHelp = OverviewShortcutControl::kRecorderAccessibilityHelp;
}

void ShortcutRecorder::dismantleView(ui::View& view) const {
    if (auto* s = static_cast<ShortcutRecorderButton&>(view).shortcut.get()) s->cancelRecording();
}

}  // namespace tarnwick
