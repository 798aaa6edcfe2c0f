#include "platform/sim/sim_keyboard_layouts.h"

namespace tarnwick::sim {

namespace carbon = platform::carbon;
namespace translate = platform::key_translate;

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
    SimKeyboardLayout us{keyboard_layout_ids::kUS, "U.S.", {}, {}, {}};
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

    // Their own keys' shifted characters are not modelled: Shift types a letter's capital.
    SimKeyboardLayout german{keyboard_layout_ids::kGerman, "German", us.keys, {10, 24}, {}};
    for (const auto& [code, text] : std::map<std::uint16_t, std::u16string>{
             {6, u"y"},  {16, u"z"}, {10, u"^"}, {24, u"´"}, {27, u"ß"}, {30, u"+"}, {33, u"ü"},
             {39, u"ä"}, {41, u"ö"}, {42, u"#"}, {44, u"-"}, {50, u"<"}})
        german.keys[code] = text;

    SimKeyboardLayout french{keyboard_layout_ids::kFrench, "French", us.keys, {33, 42}, {}};
    for (const auto& [code, text] : std::map<std::uint16_t, std::u16string>{
             {0, u"q"},  {6, u"w"},  {10, u"@"}, {12, u"a"}, {13, u"z"}, {18, u"&"}, {19, u"é"}, {20, u"\""},
             {21, u"'"}, {22, u"§"}, {23, u"("}, {24, u"-"}, {25, u"ç"}, {26, u"è"}, {27, u")"}, {28, u"!"},
             {29, u"à"}, {30, u"$"}, {33, u"^"}, {39, u"ù"}, {41, u"m"}, {42, u"`"}, {43, u";"}, {44, u"="},
             {46, u","}, {47, u":"}, {50, u"<"}})
        french.keys[code] = text;

    return {us, german, french};
}

}  // namespace tarnwick::sim
