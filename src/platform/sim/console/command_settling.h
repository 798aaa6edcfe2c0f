#pragma once

#include <cstdint>
#include <functional>

#include "support/caused_work.h"

namespace tarnwick {
class RunLoop;
}

namespace tarnwick::sim {

// How a command's answer waits for the work the command set going for now (its cause): the
// loop runs it as its next turns would, and the answer waits, for at most a cap of real
// seconds, for what still runs elsewhere. Only the command's own work counts: an earlier
// command's work still running on a worker is not waited for again.
struct CommandSettling {
    // The real time the cap is measured in and the way to wait for more work. Tests put their
    // own, so that reaching the cap takes no real time.
    struct Waiting {
        std::function<double()> now;  // seconds, never going back
        // Sleeps until the loop has new work or `seconds` have passed.
        std::function<void(RunLoop& loop, std::uint64_t seenActivity, double seconds)> wait;
    };
    static Waiting realTime();

    enum class Outcome { settled, stillRunning, stopped };

    // Runs the loop's ready work until nothing of the cause is left to wait for: only its jobs on
    // worker threads when `workersOnly` (on virtual time the loop runs everything else), else any
    // of its work. Stops early when the loop is asked to stop, and at the cap.
    static Outcome settle(RunLoop& loop, CausedWork::Cause cause, bool workersOnly, double cap,
                          const Waiting& waiting);
};

}  // namespace tarnwick::sim
