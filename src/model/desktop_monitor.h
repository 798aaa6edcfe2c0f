#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/geometry.h"

namespace tarnwick {

// One screen as the system sees it before it is matched to the window server's desktops.
struct MonitorDescriptor {
    std::string id;  // the display's UUID string, upper case
    std::string name;
    Rect bounds;     // global, origin at the top left of the main display
};

// One ordinary user desktop.
struct ManagedDesktop {
    std::string id;              // the desktop's UUID in upper case; names are stored under it
    std::uint64_t spaceID = 0;   // the window server's space id; never persisted
    std::string nativeTitle;     // "Desktop N", numbered across all displays
    bool isCurrent = false;

    friend bool operator==(const ManagedDesktop&, const ManagedDesktop&) = default;
};

// A display with its ordinary desktops in the window server's order.
struct DesktopMonitor {
    std::string id;
    std::string name;
    Rect bounds;
    std::vector<ManagedDesktop> desktops;

    // The desktop the display shows now; none while the catalog marks none current.
    const ManagedDesktop* currentDesktop() const {
        for (const auto& desktop : desktops)
            if (desktop.isCurrent) return &desktop;
        return nullptr;
    }

    // The symbol that pictures the display: a laptop for a built-in panel, told by the system's
    // name (an alias the user gave it never changes it), else a display.
    std::string symbolName() const {
        return name.find("Built-in") != std::string::npos ? "laptopcomputer" : "display";
    }

    // Bounds compare as geometry: the same position and size, whatever the sign of the size.
    friend bool operator==(const DesktopMonitor& a, const DesktopMonitor& b) {
        return a.id == b.id && a.name == b.name && a.bounds.minX() == b.bounds.minX() &&
               a.bounds.minY() == b.bounds.minY() && a.bounds.width() == b.bounds.width() &&
               a.bounds.height() == b.bounds.height() && a.desktops == b.desktops;
    }
};

}  // namespace tarnwick
