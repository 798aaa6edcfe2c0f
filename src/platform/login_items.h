#pragma once

namespace tarnwick::platform {

// The main application's login item.
enum class LoginItemStatus : int { notRegistered = 0, enabled = 1, requiresApproval = 2, notFound = 3 };

// The service that starts the application at login.
class LoginItemService {
public:
    virtual ~LoginItemService() = default;
    virtual LoginItemStatus status() = 0;
    // Each throws SystemError (what() is the system's description) when the change fails.
    virtual void registerApp() = 0;
    virtual void unregisterApp() = 0;
    // Opens the Login Items page of the system settings.
    virtual void openSystemSettingsLoginItems() = 0;
};

}  // namespace tarnwick::platform
