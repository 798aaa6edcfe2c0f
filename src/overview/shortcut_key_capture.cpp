#include "overview/shortcut_key_capture.h"

namespace tarnwick {

ShortcutKeyCapture ShortcutKeyCapture::decide(bool recording, bool holdsKeyFocus, const platform::KeyEvent& event) {
    namespace keys = platform::key_codes;
    if (!recording || !holdsKeyFocus) return {Kind::passOn, {}};
    if (event.isRepeat) return {Kind::swallow, {}};
    const OverviewShortcut candidate = OverviewShortcut::recorded(event.keyCode, event.modifierFlags);
    // Only bare keys are commands, so Command-Escape can be recorded and Shift-Escape is refused.
    if (candidate.modifiers == 0) {
        if (candidate.keyCode == keys::kEscape) return {Kind::cancel, candidate};
        if (candidate.keyCode == keys::kDelete || candidate.keyCode == keys::kForwardDelete)
            return {Kind::clear, candidate};
    }
    return {candidate.isValid() ? Kind::record : Kind::refuse, candidate};
}

bool ShortcutKeyCapture::capture(GlobalOverviewShortcut* shortcut, bool holdsKeyFocus,
                                 const platform::KeyEvent& event) {
    if (!shortcut) return false;
    const ShortcutKeyCapture decision = decide(shortcut->isRecording.get(), holdsKeyFocus, event);
    switch (decision.kind) {
        case Kind::passOn:
        case Kind::swallow:
            break;
        case Kind::cancel:
            shortcut->cancelRecording();
            break;
        case Kind::clear:
            shortcut->use(std::nullopt);
            break;
        case Kind::record:
            shortcut->use(decision.candidate);
            break;
        case Kind::refuse:
            shortcut->rejectRecording();
            break;
    }
    return decision.consumed();
}

}  // namespace tarnwick
