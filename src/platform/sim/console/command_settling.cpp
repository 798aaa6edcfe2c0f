#include "platform/sim/console/command_settling.h"

#include <chrono>

#include "support/run_loop.h"

namespace tarnwick::sim {

CommandSettling::Waiting CommandSettling::realTime() {
    return Waiting{
        [] { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); },
        [](RunLoop& loop, std::uint64_t seen, double seconds) { loop.waitForWork(seen, seconds); }};
}

CommandSettling::Outcome CommandSettling::settle(RunLoop& loop, CausedWork::Cause cause, bool workersOnly, double cap,
                                                 const Waiting& waiting) {
    // Whenever a piece of caused work ends, whoever waits looks again.
    CausedWork::Watch watch([&loop] { loop.wake(); });
    const double giveUp = waiting.now() + cap;
    while (!loop.stopRequested()) {
        loop.runReady();
        const std::uint64_t seen = loop.activity();
        // In real time a completion the work awaits may come from any thread, or from a timer
        // that falls due meanwhile.
        const std::size_t pending = workersOnly ? CausedWork::onWorkers(cause) : CausedWork::outstanding(cause);
        if (pending == 0) return Outcome::settled;
        const double left = giveUp - waiting.now();
        if (left <= 0) return Outcome::stillRunning;
        waiting.wait(loop, seen, left);
    }
    return Outcome::stopped;
}

}  // namespace tarnwick::sim
