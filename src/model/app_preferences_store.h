#pragma once

#include <optional>

#include "model/app_preferences.h"
#include "platform/user_defaults.h"

namespace tarnwick {

// Reads and writes the preferences in the user defaults, one key per field. Every read and every
// write passes through normalized(), so no out-of-range value reaches a feature.
class AppPreferencesStore {
public:
    // The standard user defaults of the installed platform.
    AppPreferencesStore();
    explicit AppPreferencesStore(platform::UserDefaults& defaults);

    // The stored preferences; a missing or unusable stored object gives the field's default.
    AppPreferences value() const;

    // Writes only the keys whose value differs from `replacing` (when given) and from what is
    // stored now; keys of other features are never touched and nothing is removed.
    void save(const AppPreferences& newValue, const std::optional<AppPreferences>& replacing = std::nullopt);

private:
    platform::UserDefaults* defaults_;
};

}  // namespace tarnwick
