// The session's side of navigation: the Mission Control application, desktop buttons, raising
// windows and bringing a process to the front.

#include <algorithm>

#include "platform/sim/simulated_session.h"

namespace tarnwick::sim {

namespace ax = platform::ax_error;

namespace {

// When a switch never lands, Mission Control still closes as if it had, this long after the press.
constexpr double kUnlandedSwitchDelay = 0.25;
constexpr const char* kLaunchErrorDomain = "NSOSStatusErrorDomain";
constexpr long kLaunchFailed = -10810;
constexpr const char* kNotFoundDescription = "The application can’t be opened because it can’t be found.";

}  // namespace

void SimulatedSession::openApplication(const std::string& path,
                                       platform::Workspace::OpenApplicationCompletion completion) {
    std::optional<SystemError> error;
    bool toggles = false;
    if (path == kMissionControlApplicationPath) {
        ++navigation.missionControlLaunches;
        if (navigation.launchError)
            error.emplace(kLaunchErrorDomain, kLaunchFailed, *navigation.launchError);
        else
            toggles = true;
    } else {
        error.emplace(file_error::kDomain, file_error::kFileNoSuchFile, kNotFoundDescription);
    }
    loop_.postAfter(std::max(0.0, navigation.launchDelay), [this, toggles, error, completion] {
        if (toggles) toggleMissionControl();
        if (completion) completion(error);
    });
}

platform::AXError SimulatedSession::pressDesktopButton(std::uint32_t displayID, std::uint64_t spaceID) {
    ++navigation.desktopPresses;
    const platform::AXError status = navigation.pressStatus;
    // A refused press does nothing; cannot-complete still goes through, as a slow Dock does.
    if (status != ax::kSuccess && status != ax::kCannotComplete) return status;
    if (navigation.pressIgnored) return status;
    const std::optional<double> switchDelay = navigation.switchDelay;
    const std::optional<double> closeDelay = navigation.closeDelay;
    loop_.postAfter(switchDelay.value_or(kUnlandedSwitchDelay), [this, displayID, spaceID, switchDelay, closeDelay] {
        if (switchDelay) switchDesktop(displayID, spaceID);
        if (closeDelay) loop_.postAfter(*closeDelay, [this] { closeMissionControl(); });
    });
    return status;
}

platform::AXError SimulatedSession::raiseWindow(std::uint32_t windowID) {
    if (navigation.windowsRefusingRaise.count(windowID)) return ax::kCannotComplete;
    auto it = std::find_if(windows.begin(), windows.end(), [&](const SimWindow& x) { return x.id == windowID; });
    if (it == windows.end()) return ax::kCannotComplete;
    std::rotate(windows.begin(), it, it + 1);
    rebuildAccessibility();
    return ax::kSuccess;
}

void SimulatedSession::bringToFront(std::int32_t pid, std::uint32_t windowID) {
    activateApplication(pid);
    if (navigation.windowsRefusingRaise.count(windowID)) return;
    auto it = std::find_if(windows.begin(), windows.end(),
                           [&](const SimWindow& x) { return x.id == windowID && x.pid == pid; });
    if (it == windows.end()) return;
    std::rotate(windows.begin(), it, it + 1);
    rebuildAccessibility();
}

}  // namespace tarnwick::sim
