#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/event_modifier_flags.h"
#include "platform/keyboard_layouts.h"
#include "platform/text_input_context.h"

namespace tarnwick::sim {

// One keyboard layout: the characters of its keys without modifiers, with Shift, with Option
// and with Shift and Option.
struct SimKeyboardLayout {
    std::string id;    // "com.apple.keylayout.US"
    std::string name;  // "U.S."
    std::map<std::uint16_t, std::u16string> keys;
    // Keys that wait for the next key unless dead keys are switched off.
    std::set<std::uint16_t> deadKeys;
    // What the main keys type with Shift; a key not listed types the capital of its character.
    std::map<std::uint16_t, std::u16string> shiftedKeys;
    // What the main keys type with Option, and with Shift and Option; a key not listed in a layer
    // types what it types without Option.
    std::map<std::uint16_t, std::u16string> optionKeys;
    std::map<std::uint16_t, std::u16string> shiftOptionKeys;
    // The keys of the Option layer that wait for the next key (its dead keys), each with the
    // accent it types alone, and what each accent makes with the characters typed after it.
    std::map<std::uint16_t, std::string> optionDeadKeys;
    std::map<std::string, std::map<std::string, std::string>> compositions;

    // What the key types (UTF-8) with the modifiers held: with Command or Control, the key's own
    // character or Shift's, as menus and shortcuts match it; else with Option the Option layers'
    // (a dead key's accent), where the layout has one for the key; else its own or Shift's.
    std::string typedCharacters(std::uint16_t code, platform::ModifierFlags flags) const;
    // The accent of the dead key the key is with these modifiers; nothing when it is none.
    std::optional<std::string> deadAccent(std::uint16_t code, platform::ModifierFlags flags) const;
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
    // The selected layout, else the U.S. one, as the console's keys are typed on.
    const SimKeyboardLayout& typingLayout() const;

    // A key press through the selected layout's dead keys, as the keyboard composes between
    // presses: a dead key types nothing yet and its accent waits. The next key that composes
    // with it types what they make together ("é" after Option-E); Space types the accent alone;
    // another key that types text types the accent and then its own characters (a dead key its
    // own accent waiting next). Delete takes the waiting accent back, so the press reaches no
    // window (nothing then); any other key (Return, Tab, an arrow, a Command or Control
    // combination) lets the accent go untyped and goes on as it is. Another layout selected
    // meanwhile lets it go too. Returns what the press types.
    std::optional<std::string> throughDeadKeys(std::uint16_t code, platform::ModifierFlags flags,
                                               const std::string& characters);
    // The accent of the dead key pressed last, while it waits for the next key.
    const std::optional<std::string>& waitingAccent() const { return waitingAccent_; }
    // The waiting accent goes untyped (the field it was typed for is edited no more).
    void dropWaitingAccent() { waitingAccent_.reset(); }

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
    std::optional<std::string> waitingAccent_;
    std::string waitingLayout_;  // the layout the waiting accent was typed on
};

std::vector<SimKeyboardLayout> builtInKeyboardLayouts();

// The text input context of the session: what waits in it is the keyboard's waiting accent,
// read and dropped under the session's lock.
class SimTextInputContext final : public platform::TextInputContext {
public:
    SimTextInputContext(SimKeyboardLayouts& layouts, std::recursive_mutex& lock) : layouts_(layouts), lock_(lock) {}
    void discardMarkedText() override {
        std::lock_guard guard(lock_);
        layouts_.dropWaitingAccent();
    }

private:
    SimKeyboardLayouts& layouts_;
    std::recursive_mutex& lock_;
};

}  // namespace tarnwick::sim
