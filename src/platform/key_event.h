#pragma once

#include <cstdint>
#include <string>

#include "platform/event_modifier_flags.h"

namespace tarnwick::platform {

// Virtual key codes of the keys the system reacts to; they name positions on the keyboard, so
// they do not depend on the keyboard layout.
namespace key_codes {
inline constexpr std::uint16_t kReturn = 36;
inline constexpr std::uint16_t kTab = 48;
inline constexpr std::uint16_t kSpace = 49;
inline constexpr std::uint16_t kDelete = 51;
inline constexpr std::uint16_t kEscape = 53;
inline constexpr std::uint16_t kKeypadEnter = 76;
inline constexpr std::uint16_t kForwardDelete = 117;
inline constexpr std::uint16_t kLeftArrow = 123;
inline constexpr std::uint16_t kRightArrow = 124;
inline constexpr std::uint16_t kDownArrow = 125;
inline constexpr std::uint16_t kUpArrow = 126;
}  // namespace key_codes

// One key press as a window hands it to the view that has keyboard focus.
struct KeyEvent {
    std::uint16_t keyCode = 0;
    std::string characters;  // what the key types with its modifiers, UTF-8
    ModifierFlags modifierFlags = 0;
    // Sent again because the key is held down.
    bool isRepeat = false;

    friend bool operator==(const KeyEvent&, const KeyEvent&) = default;
};

}  // namespace tarnwick::platform
