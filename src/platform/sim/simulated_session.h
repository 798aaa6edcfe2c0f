#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/application_state.h"
#include "platform/sim/capture/capture_state.h"
#include "platform/sim/installation_state.h"
#include "platform/sim/memory_user_defaults.h"
#include "platform/sim/session_state.h"
#include "platform/sim/sim_navigation.h"
#include "platform/sim/sim_notification_center.h"
#include "platform/sim/sim_pasteboard.h"
#include "platform/sim/sim_system.h"
#include "platform/sim/update_state.h"
#include "support/run_loop.h"
#include "platform/sim/recent_log.h"

namespace tarnwick::sim {

class SimDisplays;
class SimWindowServer;
class SimAccessibility;
class SimWorkspace;
class SimHotKeys;
class SimKeyboardLayouts;
class SimLoginItem;
class SimFileManager;
class SimMainBundle;
class SimCodeSigning;
class SimProcesses;
class SimApplicationLauncher;
class SimSharedApplication;
class SimAlerts;
class SimPrivateFunctions;
class SimWindowSystem;

inline constexpr const char* kWindowManagerBundleID = "com.apple.WindowManager";
inline constexpr const char* kDockBundleID = "com.apple.dock";
// Tarnwick's own bundle, which owns our panels.
inline constexpr const char* kOwnBundleID = "local.orlenbay.Tarnwick";

// A simulated macOS login session: displays and their desktops, applications and windows, the
// Accessibility trees, Mission Control, permissions, the login session and the user-defaults
// domain. It implements every platform port over this state, and offers the user's side
// (switch desktop, open Mission Control, plug a display), posting notifications as macOS does.
class SimulatedSession {
public:
    // `home` holds the user's files; the defaults domain is file-backed under it when
    // `persistDefaults` is set.
    SimulatedSession(RunLoop& loop, std::filesystem::path home, bool persistDefaults = false);
    ~SimulatedSession();
    SimulatedSession(const SimulatedSession&) = delete;
    SimulatedSession& operator=(const SimulatedSession&) = delete;

    // Builds the state from a session file's JSON (see docs/session-format.md). Throws Error with
    // a sentence naming the problem, and the file the text came from, when given, where the text
    // is no JSON it reads (an object that holds a key twice included: which one counts would be
    // a guess).
    void load(std::string_view sessionJson, const std::filesystem::path& file = {});
    void loadFile(const std::filesystem::path& file);
    void loadDefaultSession();

    platform::Platform& platform() { return platform_; }

    // The program reads the session from worker threads (the actors) while the main loop changes
    // it: every port and every user action holds this lock.
    std::unique_lock<std::recursive_mutex> lock() const { return std::unique_lock(mutex_); }
    RunLoop& loop() { return loop_; }
    Clock& clock() { return loop_.clock(); }

    // ---- state (tests may change it directly; the user's actions below also post notifications)
    std::vector<SimDisplay> displays;           // in the window server's order
    std::vector<std::uint32_t> screenOrder;     // the screens' order; empty: same as `displays`
    std::vector<SimApplication> applications;   // in the workspace's order
    std::vector<SimWindow> windows;             // front to back
    std::optional<std::int32_t> frontmostPID;
    SimLoginSession loginSession;
    SimSkyLight skyLight;
    bool accessibilityTrusted = true;
    bool grantAccessibilityOnPrompt = false;
    int accessibilityPrompts = 0;
    bool missionControlOpen = false;
    bool spacesBarExpanded = false;
    // Set: the window list returned instead of the generated one (an empty optional inside is a
    // missing list).
    std::optional<std::optional<Value>> windowListOverride;
    // Explicit Accessibility trees by process id, replacing the generated ones.
    std::map<std::int32_t, std::uint64_t> explicitTreeRoots;
    RecentLog<std::string> openedURLs;

    SimSystemInfo& system() { return system_; }
    SimWindowServer& windowServer() const { return *windowServer_; }
    SimAccessibility& accessibility() const { return *accessibility_; }
    MemoryUserDefaults& defaults() { return *defaults_; }
    SimNotificationCenter& notificationCenter() { return *notificationCenter_; }
    SimNotificationCenter& workspaceNotificationCenter() { return *workspaceCenter_; }
    SimNotificationCenter& distributedNotificationCenter() { return *distributedCenter_; }

