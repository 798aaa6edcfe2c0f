#pragma once

#include <memory>
#include <optional>

#include "support/error.h"
#include "support/task.h"

namespace tarnwick {

// One request to open the Mission Control application, which shows Mission Control when it is
// hidden and hides it when it is shown. The workspace may take long to report the launch, or
// never do so, so every wait for the report is bounded by the launch's deadline. The report can
// be awaited again after an earlier wait gave up: a launch still on its way toggles Mission
// Control when it lands, which whoever cleans up after a failed switch must know. Main loop only.
class MissionControlLaunch {
public:
    static constexpr const char* kApplicationPath = "/System/Applications/Mission Control.app";

    // The launch's error, or nothing when it succeeded.
    using Report = std::optional<SystemError>;

    // Asks the workspace to open the application now; waits end at `deadline` (system uptime).
    static std::shared_ptr<MissionControlLaunch> start(double deadline);

    // The report once the launch has given it; nothing when the deadline passed first. Throws
    // CancellationError at once when the awaiting task is cancelled.
    Task<std::optional<Report>> report() const;
    bool hasReported() const { return state_->report.has_value(); }

private:
    struct State {
        std::optional<Report> report;
        std::optional<Continuation<Report>> waiter;  // the latest wait, resumed by the report
    };
    explicit MissionControlLaunch(double deadline) : deadline_(deadline), state_(std::make_shared<State>()) {}

    double deadline_;
    std::shared_ptr<State> state_;  // shared with the workspace's completion, which may come late
};

}  // namespace tarnwick
