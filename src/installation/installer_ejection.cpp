#include "installation/installer_ejection.h"

#include <cerrno>
#include <charconv>
#include <optional>

#include "installation/base64.h"
#include "installation/installation_paths.h"
#include "installation/installation_policy.h"
#include "installation/installer_disk_image.h"
#include "platform/file_url.h"
#include "platform/platform.h"
#include "support/run_loop.h"

namespace tarnwick::InstallerEjection {

namespace fs = std::filesystem;

namespace {

// A decimal 32-bit process id with an optional sign, of at least 2 (0 and 1 are never copies
// of this app).
std::optional<std::int32_t> parseProcessID(const std::string& text) {
    std::string_view digits = text;
    if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
    if (digits.empty() || digits.front() == '+') return std::nullopt;
    std::int32_t value = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size() || value < 2) return std::nullopt;
    return value;
}

// Lets the main loop serve what falls due for a while: the clock's own time passes in tests.
void runMainLoop(double seconds) {
    RunLoop& loop = RunLoop::main();
    if (loop.clock().isManual()) {
        loop.advanceTo(loop.uptime() + seconds);
        return;
    }
    auto stop = loop.postAfter(seconds, [&loop] { loop.stop(); });
    loop.run();
    stop.cancel();
}

bool isGone(std::int32_t processID) {
    auto& platform = platform::current();
    auto app = platform.workspace->runningApplication(processID);
    return !app || app->isTerminated || platform.processes->probe(processID) != 0;
}

}  // namespace

HandOff schedule(const fs::path& installingBundle, const platform::RunningApplication& opened) {
    auto image = InstallerDiskImage::mounted(installingBundle);
    if (!image) return HandOff::notNeeded;
    auto& platform = platform::current();
    auto executable = platform.applicationLauncher->executableURL(opened.processIdentifier);
    if (!executable) return HandOff::failed;
    auto json = image->json();
    if (!json) return HandOff::failed;
    const std::vector<std::string> arguments{argument, std::to_string(platform.system->processIdentifier()),
                                             std::to_string(opened.processIdentifier), base64::encode(*json)};
    return platform.processes->spawnDetached(*executable, arguments, "/") ? HandOff::started : HandOff::failed;
}

Outcome finish(const std::vector<std::string>& arguments, const std::function<void(const fs::path&)>& verifySource) {
    auto& platform = platform::current();
    if (arguments.size() != 5) return Outcome::rejected;
    const platform::Bundle bundle = platform::mainBundle();
    if (!installationEnabled(bundle)) return Outcome::rejected;
    if (!ApplicationInstallationPolicy::isSafeInstalledCopy(bundle.bundleURL(), applicationsDirectories()))
        return Outcome::rejected;

    const auto installerID = parseProcessID(arguments[2]);
    const auto appID = parseProcessID(arguments[3]);
    if (!installerID || !appID || *appID == *installerID || *appID == platform.system->processIdentifier())
        return Outcome::rejected;

    auto json = base64::decode(arguments[4]);
    if (!json) return Outcome::rejected;
    auto image = InstallerDiskImage::fromJSON(*json);
    if (!image) return Outcome::rejected;

    // The process waited for must be this installed copy, not some other program.
    auto app = platform.workspace->runningApplication(*appID);
    if (!app) return Outcome::rejected;
    if (app->bundleIdentifier != bundle.bundleIdentifier()) return Outcome::rejected;
    auto appBundle = app->bundleURL ? platform::pathFromFileURL(*app->bundleURL) : std::nullopt;
    if (!appBundle || paths::normalized(*appBundle) != paths::normalized(bundle.bundleURL())) return Outcome::rejected;

    for (int wait = 0; wait < kMaximumWaits; ++wait) {
        if (isGone(*appID)) return Outcome::applicationGone;
        if (platform.processes->probe(*installerID) == ESRCH &&
            platform.applicationLauncher->isFinishedLaunching(*appID)) {
            if (InstallerDiskImage::mounted(image->app()) != image) return Outcome::imageChanged;
            try {
                verifySource(image->app());
            } catch (...) {
                return Outcome::sourceRejected;
            }
            if (platform.processes->probe(*appID) != 0) return Outcome::applicationGone;
            switch (image->ejectIfStillMounted()) {
            case InstallerDiskImage::Ejection::ejected: return Outcome::ejected;
            case InstallerDiskImage::Ejection::notMounted: return Outcome::imageChanged;
            case InstallerDiskImage::Ejection::detachFailed: return Outcome::detachFailed;
            }
        }
        runMainLoop(kWaitSlice);
    }
    return Outcome::installerStillRunning;
}

}  // namespace tarnwick::InstallerEjection
