#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "applications/space_application.h"
#include "model/desktop_monitor.h"
#include "support/geometry.h"

namespace tarnwick {

// Which windows count as an app's ordinary windows, which app a window stands for, and the
// grouping of windows into one sorted app list per desktop of the desktop catalog. Pure
// functions, callable from any thread.
struct SpaceApplicationCatalog {
    SpaceApplicationCatalog() = delete;

    // One window that the window server lists on at least one requested desktop.
    struct Window {
        std::uint32_t id = 0;
        std::int32_t ownerPID = 0;
        std::int64_t layer = 0;              // 0: ordinary app windows
        Rect bounds;                         // global display coordinates, as the window list gives it
        std::vector<std::uint64_t> spaceIDs; // the requested space ids whose lists contain it

        friend bool operator==(const Window&, const Window&) = default;
    };

    // One running app.
    struct Application {
        std::int32_t pid = 0;
        std::optional<std::string> bundleID;
        std::string name;
        std::optional<std::string> bundleURL;  // a file URL
        bool isRegular = false;                // the regular activation policy

        friend bool operator==(const Application&, const Application&) = default;
    };

    // Whether a window is an app's ordinary window: not the running process's own, at layer 0,
    // with a finite frame of positive width and height.
    static bool isEligible(const Window& window, std::int32_t excludedPID);

    // The app's identity: its trimmed bundle identifier, else its bundle path, else its pid in
    // decimal. Two processes of one bundle share one identity.
    static std::string identity(const Application& application);

    // App lists keyed by desktop UUID, one for every desktop of `monitors` (empty when no eligible
    // window lies there), sorted by name in the Finder-like order and then by identity. A space id
    // that two desktops share assigns its windows to neither.
    static std::map<std::string, std::vector<SpaceApplication>> group(const std::vector<Window>& windows,
                                                                      const std::vector<Application>& applications,
                                                                      const std::vector<DesktopMonitor>& monitors,
                                                                      std::int32_t excludedPID);

    // The name shown for an app: its localized name, else its bundle identifier, else
    // "Application". Every app record is named through this one rule.
    static std::string displayName(const std::optional<std::string>& localizedName,
                                   const std::optional<std::string>& bundleIdentifier);

private:
    // Which of two records of one identity is kept.
    static bool preferred(const SpaceApplication& candidate, const SpaceApplication& current);
};

}  // namespace tarnwick
