#pragma once

#include <map>
#include <string>
#include <vector>

namespace tarnwick::testkit {

struct ProgramResult {
    int exitStatus = -1;
    std::string standardOutput;
    std::string standardError;
};

// Runs the built tarnwick program with the arguments and extra environment variables, and
// collects what it prints.
ProgramResult runTarnwick(const std::vector<std::string>& arguments, const std::map<std::string, std::string>& environment);

}  // namespace tarnwick::testkit
