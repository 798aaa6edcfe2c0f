#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::platform {

enum class AlertStyle { warning, informational, critical };

struct AlertButton {
    std::string title;
    std::string keyEquivalent;  // "\x1b": the Escape key chooses this button
};

struct Alert {
    AlertStyle style = AlertStyle::warning;
    std::string messageText;
    std::string informativeText;
    std::optional<std::filesystem::path> iconOfFile;  // the alert shows this file's icon
    std::vector<AlertButton> buttons;
};

using ModalResponse = long;
inline constexpr ModalResponse kAlertFirstButtonReturn = 1000;
inline constexpr ModalResponse kAlertSecondButtonReturn = 1001;
inline constexpr ModalResponse kAlertThirdButtonReturn = 1002;
// The modal session was aborted: no button was chosen.
inline constexpr ModalResponse kModalResponseAbort = -1001;

// Modal alerts: running one waits for the user's choice.
class Alerts {
public:
    virtual ~Alerts() = default;
    // kAlertFirstButtonReturn plus the index of the chosen button, or kModalResponseAbort.
    virtual ModalResponse runModal(const Alert& alert) = 0;
};

}  // namespace tarnwick::platform
