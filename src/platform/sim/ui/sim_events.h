#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "platform/events.h"

namespace tarnwick::sim {

class SimulatedSession;

// The user's input as the whole system sees it: the modifier keys the simulated user holds, the
// double-click setting, the event our application is handling now, and the monitors. Global
// monitors hear what goes to other applications (each change of the held modifiers, mouse-downs
// that pass our windows) on a later turn of the main loop, as the events arrive; local monitors
// hear what is meant for our windows before the window gets it.
class SimEvents final : public platform::Events {
public:
    explicit SimEvents(SimulatedSession& session) : session_(session) {}

    std::optional<platform::EventMonitorToken> addGlobalMonitor(platform::EventMask mask,
                                                                std::function<void(const platform::Event&)> handler) override;
    std::optional<platform::EventMonitorToken> addLocalMonitor(
        platform::EventMask mask, std::function<std::optional<platform::Event>(const platform::Event&)> handler) override;
    void removeMonitor(platform::EventMonitorToken token) override;
    std::optional<platform::Event> currentEvent() override;
    platform::ModifierFlags modifierFlags() override;
    double doubleClickInterval() override;

    // ---- the user's side
    // Presses and holds the keys (added to those held) or lets go of them; each change that
    // alters the held flags is one flags-changed event.
    void holdModifiers(platform::ModifierFlags flags);
    void releaseModifiers(platform::ModifierFlags flags);

    // ---- delivery (the window system and the keyboard routing)
    // An event that goes to another application: the global monitors of its kind hear it later.
    void sentToOtherApplication(const platform::Event& event);
    // An event meant for one of our windows passes the local monitors of its kind, oldest first;
    // what comes out is delivered (nothing: a monitor swallowed it).
    std::optional<platform::Event> passLocalMonitors(platform::Event event);
    // While one lives, the event is the application's current event (scopes nest).
    class Handling {
    public:
        Handling(SimEvents& events, const platform::Event& event);
        ~Handling();
        Handling(const Handling&) = delete;
        Handling& operator=(const Handling&) = delete;

    private:
        SimEvents& events_;
    };

    // ---- state and what tests observe
    platform::ModifierFlags heldModifiers = 0;
    double clickInterval = 0.5;
    // false: the system installs no monitor and gives no token.
    bool installsMonitors = true;
    int monitorsInstalled = 0;
    int monitorsRemoved = 0;
    std::size_t activeMonitors() const { return monitors_.size(); }
    // The monitors installed now of one kind.
    std::size_t activeMonitors(bool local, platform::EventMask mask) const;

private:
    struct Monitor {
        platform::EventMask mask;
        bool local = false;
        std::function<void(const platform::Event&)> global;
        std::function<std::optional<platform::Event>(const platform::Event&)> localHandler;
    };
    void changeHeld(platform::ModifierFlags flags);
    std::optional<platform::EventMonitorToken> install(Monitor monitor);

    SimulatedSession& session_;
    std::map<platform::EventMonitorToken, Monitor> monitors_;
    platform::EventMonitorToken nextToken_ = 1;
    std::vector<platform::Event> handling_;
};

}  // namespace tarnwick::sim
