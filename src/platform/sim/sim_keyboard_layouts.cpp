#include "platform/sim/sim_keyboard_layouts.h"

#include <utility>

#include "platform/key_event.h"
#include "support/text.h"

namespace tarnwick::sim {

namespace carbon = platform::carbon;
namespace translate = platform::key_translate;
namespace flags = platform::modifier_flags;

namespace {

// Key codes from here on are the numeric keypad's, which have no Option layer.
constexpr std::uint16_t kFirstKeypadKey = 65;

std::string characterIn(const std::map<std::uint16_t, std::u16string>& layer, std::uint16_t code) {
    const auto found = layer.find(code);
    return found == layer.end() ? std::string() : text::fromUTF16(found->second);
}

// Whether a press's characters are text a field takes: not empty, no control character, none of
// the characters that stand for the function keys (the arrows among them).
bool typesText(std::string_view characters) {
    if (characters.empty() || !text::isValidUTF8(characters)) return false;
    for (std::size_t at = 0; at < characters.size();) {
        const auto piece = text::wellFormedAt(characters, at);
        const char32_t c = piece.scalar.value_or(0);
        if (c < 0x20 || (c >= 0x7F && c < 0xA0) || (c >= 0xF700 && c < 0xF800)) return false;
        at += piece.length;
    }
    return true;
}

}  // namespace

std::string SimKeyboardLayout::typedCharacters(std::uint16_t code, platform::ModifierFlags modifiers) const {
    const bool shift = modifiers & flags::kShift;
    if ((modifiers & flags::kOption) && !(modifiers & (flags::kCommand | flags::kControl)) && code < kFirstKeypadKey) {
        if (!shift)
            if (auto dead = optionDeadKeys.find(code); dead != optionDeadKeys.end()) return dead->second;
        if (std::string typed = characterIn(shift ? shiftOptionKeys : optionKeys, code); !typed.empty()) return typed;
    }
    if (!shift) return characterIn(keys, code);
    // Shift: the layout's shifted character, else the capital of its own.
    if (std::string shifted = characterIn(shiftedKeys, code); !shifted.empty()) return shifted;
    return text::uppercased(characterIn(keys, code));
}

std::optional<std::string> SimKeyboardLayout::deadAccent(std::uint16_t code, platform::ModifierFlags modifiers) const {
    if ((modifiers & (flags::kOption | flags::kShift | flags::kCommand | flags::kControl)) != flags::kOption)
        return std::nullopt;
    const auto dead = optionDeadKeys.find(code);
    if (dead == optionDeadKeys.end()) return std::nullopt;
    return dead->second;
}

SimKeyboardLayouts::SimKeyboardLayouts() : layouts(builtInKeyboardLayouts()) {}

// References are positions in `layouts`, counted from 1.
const SimKeyboardLayout* SimKeyboardLayouts::byRef(std::uint64_t id) const {
    if (id == 0 || id > layouts.size()) return nullptr;
    return &layouts[id - 1];
}

const SimKeyboardLayout* SimKeyboardLayouts::layout(const std::string& id) const {
    for (const auto& l : layouts)
        if (l.id == id) return &l;
    return nullptr;
}

const SimKeyboardLayout& SimKeyboardLayouts::typingLayout() const {
    if (const SimKeyboardLayout* selected = layout(current)) return *selected;
    if (const SimKeyboardLayout* us = layout(keyboard_layout_ids::kUS)) return *us;
    return layouts.front();
}

std::optional<std::string> SimKeyboardLayouts::throughDeadKeys(std::uint16_t code, platform::ModifierFlags modifiers,
                                                               const std::string& characters) {
    const SimKeyboardLayout& layout = typingLayout();
    std::optional<std::string> waiting = std::exchange(waitingAccent_, std::nullopt);
    if (waiting && waitingLayout_ != layout.id) waiting.reset();
    if (auto accent = layout.deadAccent(code, modifiers)) {
        // A second dead key types the first one's accent; its own waits.
        waitingAccent_ = std::move(accent);
        waitingLayout_ = layout.id;
        return waiting.value_or(std::string());
    }
    if (!waiting) return characters;
    if (modifiers & (flags::kCommand | flags::kControl)) return characters;
    if (code == platform::key_codes::kDelete) return std::nullopt;
    if (!typesText(characters)) return characters;
    if (characters == " ") return waiting;
    if (auto made = layout.compositions.find(*waiting); made != layout.compositions.end())
        if (auto composed = made->second.find(characters); composed != made->second.end()) return composed->second;
    return *waiting + characters;
}

std::optional<platform::InputSourceRef> SimKeyboardLayouts::copyCurrentKeyboardLayoutInputSource() {
    for (size_t i = 0; i < layouts.size(); ++i)
        if (!current.empty() && layouts[i].id == current) return platform::InputSourceRef{i + 1};
    return std::nullopt;
}

std::optional<platform::KeyLayoutRef> SimKeyboardLayouts::unicodeKeyLayoutData(platform::InputSourceRef source) {
    if (!layoutDataAvailable || !byRef(source.id)) return std::nullopt;
    return platform::KeyLayoutRef{source.id};
}

platform::OSStatus SimKeyboardLayouts::keyTranslate(platform::KeyLayoutRef layoutRef, std::uint16_t keyCode,
                                                    std::uint16_t keyAction, std::uint32_t /*modifierKeyState*/,
                                                    std::uint32_t /*keyboardType*/, std::uint32_t options,
                                                    std::uint32_t& deadKeyState, std::size_t maxLength,
                                                    std::u16string& characters) {
    ++translations;
    characters.clear();
    const SimKeyboardLayout* layout = byRef(layoutRef.id);
    if (!layout || keyAction > translate::kActionDisplay) return carbon::kParamErr;
    if (translateStatus != 0) return translateStatus;
    auto key = layout->keys.find(keyCode);
    if (key == layout->keys.end()) return carbon::kNoErr;
    if (layout->deadKeys.count(keyCode) && !(options & translate::kNoDeadKeysMask)) {
        deadKeyState = 1;
        return carbon::kNoErr;
    }
    if (key->second.size() > maxLength) return translate::kOutputBufferTooSmall;
    deadKeyState = 0;
    characters = key->second;
    return carbon::kNoErr;
}

std::vector<SimKeyboardLayout> builtInKeyboardLayouts() {
    SimKeyboardLayout us;
    us.id = keyboard_layout_ids::kUS;
    us.name = "U.S.";
    us.keys = {
        {0, u"a"},   {1, u"s"},   {2, u"d"},   {3, u"f"},    {4, u"h"},   {5, u"g"},   {6, u"z"},   {7, u"x"},
        {8, u"c"},   {9, u"v"},   {10, u"§"},  {11, u"b"},   {12, u"q"},  {13, u"w"},  {14, u"e"},  {15, u"r"},
        {16, u"y"},  {17, u"t"},  {18, u"1"},  {19, u"2"},   {20, u"3"},  {21, u"4"},  {22, u"6"},  {23, u"5"},
        {24, u"="},  {25, u"9"},  {26, u"7"},  {27, u"-"},   {28, u"8"},  {29, u"0"},  {30, u"]"},  {31, u"o"},
        {32, u"u"},  {33, u"["},  {34, u"i"},  {35, u"p"},   {36, u"\r"}, {37, u"l"},  {38, u"j"},  {39, u"'"},
        {40, u"k"},  {41, u";"},  {42, u"\\"}, {43, u","},   {44, u"/"},  {45, u"n"},  {46, u"m"},  {47, u"."},
        {48, u"\t"}, {49, u" "},  {50, u"`"},  {51, u"\b"},  {53, u"\x1b"},
        // keypad
        {65, u"."},  {67, u"*"},  {69, u"+"},  {71, u"\x1b"}, {75, u"/"}, {76, u"\x03"}, {78, u"-"}, {81, u"="},
        {82, u"0"},  {83, u"1"},  {84, u"2"},  {85, u"3"},   {86, u"4"},  {87, u"5"},  {88, u"6"},  {89, u"7"},
        {91, u"8"},  {92, u"9"},
    };

    // Shift on the U.S. (ANSI) keys: the capitals, and the symbols over the digits and punctuation.
    us.shiftedKeys = {
        {10, u"±"}, {18, u"!"}, {19, u"@"}, {20, u"#"}, {21, u"$"}, {22, u"^"}, {23, u"%"}, {24, u"+"},
        {25, u"("}, {26, u"&"}, {27, u"_"}, {28, u"*"}, {29, u")"}, {30, u"}"}, {33, u"{"}, {39, u"\""},
        {41, u":"}, {42, u"|"}, {43, u"<"}, {44, u"?"}, {47, u">"}, {50, u"~"},
    };
    for (const auto& [code, text] : us.keys)
        if (text.size() == 1 && text[0] >= u'a' && text[0] <= u'z')
            us.shiftedKeys[code] = std::u16string(1, static_cast<char16_t>(text[0] - u'a' + u'A'));

    // Option and Shift-Option on the U.S. keys, as the U.S. layout types them.
    us.optionKeys = {
        {0, u"å"},  {1, u"ß"},  {2, u"∂"},  {3, u"ƒ"},  {4, u"˙"},  {5, u"©"},  {6, u"Ω"},  {7, u"≈"},
        {8, u"ç"},  {9, u"√"},  {10, u"§"}, {11, u"∫"}, {12, u"œ"}, {13, u"∑"}, {15, u"®"}, {16, u"¥"},
        {17, u"†"}, {18, u"¡"}, {19, u"™"}, {20, u"£"}, {21, u"¢"}, {22, u"§"}, {23, u"∞"}, {24, u"≠"},
        {25, u"ª"}, {26, u"¶"}, {27, u"–"}, {28, u"•"}, {29, u"º"}, {30, u"‘"}, {31, u"ø"}, {33, u"“"},
        {35, u"π"}, {37, u"¬"}, {38, u"∆"}, {39, u"æ"}, {40, u"˚"}, {41, u"…"}, {42, u"«"}, {43, u"≤"},
        {44, u"÷"}, {46, u"µ"}, {47, u"≥"}, {49, u"\u00A0"},
    };
    us.shiftOptionKeys = {
        {0, u"Å"},  {1, u"Í"},  {2, u"Î"},  {3, u"Ï"},  {4, u"Ó"},  {5, u"˝"},  {6, u"¸"},  {7, u"˛"},
        {8, u"Ç"},  {9, u"◊"},  {10, u"±"}, {11, u"ı"}, {12, u"Œ"}, {13, u"„"}, {14, u"´"}, {15, u"‰"},
        {16, u"Á"}, {17, u"ˇ"}, {18, u"⁄"}, {19, u"€"}, {20, u"‹"}, {21, u"›"}, {22, u"ﬂ"}, {23, u"ﬁ"},
        {24, u"±"}, {25, u"·"}, {26, u"‡"}, {27, u"—"}, {28, u"°"}, {29, u"‚"}, {30, u"’"}, {31, u"Ø"},
        {32, u"¨"}, {33, u"”"}, {34, u"ˆ"}, {35, u"∏"}, {37, u"Ò"}, {38, u"Ô"}, {39, u"Æ"}, {40, u"\uF8FF"},
        {41, u"Ú"}, {42, u"»"}, {43, u"¯"}, {44, u"¿"}, {45, u"˜"}, {46, u"Â"}, {47, u"˘"}, {49, u"\u00A0"},
        {50, u"`"},
    };
    // Option-` E I N U wait for the letter they accent.
    us.optionDeadKeys = {{50, "`"}, {14, "´"}, {34, "ˆ"}, {45, "˜"}, {32, "¨"}};
    us.compositions = {
        {"`", {{"a", "à"}, {"e", "è"}, {"i", "ì"}, {"o", "ò"}, {"u", "ù"},
               {"A", "À"}, {"E", "È"}, {"I", "Ì"}, {"O", "Ò"}, {"U", "Ù"}}},
        {"´", {{"a", "á"}, {"e", "é"}, {"i", "í"}, {"o", "ó"}, {"u", "ú"},
               {"A", "Á"}, {"E", "É"}, {"I", "Í"}, {"O", "Ó"}, {"U", "Ú"}}},
        {"ˆ", {{"a", "â"}, {"e", "ê"}, {"i", "î"}, {"o", "ô"}, {"u", "û"},
               {"A", "Â"}, {"E", "Ê"}, {"I", "Î"}, {"O", "Ô"}, {"U", "Û"}}},
        {"˜", {{"a", "ã"}, {"n", "ñ"}, {"o", "õ"}, {"A", "Ã"}, {"N", "Ñ"}, {"O", "Õ"}}},
        {"¨", {{"a", "ä"}, {"e", "ë"}, {"i", "ï"}, {"o", "ö"}, {"u", "ü"}, {"y", "ÿ"},
               {"A", "Ä"}, {"E", "Ë"}, {"I", "Ï"}, {"O", "Ö"}, {"U", "Ü"}, {"Y", "Ÿ"}}},
    };

    // Their own keys' shifted and Option characters are not modelled: Shift types a letter's
    // capital, and Option what the key types without it.
    SimKeyboardLayout german;
    german.id = keyboard_layout_ids::kGerman;
    german.name = "German";
    german.keys = us.keys;
    german.deadKeys = {10, 24};
    for (const auto& [code, text] : std::map<std::uint16_t, std::u16string>{
             {6, u"y"},  {16, u"z"}, {10, u"^"}, {24, u"´"}, {27, u"ß"}, {30, u"+"}, {33, u"ü"},
             {39, u"ä"}, {41, u"ö"}, {42, u"#"}, {44, u"-"}, {50, u"<"}})
        german.keys[code] = text;

    SimKeyboardLayout french;
    french.id = keyboard_layout_ids::kFrench;
    french.name = "French";
    french.keys = us.keys;
    french.deadKeys = {33, 42};
    for (const auto& [code, text] : std::map<std::uint16_t, std::u16string>{
             {0, u"q"},  {6, u"w"},  {10, u"@"}, {12, u"a"}, {13, u"z"}, {18, u"&"}, {19, u"é"}, {20, u"\""},
             {21, u"'"}, {22, u"§"}, {23, u"("}, {24, u"-"}, {25, u"ç"}, {26, u"è"}, {27, u")"}, {28, u"!"},
             {29, u"à"}, {30, u"$"}, {33, u"^"}, {39, u"ù"}, {41, u"m"}, {42, u"`"}, {43, u";"}, {44, u"="},
             {46, u","}, {47, u":"}, {50, u"<"}})
        french.keys[code] = text;

    return {us, german, french};
}

}  // namespace tarnwick::sim
