#pragma once

#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "installation/installer_ejection.h"
#include "platform/code_signing.h"
#include "platform/shared_application.h"
#include "platform/workspace.h"
#include "support/task.h"

namespace tarnwick {

// The application's delegate while the running copy must first be installed: no status item,
// no features, only the install alert. It installs the running copy into Applications (or opens
// an installed copy of the same or a newer build), quits other installed copies, opens the
// installed copy with "--settings", hands the installer disk image over for ejection and quits.
// Failures are shown in an alert offering Finder, a retry or quitting.
class ApplicationInstallationDelegate : public platform::ApplicationDelegate,
                                        public std::enable_shared_from_this<ApplicationInstallationDelegate> {
public:
    // `source` is the running copy's bundle as the bundle reports it; `directories` the
    // Applications folders (user's, then local).
    ApplicationInstallationDelegate(std::filesystem::path source, std::vector<std::filesystem::path> directories);

    const std::filesystem::path& source() const { return source_; }
    const std::vector<std::filesystem::path>& directories() const { return directories_; }

    void applicationDidFinishLaunching() override;
    bool applicationShouldHandleReopen(bool hasVisibleWindows) override;

    // The install alert and what follows it.
    void present();
    Task<platform::RunningApplication> install(platform::CodeRequirement requirement);
    Task<platform::RunningApplication> openInstalled(std::filesystem::path url);
    void showError(std::exception_ptr error);

    // The install or open task started from the alert (tests wait for it).
    const TaskHandle<>& installTask() const { return installTask_; }
    // What became of the disk-image hand-off after the last successful install or open.
    std::optional<InstallerEjection::HandOff> lastHandOff() const { return lastHandOff_; }
    // What could not be cleared of interrupted installations (also written to the log).
    const std::vector<std::string>& leftoverLog() const { return leftoverLog_; }

    static constexpr const char* kInstalledName = "Tarnwick.app";
    static constexpr const char* kOpenArgument = "--settings";

private:
    static Task<void> installOrOpen(std::shared_ptr<ApplicationInstallationDelegate> self,
                                    platform::CodeRequirement requirement,
                                    std::optional<std::filesystem::path> reusable);
    std::filesystem::path localApplicationsFolder() const;
    // Clears what a killed installation left beside each installed copy; failures only go to
    // the log, starting goes on.
    void clearInterruptedInstallations();

    std::filesystem::path source_;
    std::vector<std::filesystem::path> directories_;
    TaskHandle<> installTask_;
    std::optional<InstallerEjection::HandOff> lastHandOff_;
    std::vector<std::string> leftoverLog_;
};

}  // namespace tarnwick
