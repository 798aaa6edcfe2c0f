#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "support/error.h"

namespace tarnwick::platform {

enum class ActivationPolicy { regular, accessory, prohibited };

struct RunningApplication {
    std::int32_t processIdentifier = 0;
    std::optional<std::string> bundleIdentifier;
    std::optional<std::string> localizedName;
    std::optional<std::string> bundleURL;  // a file URL string
    ActivationPolicy activationPolicy = ActivationPolicy::regular;
    bool isHidden = false;
    bool isTerminated = false;
    bool isActive = false;
};

// The shared workspace: running applications and opening URLs.
class Workspace {
public:
    virtual ~Workspace() = default;
    // In the workspace's order.
    virtual std::vector<RunningApplication> runningApplications() = 0;
    virtual std::optional<RunningApplication> runningApplication(std::int32_t processID) = 0;
    virtual std::optional<std::int32_t> frontmostApplication() = 0;
    // Makes a running application the active one; false when it is not running.
    virtual bool activateApplication(std::int32_t processID) = 0;
    // Opens a URL with its default handler; false when nothing could open it.
    virtual bool openURL(const std::string& url) = 0;

    // The accessibility setting that asks for less motion (fades become instant).
    virtual bool accessibilityDisplayShouldReduceMotion() = 0;

    // Shows a hidden application again; false when it cannot be (no such running application).
    virtual bool unhide(std::int32_t processID) = 0;

    // Opens (launches or activates) the application bundle at a file path with the default
    // configuration. The completion runs later on the main run loop, with the launch's error
    // (what() is the system's description) or nothing on success.
    using OpenApplicationCompletion = std::function<void(std::optional<SystemError> error)>;
    virtual void openApplication(const std::string& path, OpenApplicationCompletion completion) = 0;
};

}  // namespace tarnwick::platform
