#include "model/overview_shortcut_store.h"

#include "platform/platform.h"

namespace tarnwick {

namespace {

constexpr const char* kEnabledKey = "overviewShortcutEnabled";
constexpr const char* kShortcutKey = "overviewShortcut";
constexpr const char* kKeyCodeKey = "keyCode";
constexpr const char* kModifiersKey = "modifiers";

// A stored number that is a whole unsigned 32-bit value; a boolean is not a number here.
std::optional<std::uint32_t> unsigned32(const Dictionary& dictionary, const char* key) {
    auto it = dictionary.find(key);
    if (it == dictionary.end() || !it->second.isNumber()) return std::nullopt;
    return it->second.toUInt32();
}

}  // namespace

OverviewShortcutStore::OverviewShortcutStore() : defaults_(platform::current().userDefaults) {}

OverviewShortcutStore::OverviewShortcutStore(platform::UserDefaults& defaults) : defaults_(&defaults) {}

std::optional<OverviewShortcut> OverviewShortcutStore::value() const {
    if (auto enabled = defaults_->object(kEnabledKey)) {
        if (enabled->toBool() == false) return std::nullopt;
    }
    auto stored = defaults_->dictionary(kShortcutKey);
    if (!stored) return OverviewShortcut::defaultShortcut;
    auto keyCode = unsigned32(*stored, kKeyCodeKey);
    auto modifiers = unsigned32(*stored, kModifiersKey);
    if (!keyCode || !modifiers) return OverviewShortcut::defaultShortcut;
    OverviewShortcut shortcut{*keyCode, *modifiers};
    return shortcut.isValid() ? shortcut : OverviewShortcut::defaultShortcut;
}

void OverviewShortcutStore::save(const std::optional<OverviewShortcut>& shortcut) {
    if (!shortcut) {
        defaults_->set(kEnabledKey, false);
        return;
    }
    if (!shortcut->isValid()) return;
    Dictionary stored;
    stored[kKeyCodeKey] = shortcut->keyCode;
    stored[kModifiersKey] = shortcut->modifiers;
    defaults_->set(kShortcutKey, Value(std::move(stored)));
    defaults_->set(kEnabledKey, true);
}

}  // namespace tarnwick
