#pragma once

#include "platform/processes.h"

namespace tarnwick::sim {

class SimulatedSession;

inline constexpr const char* kDiskImageToolPath = "/usr/bin/hdiutil";

// Child processes of the session: the disk-image tool answers from the session's attached
// images; detached launches are recorded; signal-0 probes answer from the process table (the
// session's own process, its applications and other processes).
class SimProcesses : public platform::Processes {
public:
    explicit SimProcesses(SimulatedSession& session) : session_(session) {}

    std::optional<platform::ProcessOutput> run(const std::filesystem::path& executable,
                                               const std::vector<std::string>& arguments,
                                               const std::filesystem::path& workingDirectory) override;
    bool spawnDetached(const std::filesystem::path& executable, const std::vector<std::string>& arguments,
                       const std::filesystem::path& workingDirectory) override;
    int probe(std::int32_t processID) override;

private:
    SimulatedSession& session_;
};

// The disk-image tool's answer to one invocation.
platform::ProcessOutput runDiskImageTool(SimulatedSession& session, const std::vector<std::string>& arguments);

}  // namespace tarnwick::sim
