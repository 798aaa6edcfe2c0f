#pragma once

#include <cstdint>
#include <exception>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/workspace.h"

namespace tarnwick::platform {

// How the workspace opens an application.
struct OpenConfiguration {
    bool createsNewApplicationInstance = false;
    bool allowsRunningApplicationSubstitution = true;
    bool activates = true;
    bool promptsUserIfNeeded = false;
    std::vector<std::string> arguments;
};

// Opening and quitting applications, and what a running application tells beyond the workspace's
// list.
class ApplicationLauncher {
public:
    virtual ~ApplicationLauncher() = default;
    // Opens the application bundle; the completion runs later on the main loop with the running
    // application, or with the error.
    using OpenCompletion = std::function<void(std::optional<RunningApplication>, std::exception_ptr)>;
    virtual void openApplication(const std::filesystem::path& bundleURL, const OpenConfiguration& configuration,
                                 OpenCompletion completion) = 0;
    // A normal quit request (not a forced one); false when the application refuses it. An
    // application that accepts quits later.
    virtual bool terminate(std::int32_t processID) = 0;
    virtual bool isFinishedLaunching(std::int32_t processID) = 0;
    virtual std::optional<std::filesystem::path> executableURL(std::int32_t processID) = 0;
    // Shows the items selected in a file-viewer window.
    virtual void activateFileViewerSelecting(const std::vector<std::filesystem::path>& items) = 0;
};

}  // namespace tarnwick::platform
