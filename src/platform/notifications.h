#pragma once

#include <functional>
#include <string>

#include "support/observable.h"
#include "support/value.h"

namespace tarnwick::platform {

struct Notification {
    std::string name;
    Dictionary userInfo;
    // What posted it, for notifications about one object (a window); nothing otherwise.
    const void* object = nullptr;
};

namespace notification_names {
// Workspace centre
inline constexpr const char* kActiveSpaceDidChange = "NSWorkspaceActiveSpaceDidChangeNotification";
inline constexpr const char* kWillSleep = "NSWorkspaceWillSleepNotification";
inline constexpr const char* kDidWake = "NSWorkspaceDidWakeNotification";
inline constexpr const char* kScreensDidSleep = "NSWorkspaceScreensDidSleepNotification";
inline constexpr const char* kScreensDidWake = "NSWorkspaceScreensDidWakeNotification";
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
inline constexpr const char* kApplicationDidBecomeActive = "NSApplicationDidBecomeActiveNotification";
inline constexpr const char* kApplicationDidResignActive = "NSApplicationDidResignActiveNotification";
// Application (default) centre, each posted by one window (the notification's object)
inline constexpr const char* kWindowDidBecomeKey = "NSWindowDidBecomeKeyNotification";
inline constexpr const char* kWindowDidResignKey = "NSWindowDidResignKeyNotification";
inline constexpr const char* kWindowDidMove = "NSWindowDidMoveNotification";
inline constexpr const char* kWindowDidChangeScreen = "NSWindowDidChangeScreenNotification";
inline constexpr const char* kWindowDidChangeOcclusionState = "NSWindowDidChangeOcclusionStateNotification";
inline constexpr const char* kWindowWillClose = "NSWindowWillCloseNotification";
inline constexpr const char* kWindowDidResize = "NSWindowDidResizeNotification";
inline constexpr const char* kWindowDidMiniaturize = "NSWindowDidMiniaturizeNotification";
inline constexpr const char* kWindowDidDeminiaturize = "NSWindowDidDeminiaturizeNotification";
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
    // Every notification of the name, whoever posted it.
    [[nodiscard]] virtual Subscription addObserver(const std::string& name,
                                                   std::function<void(const Notification&)> observer) = 0;
    // Only those of the name that `object` posts (the notifications of one window, say).
    [[nodiscard]] virtual Subscription addObserver(const std::string& name, const void* object,
                                                   std::function<void(const Notification&)> observer) = 0;
    // Posts a notification; its observers hear it on a later turn of the main loop.
    virtual void post(Notification notification) = 0;
};

}  // namespace tarnwick::platform
