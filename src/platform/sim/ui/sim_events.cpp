#include "platform/sim/ui/sim_events.h"

#include <vector>

#include "platform/sim/simulated_session.h"

namespace tarnwick::sim {

std::optional<platform::EventMonitorToken> SimEvents::addGlobalMonitor(
    platform::EventMask mask, std::function<void(const platform::Event&)> handler) {
    auto guard = session_.lock();
    if (!installsMonitors || !handler) return std::nullopt;
    const auto token = nextToken_++;
    monitors_.emplace(token, Monitor{mask, std::move(handler)});
    ++monitorsInstalled;
    return token;
}

void SimEvents::removeMonitor(platform::EventMonitorToken token) {
    auto guard = session_.lock();
    if (monitors_.erase(token)) ++monitorsRemoved;
}

platform::ModifierFlags SimEvents::modifierFlags() {
    auto guard = session_.lock();
    return heldModifiers;
}

double SimEvents::doubleClickInterval() {
    auto guard = session_.lock();
    return clickInterval;
}

void SimEvents::holdModifiers(platform::ModifierFlags flags) { changeHeld(heldModifiers | flags); }

void SimEvents::releaseModifiers(platform::ModifierFlags flags) { changeHeld(heldModifiers & ~flags); }

void SimEvents::changeHeld(platform::ModifierFlags flags) {
    auto guard = session_.lock();
    if (flags == heldModifiers) return;
    heldModifiers = flags;
    const platform::Event event{platform::ui::event_type::kFlagsChanged, flags};
    std::vector<platform::EventMonitorToken> hearing;
    for (const auto& [token, monitor] : monitors_)
        if (monitor.mask & platform::event_mask::kFlagsChanged) hearing.push_back(token);
    // Delivered on a later turn, to the monitors still installed then.
    session_.loop().post([this, event, hearing] {
        for (auto token : hearing) {
            std::function<void(const platform::Event&)> handler;
            {
                auto guard = session_.lock();
                auto it = monitors_.find(token);
                if (it == monitors_.end()) continue;
                handler = it->second.handler;
            }
            handler(event);
        }
    });
}

}  // namespace tarnwick::sim
