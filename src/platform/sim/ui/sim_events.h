#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>

#include "platform/events.h"

namespace tarnwick::sim {

class SimulatedSession;

// The user's input as the whole system sees it: the modifier keys the simulated user holds, the
// double-click setting, and the global monitors that hear each change of the held modifiers (on
// a later turn of the main loop, as the events arrive).
class SimEvents final : public platform::Events {
public:
    explicit SimEvents(SimulatedSession& session) : session_(session) {}

    std::optional<platform::EventMonitorToken> addGlobalMonitor(platform::EventMask mask,
                                                                std::function<void(const platform::Event&)> handler) override;
    void removeMonitor(platform::EventMonitorToken token) override;
    platform::ModifierFlags modifierFlags() override;
    double doubleClickInterval() override;

    // ---- the user's side
    // Presses and holds the keys (added to those held) or lets go of them; each change that
    // alters the held flags is one flags-changed event.
    void holdModifiers(platform::ModifierFlags flags);
    void releaseModifiers(platform::ModifierFlags flags);

    // ---- state and what tests observe
    platform::ModifierFlags heldModifiers = 0;
    double clickInterval = 0.5;
    // false: the system installs no monitor and gives no token.
    bool installsMonitors = true;
    int monitorsInstalled = 0;
    int monitorsRemoved = 0;
    std::size_t activeMonitors() const { return monitors_.size(); }

private:
    struct Monitor {
        platform::EventMask mask;
        std::function<void(const platform::Event&)> handler;
    };
    void changeHeld(platform::ModifierFlags flags);

    SimulatedSession& session_;
    std::map<platform::EventMonitorToken, Monitor> monitors_;
    platform::EventMonitorToken nextToken_ = 1;
};

}  // namespace tarnwick::sim
