#include "platform/sim/sim_shared_application.h"

#include "platform/sim/simulated_session.h"

namespace tarnwick::sim {

namespace fs = std::filesystem;

void SimSharedApplication::activate(bool) {
    auto guard = session_.lock();
    ++session_.applicationState.activations;
    session_.activateApplication(session_.system().processID);
}

bool SimSharedApplication::isActive() {
    auto guard = session_.lock();
    return session_.frontmostPID == session_.system().processID;
}

void SimSharedApplication::terminate() {
    ++session_.applicationState.terminations;
    session_.loop().stop();
}

fs::path SimMainBundle::bundleURL() {
    if (session_.fileSystem.mainBundle) return *session_.fileSystem.mainBundle;
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    if (error) return fs::current_path(error);
    const fs::path macOS = executable.parent_path();
    const fs::path contents = macOS.parent_path();
    if (macOS.filename() == "MacOS" && contents.filename() == "Contents" &&
        contents.parent_path().extension() == ".app")
        return contents.parent_path();
    return macOS;
}

}  // namespace tarnwick::sim
