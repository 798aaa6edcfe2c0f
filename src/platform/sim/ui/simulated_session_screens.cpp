// The user's changes of screens, desktops, the Reduce Motion setting and the locale, and the
// modifier keys the user holds.

#include <algorithm>

#include "platform/sim/simulated_session.h"
#include "platform/sim/ui/sim_events.h"
#include "platform/sim/ui/sim_menus.h"
#include "platform/sim/ui/sim_status_bar.h"
#include "platform/sim/ui/sim_window_system.h"
#include "platform/ui/screens.h"

namespace tarnwick::sim {

namespace names = platform::notification_names;

void SimulatedSession::setReduceMotion(bool on) {
    auto guard = lock();
    if (reduceMotion == on) return;
    reduceMotion = on;
    workspaceNotificationCenter().post(names::kAccessibilityDisplayOptionsDidChange);
}

void SimulatedSession::setLocale(platform::Locale locale) {
    auto guard = lock();
    if (system_.locale == locale) return;
    system_.locale = std::move(locale);
    notificationCenter().post(names::kCurrentLocaleDidChange);
}

void SimulatedSession::holdModifiers(platform::ModifierFlags flags) { events_->holdModifiers(flags); }

void SimulatedSession::releaseModifiers(platform::ModifierFlags flags) { events_->releaseModifiers(flags); }

void SimulatedSession::setDisplayBounds(std::uint32_t displayID, Rect bounds) {
    changeScreens([&] {
        SimDisplay* d = display(displayID);
        if (!d) return false;
        d->bounds = bounds;
        rebuildAccessibility();
        return true;
    });
}

void SimulatedSession::setDisplayReserved(std::uint32_t displayID, SimInsets reserved) {
    changeScreens([&] {
        SimDisplay* d = display(displayID);
        if (!d) return false;
        d->reserved = reserved;
        return true;
    });
}

void SimulatedSession::changeScreens(const std::function<bool()>& change) {
    double heightBefore = 0;
    std::vector<platform::ScreenDescription> before;
    {
        auto guard = lock();
        heightBefore = primaryHeight();
        before = platform::ui::screens();
        if (!change()) return;
    }
    screensChanged(heightBefore, std::move(before));
}

void SimulatedSession::screensChanged(double primaryHeightBefore, std::vector<platform::ScreenDescription> before) {
    // An open menu hangs from a place on a display that has changed or gone: the system ends its
    // tracking, as a click elsewhere would, and its owner hears it close.
    menus_->dismiss();
    // Screen coordinates start at the primary screen's bottom: when its height changes, they
    // rise or fall under everything that keeps its place on the displays.
    double rise = 0;
    {
        auto guard = lock();
        rise = primaryHeight() - primaryHeightBefore;
    }
    windowSystem_->screenCoordinatesRose(rise);
    statusBar_->placeItems();
    for (auto& screen : before) {
        screen.frame.origin.y += rise;
        screen.visibleFrame.origin.y += rise;
    }
    windowSystem_->keepWindowsOnScreens(before);
    windowSystem_->keepPointerOnScreens();
    auto guard = lock();
    notificationCenter().post(names::kScreenParametersDidChange);
}

void SimulatedSession::addDesktop(std::uint32_t displayID, SimSpace space) {
    auto guard = lock();
    SimDisplay* d = display(displayID);
    if (!d) return;
    d->spaces.push_back(std::move(space));
    if (d->spaces.size() == 1) d->currentSpace = d->spaces.front().id64;
    rebuildAccessibility();
}

bool SimulatedSession::removeDesktop(std::uint32_t displayID, std::uint64_t spaceID) {
    auto guard = lock();
    SimDisplay* d = display(displayID);
    if (!d || d->spaces.size() < 2) return false;
    auto it = std::find_if(d->spaces.begin(), d->spaces.end(), [&](const SimSpace& s) { return s.id64 == spaceID; });
    if (it == d->spaces.end()) return false;
    // The neighbour takes over: the next desktop, else the previous one.
    const auto index = static_cast<size_t>(it - d->spaces.begin());
    d->spaces.erase(it);
    const std::uint64_t neighbour = d->spaces[std::min(index, d->spaces.size() - 1)].id64;
    // Its windows move to the neighbour, as the system moves them, ours too.
    for (auto& w : windows)
        for (auto& s : w.spaces)
            if (s == spaceID) s = neighbour;
    windowSystem_->desktopRemoved({displayID, spaceID}, neighbour);
    const bool wasCurrent = d->currentSpace == spaceID;
    if (wasCurrent) d->currentSpace = neighbour;
    rebuildAccessibility();
    if (wasCurrent) {
        workspaceNotificationCenter().post(names::kActiveSpaceDidChange);
        windowSystem_->activeSpaceChanged();
    }
    return true;
}

}  // namespace tarnwick::sim
