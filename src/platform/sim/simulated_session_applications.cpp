// The session's applications and their windows: finding them, and the user activating,
// launching, quitting, relaunching and reopening applications.

#include <algorithm>

#include "platform/sim/sim_shared_application.h"
#include "platform/sim/simulated_session.h"
#include "platform/sim/ui/sim_window_system.h"

namespace tarnwick::sim {

namespace names = platform::notification_names;

const SimApplication* SimulatedSession::application(std::int32_t pid) const {
    for (const auto& app : applications)
        if (app.pid == pid) return &app;
    return nullptr;
}

const SimApplication* SimulatedSession::applicationWithBundleID(std::string_view bundleID) const {
    for (const auto& app : applications)
        if (!app.terminated && app.bundleIdentifier == bundleID) return &app;
    return nullptr;
}

SimWindow* SimulatedSession::window(std::uint32_t id) {
    for (auto& w : windows)
        if (w.id == id) return &w;
    return nullptr;
}

std::optional<std::int32_t> SimulatedSession::windowManagerPID() const {
    if (auto app = applicationWithBundleID(kWindowManagerBundleID)) return app->pid;
    return std::nullopt;
}

std::optional<std::int32_t> SimulatedSession::dockPID() const {
    if (auto app = applicationWithBundleID(kDockBundleID)) return app->pid;
    return std::nullopt;
}

std::uint32_t SimulatedSession::nextWindowID() const {
    std::uint32_t highest = 0;
    for (const auto& w : windows) highest = std::max(highest, w.id);
    return highest + 1;
}

void SimulatedSession::activateApplication(std::int32_t pid) {
    auto guard = lock();
    const std::int32_t own = system_.processID;
    const auto* app = application(pid);
    if (pid != own && (!app || app->terminated)) return;
    const bool wasOwn = frontmostPID == own;
    frontmostPID = pid;
    rebuildAccessibility();
    Dictionary info;
    info[platform::kApplicationProcessIDKey] = pid;
    if (app && app->bundleIdentifier) info[platform::kApplicationBundleIDKey] = *app->bundleIdentifier;
    if (pid == own && !app) info[platform::kApplicationBundleIDKey] = kOwnBundleID;
    workspaceCenter_->post(names::kDidActivateApplication, std::move(info));
    if (pid == own) {
        if (wasOwn) return;
        notificationCenter_->post(names::kApplicationDidBecomeActive);
        windowSystem_->applicationActivated();
        return;
    }
    // Another application takes the keyboard: our key window resigns.
    if (wasOwn) notificationCenter_->post(names::kApplicationDidResignActive);
    windowSystem_->resignKey();
}

bool SimulatedSession::ownApplicationActive() const {
    auto guard = lock();
    return frontmostPID == system_.processID;
}

void SimulatedSession::launchApplication(SimApplication launched) {
    auto guard = lock();
    Dictionary info;
    info[platform::kApplicationProcessIDKey] = launched.pid;
    if (launched.bundleIdentifier) info[platform::kApplicationBundleIDKey] = *launched.bundleIdentifier;
    std::erase_if(applications, [&](const SimApplication& a) { return a.pid == launched.pid; });
    applications.push_back(std::move(launched));
    rebuildAccessibility();
    workspaceCenter_->post(names::kDidLaunchApplication, std::move(info));
}

void SimulatedSession::terminateApplication(std::int32_t pid) {
    auto guard = lock();
    for (auto& app : applications) {
        if (app.pid != pid || app.terminated) continue;
        app.terminated = true;
        if (frontmostPID == pid) frontmostPID.reset();
        Dictionary info;
        info[platform::kApplicationProcessIDKey] = pid;
        if (app.bundleIdentifier) info[platform::kApplicationBundleIDKey] = *app.bundleIdentifier;
        rebuildAccessibility();
        workspaceCenter_->post(names::kDidTerminateApplication, std::move(info));
        return;
    }
}

std::optional<bool> SimulatedSession::reopenApplication() { return sharedApplication_->reopen(); }

std::int32_t SimulatedSession::nextProcessID() const {
    std::int32_t highest = system_.processID;
    for (const auto& app : applications) highest = std::max(highest, app.pid);
    return highest + 1;
}

std::optional<std::int32_t> SimulatedSession::relaunchApplication(std::string_view bundleID) {
    auto guard = lock();
    const SimApplication* running = applicationWithBundleID(bundleID);
    if (!running) return std::nullopt;
    SimApplication relaunched = *running;
    const std::int32_t oldPID = running->pid;
    terminateApplication(oldPID);
    // The quit instance leaves the list, so that restarts never pile up over a long run.
    std::erase_if(applications, [&](const SimApplication& a) { return a.pid == oldPID; });
    relaunched.pid = nextProcessID();
    relaunched.terminated = false;
    for (auto& w : windows)
        if (w.pid == oldPID) w.pid = relaunched.pid;
    explicitTreeRoots.erase(oldPID);  // the new process builds its elements afresh
    const std::int32_t pid = relaunched.pid;
    launchApplication(std::move(relaunched));
    return pid;
}

}  // namespace tarnwick::sim
