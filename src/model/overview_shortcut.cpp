#include "model/overview_shortcut.h"

#include <optional>

#include "platform/hot_keys.h"
#include "platform/platform.h"
#include "support/text.h"

namespace tarnwick {

namespace {

namespace carbon = platform::carbon;
namespace flags = platform::modifier_flags;
namespace translate = platform::key_translate;

constexpr std::uint32_t kMaximumKeyCode = 127;
constexpr std::uint32_t kFirstModifierKey = 54;  // right command ... function
constexpr std::uint32_t kLastModifierKey = 63;
constexpr std::size_t kMaximumTranslationLength = 8;
constexpr char32_t kFunctionKeyBase = 0xF703;  // F1 is U+F704

const char* fixedKeyName(std::uint32_t keyCode) {
    switch (keyCode) {
    case 36: return "\u21A9";  // Return
    case 48: return "\u21E5";  // Tab
    case 49: return "Space";
    case 51: return "\u232B";  // Delete
    case 53: return "\u238B";  // Escape
    case 76: return "\u2305";  // keypad Enter
    case 114: return "Help";
    case 115: return "\u2196";  // Home
    case 116: return "\u21DE";  // Page Up
    case 117: return "\u2326";  // Forward Delete
    case 119: return "\u2198";  // End
    case 121: return "\u21DF";  // Page Down
    case 123: return "\u2190";
    case 124: return "\u2192";
    case 125: return "\u2193";
    case 126: return "\u2191";
    case 122: return "F1";
    case 120: return "F2";
    case 99: return "F3";
    case 118: return "F4";
    case 96: return "F5";
    case 97: return "F6";
    case 98: return "F7";
    case 100: return "F8";
    case 101: return "F9";
    case 109: return "F10";
    case 103: return "F11";
    case 111: return "F12";
    case 105: return "F13";
    case 107: return "F14";
    case 113: return "F15";
    case 106: return "F16";
    case 64: return "F17";
    case 79: return "F18";
    case 80: return "F19";
    case 90: return "F20";
    default: return nullptr;
    }
}

std::optional<char32_t> fixedMenuCharacter(std::uint32_t keyCode) {
    switch (keyCode) {
    case 36: return U'\r';
    case 48: return U'\t';
    case 49: return U' ';
    case 51: return U'\b';
    case 53: return U'\x1B';
    case 76: return U'\x03';
    case 114: return U'\uF746';  // Help
    case 115: return U'\uF729';  // Home
    case 116: return U'\uF72C';  // Page Up
    case 117: return U'\uF728';  // Forward Delete
    case 119: return U'\uF72B';  // End
    case 121: return U'\uF72D';  // Page Down
    case 123: return U'\uF702';
    case 124: return U'\uF703';
    case 125: return U'\uF701';
    case 126: return U'\uF700';
    default: return std::nullopt;
    }
}

// What the current keyboard layout types on the key without modifiers; nothing when there is
// no layout, no layout data, an error or no characters.
std::optional<std::string> layoutKeyName(std::uint32_t keyCode) {
    if (keyCode > 0xFFFF) return std::nullopt;
    auto& layouts = *platform::current().keyboardLayouts;
    auto source = layouts.copyCurrentKeyboardLayoutInputSource();
    if (!source) return std::nullopt;
    auto data = layouts.unicodeKeyLayoutData(*source);
    if (!data) return std::nullopt;
    std::uint32_t deadKeyState = 0;
    std::u16string characters;
    auto status = layouts.keyTranslate(*data, static_cast<std::uint16_t>(keyCode), translate::kActionDisplay, 0,
                                       layouts.keyboardType(), translate::kNoDeadKeysMask, deadKeyState,
                                       kMaximumTranslationLength, characters);
    if (status != carbon::kNoErr || characters.empty()) return std::nullopt;
    return text::fromUTF16(characters);
}

// "F1" ... "F20": the number after the "F".
std::optional<int> functionKeyNumber(const std::string& name) {
    if (name.size() < 2 || name[0] != 'F') return std::nullopt;
    int n = 0;
    for (size_t i = 1; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return std::nullopt;
        n = n * 10 + (name[i] - '0');
        if (n > 20) return std::nullopt;
    }
    if (n < 1) return std::nullopt;
    return n;
}

}  // namespace

bool OverviewShortcut::isValid() const {
    if (keyCode > kMaximumKeyCode) return false;
    if (keyCode >= kFirstModifierKey && keyCode <= kLastModifierKey) return false;
    if (modifiers & ~modifierMask) return false;
    return (modifiers & (carbon::kControlKey | carbon::kCmdKey)) != 0;
}

OverviewShortcut OverviewShortcut::recorded(std::uint16_t keyCode, platform::ModifierFlags eventFlags) {
    std::uint32_t modifiers = 0;
    if (eventFlags & flags::kControl) modifiers |= carbon::kControlKey;
    if (eventFlags & flags::kOption) modifiers |= carbon::kOptionKey;
    if (eventFlags & flags::kShift) modifiers |= carbon::kShiftKey;
    if (eventFlags & flags::kCommand) modifiers |= carbon::kCmdKey;
    return OverviewShortcut{keyCode, modifiers};
}

platform::ModifierFlags OverviewShortcut::eventModifiers() const {
    platform::ModifierFlags result = 0;
    if (modifiers & carbon::kControlKey) result |= flags::kControl;
    if (modifiers & carbon::kOptionKey) result |= flags::kOption;
    if (modifiers & carbon::kShiftKey) result |= flags::kShift;
    if (modifiers & carbon::kCmdKey) result |= flags::kCommand;
    return result;
}

std::string OverviewShortcut::displayName() const {
    std::string name;
    if (modifiers & carbon::kControlKey) name += "\u2303";
    if (modifiers & carbon::kOptionKey) name += "\u2325";
    if (modifiers & carbon::kShiftKey) name += "\u21E7";
    if (modifiers & carbon::kCmdKey) name += "\u2318";
    return name + text::uppercased(keyName());
}

std::string OverviewShortcut::keyName() const {
    if (const char* fixed = fixedKeyName(keyCode)) return fixed;
    if (auto typed = layoutKeyName(keyCode)) return *typed;
    return "Key " + std::to_string(keyCode);
}

std::string OverviewShortcut::menuEquivalent() const {
    if (auto fixed = fixedMenuCharacter(keyCode)) return text::fromScalar(*fixed);
    const std::string name = keyName();
    if (auto n = functionKeyNumber(name)) return text::fromScalar(kFunctionKeyBase + static_cast<char32_t>(*n));
    if (text::characterCount(name) == 1) return text::lowercased(name);
    return "";
}

}  // namespace tarnwick
