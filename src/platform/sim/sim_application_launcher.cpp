#include "platform/sim/sim_application_launcher.h"

#include <algorithm>

#include "platform/bundle.h"
#include "platform/file_url.h"
#include "platform/sim/simulated_session.h"
#include "support/error.h"

namespace tarnwick::sim {

namespace fs = std::filesystem;

namespace {

constexpr long kLaunchFailed = -10810;  // kLSUnknownErr

std::optional<fs::path> bundlePathOf(const SimApplication& app) {
    if (!app.bundleURL) return std::nullopt;
    return platform::pathFromFileURL(*app.bundleURL);
}

}  // namespace

void SimApplicationLauncher::openApplication(const fs::path& bundleURL,
                                             const platform::OpenConfiguration& configuration,
                                             OpenCompletion completion) {
    auto& services = session_.launchServices;
    services.requests.push_back({bundleURL, configuration});
    const auto error = services.openError;
    session_.loop().postAfter(services.completionDelay, [this, bundleURL, configuration, error, completion] {
        if (error) {
            completion(std::nullopt,
                       std::make_exception_ptr(SystemError("NSOSStatusErrorDomain", kLaunchFailed, *error)));
            return;
        }
        auto launched = open(bundleURL, configuration);
        if (!launched) {
            completion(std::nullopt, std::make_exception_ptr(SystemError("NSOSStatusErrorDomain", kLaunchFailed,
                                                                         "The application can\u2019t be opened.")));
            return;
        }
        completion(launched, nullptr);
    });
}

std::optional<platform::RunningApplication> SimApplicationLauncher::open(
    const fs::path& requested, const platform::OpenConfiguration& configuration) {
    const fs::path bundle = session_.launchServices.launchesFrom.value_or(requested);
    std::error_code error;
    if (!fs::is_directory(fs::symlink_status(bundle, error))) return std::nullopt;
    auto& workspace = *session_.platform().workspace;
    if (!configuration.createsNewApplicationInstance) {
        for (const auto& app : session_.applications) {
            auto path = bundlePathOf(app);
            if (!app.terminated && path && path->lexically_normal() == bundle.lexically_normal())
                return workspace.runningApplication(app.pid);
        }
    }
    std::int32_t pid = std::max<std::int32_t>(session_.system().processIdentifier(), 900);
    for (const auto& app : session_.applications) pid = std::max(pid, app.pid);
    ++pid;

    const platform::Bundle info(bundle);
    SimApplication app;
    app.pid = pid;
    app.bundleIdentifier = info.bundleIdentifier();
    auto name = info.object("CFBundleName");
    app.name = name && name->asString() ? *name->asString() : bundle.stem().string();
    app.bundleURL = platform::fileURLString(bundle, true);
    auto executable = info.object("CFBundleExecutable");
    SimProcessDetails details;
    details.executable =
        bundle / "Contents/MacOS" / (executable && executable->asString() ? *executable->asString() : *app.name);
    details.finishedLaunching = session_.launchServices.launchDuration <= 0;
    details.arguments = configuration.arguments;
    session_.processTable.details[pid] = details;
    session_.launchApplication(app);
    if (!details.finishedLaunching)
        session_.loop().postAfter(session_.launchServices.launchDuration, [this, pid] {
            if (auto it = session_.processTable.details.find(pid); it != session_.processTable.details.end())
                it->second.finishedLaunching = true;
        });
    return workspace.runningApplication(pid);
}

bool SimApplicationLauncher::terminate(std::int32_t processID) {
    session_.processTable.quitRequests.push_back(processID);
    const auto* app = session_.application(processID);
    if (!app || app->terminated) return false;
    auto it = session_.processTable.details.find(processID);
    const SimProcessDetails details = it != session_.processTable.details.end() ? it->second : SimProcessDetails{};
    switch (details.quitAnswer) {
    case SimQuitAnswer::refuse: return false;
    case SimQuitAnswer::ignore: return true;
    case SimQuitAnswer::quit: break;
    }
    session_.loop().postAfter(details.quitDelay, [this, processID] { session_.terminateApplication(processID); });
    return true;
}

bool SimApplicationLauncher::isFinishedLaunching(std::int32_t processID) {
    auto it = session_.processTable.details.find(processID);
    return it == session_.processTable.details.end() || it->second.finishedLaunching;
}

std::optional<fs::path> SimApplicationLauncher::executableURL(std::int32_t processID) {
    auto it = session_.processTable.details.find(processID);
    if (it == session_.processTable.details.end()) return std::nullopt;
    return it->second.executable;
}

void SimApplicationLauncher::activateFileViewerSelecting(const std::vector<fs::path>& items) {
    for (const auto& item : items) session_.launchServices.revealedInFinder.push_back(item);
}

}  // namespace tarnwick::sim
