#pragma once

#include <optional>
#include <string>

#include "platform/alerts.h"

namespace tarnwick {

// Shows the rename prompt on the display of the desktop being renamed.
struct RenameAlertPlacement {
    // Centres the alert's window on the visible frame of the screen whose display UUID is
    // `displayID` (any case; screens without a display number are skipped), else of the screen
    // that holds the alert's window, else of the main screen, brings it forward and runs it
    // modally. Nothing, without showing it, when there is no screen at all.
    static std::optional<platform::ModalResponse> run(platform::Alert& alert, const std::string& displayID);
};

}  // namespace tarnwick
