#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::testkit {

struct ProgramResult {
    int exitStatus = -1;
    int terminatingSignal = 0;  // set when a signal ended the program
    std::string standardOutput;
    std::string standardError;
};

struct RunOptions {
    // Variables taken out of the environment the program inherits.
    std::vector<std::string> unset;
    // Where standard output goes instead of being collected: a file (such as "/dev/full"), or,
    // with `closedOutput`, a pipe whose reading end is already closed.
    std::optional<std::string> outputFile;
    bool closedOutput = false;
    // What the program reads on standard input before its end (at most a pipe's worth, 64 KiB);
    // none: the test's own standard input.
    std::optional<std::string> input;
};

// Runs the built tarnwick program with the arguments and extra environment variables, and
// collects what it prints. TARNWICK_SESSION is never inherited from the test's environment.
ProgramResult runTarnwick(const std::vector<std::string>& arguments, const std::map<std::string, std::string>& environment,
                          const RunOptions& options = {});

// The environment a started program gets: the test's own, without `unset` and
// TARNWICK_SESSION, with `environment` on top.
std::vector<std::string> programEnvironment(const std::map<std::string, std::string>& environment,
                                            const std::vector<std::string>& unset = {});

}  // namespace tarnwick::testkit
