#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "model/desktop_monitor.h"

namespace tarnwick {

// Remembers which desktop was current on each display and, given a fresh catalog, says which
// displays now show another one. A plain value: no clock, no platform, no side effects.
class SpaceSwitchTracker {
public:
    // One display's switch: the desktop now current there.
    struct Change {
        std::string monitorID;
        ManagedDesktop desktop;

        // The banner's text: the stored name of the desktop as it stands, else its native title.
        std::string title(const std::map<std::string, std::string>& names) const;

        friend bool operator==(const Change&, const Change&) = default;
    };

    // Replaces the memory with the current desktops of the catalog, reporting nothing.
    void reset(const std::vector<DesktopMonitor>& monitors);
    // The displays whose current desktop differs from the memory, in catalog order (nothing for a
    // display not remembered yet, or without a current desktop); then remembers the catalog.
    std::vector<Change> observe(const std::vector<DesktopMonitor>& monitors);

private:
    struct Current {
        std::optional<std::string> uuid;  // nothing: the display had no current desktop
    };
    // The memory of a catalog; of two monitors with one id, the later one's entry is kept.
    static std::map<std::string, Current> current(const std::vector<DesktopMonitor>& monitors);

    std::map<std::string, Current> previous_;
};

}  // namespace tarnwick
