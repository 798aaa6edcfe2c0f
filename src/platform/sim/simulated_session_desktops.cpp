// The session's displays and their desktops: finding them, switching desktops, opening and closing
// Mission Control, and plugging and unplugging displays.

#include <algorithm>

#include "platform/sim/simulated_session.h"
#include "platform/sim/ui/sim_window_system.h"

namespace tarnwick::sim {

namespace names = platform::notification_names;

SimDisplay* SimulatedSession::display(std::uint32_t id) {
    for (auto& d : displays)
        if (d.id == id) return &d;
    return nullptr;
}

const SimDisplay* SimulatedSession::display(std::uint32_t id) const {
    for (const auto& d : displays)
        if (d.id == id) return &d;
    return nullptr;
}

std::vector<std::uint32_t> SimulatedSession::orderedScreens() const {
    std::vector<std::uint32_t> order;
    for (auto id : screenOrder)
        if (display(id)) order.push_back(id);
    for (const auto& d : displays)
        if (std::find(order.begin(), order.end(), d.id) == order.end()) order.push_back(d.id);
    return order;
}

bool SimulatedSession::isOnCurrentDesktop(const SimWindow& window) const {
    if (window.spaces.empty()) return true;
    for (const auto& d : displays)
        if (std::find(window.spaces.begin(), window.spaces.end(), d.currentSpace) != window.spaces.end()) return true;
    return false;
}

std::uint64_t SimulatedSession::nextSpaceID() const {
    std::uint64_t highest = 0;
    for (const auto& d : displays)
        for (const auto& s : d.spaces) highest = std::max(highest, s.id64);
    return highest + 1;
}

void SimulatedSession::switchDesktop(std::uint32_t displayID, std::uint64_t spaceID) {
    auto guard = lock();
    SimDisplay* d = display(displayID);
    if (!d) return;
    if (std::none_of(d->spaces.begin(), d->spaces.end(), [&](const SimSpace& s) { return s.id64 == spaceID; })) return;
    if (d->currentSpace == spaceID) return;
    d->currentSpace = spaceID;
    rebuildAccessibility();
    workspaceCenter_->post(names::kActiveSpaceDidChange);
    // A key window of ours left behind on the desktop the user leaves resigns.
    windowSystem_->activeSpaceChanged();
}

void SimulatedSession::openMissionControl() {
    auto guard = lock();
    if (missionControlOpen) return;
    missionControlOpen = true;
    spacesBarExpanded = false;
    capture.missionControlOpenedAt = loop_.uptime();
    rebuildAccessibility();
}

void SimulatedSession::closeMissionControl() {
    auto guard = lock();
    if (!missionControlOpen) return;
    missionControlOpen = false;
    spacesBarExpanded = false;
    rebuildAccessibility();
}

void SimulatedSession::toggleMissionControl() {
    auto guard = lock();
    if (missionControlOpen)
        closeMissionControl();
    else
        openMissionControl();
}

void SimulatedSession::setSpacesBarExpanded(bool expanded) {
    auto guard = lock();
    if (!missionControlOpen || spacesBarExpanded == expanded) return;
    spacesBarExpanded = expanded;
    rebuildAccessibility();
}

double SimulatedSession::primaryHeight() const {
    const auto order = orderedScreens();
    const SimDisplay* primary = order.empty() ? nullptr : display(order.front());
    return primary ? primary->bounds.height() : 0;
}

void SimulatedSession::addDisplay(SimDisplay added) {
    changeScreens([&] {
        displays.push_back(std::move(added));
        rebuildAccessibility();
        return true;
    });
}

void SimulatedSession::removeDisplay(std::uint32_t displayID) {
    // Unplugging the primary display makes the next one primary: the menu bar goes there.
    changeScreens([&] {
        if (std::erase_if(displays, [&](const SimDisplay& d) { return d.id == displayID; }) == 0) return false;
        rebuildAccessibility();
        return true;
    });
}

}  // namespace tarnwick::sim
