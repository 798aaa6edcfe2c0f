#pragma once

#include <functional>
#include <optional>

#include "support/observable.h"
#include "support/run_loop.h"

namespace tarnwick {

// Runs only the latest of a burst of submitted closures, 50 ms after the burst's first
// submission: a steady stream of settings changes (a slider being dragged) runs its latest work
// about every 50 ms while it lasts rather than once at its end. Main loop only.
class SettingsWorkCoalescer {
public:
    using Work = std::function<void()>;
    // Arranges for the job to run after the delay (seconds); the handle cancels it.
    using Schedule = std::function<WorkItem(double delay, RunLoop::Job job)>;

    static constexpr double kDelay = 0.05;

    // By default the work runs on the main loop.
    SettingsWorkCoalescer();
    explicit SettingsWorkCoalescer(Schedule schedule);
    // Pending work never runs once the coalescer is gone.
    ~SettingsWorkCoalescer();
    SettingsWorkCoalescer(const SettingsWorkCoalescer&) = delete;
    SettingsWorkCoalescer& operator=(const SettingsWorkCoalescer&) = delete;

    // Replaces the pending work (the earlier one never runs) and schedules a run unless one is
    // already scheduled.
    void submit(Work work);
    // Runs the pending work now, if any, and drops the scheduled run.
    void flush();
    // Drops the pending work and the scheduled run.
    void cancel();

    bool hasPendingWork() const { return static_cast<bool>(pending_); }

private:
    Schedule schedule_;
    std::optional<WorkItem> scheduled_;
    Work pending_;
    LifetimeToken lifetime_;
};

}  // namespace tarnwick
