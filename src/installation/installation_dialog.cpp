#include "installation/installation_dialog.h"

#include <cstdio>

#include "installation/bundle_verification.h"
#include "installation/installation_error.h"
#include "installation/installation_flow.h"
#include "installation/installation_leftovers.h"
#include "installation/installation_paths.h"
#include "installation/installation_policy.h"
#include "installation/installed_copy_stop.h"
#include "platform/file_url.h"
#include "platform/platform.h"

namespace tarnwick {

namespace fs = std::filesystem;

namespace {

constexpr const char* kEscape = "\x1b";
constexpr const char* kFinderHint = "\n\nYou can also drag Tarnwick into Applications in Finder, then open it there.";

std::optional<fs::path> bundlePathOf(const platform::RunningApplication& app) {
    if (!app.bundleURL) return std::nullopt;
    return platform::pathFromFileURL(*app.bundleURL);
}

// Awaits the workspace's completion of opening an application. Built outside the coroutine so the
// callback's captures are never part of a co_await expression.
ContinuationAwaiter<platform::RunningApplication> openApplication(platform::ApplicationLauncher& launcher,
                                                                  const fs::path& url,
                                                                  const platform::OpenConfiguration& configuration) {
    return withContinuation<platform::RunningApplication>(
        [&launcher, url, configuration](Continuation<platform::RunningApplication> continuation) {
            launcher.openApplication(
                url, configuration,
                [continuation](std::optional<platform::RunningApplication> app, std::exception_ptr error) mutable {
                    if (error)
                        continuation.resumeThrowing(error);
                    else if (!app)
                        continuation.resumeThrowing(
                            std::make_exception_ptr(ApplicationInstallationError::unexpectedLaunchLocation()));
                    else
                        continuation.resume(*app);
                });
        });
}

}  // namespace

ApplicationInstallationDelegate::ApplicationInstallationDelegate(fs::path source, std::vector<fs::path> directories)
    : source_(std::move(source)), directories_(std::move(directories)) {}

void ApplicationInstallationDelegate::applicationDidFinishLaunching() {
    platform::current().application->activate(true);
    std::weak_ptr<ApplicationInstallationDelegate> weak = weak_from_this();
    RunLoop::main().post([weak] {
        if (auto self = weak.lock()) self->present();
    });
}

bool ApplicationInstallationDelegate::applicationShouldHandleReopen(bool) {
    platform::current().application->activate(true);
    return true;
}

void ApplicationInstallationDelegate::clearInterruptedInstallations() {
    auto& files = *platform::current().fileManager;
    const InstallationLeftovers::Verify verify = [](const fs::path& bundle) {
        verifyBundle(bundle, requireDesignatedRequirement());
    };
    for (const auto& directory : directories_) {
        for (auto& line : InstallationLeftovers::recover(directory / kInstalledName, verify, files)) {
            std::fprintf(stderr, "Tarnwick: %s\n", line.c_str());
            leftoverLog_.push_back(std::move(line));
        }
    }
}

void ApplicationInstallationDelegate::present() {
    auto& platform = platform::current();
    // First, so that a copy a killed installation parked is back in place before the installed
    // copies are looked at.
    clearInterruptedInstallations();
    auto requirement = designatedRequirement();
    if (!requirement) {
        showError(std::make_exception_ptr(ApplicationInstallationError::invalidApplication()));
        return;
    }
    std::int64_t sourceBuild = 0;
    try {
        verifyBundle(source_, *requirement);
        sourceBuild = ApplicationInstallationSignature::build(source_);
    } catch (...) {
        showError(std::current_exception());
        return;
    }

    // The installed copy with the highest build that is at least the running one; on equal
    // builds the first folder wins.
    std::optional<fs::path> reusable;
    std::int64_t reusableBuild = 0;
    for (const auto& directory : directories_) {
        const fs::path candidate = directory / kInstalledName;
        try {
            if (!ApplicationInstallationPolicy::isSafeInstalledCopy(candidate, directories_)) continue;
            verifyBundle(candidate, *requirement);
            const auto build = ApplicationInstallationSignature::build(candidate);
            if (!ApplicationInstallationPolicy::reuseInstalledCopy(sourceBuild, build)) continue;
            if (!reusable || build > reusableBuild) {
                reusable = candidate;
                reusableBuild = build;
            }
        } catch (const Error&) {}
    }

    platform::Alert alert;
    alert.iconOfFile = source_;
    if (reusable) {
        alert.messageText = "Tarnwick is already installed";
        alert.informativeText = "Open the installed copy to use Tarnwick and receive automatic updates.";
        alert.buttons = {{"Open Tarnwick", "\r"}, {"Quit", kEscape}};
    } else {
        alert.messageText = "Install Tarnwick";
        alert.informativeText =
            "Keep Tarnwick in Applications so automatic updates can install and relaunch correctly. Your desktop "
            "names and settings will be kept.";
        alert.buttons = {{"Install and Open", "\r"}, {"Quit", kEscape}};
    }
    if (alert.runModal() != platform::kAlertFirstButtonReturn) {
        platform.application->terminate();
        return;
    }
    installTask_ = spawn(installOrOpen(shared_from_this(), *requirement, reusable));
}

Task<void> ApplicationInstallationDelegate::installOrOpen(std::shared_ptr<ApplicationInstallationDelegate> self,
                                                          platform::CodeRequirement requirement,
                                                          std::optional<fs::path> reusable) {
    std::exception_ptr failure;
    std::optional<platform::RunningApplication> opened;
    try {
        auto obtaining = reusable ? self->openInstalled(*reusable) : self->install(requirement);
        opened = co_await std::move(obtaining);
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure) {
        self->showError(failure);
        co_return;
    }
    self->lastHandOff_ = InstallerEjection::schedule(self->source_, *opened);
    platform::current().application->terminate();
}

fs::path ApplicationInstallationDelegate::localApplicationsFolder() const {
    auto local = platform::current().fileManager->applicationsDirectories(platform::search_domain::kLocal);
    return local.empty() ? fs::path("/Applications") : local.front();
}

Task<platform::RunningApplication> ApplicationInstallationDelegate::install(platform::CodeRequirement requirement) {
    auto& platform = platform::current();
    auto& files = *platform.fileManager;
    auto user = files.applicationsDirectories(platform::search_domain::kUser);
    const fs::path system = localApplicationsFolder();
    const fs::path userFolder = user.empty() ? platform.system->homeDirectory() / "Applications" : user.front();
    const fs::path folder = ApplicationInstallationPolicy::preferredApplicationsDirectory(
        system, userFolder, [&files](const fs::path& directory) { return files.isWritableFile(directory); });
    const fs::path destination = folder / kInstalledName;

    ApplicationInstallationTransaction transaction;
    ApplicationInstallationFlow::Verify verify = [requirement](const fs::path& bundle) {
        verifyBundle(bundle, requirement);
    };
    ApplicationInstallationFlow::Stop stop =
        [requirement, directories = directories_](ApplicationInstallationFlow::Recovery& recovery) {
            return stopInstalledCopies(requirement, directories, recovery);
        };
    ApplicationInstallationFlow::Open<platform::RunningApplication> open = [self = shared_from_this()](fs::path url) {
        return self->openInstalled(std::move(url));
    };
    auto flow = ApplicationInstallationFlow::install<platform::RunningApplication>(transaction, source_, destination,
                                                                                   verify, stop, open);
    co_return co_await std::move(flow);
}

Task<platform::RunningApplication> ApplicationInstallationDelegate::openInstalled(fs::path url) {
    auto& platform = platform::current();
    if (!ApplicationInstallationPolicy::isSafeInstalledCopy(url, directories_))
        throw ApplicationInstallationError::unsafeLocation();
    verifyBundle(url, requireDesignatedRequirement());

    const fs::path target = paths::normalized(url);
    const auto self = platform.system->processIdentifier();
    bool wantsNewInstance = true;
    for (const auto& app : platform.workspace->runningApplications()) {
        if (app.processIdentifier == self) continue;
        auto bundle = bundlePathOf(app);
        if (bundle && paths::normalized(*bundle) == target) {
            wantsNewInstance = false;
            break;
        }
    }

    platform::OpenConfiguration configuration;
    configuration.createsNewApplicationInstance = wantsNewInstance;
    configuration.allowsRunningApplicationSubstitution = false;
    configuration.activates = true;
    configuration.promptsUserIfNeeded = true;
    configuration.arguments = {kOpenArgument};
    auto* launcher = platform.applicationLauncher;
    auto opening = openApplication(*launcher, url, configuration);
    auto launched = co_await std::move(opening);

    // The system may run a translocated or other copy instead of the installed one.
    auto launchedBundle = bundlePathOf(launched);
    if (!launchedBundle || paths::normalized(*launchedBundle) != target ||
        !ApplicationInstallationPolicy::isSafeInstalledCopy(*launchedBundle, directories_)) {
        if (wantsNewInstance) launcher->terminate(launched.processIdentifier);
        throw ApplicationInstallationError::unexpectedLaunchLocation();
    }
    co_return launched;
}

void ApplicationInstallationDelegate::showError(std::exception_ptr error) {
    auto& platform = platform::current();
    std::string description = "The operation couldn\u2019t be completed.";
    try {
        if (error) std::rethrow_exception(error);
    } catch (const std::exception& e) {
        description = e.what();
    } catch (...) {}
    platform::Alert alert;
    alert.messageText = "Tarnwick couldn\u2019t be installed";
    alert.informativeText = description + kFinderHint;
    alert.buttons = {{"Show in Finder", "\r"}, {"Try Again", ""}, {"Quit", kEscape}};
    switch (alert.runModal()) {
    case platform::kAlertSecondButtonReturn: {
        std::weak_ptr<ApplicationInstallationDelegate> weak = weak_from_this();
        RunLoop::main().post([weak] {
            if (auto self = weak.lock()) self->present();
        });
        return;
    }
    case platform::kAlertFirstButtonReturn:
        platform.applicationLauncher->activateFileViewerSelecting({source_});
        platform.workspace->openURL(platform::fileURLString(localApplicationsFolder(), true));
        platform.application->terminate();
        return;
    default: platform.application->terminate(); return;
    }
}

}  // namespace tarnwick
