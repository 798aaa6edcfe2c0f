#include "applications/space_navigation_target.h"

#include <algorithm>

namespace tarnwick {

std::optional<SpaceNavigationTarget> SpaceNavigationTarget::select(const std::string& desktopID,
                                                                   const std::string& monitorID,
                                                                   std::uint64_t spaceID,
                                                                   const std::vector<DesktopMonitor>& monitors) {
    if (desktopID.empty() || monitorID.empty() || spaceID == 0) return std::nullopt;

    const DesktopMonitor* owner = nullptr;
    const ManagedDesktop* match = nullptr;
    int desktopsWithID = 0;
    int desktopsWithSpace = 0;
    for (const auto& monitor : monitors)
        for (const auto& desktop : monitor.desktops) {
            if (desktop.id == desktopID && ++desktopsWithID == 1) {
                owner = &monitor;
                match = &desktop;
            }
            if (desktop.spaceID == spaceID) ++desktopsWithSpace;
        }
    if (desktopsWithID != 1 || desktopsWithSpace != 1) return std::nullopt;
    if (owner->id != monitorID || match->spaceID != spaceID) return std::nullopt;
    const auto displaysWithID =
        std::count_if(monitors.begin(), monitors.end(), [&](const DesktopMonitor& m) { return m.id == monitorID; });
    if (displaysWithID != 1) return std::nullopt;
    return SpaceNavigationTarget{match->id, owner->id, match->spaceID};
}

bool SpaceNavigationTarget::isValid(const std::vector<DesktopMonitor>& monitors) const {
    return select(desktopID, monitorID, spaceID, monitors) == *this;
}

bool SpaceNavigationTarget::isCurrent(const std::vector<DesktopMonitor>& monitors) const {
    if (!isValid(monitors)) return false;
    auto monitor =
        std::find_if(monitors.begin(), monitors.end(), [&](const DesktopMonitor& m) { return m.id == monitorID; });
    if (monitor == monitors.end()) return false;
    for (const auto& desktop : monitor->desktops)
        if (desktop.id == desktopID && desktop.spaceID == spaceID) return desktop.isCurrent;
    return false;
}

}  // namespace tarnwick
