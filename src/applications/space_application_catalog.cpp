#include "applications/space_application_catalog.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "applications/file_url.h"
#include "applications/localized_standard_compare.h"
#include "support/text.h"

namespace tarnwick {

namespace {

constexpr const char* kFallbackName = "Application";

}  // namespace

bool SpaceApplicationCatalog::isEligible(const Window& window, std::int32_t excludedPID) {
    if (window.ownerPID == excludedPID) return false;
    if (window.layer != 0) return false;
    if (!std::isfinite(window.bounds.origin.x) || !std::isfinite(window.bounds.origin.y)) return false;
    // The standardized size: never negative.
    const double width = window.bounds.width();
    const double height = window.bounds.height();
    if (!std::isfinite(width) || !std::isfinite(height)) return false;
    return width > 0 && height > 0;
}

std::string SpaceApplicationCatalog::identity(const Application& application) {
    if (application.bundleID) {
        std::string trimmed = text::trimmed(*application.bundleID);
        if (!trimmed.empty()) return trimmed;
    }
    if (application.bundleURL) return file_url::path(*application.bundleURL);
    return std::to_string(application.pid);
}

std::string SpaceApplicationCatalog::displayName(const std::optional<std::string>& localizedName,
                                                 const std::optional<std::string>& bundleIdentifier) {
    if (localizedName) return *localizedName;
    if (bundleIdentifier) return *bundleIdentifier;
    return kFallbackName;
}

bool SpaceApplicationCatalog::preferred(const SpaceApplication& candidate, const SpaceApplication& current) {
    if (candidate.bundleURL.has_value() != current.bundleURL.has_value()) return candidate.bundleURL.has_value();
    if (candidate.name != current.name) return candidate.name < current.name;
    return candidate.bundleURL.value_or("") < current.bundleURL.value_or("");
}

std::map<std::string, std::vector<SpaceApplication>> SpaceApplicationCatalog::group(
    const std::vector<Window>& windows, const std::vector<Application>& applications,
    const std::vector<DesktopMonitor>& monitors, std::int32_t excludedPID) {
    // Space id to desktop, for the space ids that exactly one desktop has.
    std::unordered_map<std::uint64_t, const ManagedDesktop*> desktopBySpace;
    std::unordered_map<std::uint64_t, int> desktopsPerSpace;
    std::map<std::string, std::vector<SpaceApplication>> result;
    for (const auto& monitor : monitors)
        for (const auto& desktop : monitor.desktops) {
            desktopBySpace[desktop.spaceID] = &desktop;
            ++desktopsPerSpace[desktop.spaceID];
            result[desktop.id];
        }

    // Regular apps by pid, the first record of a pid winning; the identity is made once.
    std::unordered_map<std::int32_t, SpaceApplication> appByPID;
    for (const auto& application : applications)
        if (application.isRegular && !appByPID.count(application.pid))
            appByPID.emplace(application.pid,
                             SpaceApplication{identity(application), application.name, application.bundleURL});

    // Desktop UUID to app identity to the kept record.
    std::unordered_map<std::string, std::map<std::string, SpaceApplication>> records;
    for (const auto& window : windows) {
        if (appByPID.empty() || !isEligible(window, excludedPID)) continue;
        const auto app = appByPID.find(window.ownerPID);
        if (app == appByPID.end()) continue;
        const SpaceApplication& candidate = app->second;
        for (auto spaceID : window.spaceIDs) {
            const auto desktop = desktopBySpace.find(spaceID);
            if (desktop == desktopBySpace.end() || desktopsPerSpace[spaceID] != 1) continue;
            auto& kept = records[desktop->second->id];
            const auto existing = kept.find(candidate.id);
            if (existing == kept.end())
                kept.emplace(candidate.id, candidate);
            else if (preferred(candidate, existing->second))
                existing->second = candidate;
        }
    }

    for (auto& [desktopID, byIdentity] : records) {
        auto& list = result[desktopID];
        list.reserve(byIdentity.size());
        for (auto& [identity, application] : byIdentity) list.push_back(std::move(application));
        std::stable_sort(list.begin(), list.end(), [](const SpaceApplication& a, const SpaceApplication& b) {
            if (const int order = localizedStandardCompare(a.name, b.name); order != 0) return order < 0;
            return a.id < b.id;
        });
    }
    return result;
}

}  // namespace tarnwick