    // ---- lookups (displays and desktops in simulated_session_desktops.cpp, applications and
    // windows in simulated_session_applications.cpp)
    SimDisplay* display(std::uint32_t id);
    const SimDisplay* display(std::uint32_t id) const;
    const SimApplication* application(std::int32_t pid) const;
    const SimApplication* applicationWithBundleID(std::string_view bundleID) const;
    SimWindow* window(std::uint32_t id);
    std::optional<std::int32_t> windowManagerPID() const;
    std::optional<std::int32_t> dockPID() const;
    // The screens' order as display ids.
    std::vector<std::uint32_t> orderedScreens() const;
    // The height of the primary screen, the first in that order (0 without displays): screen
    // coordinates (y up) are global ones (y down) flipped against it.
    double primaryHeight() const;
    // Whether a window is on a desktop that is current on its display (or on every desktop).
    bool isOnCurrentDesktop(const SimWindow& window) const;
    // Next free ids for test setup.
    std::uint64_t nextSpaceID() const;
    std::uint32_t nextWindowID() const;

    // ---- Accessibility elements (simulated_session_accessibility.cpp)
    AXNode& node(std::uint64_t id);
    AXNode* findNode(std::uint64_t id);
    // A new explicit element of a process.
    AXNode& makeNode(std::int32_t pid);
    // The stable element for a key ("app:123", "window:45", ...), created on first use.
    AXNode& stableNode(const std::string& key, std::int32_t pid);
    // Rebuilds the generated trees after a change of state (done by every user action).
    void rebuildAccessibility();

    // ---- the user's side: desktops, Mission Control and displays (simulated_session_desktops.cpp)
    void switchDesktop(std::uint32_t displayID, std::uint64_t spaceID);
    void openMissionControl();
    void closeMissionControl();
    void toggleMissionControl();
    void setSpacesBarExpanded(bool expanded);
    // Plugging and unplugging a display, like the other changes of screens below, moves the
    // menu bar to the primary screen and keeps our windows and the pointer on the displays
    // (screensChanged).
    void addDisplay(SimDisplay display);
    void removeDisplay(std::uint32_t displayID);
    // ---- applications (simulated_session_applications.cpp)
    void activateApplication(std::int32_t pid);
    // Our own application is the frontmost one.
    bool ownApplicationActive() const;
    void launchApplication(SimApplication application);
    void terminateApplication(std::int32_t pid);
    // The user opens our app again while it runs (from the Finder, say): it comes to the front
    // and its delegate is asked to handle the reopen; returns the answer (nothing before launching
    // finished, after termination, or without a delegate).
    std::optional<bool> reopenApplication();
    SimSharedApplication& sharedApplication() { return *sharedApplication_; }
    // Quits a running application and starts it again under a new process id, with its windows
    // (a restart of the Dock, say). Returns the new process id; nothing when it was not running.
    std::optional<std::int32_t> relaunchApplication(std::string_view bundleID);
    // A process id no application of the session has used.
    std::int32_t nextProcessID() const;
    // ---- the login session (simulated_session_login.cpp)
    void sleep();
    void wake();
    void lockScreen();
    void unlockScreen();
    // The displays go to sleep (or wake) while the machine stays awake.
    void sleepScreens();
    void wakeScreens();
    // Fast user switching: another user's session comes to the front (the login session leaves
    // the console), and this one comes back.
    void switchUserAway();
    void switchUserBack();
    // The user logs out: our application is asked to terminate, as from anywhere else.
    void logOut();

    // ---- keyboard: hot keys, keyboard layouts (simulated_session_keyboard.cpp, key presses in
    // ui/sim_key_routing.cpp); the login item
    SimHotKeys& hotKeys() { return *hotKeys_; }
    SimKeyboardLayouts& keyboardLayouts() { return *keyboardLayouts_; }
    SimLoginItem& loginItem() { return *loginItem_; }
    // The user presses a key with modifier flags: pressed, then released, delivered on the run
    // loop. A combination registered as a hot key goes to its owner and nowhere else; any other
    // press goes to our key window while our application is active or that window is a
    // non-activating panel (Panel::sendKeyEvent, after our local monitors), else to the
    // frontmost application.
    void pressKeys(std::uint16_t keyCode, platform::ModifierFlags modifiers, std::string characters = {});
    // The user types a key on the keyboard: a press and release as pressKeys makes them, through
    // the selected layout's dead keys (SimKeyboardLayouts::throughDeadKeys), so that the press
    // after a dead key types what they compose. A press the composition takes (Delete taking
    // back a waiting accent) reaches no window.
    void typeKeys(std::uint16_t keyCode, platform::ModifierFlags modifiers, std::string characters);
    // Holding: each keyDown while held is a repeat; keyUp lets go.
    void keyDown(std::uint16_t keyCode, platform::ModifierFlags modifiers, std::string characters = {});
    void keyUp(std::uint16_t keyCode, platform::ModifierFlags modifiers);
    // Where each key press went, oldest first (the newest few hundred).
    struct KeyPress {
        platform::KeyEvent event;
        bool hotKey = false;                  // taken by a registered hot key
        std::uint32_t window = 0;             // the window number of ours it went to (0: none)
        bool consumed = false;                // something in that window consumed it
        std::optional<std::int32_t> application;  // the other application it went to
    };
    RecentLog<KeyPress> keyPresses;
    // Another application registers a hot key; false when the combination is taken.
    bool registerHotKeyInOtherApplication(std::uint32_t keyCode, std::uint32_t modifiers,
                                          std::string application = "another application");
    // Selects a keyboard layout by id and posts the selection change; false for an unknown id
    // or the layout already selected.
    bool selectKeyboardLayout(const std::string& layoutID);
    // ---- end of keyboard

