#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/hot_keys.h"

namespace tarnwick::platform {

namespace key_translate {
inline constexpr std::uint16_t kActionDown = 0;
inline constexpr std::uint16_t kActionUp = 1;
inline constexpr std::uint16_t kActionAutoKey = 2;
inline constexpr std::uint16_t kActionDisplay = 3;
// Option bit: dead keys give their own character instead of waiting for the next key.
inline constexpr std::uint32_t kNoDeadKeysMask = 1;
inline constexpr OSStatus kOutputBufferTooSmall = -25340;
}  // namespace key_translate

// Opaque references; a zero id is no reference.
struct InputSourceRef {
    std::uint64_t id = 0;
};
struct KeyLayoutRef {
    std::uint64_t id = 0;
};

// The keyboard layouts of the text input sources and key translation through them. The
// selection changes with the user's choice; the default notification centre posts
// kKeyboardSelectionDidChange when it does.
class KeyboardLayouts {
public:
    virtual ~KeyboardLayouts() = default;
    // The keyboard layout in use; nothing when there is none.
    virtual std::optional<InputSourceRef> copyCurrentKeyboardLayoutInputSource() = 0;
    // The source's Unicode key-layout data; nothing when it has none.
    virtual std::optional<KeyLayoutRef> unicodeKeyLayoutData(InputSourceRef source) = 0;
    // The type of the keyboard in use.
    virtual std::uint32_t keyboardType() = 0;
    // The characters a key produces: at most `maxLength` UTF-16 units into `characters`.
    virtual OSStatus keyTranslate(KeyLayoutRef layout, std::uint16_t keyCode, std::uint16_t keyAction,
                                  std::uint32_t modifierKeyState, std::uint32_t keyboardType,
                                  std::uint32_t options, std::uint32_t& deadKeyState, std::size_t maxLength,
                                  std::u16string& characters) = 0;
};

}  // namespace tarnwick::platform
