#include "installation/installed_copy_stop.h"

#include "installation/bundle_verification.h"
#include "installation/installation_error.h"
#include "installation/installation_policy.h"
#include "platform/file_url.h"
#include "platform/platform.h"

namespace tarnwick {

namespace {

bool hasTerminated(std::int32_t processID) {
    auto app = platform::current().workspace->runningApplication(processID);
    return !app || app->isTerminated;
}

}  // namespace

Task<void> stopInstalledCopies(platform::CodeRequirement requirement, std::vector<std::filesystem::path> directories,
                               ApplicationInstallationFlow::Recovery& recovery) {
    auto& platform = platform::current();
    const auto self = platform.system->processIdentifier();
    for (const auto& app : platform.workspace->runningApplications()) {
        if (app.processIdentifier == self) continue;
        if (app.bundleIdentifier != kApplicationBundleIdentifier) continue;
        auto bundle = app.bundleURL ? platform::pathFromFileURL(*app.bundleURL) : std::nullopt;
        if (!bundle || !ApplicationInstallationPolicy::isSafeInstalledCopy(*bundle, directories)) continue;
        try {
            verifyBundle(*bundle, requirement);
        } catch (const Error&) {
            continue;
        }
        if (!platform.applicationLauncher->terminate(app.processIdentifier))
            throw ApplicationInstallationError::applicationStillRunning();
        recovery.record(*bundle);
        for (int waits = 0; !hasTerminated(app.processIdentifier); ++waits) {
            if (waits == kQuitWaitLimit) throw ApplicationInstallationError::applicationStillRunning();
            co_await sleepFor(kQuitWaitInterval);
        }
    }
}

}  // namespace tarnwick
