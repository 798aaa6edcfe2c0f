#include "platform/sim/simulated_session.h"

#include <algorithm>
#include <cstdlib>

#include "platform/sim/capture/mission_control_layout.h"
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
#include "platform/sim/sim_updater.h"  // software updates
#include "platform/sim/sim_private_functions.h"
#include "platform/sim/sim_window_server.h"
#include "platform/sim/ui/sim_events.h"
#include "platform/sim/ui/sim_menus.h"
#include "platform/sim/ui/sim_status_bar.h"
#include "platform/sim/ui/sim_window_system.h"  // our windows
#include "platform/sim/sim_workspace.h"
#include "support/error.h"

namespace tarnwick::sim {

namespace names = platform::notification_names;
namespace ax = platform::ax_error;

namespace {

AXAttribute attribute(Value value, bool settable = false) {
    AXAttribute a;
    a.value = std::move(value);
    a.settable = settable;
    return a;
}

void setFrame(AXNode& node, const Rect& r) {
    node.attributes["AXPosition"] = attribute(GeometryValue::makePoint(r.origin.x, r.origin.y));
    node.attributes["AXSize"] = attribute(GeometryValue::makeSize(r.size.width, r.size.height));
}

Value elements(const std::vector<std::uint64_t>& ids) {
    Array items;
    for (auto id : ids) items.emplace_back(ElementRef{id});
    return Value(std::move(items));
}

}  // namespace

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
    fontMetrics_ = std::make_unique<platform::ui::SystemFontMetrics>();
    platform_.windowSystem = windowSystem_.get();
    platform_.textMetrics = fontMetrics_.get();
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

// ---- lookups

SimDisplay* SimulatedSession::display(std::uint32_t id) {
    for (auto& d : displays)
        if (d.id == id) return &d;
    return nullptr;
}

const SimDisplay* SimulatedSession::display(std::uint32_t id) const {
    for (const auto& d : displays)
        if (d.id == id) return &d;
    return nullptr;
}

const SimApplication* SimulatedSession::application(std::int32_t pid) const {
    for (const auto& app : applications)
        if (app.pid == pid) return &app;
    return nullptr;
}

const SimApplication* SimulatedSession::applicationWithBundleID(std::string_view bundleID) const {
    for (const auto& app : applications)
        if (!app.terminated && app.bundleIdentifier == bundleID) return &app;
    return nullptr;
}

SimWindow* SimulatedSession::window(std::uint32_t id) {
    for (auto& w : windows)
        if (w.id == id) return &w;
    return nullptr;
}

std::optional<std::int32_t> SimulatedSession::windowManagerPID() const {
    if (auto app = applicationWithBundleID(kWindowManagerBundleID)) return app->pid;
    return std::nullopt;
}

std::optional<std::int32_t> SimulatedSession::dockPID() const {
    if (auto app = applicationWithBundleID(kDockBundleID)) return app->pid;
    return std::nullopt;
}

std::vector<std::uint32_t> SimulatedSession::orderedScreens() const {
    std::vector<std::uint32_t> order;
    for (auto id : screenOrder)
        if (display(id)) order.push_back(id);
    for (const auto& d : displays)
        if (std::find(order.begin(), order.end(), d.id) == order.end()) order.push_back(d.id);
    return order;
}

bool SimulatedSession::isOnCurrentDesktop(const SimWindow& window) const {
    if (window.spaces.empty()) return true;
    for (const auto& d : displays)
        if (std::find(window.spaces.begin(), window.spaces.end(), d.currentSpace) != window.spaces.end()) return true;
    return false;
}

std::uint64_t SimulatedSession::nextSpaceID() const {
    std::uint64_t highest = 0;
    for (const auto& d : displays)
        for (const auto& s : d.spaces) highest = std::max(highest, s.id64);
    return highest + 1;
}

std::uint32_t SimulatedSession::nextWindowID() const {
    std::uint32_t highest = 0;
    for (const auto& w : windows) highest = std::max(highest, w.id);
    return highest + 1;
}

// ---- Accessibility elements

AXNode& SimulatedSession::node(std::uint64_t id) {
    auto it = nodes_.find(id);
    if (it == nodes_.end()) throw Error("unknown Accessibility element");
    return it->second;
}

AXNode* SimulatedSession::findNode(std::uint64_t id) {
    auto it = nodes_.find(id);
    return it == nodes_.end() ? nullptr : &it->second;
}

AXNode& SimulatedSession::makeNode(std::int32_t pid) {
    auto id = nextNodeID_++;
    AXNode& n = nodes_[id];
    n.id = id;
    n.pid = pid;
    return n;
}

AXNode& SimulatedSession::stableNode(const std::string& key, std::int32_t pid) {
    if (auto it = stableIDs_.find(key); it != stableIDs_.end()) {
        AXNode& n = node(it->second);
        n.pid = pid;
        return n;
    }
    AXNode& n = makeNode(pid);
    stableIDs_[key] = n.id;
    return n;
}

void SimulatedSession::rebuildAccessibility() {
    auto guard = lock();
    for (const auto& app : applications)
        if (!app.terminated && !explicitTreeRoots.count(app.pid)) buildApplicationTree(app);
}

void SimulatedSession::buildApplicationTree(const SimApplication& app) {
    AXNode& root = stableNode("app:" + std::to_string(app.pid), app.pid);
    root.attributes.clear();
    root.actions.clear();
    root.attributes["AXRole"] = attribute("AXApplication");
    root.attributes["AXRoleDescription"] = attribute("application");
    if (app.name) root.attributes["AXTitle"] = attribute(*app.name);

    if (app.bundleIdentifier == kWindowManagerBundleID) {
        buildMissionControlTree(root);
        return;
    }

    std::vector<std::uint64_t> windowElements;
    std::optional<std::uint64_t> focused;
    for (const auto& w : windows) {
        if (w.pid != app.pid || w.layer != 0) continue;
        // Only windows on a current desktop (or minimised ones) are listed, as macOS does.
        if (!w.minimized && !isOnCurrentDesktop(w)) continue;
        AXNode& element = stableNode("window:" + std::to_string(w.id), app.pid);
        element.attributes.clear();
        element.actions.clear();
        element.attributes["AXRole"] = attribute("AXWindow");
        element.attributes["AXSubrole"] = attribute("AXStandardWindow");
        element.attributes["AXTitle"] = attribute(w.title);
        setFrame(element, w.bounds);
        element.attributes["AXMinimized"] = attribute(w.minimized, true);
        element.attributes["AXMain"] = attribute(!focused.has_value(), true);
        element.attributes["AXChildren"] = attribute(Array{});
        element.windowID = w.id;
        const std::uint32_t windowID = w.id;
        element.actions["AXRaise"] = [this, windowID] { return raiseWindow(windowID); };
        element.onSet = [this, windowID](const std::string& name, const Value& value) {
            if (name == "AXMinimized") {
                if (auto* target = window(windowID); target && value.asBool()) {
                    target->minimized = *value.asBool();
                    rebuildAccessibility();
                }
            }
            return ax::kSuccess;
        };
        windowElements.push_back(element.id);
        if (!w.minimized && !focused) focused = element.id;
    }
    root.attributes["AXWindows"] = attribute(elements(windowElements));
    root.attributes["AXChildren"] = attribute(elements(windowElements));
    root.attributes["AXFrontmost"] = attribute(frontmostPID == app.pid, true);
    if (focused) {
        root.attributes["AXFocusedWindow"] = attribute(ElementRef{*focused}, true);
        root.attributes["AXMainWindow"] = attribute(ElementRef{*focused}, true);
    }
}

void SimulatedSession::buildMissionControlTree(AXNode& root) {
    const std::int32_t pid = root.pid;
    if (!missionControlOpen) {
        root.attributes["AXChildren"] = attribute(Array{});
        root.attributes["AXWindows"] = attribute(Array{});
        return;
    }
    AXNode& group = stableNode("mc", pid);
    group.attributes.clear();
    group.attributes["AXRole"] = attribute("AXGroup");
    group.attributes["AXIdentifier"] = attribute("mc");
    std::vector<std::uint64_t> displayGroups;
    for (const SimSpacesBar& layout : MissionControlLayout::bars(*this, loop_.uptime())) {
        const std::string key = "mc.display:" + std::to_string(layout.displayID);
        AXNode& displayNode = stableNode(key, pid);
        displayNode.attributes.clear();
        displayNode.attributes["AXRole"] = attribute("AXGroup");
        displayNode.attributes["AXIdentifier"] = attribute("mc.display");
        setFrame(displayNode, layout.display);

        AXNode& barNode = stableNode(key + ":spaces", pid);
        barNode.attributes.clear();
        barNode.attributes["AXRole"] = attribute("AXGroup");
        barNode.attributes["AXIdentifier"] = attribute("mc.spaces");
        setFrame(barNode, layout.bar);

        std::vector<std::uint64_t> buttons;
        for (const SimDesktopButton& desktop : layout.buttons) {
            AXNode& button = stableNode(key + ":space:" + std::to_string(desktop.spaceID), pid);
            button.attributes.clear();
            button.actions.clear();
            button.attributes["AXRole"] = attribute("AXButton");
            button.attributes["AXTitle"] = attribute(desktop.title);
            button.attributes["AXChildren"] = attribute(Array{});
            setFrame(button, desktop.frame);
            const std::uint32_t targetDisplay = layout.displayID;
            const std::uint64_t targetSpace = desktop.spaceID;
            button.actions["AXPress"] = [this, targetDisplay, targetSpace] {
                return pressDesktopButton(targetDisplay, targetSpace);
            };
            buttons.push_back(button.id);
        }
        barNode.attributes["AXChildren"] = attribute(elements(buttons));
        displayNode.attributes["AXChildren"] = attribute(elements({barNode.id}));
        displayGroups.push_back(displayNode.id);
    }
    group.attributes["AXChildren"] = attribute(elements(displayGroups));
    root.attributes["AXChildren"] = attribute(elements({group.id}));
    root.attributes["AXWindows"] = attribute(Array{});
}

// ---- the user's side

void SimulatedSession::switchDesktop(std::uint32_t displayID, std::uint64_t spaceID) {
    auto guard = lock();
    SimDisplay* d = display(displayID);
    if (!d) return;
    if (std::none_of(d->spaces.begin(), d->spaces.end(), [&](const SimSpace& s) { return s.id64 == spaceID; })) return;
    if (d->currentSpace == spaceID) return;
    d->currentSpace = spaceID;
    rebuildAccessibility();
    workspaceCenter_->post(names::kActiveSpaceDidChange);
}

void SimulatedSession::openMissionControl() {
    auto guard = lock();
    if (missionControlOpen) return;
    missionControlOpen = true;
    spacesBarExpanded = false;
    capture.missionControlOpenedAt = loop_.uptime();
    rebuildAccessibility();
}

void SimulatedSession::closeMissionControl() {
    auto guard = lock();
    if (!missionControlOpen) return;
    missionControlOpen = false;
    spacesBarExpanded = false;
    rebuildAccessibility();
}

void SimulatedSession::toggleMissionControl() {
    auto guard = lock();
    if (missionControlOpen)
        closeMissionControl();
    else
        openMissionControl();
}

void SimulatedSession::setSpacesBarExpanded(bool expanded) {
    auto guard = lock();
    if (!missionControlOpen || spacesBarExpanded == expanded) return;
    spacesBarExpanded = expanded;
    rebuildAccessibility();
}

void SimulatedSession::addDisplay(SimDisplay added) {
    auto guard = lock();
    displays.push_back(std::move(added));
    rebuildAccessibility();
    notificationCenter_->post(names::kScreenParametersDidChange);
}

void SimulatedSession::removeDisplay(std::uint32_t displayID) {
    auto guard = lock();
    auto before = displays.size();
    std::erase_if(displays, [&](const SimDisplay& d) { return d.id == displayID; });
    if (displays.size() == before) return;
    rebuildAccessibility();
    notificationCenter_->post(names::kScreenParametersDidChange);
}

void SimulatedSession::activateApplication(std::int32_t pid) {
    auto guard = lock();
    const std::int32_t own = system_.processID;
    const auto* app = application(pid);
    if (pid != own && (!app || app->terminated)) return;
    const bool wasOwn = frontmostPID == own;
    frontmostPID = pid;
    rebuildAccessibility();
    Dictionary info;
    info[platform::kApplicationProcessIDKey] = pid;
    if (app && app->bundleIdentifier) info[platform::kApplicationBundleIDKey] = *app->bundleIdentifier;
    if (pid == own && !app) info[platform::kApplicationBundleIDKey] = kOwnBundleID;
    workspaceCenter_->post(names::kDidActivateApplication, std::move(info));
    if (pid == own) {
        if (!wasOwn) notificationCenter_->post(names::kApplicationDidBecomeActive);
        return;
    }
    // Another application takes the keyboard: our key window resigns.
    if (wasOwn) notificationCenter_->post(names::kApplicationDidResignActive);
    windowSystem_->resignKey();
}

void SimulatedSession::launchApplication(SimApplication launched) {
    auto guard = lock();
    Dictionary info;
    info[platform::kApplicationProcessIDKey] = launched.pid;
    if (launched.bundleIdentifier) info[platform::kApplicationBundleIDKey] = *launched.bundleIdentifier;
    std::erase_if(applications, [&](const SimApplication& a) { return a.pid == launched.pid; });
    applications.push_back(std::move(launched));
    rebuildAccessibility();
    workspaceCenter_->post(names::kDidLaunchApplication, std::move(info));
}

void SimulatedSession::terminateApplication(std::int32_t pid) {
    auto guard = lock();
    for (auto& app : applications) {
        if (app.pid != pid || app.terminated) continue;
        app.terminated = true;
        if (frontmostPID == pid) frontmostPID.reset();
        Dictionary info;
        info[platform::kApplicationProcessIDKey] = pid;
        if (app.bundleIdentifier) info[platform::kApplicationBundleIDKey] = *app.bundleIdentifier;
        rebuildAccessibility();
        workspaceCenter_->post(names::kDidTerminateApplication, std::move(info));
        return;
    }
}

void SimulatedSession::sleep() {
    auto guard = lock();
    if (loginSession.sleeping) return;
    loginSession.sleeping = true;
    workspaceCenter_->post(names::kWillSleep);
}

void SimulatedSession::wake() {
    auto guard = lock();
    if (!loginSession.sleeping) return;
    loginSession.sleeping = false;
    workspaceCenter_->post(names::kDidWake);
}

void SimulatedSession::lockScreen() {
    auto guard = lock();
    if (loginSession.locked) return;
    loginSession.locked = true;
    distributedCenter_->post(names::kScreenIsLocked);
}

void SimulatedSession::unlockScreen() {
    auto guard = lock();
    if (!loginSession.locked) return;
    loginSession.locked = false;
    distributedCenter_->post(names::kScreenIsUnlocked);
}

void SimulatedSession::sleepScreens() {
    auto guard = lock();
    if (loginSession.screensAsleep) return;
    loginSession.screensAsleep = true;
    workspaceCenter_->post(names::kScreensDidSleep);
}

void SimulatedSession::wakeScreens() {
    auto guard = lock();
    if (!loginSession.screensAsleep) return;
    loginSession.screensAsleep = false;
    workspaceCenter_->post(names::kScreensDidWake);
}

void SimulatedSession::switchUserAway() {
    auto guard = lock();
    if (!loginSession.onConsole) return;
    loginSession.onConsole = false;
    workspaceCenter_->post(names::kSessionDidResignActive);
}

void SimulatedSession::switchUserBack() {
    auto guard = lock();
    if (loginSession.onConsole) return;
    loginSession.onConsole = true;
    workspaceCenter_->post(names::kSessionDidBecomeActive);
}

void SimulatedSession::logOut() { sharedApplication_->terminate(); }

std::optional<bool> SimulatedSession::reopenApplication() { return sharedApplication_->reopen(); }

std::int32_t SimulatedSession::nextProcessID() const {
    std::int32_t highest = system_.processID;
    for (const auto& app : applications) highest = std::max(highest, app.pid);
    return highest + 1;
}

std::optional<std::int32_t> SimulatedSession::relaunchApplication(std::string_view bundleID) {
    auto guard = lock();
    const SimApplication* running = applicationWithBundleID(bundleID);
    if (!running) return std::nullopt;
    SimApplication relaunched = *running;
    const std::int32_t oldPID = running->pid;
    terminateApplication(oldPID);
    // The quit instance leaves the list, so that restarts never pile up over a long run.
    std::erase_if(applications, [&](const SimApplication& a) { return a.pid == oldPID; });
    relaunched.pid = nextProcessID();
    relaunched.terminated = false;
    for (auto& w : windows)
        if (w.pid == oldPID) w.pid = relaunched.pid;
    explicitTreeRoots.erase(oldPID);  // the new process builds its elements afresh
    const std::int32_t pid = relaunched.pid;
    launchApplication(std::move(relaunched));
    return pid;
}

// ---- keyboard

bool SimulatedSession::registerHotKeyInOtherApplication(std::uint32_t keyCode, std::uint32_t modifiers,
                                                        std::string application) {
    return hotKeys_->registerForOtherApplication(keyCode, modifiers, std::move(application));
}

bool SimulatedSession::selectKeyboardLayout(const std::string& layoutID) {
    if (!keyboardLayouts_->layout(layoutID) || keyboardLayouts_->current == layoutID) return false;
    keyboardLayouts_->current = layoutID;
    notificationCenter_->post(names::kKeyboardSelectionDidChange);
    return true;
}

}  // namespace tarnwick::sim
