#include "platform/ui/menu_key_equivalent.h"

#include <optional>

#include "support/text.h"

namespace tarnwick::platform::ui {

namespace {

namespace flags = modifier_flags;

// The characters of named keys (the system's function-key codes among them) and their glyphs.
struct NamedKey {
    char32_t character;
    const char* glyph;
};

constexpr NamedKey kNamedKeys[] = {
    {U'\r', "\u21A9"},     {U'\n', "\u21A9"},     {U'\x03', "\u2305"},   // Return, Enter
    {U'\t', "\u21E5"},     {U'\x19', "\u21E4"},                          // Tab, Shift-Tab
    {U' ', "Space"},       {U'\b', "\u232B"},     {U'\x7F', "\u232B"},   // Delete
    {U'\x1B', "\u238B"},                                                 // Escape
    {U'\uF700', "\u2191"}, {U'\uF701', "\u2193"}, {U'\uF702', "\u2190"}, {U'\uF703', "\u2192"},
    {U'\uF728', "\u2326"},                                               // Forward Delete
    {U'\uF729', "\u2196"}, {U'\uF72B', "\u2198"},                        // Home, End
    {U'\uF72C', "\u21DE"}, {U'\uF72D', "\u21DF"},                        // Page Up, Page Down
    {U'\uF746', "Help"},
};

constexpr char32_t kFirstFunctionKey = 0xF704;  // F1
constexpr int kFunctionKeys = 35;               // F1 ... F35
constexpr char32_t kFirstPrivateUse = 0xE000, kLastPrivateUse = 0xF8FF;

// The one character of the equivalent; nothing for an empty or longer one.
std::optional<char32_t> soleCharacter(std::string_view keyEquivalent) {
    const text::WellFormed first = text::wellFormedAt(keyEquivalent, 0);
    if (!first.scalar || first.length != keyEquivalent.size()) return std::nullopt;
    return first.scalar;
}

// The key as a menu draws it; empty when it has no drawing.
std::string keyGlyph(std::string_view keyEquivalent) {
    const auto character = soleCharacter(keyEquivalent);
    if (!character) return text::isValidUTF8(keyEquivalent) ? text::uppercased(keyEquivalent) : std::string();
    for (const auto& named : kNamedKeys)
        if (named.character == *character) return named.glyph;
    if (*character >= kFirstFunctionKey && *character < kFirstFunctionKey + kFunctionKeys)
        return "F" + std::to_string(*character - kFirstFunctionKey + 1);
    if (*character < 0x20 || *character == 0x7F || (*character >= kFirstPrivateUse && *character <= kLastPrivateUse))
        return {};
    return text::uppercased(keyEquivalent);
}

}  // namespace

ModifierFlags keyEquivalentModifiers(std::string_view keyEquivalent, ModifierFlags mask) {
    ModifierFlags modifiers = mask & (flags::kControl | flags::kOption | flags::kShift | flags::kCommand);
    // A letter that has a lower case of its own and is not it is typed with Shift.
    if (soleCharacter(keyEquivalent) && text::lowercased(keyEquivalent) != keyEquivalent) modifiers |= flags::kShift;
    return modifiers;
}

std::string keyEquivalentGlyphs(std::string_view keyEquivalent, ModifierFlags mask) {
    const std::string key = keyGlyph(keyEquivalent);
    if (key.empty()) return {};
    const ModifierFlags modifiers = keyEquivalentModifiers(keyEquivalent, mask);
    std::string glyphs;
    if (modifiers & flags::kControl) glyphs += "\u2303";
    if (modifiers & flags::kOption) glyphs += "\u2325";
    if (modifiers & flags::kShift) glyphs += "\u21E7";
    if (modifiers & flags::kCommand) glyphs += "\u2318";
    return glyphs + key;
}

}  // namespace tarnwick::platform::ui
