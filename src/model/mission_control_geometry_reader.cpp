#include "model/mission_control_geometry_reader.h"

#include <utility>

#include "model/mission_control_geometry_traversal.h"
#include "model/native_mission_control_geometry_access.h"
#include "platform/platform.h"
#include "support/run_loop.h"

namespace tarnwick {

MissionControlGeometryReader::MissionControlGeometryReader(MissionControlGeometryLimits limits)
    : limits_(limits), executor_(makeSerialExecutor("tarnwick.mission-control.geometry")) {}

MissionControlGeometryReader& MissionControlGeometryReader::shared() {
    static MissionControlGeometryReader reader;
    return reader;
}

Task<MissionControlGeometrySnapshot> MissionControlGeometryReader::read(std::int32_t processID) {
    const TaskContext context = co_await currentTaskContext();
    // The job copies what it needs: it may still run after this reader is gone.
    auto job = [processID, limits = limits_, token = context.cancellation] {
        return readProcess(processID, limits, [&token] { return token && token->isCancelled(); });
    };
    MissionControlGeometrySnapshot snapshot = co_await onExecutor(*executor_, std::move(job));
    co_return snapshot;
}

MissionControlGeometrySnapshot MissionControlGeometryReader::readNow(std::int32_t processID,
                                                                     const std::function<bool()>& cancelled) const {
    return readProcess(processID, limits_, cancelled);
}

MissionControlGeometrySnapshot MissionControlGeometryReader::readProcess(std::int32_t processID,
                                                                         const MissionControlGeometryLimits& limits,
                                                                         const std::function<bool()>& cancelled) {
    const std::function<bool()> never = [] { return false; };
    const std::function<bool()>& isCancelled = cancelled ? cancelled : never;
    if (processID < 1 || isCancelled()) return {};

    platform::Accessibility& accessibility = *platform::current().accessibility;
    const NativeMissionControlGeometryAccess::Node application{accessibility.createApplication(processID)};
    NativeMissionControlGeometryAccess access(accessibility, limits.maximumNodes, isCancelled);
    return MissionControlGeometryTraversal::read(application, access, limits, systemUptime, isCancelled);
}

}  // namespace tarnwick
