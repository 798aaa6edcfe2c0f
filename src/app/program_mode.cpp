#include "app/program_mode.h"

#include <algorithm>

#include "installation/installation_bootstrap.h"

namespace tarnwick::app {

bool hasArgument(const std::vector<std::string>& arguments, const char* argument) {
    // The program path is no option.
    return arguments.size() > 1 && std::find(arguments.begin() + 1, arguments.end(), argument) != arguments.end();
}

ProgramMode programMode(const std::vector<std::string>& arguments) {
    if (isFinishInstallerEjectLaunch(arguments)) return ProgramMode::finishInstallerEject;
    if (hasArgument(arguments, "--locate") || hasArgument(arguments, "--locate-saved")) return ProgramMode::locate;
    if (hasArgument(arguments, "--diagnose")) return ProgramMode::diagnose;
    return ProgramMode::normal;
}

}  // namespace tarnwick::app
