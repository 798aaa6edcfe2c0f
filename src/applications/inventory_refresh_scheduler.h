#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "support/observable.h"

namespace tarnwick {

// The one repeating timer that refreshes every started application inventory: it runs while at
// least one refresh action is registered, starting with the first registration and stopping
// with the last removal. Main loop only.
class InventoryRefreshScheduler {
public:
    using FireAction = std::function<void()>;
    using StopAction = std::function<void()>;
    // Starts a repeating timer that runs the fire action every interval; returns its stop action.
    using Schedule = std::function<StopAction(FireAction fire, double interval)>;

    static constexpr double interval = 3.0;

    explicit InventoryRefreshScheduler(Schedule schedule);
    InventoryRefreshScheduler(const InventoryRefreshScheduler&) = delete;
    InventoryRefreshScheduler& operator=(const InventoryRefreshScheduler&) = delete;
    ~InventoryRefreshScheduler();

    // The program's scheduler, with repeatingTimer.
    static InventoryRefreshScheduler& shared();
    // A repeating timer on the main loop; each firing runs the action on a later turn.
    static StopAction repeatingTimer(FireAction fire, double interval);

    // Registers (or replaces) the refresh action under `id`; starts the timer if none runs.
    void add(const std::string& id, std::function<void()> refresh);
    // Removes the action; the last removal stops the timer.
    void remove(const std::string& id);

    bool isRunning() const { return static_cast<bool>(cancelTimer_); }

private:
    void tick(std::uint64_t generation);

    Schedule schedule_;
    std::map<std::string, std::function<void()>> refreshes_;
    StopAction cancelTimer_;
    std::uint64_t timerGeneration_ = 0;  // bumped whenever the timer stops
    LifetimeToken lifetime_;
};

}  // namespace tarnwick
