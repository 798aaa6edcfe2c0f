#pragma once

#include <filesystem>

#include "platform/accessibility.h"
#include "platform/alerts.h"
#include "platform/application_launcher.h"
#include "platform/bundle.h"
#include "platform/code_signing.h"
#include "platform/displays.h"
#include "platform/events.h"
#include "platform/hot_keys.h"
#include "platform/icons.h"
#include "platform/keyboard_layouts.h"
#include "platform/login_items.h"
#include "platform/file_manager.h"
#include "platform/notifications.h"
#include "platform/pasteboard.h"
#include "platform/processes.h"
#include "platform/screen_capture.h"
#include "platform/shared_application.h"
#include "platform/private_functions.h"
#include "platform/system.h"
#include "platform/text_input_context.h"
#include "platform/text_recognition.h"
#include "platform/ui/menu.h"
#include "platform/ui/status_item.h"
#include "platform/ui/text_metrics.h"
#include "platform/ui/window_system.h"
#include "platform/updater.h"
#include "platform/user_defaults.h"
#include "platform/window_server.h"
#include "platform/workspace.h"

namespace tarnwick::platform {

// Every platform service the system calls, one port each. The program installs one backend
// (the simulated session); nothing above this layer knows which.
struct Platform {
    Displays* displays = nullptr;
    WindowServer* windowServer = nullptr;
    Accessibility* accessibility = nullptr;
    Workspace* workspace = nullptr;
    NotificationCenter* notificationCenter = nullptr;           // the application's default centre
    NotificationCenter* workspaceNotificationCenter = nullptr;  // the shared workspace's centre
    NotificationCenter* distributedNotificationCenter = nullptr;
    UserDefaults* userDefaults = nullptr;                       // the standard domain
    SystemInfo* system = nullptr;
    // Global keyboard shortcuts, keyboard layouts and the login item.
    HotKeys* hotKeys = nullptr;
    KeyboardLayouts* keyboardLayouts = nullptr;
    LoginItemService* loginItem = nullptr;
    // Self-installation: files, the running bundle, code signing, processes, launching, alerts.
    FileManager* fileManager = nullptr;
    MainBundle* mainBundle = nullptr;
    CodeSigning* codeSigning = nullptr;
    Processes* processes = nullptr;
    ApplicationLauncher* applicationLauncher = nullptr;
    SharedApplication* application = nullptr;
    Alerts* alerts = nullptr;
    // Functions looked up by name at run time (the private front-process calls).
    PrivateFunctions* privateFunctions = nullptr;
    // App icons and the files they come from.
    Icons* icons = nullptr;
    // Screen capture and text recognition (the Mission Control captions).
    ScreenCapture* screenCapture = nullptr;
    TextRecognition* textRecognition = nullptr;
    // Our own windows and the text system that sizes their labels (platform/ui).
    ui::WindowSystem* windowSystem = nullptr;
    ui::TextMetrics* textMetrics = nullptr;
    // The user's input as the whole system sees it (monitors, the current event, held modifiers).
    Events* events = nullptr;
    // The composition of what is typed (a dead key's accent waiting for the next key).
    TextInputContext* textInputContext = nullptr;
    // The menu bar's status items, and the tracking of open menus.
    ui::StatusBar* statusBar = nullptr;
    ui::MenuTracking* menuTracking = nullptr;
    // What the user copied (text only).
    Pasteboard* pasteboard = nullptr;
    // Finding and offering new versions of the app.
    UpdateFramework* updateFramework = nullptr;
};

// The installed platform; throws when none is installed.
Platform& current();

// Installs a platform for the scope's lifetime (and restores the previous one).
class PlatformScope {
public:
    explicit PlatformScope(Platform& platform);
    ~PlatformScope();
    PlatformScope(const PlatformScope&) = delete;
    PlatformScope& operator=(const PlatformScope&) = delete;

private:
    Platform* previous_;
};

// The user's folders, under the home folder.
std::filesystem::path libraryFolder();
std::filesystem::path applicationSupportFolder();

}  // namespace tarnwick::platform
