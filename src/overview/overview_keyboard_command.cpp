#include "overview/overview_keyboard_command.h"

namespace tarnwick {

std::optional<OverviewKeyboardCommand> keyboardCommand(const platform::KeyEvent& event) {
    namespace flags = platform::modifier_flags;
    namespace keys = platform::key_codes;
    if (event.modifierFlags & (flags::kControl | flags::kOption | flags::kCommand)) return std::nullopt;
    switch (event.keyCode) {
        case keys::kReturn:
        case keys::kKeypadEnter:
        case keys::kSpace:
            return OverviewKeyboardCommand::activate();
        case keys::kTab:
            return OverviewKeyboardCommand::advance((event.modifierFlags & flags::kShift) != 0);
        case keys::kEscape:
            return OverviewKeyboardCommand::cancel();
        default:
            return std::nullopt;
    }
}

}  // namespace tarnwick
