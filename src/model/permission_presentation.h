#pragma once

#include <array>
#include <string>

namespace tarnwick {

// What the permissions page shows for the two permissions the system needs.
struct PermissionPresentation {
    struct Entry {
        std::string title;
        bool allowed = false;
        std::string settingsButtonTitle;
        std::string settingsPane;  // also the entry's identity
        const std::string& id() const { return settingsPane; }
        friend bool operator==(const Entry&, const Entry&) = default;
    };

    bool screenAllowed = false;
    bool deviceAllowed = false;
    bool requested = false;

    static constexpr const char* kRestartHint =
        "If macOS asked you to quit and reopen after granting access, do that before checking again.";
    static constexpr const char* kSettingsURLPrefix = "x-apple.systempreferences:com.apple.preference.security?";

    bool ready() const { return screenAllowed && deviceAllowed; }
    bool showRestartHint() const { return requested && !ready(); }
    std::array<Entry, 2> entries() const {
        return {{
            {"Screen Recording", screenAllowed, "Open Screen Recording Settings\u2026", "Privacy_ScreenCapture"},
            {"Device Control and Data Access", deviceAllowed, "Open Device Control Settings\u2026", "Privacy_Accessibility"},
        }};
    }
    // The System Settings address of an entry's pane.
    static std::string settingsURL(const Entry& entry) { return kSettingsURLPrefix + entry.settingsPane; }
};

}  // namespace tarnwick
