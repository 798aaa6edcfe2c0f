#include "platform/sim/ui/sim_events.h"

#include <vector>

#include "platform/sim/simulated_session.h"

namespace tarnwick::sim {

std::optional<platform::EventMonitorToken> SimEvents::install(Monitor monitor) {
    auto guard = session_.lock();
    if (!installsMonitors) return std::nullopt;
    const auto token = nextToken_++;
    monitors_.emplace(token, std::move(monitor));
    ++monitorsInstalled;
    return token;
}

std::optional<platform::EventMonitorToken> SimEvents::addGlobalMonitor(
    platform::EventMask mask, std::function<void(const platform::Event&)> handler) {
    if (!handler) return std::nullopt;
    return install(Monitor{mask, false, std::move(handler), nullptr});
}

std::optional<platform::EventMonitorToken> SimEvents::addLocalMonitor(
    platform::EventMask mask, std::function<std::optional<platform::Event>(const platform::Event&)> handler) {
    if (!handler) return std::nullopt;
    return install(Monitor{mask, true, nullptr, std::move(handler)});
}

void SimEvents::removeMonitor(platform::EventMonitorToken token) {
    auto guard = session_.lock();
    if (monitors_.erase(token)) ++monitorsRemoved;
}

std::size_t SimEvents::activeMonitors(bool local, platform::EventMask mask) const {
    auto guard = session_.lock();
    std::size_t count = 0;
    for (const auto& [token, monitor] : monitors_)
        if (monitor.local == local && (monitor.mask & mask) == mask) ++count;
    return count;
}

std::optional<platform::Event> SimEvents::currentEvent() {
    auto guard = session_.lock();
    if (handling_.empty()) return std::nullopt;
    return handling_.back();
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
    platform::Event event;
    event.type = platform::ui::event_type::kFlagsChanged;
    event.modifierFlags = flags;
    sentToOtherApplication(event);
}

void SimEvents::sentToOtherApplication(const platform::Event& event) {
    auto guard = session_.lock();
    std::vector<platform::EventMonitorToken> hearing;
    for (const auto& [token, monitor] : monitors_)
        if (!monitor.local && platform::eventMatches(monitor.mask, event.type)) hearing.push_back(token);
    if (hearing.empty()) return;
    // Delivered on a later turn, to the monitors still installed then.
    session_.loop().post([this, event, hearing] {
        for (auto token : hearing) {
            std::function<void(const platform::Event&)> handler;
            {
                auto guard = session_.lock();
                auto it = monitors_.find(token);
                if (it == monitors_.end()) continue;
                handler = it->second.global;
            }
            handler(event);
        }
    });
}

std::optional<platform::Event> SimEvents::passLocalMonitors(platform::Event event) {
    std::vector<platform::EventMonitorToken> hearing;
    {
        auto guard = session_.lock();
        for (const auto& [token, monitor] : monitors_)
            if (monitor.local && platform::eventMatches(monitor.mask, event.type)) hearing.push_back(token);
    }
    for (auto token : hearing) {
        std::function<std::optional<platform::Event>(const platform::Event&)> handler;
        {
            auto guard = session_.lock();
            auto it = monitors_.find(token);
            if (it == monitors_.end()) continue;
            handler = it->second.localHandler;
        }
        auto passed = handler(event);
        if (!passed) return std::nullopt;
        event = *passed;
    }
    return event;
}

SimEvents::Handling::Handling(SimEvents& events, const platform::Event& event) : events_(events) {
    auto guard = events_.session_.lock();
    events_.handling_.push_back(event);
}

SimEvents::Handling::~Handling() {
    auto guard = events_.session_.lock();
    events_.handling_.pop_back();
}

}  // namespace tarnwick::sim
