#pragma once

#include <optional>

#include "model/overview_shortcut.h"
#include "platform/user_defaults.h"

namespace tarnwick {

// Keeps the overview shortcut in the user defaults: "overviewShortcutEnabled" (false: off) and
// "overviewShortcut" ({"keyCode", "modifiers"}), which stays in place while the shortcut is off.
class OverviewShortcutStore {
public:
    // The standard user defaults of the installed platform.
    OverviewShortcutStore();
    explicit OverviewShortcutStore(platform::UserDefaults& defaults);

    // The stored shortcut; nothing when the user turned it off. Anything missing, malformed or
    // invalid reads as the default, so the shortcut works from the first launch.
    std::optional<OverviewShortcut> value() const;

    // Nothing turns the shortcut off and keeps the last combination. An invalid shortcut writes
    // nothing at all.
    void save(const std::optional<OverviewShortcut>& shortcut);

private:
    platform::UserDefaults* defaults_;
};

}  // namespace tarnwick
