#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "support/value.h"

namespace tarnwick::platform {

using OSStatus = std::int32_t;

// Four-character codes as the event manager spells them ('keyb' is 0x6B657962).
constexpr std::uint32_t fourCharCode(const char (&code)[5]) {
    return (static_cast<std::uint32_t>(static_cast<unsigned char>(code[0])) << 24) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(code[1])) << 16) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(code[2])) << 8) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(code[3]));
}

namespace carbon {
inline constexpr OSStatus kNoErr = 0;
inline constexpr OSStatus kParamErr = -50;
inline constexpr OSStatus kEventParameterNotFoundErr = -9870;
inline constexpr OSStatus kEventNotHandledErr = -9874;
inline constexpr OSStatus kEventHotKeyExistsErr = -9878;
inline constexpr OSStatus kEventHotKeyInvalidErr = -9879;

inline constexpr std::uint32_t kEventClassKeyboard = fourCharCode("keyb");
inline constexpr std::uint32_t kEventHotKeyPressed = 5;
inline constexpr std::uint32_t kEventHotKeyReleased = 6;
inline constexpr std::uint32_t kEventParamDirectObject = fourCharCode("----");
inline constexpr std::uint32_t kTypeEventHotKeyID = fourCharCode("hkid");
// Registration option: fail when the combination is already taken.
inline constexpr std::uint32_t kEventHotKeyExclusive = 1;

// Modifier bits of a hot-key combination.
inline constexpr std::uint32_t kCmdKey = 0x100;
inline constexpr std::uint32_t kShiftKey = 0x200;
inline constexpr std::uint32_t kOptionKey = 0x800;
inline constexpr std::uint32_t kControlKey = 0x1000;
}  // namespace carbon

// Keys of one entry of the system's own (symbolic) hot keys.
namespace symbolic_hot_key {
inline constexpr const char* kEnabled = "kHISymbolicHotKeyEnabled";
inline constexpr const char* kCode = "kHISymbolicHotKeyCode";
inline constexpr const char* kModifiers = "kHISymbolicHotKeyModifiers";
}  // namespace symbolic_hot_key

struct EventHotKeyID {
    std::uint32_t signature = 0;
    std::uint32_t id = 0;
    friend bool operator==(const EventHotKeyID&, const EventHotKeyID&) = default;
};

struct EventTypeSpec {
    std::uint32_t eventClass = 0;
    std::uint32_t eventKind = 0;
};

// Opaque references; a zero id is no reference.
struct EventTargetRef {
    std::uint64_t id = 0;
    explicit operator bool() const { return id != 0; }
    friend bool operator==(const EventTargetRef&, const EventTargetRef&) = default;
};
struct EventHandlerRef {
    std::uint64_t id = 0;
    explicit operator bool() const { return id != 0; }
    friend bool operator==(const EventHandlerRef&, const EventHandlerRef&) = default;
};
struct EventHotKeyRef {
    std::uint64_t id = 0;
    explicit operator bool() const { return id != 0; }
    friend bool operator==(const EventHotKeyRef&, const EventHotKeyRef&) = default;
};
struct EventRef {
    std::uint64_t id = 0;
    explicit operator bool() const { return id != 0; }
};

// An event handler: called on the main thread with the user data it was installed with. It
// returns kEventNotHandledErr to pass the event on to the next handler.
using EventHandlerProc = OSStatus (*)(EventRef event, void* userData);

// System-wide hot keys through the event manager, and the system's own keyboard shortcuts.
class HotKeys {
public:
    virtual ~HotKeys() = default;
    virtual EventTargetRef applicationEventTarget() = 0;
    // The user data is not retained: it must stay valid until the handler is removed.
    virtual OSStatus installEventHandler(EventTargetRef target, EventHandlerProc handler,
                                         const std::vector<EventTypeSpec>& types, void* userData,
                                         EventHandlerRef& handlerRef) = 0;
    virtual OSStatus removeEventHandler(EventHandlerRef handlerRef) = 0;
    // Pressed and released events of the combination go to the target's handlers, carrying `id`.
    virtual OSStatus registerEventHotKey(std::uint32_t keyCode, std::uint32_t modifiers, EventHotKeyID id,
                                         EventTargetRef target, std::uint32_t options, EventHotKeyRef& hotKeyRef) = 0;
    virtual OSStatus unregisterEventHotKey(EventHotKeyRef hotKeyRef) = 0;
    // Reads an event parameter of type kTypeEventHotKeyID.
    virtual OSStatus getEventParameter(EventRef event, std::uint32_t name, std::uint32_t type,
                                       EventHotKeyID& value) = 0;
    virtual std::uint32_t getEventKind(EventRef event) = 0;
    // The system's keyboard shortcuts: an array of dictionaries (symbolic_hot_key keys).
    virtual OSStatus copySymbolicHotKeys(std::optional<Value>& hotKeys) = 0;
};

}  // namespace tarnwick::platform
