#include "platform/sim/sim_workspace.h"

#include "platform/sim/simulated_session.h"

namespace tarnwick::sim {

platform::RunningApplication SimWorkspace::describe(const SimApplication& app) const {
    platform::RunningApplication result;
    result.processIdentifier = app.pid;
    result.bundleIdentifier = app.bundleIdentifier;
    result.localizedName = app.name;
    result.bundleURL = app.bundleURL;
    result.activationPolicy = app.policy;
    result.isHidden = app.hidden;
    result.isTerminated = app.terminated;
    result.isActive = session_.frontmostPID == app.pid;
    return result;
}

std::vector<platform::RunningApplication> SimWorkspace::runningApplications() {
    auto guard = session_.lock();
    std::vector<platform::RunningApplication> result;
    for (const auto& app : session_.applications)
        if (!app.terminated) result.push_back(describe(app));
    return result;
}

std::optional<platform::RunningApplication> SimWorkspace::runningApplication(std::int32_t processID) {
    auto guard = session_.lock();
    if (processID == session_.system().processID && !session_.application(processID)) {
        // Our own process, which the session's application list leaves out.
        platform::RunningApplication own;
        own.processIdentifier = processID;
        own.bundleIdentifier = kOwnBundleID;
        own.localizedName = "Tarnwick";
        own.activationPolicy = session_.applicationState.activationPolicy.value_or(platform::ActivationPolicy::accessory);
        own.isActive = session_.frontmostPID == processID;
        return own;
    }
    const auto* app = session_.application(processID);
    if (!app || app->terminated) return std::nullopt;
    return describe(*app);
}

std::optional<std::int32_t> SimWorkspace::frontmostApplication() {
    auto guard = session_.lock();
    return session_.frontmostPID;
}

bool SimWorkspace::activateApplication(std::int32_t processID) {
    auto guard = session_.lock();
    if (!runningApplication(processID)) return false;
    session_.activateApplication(processID);
    return true;
}

bool SimWorkspace::openURL(const std::string& url) {
    auto guard = session_.lock();
    auto colon = url.find(':');
    if (colon == std::string::npos || colon == 0) return false;
    session_.openedURLs.push_back(url);
    return true;
}

bool SimWorkspace::unhide(std::int32_t processID) {
    auto guard = session_.lock();
    for (auto& app : session_.applications) {
        if (app.pid != processID || app.terminated) continue;
        app.hidden = false;
        session_.rebuildAccessibility();
        return true;
    }
    return false;
}

bool SimWorkspace::accessibilityDisplayShouldReduceMotion() {
    auto guard = session_.lock();
    return session_.reduceMotion;
}

void SimWorkspace::openApplication(const std::string& path, OpenApplicationCompletion completion) {
    auto guard = session_.lock();
    session_.openApplication(path, std::move(completion));
}

}  // namespace tarnwick::sim
