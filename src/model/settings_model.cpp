#include "model/settings_model.h"

#include "platform/platform.h"
#include "support/error.h"

namespace tarnwick {

namespace {
platform::LoginItemService& loginItem() { return *platform::current().loginItem; }
bool accessibilityTrusted() { return platform::current().accessibility->isProcessTrusted(); }
bool screenCaptureAllowed() { return platform::current().system->preflightScreenCaptureAccess(); }
}  // namespace

SettingsModel::SettingsModel(std::optional<AppPreferencesStore> store)
    : overviewShortcut_(std::make_unique<GlobalOverviewShortcut>()),
      accessibilityAllowed(accessibilityTrusted()),
      screenAllowed(screenCaptureAllowed()),
      loginStatus(loginItem().status()),
      store_(store ? std::move(*store) : AppPreferencesStore()) {
    preferences.set(store_.value());
}

void SettingsModel::update(const std::function<void(AppPreferences&)>& mutation) {
    const AppPreferences old = preferences.get();
    AppPreferences updated = old;
    mutation(updated);
    updated = updated.normalized();
    if (updated == old) return;
    store_.save(updated, old);
    preferences.set(updated);
    if (changed) changed(old, updated);
}

void SettingsModel::refreshSystemStatus(bool notify) {
    const bool wasReady = permissionsReady();
    const bool trusted = accessibilityTrusted();
    const bool capture = screenCaptureAllowed();
    const platform::LoginItemStatus status = loginItem().status();
    accessibilityAllowed.setIfChanged(trusted);
    screenAllowed.setIfChanged(capture);
    loginStatus.setIfChanged(status);
    if (notify && permissionsReady() != wasReady && systemStatusChanged) systemStatusChanged();
}

void SettingsModel::setLaunchAtLogin(bool enabled) {
    const platform::LoginItemStatus status = loginStatus.get();
    if (enabled && status == platform::LoginItemStatus::requiresApproval) {
        openLoginItems();
        return;
    }
    const auto wanted = enabled ? platform::LoginItemStatus::enabled : platform::LoginItemStatus::notRegistered;
    if (status == wanted) return;
    loginError.set(std::nullopt);
    try {
        if (enabled)
            loginItem().registerApp();
        else
            loginItem().unregisterApp();
    } catch (const std::exception& error) {
        loginError.set(std::string(error.what()));
    }
    refreshSystemStatus(true);
}

void SettingsModel::openLoginItems() { loginItem().openSystemSettingsLoginItems(); }

}  // namespace tarnwick
