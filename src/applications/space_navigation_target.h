#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/desktop_monitor.h"

namespace tarnwick {

// Returns the current desktop catalog each time it is called (callers refresh it inside).
using DesktopCatalogFunction = std::function<std::vector<DesktopMonitor>()>;

// One desktop to go to. It is only trusted while the catalog still names exactly that desktop:
// the catalog can change between showing a desktop and the user picking it.
struct SpaceNavigationTarget {
    std::string desktopID;      // the desktop's UUID
    std::string monitorID;      // the display's UUID string
    std::uint64_t spaceID = 0;  // the window server's space id of the desktop

    friend bool operator==(const SpaceNavigationTarget&, const SpaceNavigationTarget&) = default;

    // The one catalog desktop these three identify: its UUID and space id each name exactly one
    // desktop, the display id exactly one display, and they agree. Nothing otherwise.
    static std::optional<SpaceNavigationTarget> select(const std::string& desktopID, const std::string& monitorID,
                                                       std::uint64_t spaceID,
                                                       const std::vector<DesktopMonitor>& monitors);

    bool isValid(const std::vector<DesktopMonitor>& monitors) const;
    // Valid, and the desktop is the current one of its display.
    bool isCurrent(const std::vector<DesktopMonitor>& monitors) const;
};

// One window of an app on one desktop: what app navigation switches to and raises.
struct SpaceApplicationFocusTarget {
    std::uint32_t windowID = 0;
    std::int32_t ownerPID = 0;
    std::uint64_t spaceID = 0;  // the desktop on which the window is to be shown
    std::string desktopID;
    std::string monitorID;

    friend bool operator==(const SpaceApplicationFocusTarget&, const SpaceApplicationFocusTarget&) = default;
};

}  // namespace tarnwick