    // ---- self-installation: the machine's folders (real files under `fileSystem.root`), the
    // running bundle, disk images and their tool, the process table, launching, code-signing
    // faults and the user's answers to alerts (platform/sim/installation_state.h)
    SimFileSystem fileSystem;
    SimDiskImageTool diskImageTool;
    SimProcessTable processTable;
    SimLaunchServices launchServices;
    SimCodeSigningState codeSigning;
    SimAlertScript alertScript;
    SimApplicationState applicationState;
    // A path of the machine ("/Applications") inside the session's root folder.
    std::filesystem::path machinePath(const std::filesystem::path& path) const;
    // ---- navigation: opening the Mission Control application, pressing desktop buttons,
    // raising windows and the private front-process calls (faults in `navigation`)
    SimNavigation navigation;
    SimPrivateFunctions& privateFunctions() { return *privateFunctions_; }
    // Opens the application at a path: the Mission Control application toggles Mission Control.
    // The completion runs on the loop after the navigation's launch delay.
    void openApplication(const std::string& path, platform::Workspace::OpenApplicationCompletion completion);
    // A desktop's button in Mission Control is pressed: switches to the desktop and then closes
    // Mission Control, each after its delay. Returns the press's status.
    platform::AXError pressDesktopButton(std::uint32_t displayID, std::uint64_t spaceID);
    // "AXRaise" on a window: moves it to the front of the window list.
    platform::AXError raiseWindow(std::uint32_t windowID);
    // Makes a process frontmost with one of its windows in front.
    void bringToFront(std::int32_t pid, std::uint32_t windowID);
    // ---- end of navigation

private:
    // Reads the session file's "navigation" section.
    void loadNavigationSection(const Dictionary& root);

    // Reads the session file's "hotKeys", "keyboard" and "loginItem" sections.
    void loadKeyboardSections(const Dictionary& root);
    void loadInstallationState(const Dictionary& root);

    void buildApplicationTree(const SimApplication& app);
    void buildMissionControlTree(AXNode& app);

    RunLoop& loop_;
    mutable std::recursive_mutex mutex_;
    SimSystemInfo system_;
    std::unique_ptr<MemoryUserDefaults> defaults_;
    std::unique_ptr<SimNotificationCenter> notificationCenter_;
    std::unique_ptr<SimNotificationCenter> workspaceCenter_;
    std::unique_ptr<SimNotificationCenter> distributedCenter_;
    std::unique_ptr<SimDisplays> displays_;
    std::unique_ptr<SimWindowServer> windowServer_;
    std::unique_ptr<SimAccessibility> accessibility_;
    std::unique_ptr<SimWorkspace> workspace_;
    // keyboard and login item
    std::unique_ptr<SimHotKeys> hotKeys_;
    std::unique_ptr<SimKeyboardLayouts> keyboardLayouts_;
    std::unique_ptr<platform::TextInputContext> textInputContext_;
    std::unique_ptr<SimLoginItem> loginItem_;
    // self-installation ports
    std::unique_ptr<SimFileManager> fileManager_;
    std::unique_ptr<SimMainBundle> mainBundle_;
    std::unique_ptr<SimCodeSigning> codeSigning_;
    std::unique_ptr<SimProcesses> processes_;
    std::unique_ptr<SimApplicationLauncher> applicationLauncher_;
    std::unique_ptr<SimSharedApplication> sharedApplication_;
    std::unique_ptr<SimAlerts> alerts_;
    // navigation
    std::unique_ptr<SimPrivateFunctions> privateFunctions_;
    platform::Platform platform_;

    std::map<std::uint64_t, AXNode> nodes_;
    std::map<std::string, std::uint64_t> stableIDs_;
    std::uint64_t nextNodeID_ = 1;

    friend class SimAccessibility;

    // ---- screen capture and text recognition: the captions Mission Control draws, faults and
    // what tests observe (platform/sim/capture/)
public:
    SimCaptureState capture;
    // The window ids of a display's "Spaces Bar" and backdrop windows, kept for the display.
    std::uint32_t spacesBarWindowID(std::uint32_t displayID);
    // The user grants or revokes Screen Recording in the system settings.
    void grantScreenRecording();
    void revokeScreenRecording();

private:
    std::unique_ptr<class SimScreenCapture> screenCapture_;
    std::unique_ptr<class SimTextRecognition> textRecognition_;
    // Reads the session file's "capture" and "recognition" sections.
    void loadCaptureSections(const Dictionary& root);
    // ---- end of screen capture and text recognition

