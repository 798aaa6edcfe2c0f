#include "platform/sim/sim_processes.h"

#include <cerrno>

#include "platform/sim/simulated_session.h"

namespace tarnwick::sim {

std::optional<platform::ProcessOutput> SimProcesses::run(const std::filesystem::path& executable,
                                                         const std::vector<std::string>& arguments,
                                                         const std::filesystem::path&) {
    if (executable != kDiskImageToolPath) return std::nullopt;
    return runDiskImageTool(session_, arguments);
}

bool SimProcesses::spawnDetached(const std::filesystem::path& executable, const std::vector<std::string>& arguments,
                                 const std::filesystem::path& workingDirectory) {
    if (session_.processTable.spawnFails) return false;
    SimSpawn spawn{executable, {executable.string()}, workingDirectory};
    spawn.argv.insert(spawn.argv.end(), arguments.begin(), arguments.end());
    session_.processTable.spawned.push_back(std::move(spawn));
    return true;
}

int SimProcesses::probe(std::int32_t processID) {
    const auto& table = session_.processTable;
    if (auto forced = table.probeErrors.find(processID); forced != table.probeErrors.end()) return forced->second;
    if (processID <= 0) return EINVAL;
    if (processID == session_.system().processIdentifier() || table.otherProcesses.count(processID)) return 0;
    const auto* app = session_.application(processID);
    return app && !app->terminated ? 0 : ESRCH;
}

}  // namespace tarnwick::sim
