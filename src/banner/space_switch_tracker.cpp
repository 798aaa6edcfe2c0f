#include "banner/space_switch_tracker.h"

namespace tarnwick {

std::string SpaceSwitchTracker::Change::title(const std::map<std::string, std::string>& names) const {
    if (auto it = names.find(desktop.id); it != names.end()) return it->second;
    return desktop.nativeTitle;
}

std::map<std::string, SpaceSwitchTracker::Current> SpaceSwitchTracker::current(
    const std::vector<DesktopMonitor>& monitors) {
    std::map<std::string, Current> memory;
    for (const auto& monitor : monitors) {
        const ManagedDesktop* desktop = monitor.currentDesktop();
        memory[monitor.id] = Current{desktop ? std::optional<std::string>(desktop->id) : std::nullopt};
    }
    return memory;
}

void SpaceSwitchTracker::reset(const std::vector<DesktopMonitor>& monitors) { previous_ = current(monitors); }

std::vector<SpaceSwitchTracker::Change> SpaceSwitchTracker::observe(const std::vector<DesktopMonitor>& monitors) {
    std::vector<Change> changes;
    for (const auto& monitor : monitors) {
        auto remembered = previous_.find(monitor.id);
        if (remembered == previous_.end()) continue;
        const ManagedDesktop* desktop = monitor.currentDesktop();
        if (!desktop) continue;
        if (remembered->second.uuid == desktop->id) continue;
        changes.push_back(Change{monitor.id, *desktop});
    }
    previous_ = current(monitors);
    return changes;
}

}  // namespace tarnwick
