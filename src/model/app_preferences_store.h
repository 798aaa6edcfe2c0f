#pragma once

#include <optional>
#include <string>

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

    // What to tell a person when the saved preferences could not be read: which file, why, and
    // that changes last only until the program ends while the file is left as it is.
    std::optional<std::string> unreadableWarning() const;

private:
    platform::UserDefaults* defaults_;
};

}  // namespace tarnwick
