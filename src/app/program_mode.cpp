#include "app/program_mode.h"

#include "installation/installation_bootstrap.h"
#include "platform/system.h"

namespace tarnwick::app {

ProgramMode programMode(const std::vector<std::string>& arguments) {
    using platform::hasArgument;
    if (isFinishInstallerEjectLaunch(arguments)) return ProgramMode::finishInstallerEject;
    if (hasArgument(arguments, "--locate") || hasArgument(arguments, "--locate-saved")) return ProgramMode::locate;
    if (hasArgument(arguments, "--diagnose")) return ProgramMode::diagnose;
    return ProgramMode::normal;
}

}  // namespace tarnwick::app
