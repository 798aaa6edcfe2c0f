#pragma once

// Key events as the window server hands them to a text field: the virtual key code, the
// characters the key types (the function-key characters for the arrows and forward Delete) and
// the modifiers held.

#include <cstdint>
#include <string>
#include <utility>

#include "platform/key_event.h"

namespace tarnwick::testkit::field_keys {

inline platform::KeyEvent key(std::uint16_t code, std::string characters = {},
                              platform::ModifierFlags modifiers = 0) {
    return platform::KeyEvent{code, std::move(characters), modifiers};
}
// A key that types its characters and nothing else.
inline platform::KeyEvent typed(std::string characters) { return key(0, std::move(characters)); }

inline platform::KeyEvent left(platform::ModifierFlags modifiers = 0) {
    return key(platform::key_codes::kLeftArrow, "\xEF\x9C\x82", modifiers);
}
inline platform::KeyEvent right(platform::ModifierFlags modifiers = 0) {
    return key(platform::key_codes::kRightArrow, "\xEF\x9C\x83", modifiers);
}
inline platform::KeyEvent up(platform::ModifierFlags modifiers = 0) {
    return key(platform::key_codes::kUpArrow, "\xEF\x9C\x80", modifiers);
}
inline platform::KeyEvent down(platform::ModifierFlags modifiers = 0) {
    return key(platform::key_codes::kDownArrow, "\xEF\x9C\x81", modifiers);
}
inline platform::KeyEvent backspace(platform::ModifierFlags modifiers = 0) {
    return key(platform::key_codes::kDelete, "\x7f", modifiers);
}
inline platform::KeyEvent forwardDelete(platform::ModifierFlags modifiers = 0) {
    return key(platform::key_codes::kForwardDelete, "\xEF\x9C\xA8", modifiers);
}

inline const platform::KeyEvent kLeft = left();
inline const platform::KeyEvent kRight = right();
inline const platform::KeyEvent kUp = up();
inline const platform::KeyEvent kDown = down();
inline const platform::KeyEvent kDelete = backspace();
inline const platform::KeyEvent kForwardDelete = forwardDelete();

}  // namespace tarnwick::testkit::field_keys