    // ---- application icons: bundles on disk, their icons and the system symbols
public:
    class SimIcons& icons() { return *icons_; }

private:
    std::unique_ptr<class SimIcons> icons_;
    // ---- end of application icons

    // ---- our windows (panels, views, text, motion), the pointer and clicks, Reduce Motion, and
    // the user's changes of screens and desktops (platform/sim/ui)
public:
    SimWindowSystem& windowSystem() { return *windowSystem_; }
    bool reduceMotion = false;
    // Turns Reduce Motion on or off, posting the accessibility display change when it changes.
    void setReduceMotion(bool on);
    // The user picks another region in the system settings: the locale changes and the current
    // locale change is posted (nothing when it is the same).
    void setLocale(platform::Locale locale);
    // Moves or resizes a display, posting the screen-parameter change.
    void setDisplayBounds(std::uint32_t displayID, Rect bounds);
    // Changes the strips a display reserves, posting the screen-parameter change.
    void setDisplayReserved(std::uint32_t displayID, SimInsets reserved);
    // A new desktop after the display's last one (Mission Control's "+" button).
    void addDesktop(std::uint32_t displayID, SimSpace space);
    // Closes a desktop; closing the current one makes its neighbour (the next, else the previous)
    // current and posts the active-desktop change. False when there is no such desktop.
    bool removeDesktop(std::uint32_t displayID, std::uint64_t spaceID);

    // ---- the keyboard's modifiers and the mouse's double clicks as the whole system sees them
    class SimEvents& events() { return *events_; }
    // ---- the menu bar's status items and the open menus
    class SimStatusBar& statusBar() { return *statusBar_; }
    class SimMenus& menus() { return *menus_; }
    // What the user copied last (one string at most).
    SimPasteboard pasteboard;
    // The user presses and holds modifier keys, or lets go of them; global monitors hear each
    // change and the current flags follow.
    void holdModifiers(platform::ModifierFlags flags);
    void releaseModifiers(platform::ModifierFlags flags);

private:
    // Reads "system.reduceMotion", "system.locale", "pointer", "icons", each display's
    // "reserved", each application's "bundle" and the "events" section.
    void loadUserInterfaceSections(const Dictionary& root);
    // After a change of screens: our panels and the pointer keep their global places (a shown
    // panel on no screen comes onto the main one, `before` being the screens before the change;
    // the pointer comes onto a screen when it is on none), the status items go to the primary
    // screen's menu bar, and the screen-parameter change is posted.
    void screensChanged(double primaryHeightBefore, std::vector<platform::ScreenDescription> before);
    // Runs `change` on the displays under the session's lock (false: it changed nothing) and
    // then does what screensChanged does, against the primary height from before it.
    void changeScreens(const std::function<bool()>& change);
    std::unique_ptr<SimWindowSystem> windowSystem_;
    std::unique_ptr<class SimEvents> events_;
    std::unique_ptr<class SimStatusBar> statusBar_;
    std::unique_ptr<class SimMenus> menus_;
    std::set<std::uint16_t> heldKeys_;
    void routeKey(const platform::KeyEvent& event);
    // A Command combination for the main menu; true when a row took it.
    bool performMainMenuKeyEquivalent(const platform::KeyEvent& key);
    // ---- end of our windows

    // ---- software updates: the update framework, its feed and faults (platform/sim/update_state.h)
public:
    SimUpdates updates;
    // The framework's window for checks the user starts (sim_update_window.h), made when first
    // needed.
    class SimUpdateWindow& updateWindow();

private:
    // Reads the session file's "updates" section.
    void loadUpdatesSection(const Dictionary& root);
    // Reads the application object's keys: "application", "statusBar" and the permission
    // prompts' answers under "system".
    void loadApplicationSections(const Dictionary& root);
    std::unique_ptr<class SimUpdateFramework> updateFramework_;
    std::unique_ptr<class SimUpdateWindow> updateWindow_;
    // ---- end of software updates
};

// The session the program runs against: the file named by TARNWICK_SESSION, else the built-in
// default session. The user's files go to the home folder (programHomeFolder). Throws Error with
// the sentence to show when there is no home folder or the session file cannot be used.
std::unique_ptr<SimulatedSession> makeProgramSession(RunLoop& loop);
// HOME, else the account's home folder; throws Error when there is neither.
std::filesystem::path programHomeFolder();
// The rule of programHomeFolder over its two sources (either may be missing).
std::filesystem::path homeFolder(const char* homeVariable, const char* accountHome);

}  // namespace tarnwick::sim
