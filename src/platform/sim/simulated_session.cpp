// The composition root of the simulated session: it makes every port over the session's state
// and hands them to the platform. The user's actions live beside it, one file per capability;
// loading the session file lives in session_file*.cpp.

#include "platform/sim/simulated_session.h"

#include "platform/sim/capture/sim_screen_capture.h"
#include "platform/sim/capture/sim_text_recognition.h"
#include "platform/sim/sim_accessibility.h"
#include "platform/sim/sim_alerts.h"
#include "platform/sim/sim_application_launcher.h"
#include "platform/sim/sim_code_signing.h"
#include "platform/sim/sim_displays.h"
#include "platform/sim/sim_hot_keys.h"
#include "platform/sim/sim_icons.h"  // application icons
#include "platform/sim/sim_keyboard_layouts.h"
#include "platform/sim/sim_login_items.h"
#include "platform/sim/sim_file_manager.h"
#include "platform/sim/sim_processes.h"
#include "platform/sim/sim_shared_application.h"
#include "platform/sim/sim_update_window.h"  // software updates
#include "platform/sim/sim_updater.h"
#include "platform/sim/sim_private_functions.h"
#include "platform/sim/sim_window_server.h"
#include "platform/sim/ui/sim_events.h"
#include "platform/sim/ui/sim_menus.h"
#include "platform/sim/ui/sim_status_bar.h"
#include "platform/sim/ui/sim_window_system.h"  // our windows
#include "platform/sim/sim_workspace.h"

namespace tarnwick::sim {

SimulatedSession::SimulatedSession(RunLoop& loop, std::filesystem::path home, bool persistDefaults)
    : loop_(loop),
      notificationCenter_(std::make_unique<SimNotificationCenter>(loop)),
      workspaceCenter_(std::make_unique<SimNotificationCenter>(loop)),
      distributedCenter_(std::make_unique<SimNotificationCenter>(loop)),
      displays_(std::make_unique<SimDisplays>(*this)),
      windowServer_(std::make_unique<SimWindowServer>(*this)),
      accessibility_(std::make_unique<SimAccessibility>(*this)),
      workspace_(std::make_unique<SimWorkspace>(*this)),
      hotKeys_(std::make_unique<SimHotKeys>(loop)),
      keyboardLayouts_(std::make_unique<SimKeyboardLayouts>()),
      loginItem_(std::make_unique<SimLoginItem>()),
      fileManager_(std::make_unique<SimFileManager>(*this)),
      mainBundle_(std::make_unique<SimMainBundle>(*this)),
      codeSigning_(std::make_unique<SimCodeSigning>(*this)),
      processes_(std::make_unique<SimProcesses>(*this)),
      applicationLauncher_(std::make_unique<SimApplicationLauncher>(*this)),
      sharedApplication_(std::make_unique<SimSharedApplication>(*this)),
      alerts_(std::make_unique<SimAlerts>(*this)),
      privateFunctions_(std::make_unique<SimPrivateFunctions>(*this)) {
    system_.home = std::move(home);
    defaults_ = persistDefaults
                    ? std::make_unique<MemoryUserDefaults>(system_.home / "Library/Preferences/local.orlenbay.Tarnwick.json")
                    : std::make_unique<MemoryUserDefaults>();
    platform_.displays = displays_.get();
    platform_.windowServer = windowServer_.get();
    platform_.accessibility = accessibility_.get();
    platform_.workspace = workspace_.get();
    platform_.notificationCenter = notificationCenter_.get();
    platform_.workspaceNotificationCenter = workspaceCenter_.get();
    platform_.distributedNotificationCenter = distributedCenter_.get();
    platform_.userDefaults = defaults_.get();
    platform_.system = &system_;
    platform_.hotKeys = hotKeys_.get();
    platform_.keyboardLayouts = keyboardLayouts_.get();
    textInputContext_ = std::make_unique<SimTextInputContext>(*keyboardLayouts_, mutex_);
    platform_.textInputContext = textInputContext_.get();
    platform_.loginItem = loginItem_.get();
    // self-installation: the machine's root folder lives under the home folder unless the
    // session file names another one
    fileSystem.root = system_.home / "Machine";
    platform_.fileManager = fileManager_.get();
    platform_.mainBundle = mainBundle_.get();
    platform_.codeSigning = codeSigning_.get();
    platform_.processes = processes_.get();
    platform_.applicationLauncher = applicationLauncher_.get();
    platform_.application = sharedApplication_.get();
    platform_.alerts = alerts_.get();
    platform_.privateFunctions = privateFunctions_.get();

    // ---- application icons
    icons_ = std::make_unique<SimIcons>(*this);
    platform_.icons = icons_.get();
    // ---- end of application icons

    // ---- screen capture and text recognition
    screenCapture_ = std::make_unique<SimScreenCapture>(*this);
    textRecognition_ = std::make_unique<SimTextRecognition>(*this);
    platform_.screenCapture = screenCapture_.get();
    platform_.textRecognition = textRecognition_.get();
    // ---- end of screen capture and text recognition

    // ---- our windows
    windowSystem_ = std::make_unique<SimWindowSystem>(*this);
    platform_.windowSystem = windowSystem_.get();
    // The process's one text system: its faces are found (and missing ones reported) once.
    platform_.textMetrics = &platform::ui::systemFontMetrics();
    events_ = std::make_unique<SimEvents>(*this);
    platform_.events = events_.get();
    statusBar_ = std::make_unique<SimStatusBar>(*this);
    menus_ = std::make_unique<SimMenus>(*this);
    platform_.statusBar = statusBar_.get();
    platform_.menuTracking = menus_.get();
    platform_.pasteboard = &pasteboard;
    // ---- end of our windows

    // ---- software updates
    updateFramework_ = std::make_unique<SimUpdateFramework>(*this);
    platform_.updateFramework = updateFramework_.get();
    // ---- end of software updates
}

SimulatedSession::~SimulatedSession() = default;

}  // namespace tarnwick::sim
