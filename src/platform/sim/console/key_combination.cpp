#include "platform/sim/console/key_combination.h"

#include <map>
#include <vector>

#include "platform/hot_keys.h"
#include "platform/sim/console/command_words.h"
#include "platform/sim/sim_keyboard_layouts.h"
#include "support/error.h"
#include "support/text.h"

namespace tarnwick::sim {

namespace flags = platform::modifier_flags;
namespace codes = platform::key_codes;

namespace {

struct NamedKey {
    std::uint16_t code;
    const char* characters;
};

const std::map<std::string, NamedKey>& namedKeys() {
    static const std::map<std::string, NamedKey> keys = {
        {"return", {codes::kReturn, "\r"}},
        {"enter", {codes::kKeypadEnter, "\x03"}},
        {"escape", {codes::kEscape, "\x1b"}},
        {"tab", {codes::kTab, "\t"}},
        {"space", {codes::kSpace, " "}},
        {"delete", {codes::kDelete, "\x7f"}},
        {"forward-delete", {codes::kForwardDelete, "\xEF\x9C\xA8"}},  // U+F728
        {"left", {123, "\xEF\x9C\x82"}},                              // U+F702
        {"right", {124, "\xEF\x9C\x83"}},                             // U+F703
        {"down", {125, "\xEF\x9C\x81"}},                              // U+F701
        {"up", {126, "\xEF\x9C\x80"}},                                // U+F700
    };
    return keys;
}

const std::map<std::string, platform::ModifierFlags>& modifiers() {
    static const std::map<std::string, platform::ModifierFlags> names = {
        {"ctrl", flags::kControl},
        {"control", flags::kControl},
        {"opt", flags::kOption},
        {"alt", flags::kOption},
        {"option", flags::kOption},
        {"cmd", flags::kCommand},
        {"command", flags::kCommand},
        {"shift", flags::kShift},
    };
    return names;
}

// The modifier as the keyboard's key is called.
std::string modifierName(platform::ModifierFlags flag) {
    if (flag == flags::kControl) return "Control";
    if (flag == flags::kOption) return "Option";
    if (flag == flags::kCommand) return "Command";
    return "Shift";
}

// Key codes from here on are the numeric keypad's.
constexpr std::uint16_t kFirstKeypadKey = 65;

const char* const kUsage = "name a key with its modifiers, as in keys ctrl-opt-cmd-w, keys cmd-r or keys return";

}  // namespace

KeyCombination parseKeyCombination(std::string_view text, const SimKeyboardLayout& layout) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t dash = text.find('-', start);
        // A dash that is the last character is the key itself ("cmd--").
        if (dash == std::string_view::npos || dash + 1 == text.size()) {
            parts.emplace_back(text.substr(start));
            break;
        }
        parts.emplace_back(text.substr(start, dash - start));
        start = dash + 1;
    }
    // "forward-delete" is one key name.
    if (parts.size() >= 2 && parts[parts.size() - 2] == "forward" && parts.back() == "delete") {
        parts.pop_back();
        parts.back() = "forward-delete";
    }
    if (parts.empty() || parts.back().empty()) throw Error(std::string("The combination names no key; ") + kUsage + ".");

    KeyCombination combination;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        // "--" or "-a": a dash with nothing before it joins no modifier to the key.
        if (parts[i].empty())
            throw Error(quotedText(text) + " is no key combination: a modifier (ctrl, opt, cmd or shift) stands "
                        "before each \"-\"; to press the - key alone, type keys -.");
        auto modifier = modifiers().find(text::lowercased(parts[i]));
        if (modifier == modifiers().end())
            throw Error(quotedText(parts[i]) + " is no modifier key (ctrl, opt, cmd or shift); " + kUsage + ".");
        // "ctrl-ctrl-k" or "ctrl-control-k" is a slip, not a key with Control held harder.
        if (combination.flags & modifier->second)
            throw Error(quotedText(text) + " names the " + modifierName(modifier->second) +
                        " key twice; name each modifier once, as in keys ctrl-opt-cmd-w.");
        combination.flags |= modifier->second;
    }

    const std::string& key = parts.back();
    if (auto named = namedKeys().find(text::lowercased(key)); named != namedKeys().end() && text::characterCount(key) > 1) {
        combination.keyCode = named->second.code;
        combination.characters = named->second.characters;
        // Space types the layout's character with its modifiers (Option-Space a no-break space).
        if (combination.keyCode == codes::kSpace) combination.characters = layout.typedCharacters(codes::kSpace, combination.flags);
        return combination;
    }
    if (text::characterCount(key) != 1) throw Error(quotedText(key) + " is no key; " + kUsage + ".");
    const std::string noKey = "No key types " + quotedText(key) + " on the " + layout.name + " keyboard layout; " + kUsage + ".";
    // The key that types the character on the layout, the main keys before the keypad's: with
    // modifiers named, the key types what it types with them (with Shift, Option or both, where
    // neither Command nor Control is held, its Option layers').
    for (const auto& [code, typed] : layout.keys) {
        if (code >= kFirstKeypadKey || text::fromUTF16(typed) != key) continue;
        combination.keyCode = code;
        combination.characters = layout.typedCharacters(code, combination.flags);
        return combination;
    }
    // Else the key that types it with Shift ("!" is Shift and the 1 key, "A" Shift and the A
    // key), then with Option ("å" is Option and the A key) and with Shift and Option. A
    // character that merely upper-cases like a key's (the Kelvin sign, "ẞ") is none, and the
    // accent of a dead key is typed with the key after it, so it names no key.
    for (const platform::ModifierFlags layer : {flags::kShift, flags::kOption, flags::kShift | flags::kOption}) {
        for (const auto& [code, typed] : layout.keys) {
            if (code >= kFirstKeypadKey || layout.deadAccent(code, layer) || layout.typedCharacters(code, layer) != key)
                continue;
            combination.keyCode = code;
            combination.flags |= layer;
            combination.characters = layout.typedCharacters(code, combination.flags);
            return combination;
        }
    }
    throw Error(noKey);
}

}  // namespace tarnwick::sim
