#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/keyboard_layouts.h"

namespace tarnwick::sim {

// One keyboard layout: the characters of its keys without modifiers, and with Shift.
struct SimKeyboardLayout {
    std::string id;    // "com.apple.keylayout.US"
    std::string name;  // "U.S."
    std::map<std::uint16_t, std::u16string> keys;
    // Keys that wait for the next key unless dead keys are switched off.
    std::set<std::uint16_t> deadKeys;
    // What the main keys type with Shift; a key not listed types the capital of its character.
    std::map<std::uint16_t, std::u16string> shiftedKeys;
};

namespace keyboard_layout_ids {
inline constexpr const char* kUS = "com.apple.keylayout.US";
inline constexpr const char* kGerman = "com.apple.keylayout.German";
inline constexpr const char* kFrench = "com.apple.keylayout.French";
}  // namespace keyboard_layout_ids

// The text input sources' keyboard layouts. A translation reads the unmodified layer of a layout
// (the one shortcuts are shown with), so its modifier state is not looked at.
class SimKeyboardLayouts final : public platform::KeyboardLayouts {
public:
    SimKeyboardLayouts();

    std::optional<platform::InputSourceRef> copyCurrentKeyboardLayoutInputSource() override;
    std::optional<platform::KeyLayoutRef> unicodeKeyLayoutData(platform::InputSourceRef source) override;
    std::uint32_t keyboardType() override { return type; }
    platform::OSStatus keyTranslate(platform::KeyLayoutRef layout, std::uint16_t keyCode, std::uint16_t keyAction,
                                    std::uint32_t modifierKeyState, std::uint32_t keyboardType,
                                    std::uint32_t options, std::uint32_t& deadKeyState, std::size_t maxLength,
                                    std::u16string& characters) override;

    const SimKeyboardLayout* layout(const std::string& id) const;

    // U.S. (ANSI), German and French to begin with.
    std::vector<SimKeyboardLayout> layouts;
    // The selected layout's id; empty: no keyboard layout is selected.
    std::string current = keyboard_layout_ids::kUS;
    // False: layouts carry no Unicode key-layout data.
    bool layoutDataAvailable = true;
    // Non-zero: every translation fails with it.
    platform::OSStatus translateStatus = 0;
    std::uint32_t type = 40;
    int translations = 0;

private:
    const SimKeyboardLayout* byRef(std::uint64_t id) const;
};

std::vector<SimKeyboardLayout> builtInKeyboardLayouts();

}  // namespace tarnwick::sim
