#pragma once

#include <optional>
#include <string>

#include "platform/login_items.h"

namespace tarnwick::sim {

inline constexpr const char* kLoginItemErrorDomain = "SMAppServiceErrorDomain";

// The main application's login item. Registering enables it, or leaves it waiting for the
// user's approval when the session asks for that; unregistering removes it.
class SimLoginItem final : public platform::LoginItemService {
public:
    platform::LoginItemStatus status() override;
    void registerApp() override;
    void unregisterApp() override;
    void openSystemSettingsLoginItems() override { ++settingsOpenings; }

    // ---- the user's side
    // The user approves the waiting login item in System Settings: it is enabled. Nothing is
    // posted (the app sees it when it reads the status again). False when none was waiting.
    bool approve() {
        if (state != platform::LoginItemStatus::requiresApproval) return false;
        state = platform::LoginItemStatus::enabled;
        return true;
    }

    platform::LoginItemStatus state = platform::LoginItemStatus::notRegistered;
    // Registering ends in requiresApproval instead of enabled.
    bool approvalRequired = false;
    // Set: the change fails with this description and the state stays.
    std::optional<std::string> registerError;
    std::optional<std::string> unregisterError;

    int statusReads = 0;
    int registerCalls = 0;
    int unregisterCalls = 0;
    int settingsOpenings = 0;
};

}  // namespace tarnwick::sim
