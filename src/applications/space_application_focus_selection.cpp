#include "applications/space_application_focus_selection.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

namespace tarnwick {

namespace {

// One window across duplicate window records.
struct WindowKey {
    std::uint32_t windowID = 0;
    std::int32_t ownerPID = 0;
    friend auto operator<=>(const WindowKey&, const WindowKey&) = default;
};

// Process ids whose every record is a regular app with that identity.
std::set<std::int32_t> owningProcesses(const std::string& appID,
                                       const std::vector<SpaceApplicationCatalog::Application>& applications,
                                       std::int32_t excludedPID) {
    std::map<std::int32_t, bool> qualifies;
    for (const auto& application : applications) {
        const bool fits = application.isRegular && SpaceApplicationCatalog::identity(application) == appID;
        auto [entry, inserted] = qualifies.emplace(application.pid, fits);
        if (!inserted) entry->second = entry->second && fits;
    }
    std::set<std::int32_t> pids;
    for (const auto& [pid, fits] : qualifies)
        if (fits && pid >= 1 && pid != excludedPID) pids.insert(pid);
    return pids;
}

bool hasUsableFrame(const Rect& bounds) {
    return std::isfinite(bounds.origin.x) && std::isfinite(bounds.origin.y) && std::isfinite(bounds.width()) &&
           std::isfinite(bounds.height()) && bounds.width() > 0 && bounds.height() > 0;
}

}  // namespace

std::vector<SpaceApplicationFocusTarget> SpaceApplicationFocusSelection::candidates(
    const std::string& appID, const std::string& desktopID, const std::vector<SpaceApplicationCatalog::Window>& windows,
    const std::vector<SpaceApplicationCatalog::Application>& applications, const std::vector<DesktopMonitor>& monitors,
    std::int32_t excludedPID, std::optional<std::uint32_t> preferredWindowID) {
    if (appID.empty()) return {};
    const DesktopMonitor* display = nullptr;
    const ManagedDesktop* desktop = nullptr;
    int matches = 0;
    std::set<std::uint64_t> knownSpaces;
    for (const auto& monitor : monitors)
        for (const auto& candidate : monitor.desktops) {
            knownSpaces.insert(candidate.spaceID);
            if (candidate.id == desktopID && ++matches == 1) {
                display = &monitor;
                desktop = &candidate;
            }
        }
    if (matches != 1 || display->id.empty() || desktop->spaceID == 0) return {};
    const auto displaysWithID = std::count_if(monitors.begin(), monitors.end(),
                                              [&](const DesktopMonitor& m) { return m.id == display->id; });
    int desktopsWithSpace = 0;
    for (const auto& monitor : monitors)
        desktopsWithSpace += static_cast<int>(std::count_if(monitor.desktops.begin(), monitor.desktops.end(),
                                                            [&](const ManagedDesktop& d) { return d.spaceID == desktop->spaceID; }));
    if (displaysWithID != 1 || desktopsWithSpace != 1) return {};

    const auto pids = owningProcesses(appID, applications, excludedPID);

    // Records of one window are merged: their space lists together decide whether the window
    // shows on one known desktop only.
    std::map<WindowKey, std::set<std::uint64_t>> spacesOfWindow;
    for (const auto& window : windows)
        spacesOfWindow[{window.id, window.ownerPID}].insert(window.spaceIDs.begin(), window.spaceIDs.end());
    auto onSingleDesktop = [&](const SpaceApplicationFocusTarget& target) {
        const auto found = spacesOfWindow.find({target.windowID, target.ownerPID});
        if (found == spacesOfWindow.end()) return false;
        const auto& spaces = found->second;
        return std::count_if(spaces.begin(), spaces.end(), [&](std::uint64_t id) { return knownSpaces.count(id) > 0; }) == 1;
    };

    std::vector<SpaceApplicationFocusTarget> kept;
    std::set<WindowKey> seen;
    for (const auto& window : windows) {
        if (window.id == 0 || !pids.count(window.ownerPID) || window.layer != 0 || !hasUsableFrame(window.bounds))
            continue;
        if (std::find(window.spaceIDs.begin(), window.spaceIDs.end(), desktop->spaceID) == window.spaceIDs.end())
            continue;
        if (!seen.insert({window.id, window.ownerPID}).second) continue;
        kept.push_back({window.id, window.ownerPID, desktop->spaceID, desktop->id, display->id});
    }

    const bool desktopIsCurrent = desktop->isCurrent;
    std::sort(kept.begin(), kept.end(), [&](const SpaceApplicationFocusTarget& a, const SpaceApplicationFocusTarget& b) {
        if (!desktopIsCurrent) {
            const bool aSingle = onSingleDesktop(a);
            const bool bSingle = onSingleDesktop(b);
            if (aSingle != bSingle) return aSingle;
        }
        if (preferredWindowID) {
            const bool aPreferred = a.windowID == *preferredWindowID;
            const bool bPreferred = b.windowID == *preferredWindowID;
            if (aPreferred != bPreferred) return aPreferred;
        }
        if (a.windowID != b.windowID) return a.windowID > b.windowID;
        return a.ownerPID < b.ownerPID;
    });
    return kept;
}

}  // namespace tarnwick
