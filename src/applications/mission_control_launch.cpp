#include "applications/mission_control_launch.h"

#include <utility>

#include "platform/platform.h"

namespace tarnwick {

std::shared_ptr<MissionControlLaunch> MissionControlLaunch::start(double deadline) {
    std::shared_ptr<MissionControlLaunch> launch(new MissionControlLaunch(deadline));
    platform::current().workspace->openApplication(kApplicationPath, [state = launch->state_](Report report) {
        if (state->report) return;  // a workspace that reports twice: the first report stands
        state->report = report;
        if (auto waiter = std::exchange(state->waiter, std::nullopt)) waiter->resume(std::move(report));
    });
    return launch;
}

Task<std::optional<MissionControlLaunch::Report>> MissionControlLaunch::report() const {
    // Named, not a temporary of the co_await expression: GCC 12 may destroy such a temporary
    // twice, and this one holds the shared state.
    CompletionWaitAwaiter<Report>::Start attach = [state = state_](Continuation<Report> continuation) {
        if (state->report)
            continuation.resume(*state->report);
        else
            state->waiter = continuation;  // an earlier wait that gave up is replaced
    };
    co_return co_await waitForCompletion<Report>(std::move(attach), deadline_);
}

}  // namespace tarnwick
