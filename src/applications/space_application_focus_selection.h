#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "applications/space_application_catalog.h"
#include "applications/space_navigation_target.h"

namespace tarnwick {

// Which windows of an app on a desktop the app-focus flow tries, best first. Pure.
struct SpaceApplicationFocusSelection {
    SpaceApplicationFocusSelection() = delete;

    // The app's ordinary windows on the desktop, each window once. Empty unless the desktop and
    // its display and space id are each unique in the catalog. Processes count only when every
    // record of theirs is a regular app of that identity, and never the excluded process. On a
    // desktop that is not current, windows shown on that desktop alone come first (bringing
    // them forward cannot pull the user to another desktop); then the preferred window; then
    // newer (higher) window ids; then lower process ids.
    static std::vector<SpaceApplicationFocusTarget> candidates(
        const std::string& appID, const std::string& desktopID, const std::vector<SpaceApplicationCatalog::Window>& windows,
        const std::vector<SpaceApplicationCatalog::Application>& applications, const std::vector<DesktopMonitor>& monitors,
        std::int32_t excludedPID, std::optional<std::uint32_t> preferredWindowID);
};

}  // namespace tarnwick
