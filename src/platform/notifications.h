#pragma once

#include <functional>
#include <string>

#include "support/observable.h"
#include "support/value.h"

namespace tarnwick::platform {

struct Notification {
    std::string name;
    Dictionary userInfo;
};

namespace notification_names {
// Workspace centre
inline constexpr const char* kActiveSpaceDidChange = "NSWorkspaceActiveSpaceDidChangeNotification";
inline constexpr const char* kWillSleep = "NSWorkspaceWillSleepNotification";
inline constexpr const char* kDidWake = "NSWorkspaceDidWakeNotification";
inline constexpr const char* kSessionDidResignActive = "NSWorkspaceSessionDidResignActiveNotification";
inline constexpr const char* kSessionDidBecomeActive = "NSWorkspaceSessionDidBecomeActiveNotification";
inline constexpr const char* kDidActivateApplication = "NSWorkspaceDidActivateApplicationNotification";
inline constexpr const char* kDidLaunchApplication = "NSWorkspaceDidLaunchApplicationNotification";
inline constexpr const char* kDidTerminateApplication = "NSWorkspaceDidTerminateApplicationNotification";
inline constexpr const char* kAccessibilityDisplayOptionsDidChange =
    "NSWorkspaceAccessibilityDisplayOptionsDidChangeNotification";
// Application (default) centre
inline constexpr const char* kScreenParametersDidChange = "NSApplicationDidChangeScreenParametersNotification";
inline constexpr const char* kKeyboardSelectionDidChange = "NSTextInputContextKeyboardSelectionDidChangeNotification";
inline constexpr const char* kCurrentLocaleDidChange = "NSCurrentLocaleDidChangeNotification";
// Distributed centre
inline constexpr const char* kScreenIsLocked = "com.apple.screenIsLocked";
inline constexpr const char* kScreenIsUnlocked = "com.apple.screenIsUnlocked";
}  // namespace notification_names

// Key of the application's process id in the user info of the workspace's application
// notifications.
inline constexpr const char* kApplicationProcessIDKey = "NSWorkspaceApplicationProcessIdentifier";
inline constexpr const char* kApplicationBundleIDKey = "NSWorkspaceApplicationBundleIdentifier";

// A notification centre. Observers are called on the main run loop; the returned subscription
// removes the observer when it is destroyed.
class NotificationCenter {
public:
    virtual ~NotificationCenter() = default;
    [[nodiscard]] virtual Subscription addObserver(const std::string& name,
                                                   std::function<void(const Notification&)> observer) = 0;
};

}  // namespace tarnwick::platform
