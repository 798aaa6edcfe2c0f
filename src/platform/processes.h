#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::platform {

struct ProcessOutput {
    std::string standardOutput;
    int exitStatus = 0;
};

// Child processes and process probes. Arguments go to the program as they are, never through a
// shell.
class Processes {
public:
    virtual ~Processes() = default;
    // Starts the executable with standard input and error on the null device and standard output
    // on a pipe, reads the output to its end and waits for the exit. Nothing when it cannot start.
    virtual std::optional<ProcessOutput> run(const std::filesystem::path& executable,
                                             const std::vector<std::string>& arguments,
                                             const std::filesystem::path& workingDirectory) = 0;
    // Starts the executable with every standard stream on the null device and does not wait for
    // it; false when it cannot start. The program sees the executable's path as its argument 0.
    virtual bool spawnDetached(const std::filesystem::path& executable, const std::vector<std::string>& arguments,
                               const std::filesystem::path& workingDirectory) = 0;
    // Sends signal 0: 0 when the process exists and may be signalled, else the error number
    // (ESRCH when there is no such process).
    virtual int probe(std::int32_t processID) = 0;
};

}  // namespace tarnwick::platform
