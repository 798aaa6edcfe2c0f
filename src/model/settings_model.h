#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "model/app_preferences.h"
#include "model/app_preferences_store.h"
#include "model/global_overview_shortcut.h"
#include "model/permission_presentation.h"
#include "model/settings_tab.h"
#include "platform/login_items.h"
#include "support/binding.h"
#include "support/observable.h"

namespace tarnwick {

// The one observable object behind the settings window and every feature switch: the current
// preferences (every change saved through the store), the two permissions, the login item, the
// page shown, and the process's global overview shortcut. Main loop only.
class SettingsModel {
    // Declared first: the shortcut object is created before anything else.
    std::unique_ptr<GlobalOverviewShortcut> overviewShortcut_;

public:
    explicit SettingsModel(std::optional<AppPreferencesStore> store = std::nullopt);
    SettingsModel(const SettingsModel&) = delete;
    SettingsModel& operator=(const SettingsModel&) = delete;

    GlobalOverviewShortcut& overviewShortcut() { return *overviewShortcut_; }

    Published<AppPreferences> preferences;
    Published<bool> accessibilityAllowed;
    Published<bool> screenAllowed;
    Published<platform::LoginItemStatus> loginStatus;
    Published<std::optional<std::string>> loginError;
    Published<bool> requestingPermissions{false};
    Published<bool> hasRequestedPermissions{false};
    Published<std::optional<std::string>> displayIdentificationError;
    Published<SettingsTab> tab{SettingsTab::general};

    // Hooks the application delegate fills at launch.
    std::function<void(const AppPreferences& old, const AppPreferences& updated)> changed;
    std::function<void()> systemStatusChanged;
    std::function<void()> previewRequested;
    std::function<void()> permissionSetupRequested;
    std::function<void()> namesRequested;
    std::function<void()> overviewRequested;
    std::function<void(const std::string& displayID)> identifyDisplayRequested;

    const AppPreferencesStore& store() const { return store_; }

    bool permissionsReady() const { return accessibilityAllowed.get() && screenAllowed.get(); }
    PermissionPresentation permissionPresentation() const {
        return PermissionPresentation{screenAllowed.get(), accessibilityAllowed.get(), hasRequestedPermissions.get()};
    }
    bool loginEnabled() const { return loginStatus.get() == platform::LoginItemStatus::enabled; }

    // Applies a change to a copy of the preferences; a change that normalisation undoes is none.
    // Otherwise saves, publishes, then calls `changed` with the old and new values.
    void update(const std::function<void(AppPreferences&)>& mutation);

    // A binding to one field: its setter does what update() does.
    template <typename T>
    Binding<T> binding(T AppPreferences::*field) {
        return Binding<T>{[this, field] { return preferences.get().*field; },
                          [this, field](const T& value) { update([&](AppPreferences& p) { p.*field = value; }); }};
    }

    // Re-reads the permissions and the login item; with `notify`, calls systemStatusChanged
    // when permission readiness flipped.
    void refreshSystemStatus(bool notify);
    void setLaunchAtLogin(bool enabled);
    void openLoginItems();

private:
    AppPreferencesStore store_;
};

}  // namespace tarnwick
