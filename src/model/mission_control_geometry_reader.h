#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "model/mission_control_geometry.h"
#include "support/executor.h"
#include "support/task.h"

namespace tarnwick {

// Reads Mission Control's Accessibility geometry for a process, one read at a time on its own
// serial executor, away from the main loop. It keeps nothing between reads but its limits.
class MissionControlGeometryReader {
public:
    explicit MissionControlGeometryReader(MissionControlGeometryLimits limits = {});
    MissionControlGeometryReader(const MissionControlGeometryReader&) = delete;
    MissionControlGeometryReader& operator=(const MissionControlGeometryReader&) = delete;

    // The reader the program uses, with the default limits. It is created on first use and takes
    // its executor from the factory installed at that moment, so the program must install its
    // executor factory (if any) before the first call. Tests make readers of their own instead:
    // an executor bound to one test's loop must not outlive that test.
    static MissionControlGeometryReader& shared();

    // Hops to the reader's executor, reads, and resumes on the awaiting task's loop. Never
    // throws; cancelling the awaiting task makes the read stop at its next check and come back
    // incomplete.
    Task<MissionControlGeometrySnapshot> read(std::int32_t processID);

    // The read itself, synchronously on the calling thread, through the installed platform's
    // Accessibility port and the system-uptime clock.
    MissionControlGeometrySnapshot readNow(std::int32_t processID, const std::function<bool()>& cancelled = {}) const;

    const MissionControlGeometryLimits& limits() const { return limits_; }

private:
    static MissionControlGeometrySnapshot readProcess(std::int32_t processID, const MissionControlGeometryLimits& limits,
                                                      const std::function<bool()>& cancelled);

    const MissionControlGeometryLimits limits_;
    std::shared_ptr<SerialExecutor> executor_;
};

}  // namespace tarnwick
