#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/event_modifier_flags.h"
#include "platform/key_event.h"

namespace tarnwick::sim {

struct SimKeyboardLayout;

// A key with the modifiers held while it is pressed, as the console's `keys` names it.
struct KeyCombination {
    std::uint16_t keyCode = 0;
    platform::ModifierFlags flags = 0;  // as a key event carries them
    std::string characters;             // what the key types (UTF-8)
};

// Reads "ctrl-opt-cmd-w", "cmd-r", "shift-tab", "return": modifiers (ctrl or control, opt or
// alt or option, cmd or command, shift), each followed by "-", then one key: a character of the
// keyboard layout (found on the key that types it) or a named key (return, enter, escape, tab,
// space, delete, forward-delete, left, right, up, down). Throws Error with a sentence saying
// what was wrong.
KeyCombination parseKeyCombination(std::string_view text, const SimKeyboardLayout& layout);

}  // namespace tarnwick::sim
