// The user's side of the keyboard beyond key presses: another application taking a hot key, and
// choosing a keyboard layout.

#include "platform/sim/sim_hot_keys.h"
#include "platform/sim/sim_keyboard_layouts.h"
#include "platform/sim/simulated_session.h"

namespace tarnwick::sim {

namespace names = platform::notification_names;

bool SimulatedSession::registerHotKeyInOtherApplication(std::uint32_t keyCode, std::uint32_t modifiers,
                                                        std::string application) {
    return hotKeys_->registerForOtherApplication(keyCode, modifiers, std::move(application));
}

bool SimulatedSession::selectKeyboardLayout(const std::string& layoutID) {
    if (!keyboardLayouts_->layout(layoutID) || keyboardLayouts_->current == layoutID) return false;
    keyboardLayouts_->current = layoutID;
    notificationCenter_->post(names::kKeyboardSelectionDidChange);
    return true;
}

}  // namespace tarnwick::sim
