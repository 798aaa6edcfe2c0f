#include "app/app_delegate.h"
#include "app/application_editing_menu.h"
#include "app/desktop_names_window.h"
#include "app/settings_window.h"
#include "app/tarnwick_window_placement.h"
#include "applications/mission_control_space_switcher.h"
#include "model/app_preferences_store.h"
#include "model/diagnostic_files.h"
#include "model/program_log.h"
#include "platform/platform.h"

namespace tarnwick {

AppDelegate::AppDelegate(AppDelegateWindows windows)
    : applicationLoader_(systemUptime, nullptr, &applicationReader_),
      icons_(systemUptime, ApplicationIconCache::workspaceResolver),
      refreshScheduler_(InventoryRefreshScheduler::repeatingTimer),
      windows_(std::move(windows)),
      namesModel_(std::make_shared<DesktopNamesModel>()),
      settings_(std::make_shared<SettingsModel>()),
      permissionSnapshot_(DiagnosticFiles::location(kPermissionSnapshotFile)) {}

AppDelegate::~AppDelegate() {
    // Delayed work may still wait on the loop; it holds the delegate weakly, but a work item that
    // will never matter is better dropped now.
    recoveryWork_.cancel();
    prototypeTestQuit_.cancel();
    if (timer_) timer_->invalidate();
    for (auto& work : locateWork_) work.cancel();
    for (auto& task : locateTasks_) task.cancel();
    permissionTask_.cancel();
}

void AppDelegate::applicationWillFinishLaunching() {
    refreshSession();
    observeLifecycle();
}

void AppDelegate::applicationDidFinishLaunching() {
    // Said once, at start: otherwise every change made in this run would be lost at its end
    // without a word. A domain that cannot be saved is told of as soon as a save fails.
    if (auto warning = AppPreferencesStore().unreadableWarning()) ProgramLog::report(*warning);
    preferencesSaves_ = std::make_unique<PreferencesSaveReporter>(
        *platform::current().userDefaults, [](const std::string& sentence) { ProgramLog::report(sentence); });
    // The names file likewise: its problems are shown in the names window, which many never open.
    namesSaves_ = std::make_unique<NamesFileReporter>(
        *namesModel_, [](const std::string& sentence) { ProgramLog::report(sentence); });
    ApplicationEditingMenu::install();
    buildStatusItem();
    if (item_ && item_->button()) {
        StatusWorkstationPreviewServices services;
        services.inventory.loader = &applicationLoader_;
        services.inventory.icons = &icons_;
        services.inventory.focus = ApplicationFocusServices{&applicationReader_, &windowFocus_};
        services.scheduler = &refreshScheduler_;
        Weak weak = weak_from_this();
        workstationPreview_ = std::make_unique<StatusWorkstationPreview>(
            item_->button(), menu_, *namesModel_, *settings_,
            [weak] {
                auto self = weak.lock();
                return self && self->launched_ && !self->session_.suspended();
            },
            std::move(services));
        workstationPreview_->prepareMenu = [weak](bool reveal) {
            if (auto self = weak.lock(); self && self->testingMenuItem_) self->testingMenuItem_->isHidden = !reveal;
        };
    }
    installPrototypeHooks(prototype());
    installHooks();
    topology_ = topologyOf(namesModel_->monitors.get());
    launched_ = true;

    updates_.start();
    installShortcut();

    applyFeatureState(true);
    if (namesModel_->monitors.get().empty()) recoverEnvironment();

    const auto arguments = platform::current().system->processArguments();
    using platform::hasArgument;
    if (hasArgument(arguments, "--prototype") || hasArgument(arguments, "--prototype-test")) startPrototype();
    if (hasArgument(arguments, "--prototype-test")) {
        Weak weak = weak_from_this();
        prototypeTestQuit_ = RunLoop::main().postAfter(kPrototypeTestDuration, [weak] {
            if (auto self = weak.lock()) self->quit();
        });
    }
    if (hasArgument(arguments, "--settings")) openSettings(std::nullopt, invocationDisplayID(nullptr));
    if (hasArgument(arguments, "--names")) openNames(invocationDisplayID(nullptr));

    auto& defaults = *platform::current().userDefaults;
    const auto stored = defaults.object(kLaunchedBeforeKey);
    const bool launchedBefore = stored && stored->asBool().value_or(false);
    defaults.set(kLaunchedBeforeKey, Value(true));
    if (!launchedBefore && !settings_->permissionsReady() && settings_->preferences->labelsEnabled)
        openSettings(SettingsTab::permissions, std::nullopt);

    writePermissionDiagnostics("launch");
}

bool AppDelegate::applicationShouldHandleReopen(bool) {
    openSettings(std::nullopt, invocationDisplayID(nullptr));
    return true;
}

void AppDelegate::installPrototypeHooks(LabelPrototype& controller) {
    Weak weak = weak_from_this();
    controller.report = [weak](const std::string& text) {
        if (auto self = weak.lock()) self->setDiagnosticsStatus(text);
    };
    controller.quickRename = [weak](const std::string& desktopID) {
        if (auto self = weak.lock()) self->quickRename(desktopID);
    };
    controller.applicationsChanged = [weak](const std::vector<MissionControlApplicationSlot>& slots) {
        if (auto self = weak.lock()) self->missionControlApplications().update(slots);
    };
    controller.visibilityChanged = [weak](bool visible) {
        auto self = weak.lock();
        if (!self) return;
        // Our own desktop switch opens Mission Control only to pass through it: no banner then.
        if (visible && MissionControlSpaceSwitcher::isOpeningForNavigation()) return;
        self->spaceBanners().missionControlChanged(visible);
    };
}

void AppDelegate::installHooks() {
    Weak weak = weak_from_this();
    namesModel_->namesChanged = [weak] {
        auto self = weak.lock();
        if (!self) return;
        if (self->testingLabel_) {
            self->prototype().stop();
            self->testingLabel_ = false;
            self->overlaysRunning_ = false;
        }
        self->applyFeatureState(true);
        self->writePermissionDiagnostics("names-changed");
    };
    namesModel_->catalogChanged = [weak] {
        if (auto self = weak.lock()) self->topologyCheck();
    };

    settings_->changed = [weak](const AppPreferences& old, const AppPreferences& updated) {
        if (auto self = weak.lock()) self->applySettingsChange(old, updated);
    };
    settings_->systemStatusChanged = [weak] {
        auto self = weak.lock();
        if (!self) return;
        self->applyFeatureState(false);
        self->writePermissionDiagnostics("permissions-changed");
    };
    settings_->previewRequested = [weak] {
        if (auto self = weak.lock()) self->previewSpaceBanner();
    };
    settings_->permissionSetupRequested = [weak] {
        if (auto self = weak.lock()) self->requestPermissions(self->settingsWindowDisplayID());
    };
    settings_->namesRequested = [weak] {
        if (auto self = weak.lock()) self->openNames(self->settingsWindowDisplayID());
    };
    settings_->overviewRequested = [weak] {
        if (auto self = weak.lock()) self->showWorkstationOverview();
    };
    settings_->identifyDisplayRequested = [weak](const std::string& displayID) {
        if (auto self = weak.lock()) self->identifyDisplay(displayID);
    };
}

void AppDelegate::installShortcut() {
    Weak weak = weak_from_this();
    auto& shortcut = settings_->overviewShortcut();
    shortcut.changed = [weak] {
        auto self = weak.lock();
        if (!self) return;
        self->showShortcutOnMenu();
        self->writePermissionDiagnostics("overview-shortcut-changed");
    };
    shortcut.start([weak] {
        if (!weak.lock()) return;
        // The pointer as it is at the press; the overview opens once the hot-key event is over.
        const Point pointer = platform::current().windowSystem->pointerLocation();
        RunLoop::main().post([weak, pointer] {
            auto self = weak.lock();
            if (self && self->workstationPreview_) self->workstationPreview_->toggleOverview(pointer);
        });
    });
}

void AppDelegate::identifyDisplay(const std::string& displayID) {
    namesModel_->refresh(true);
    std::optional<std::string> message = kDisplayUnavailable;
    if (!session_.suspended()) {
        for (const auto& monitor : namesModel_->monitors.get()) {
            if (monitor.id != displayID) continue;
            if (displayIdentification_.identify(displayID, namesModel_->displayName(monitor))) message.reset();
            break;
        }
    }
    settings_->displayIdentificationError.set(message);
}

// ---- lazily made members

LabelPrototype& AppDelegate::prototype() {
    if (!prototype_) {
        LabelPrototypeServices services;
        services.geometryReader = &geometryReader_;
        services.locator.recognition = &recognitionWorker_;
        services.icons = &icons_;
        prototype_ = std::make_unique<LabelPrototype>(
            app::ApplicationShellServices::make(weak_from_this()).configurationProvider, services);
    }
    return *prototype_;
}

SpaceBannerController& AppDelegate::spaceBanners() {
    if (!spaceBanners_)
        spaceBanners_ = std::make_unique<SpaceBannerController>(*namesModel_, *settings_,
                                                                SpaceBannerServices{&applicationLoader_, &icons_});
    return *spaceBanners_;
}

MissionControlApplicationPanels& AppDelegate::missionControlApplicationPanels() {
    if (!missionControlApplicationPanels_) {
        ApplicationIconCache* icons = &icons_;
        missionControlApplicationPanels_ = std::make_unique<MissionControlApplicationPanels>(
            nullptr, [icons] { return std::make_unique<MissionControlApplicationPanel>(icons); });
    }
    return *missionControlApplicationPanels_;
}

MissionControlApplicationController& AppDelegate::missionControlApplications() {
    if (!missionControlApplications_) {
        auto shell = app::ApplicationShellServices::make(weak_from_this());
        DesktopApplicationInventoryServices services;
        services.loader = &applicationLoader_;
        services.icons = &icons_;
        services.focus = ApplicationFocusServices{&applicationReader_, &windowFocus_};
        auto inventory = std::make_shared<DesktopApplicationInventory>(shell.monitors, shell.refreshCatalog,
                                                                       &refreshScheduler_, std::move(services));
        missionControlApplications_ = std::make_unique<MissionControlApplicationController>(
            shell.monitors, std::move(inventory), shell.describe, shell.render);
    }
    return *missionControlApplications_;
}

namespace {

// The settings window of the program.
class ProgramSettingsWindow final : public SettingsWindowHandle {
public:
    ProgramSettingsWindow(std::shared_ptr<SettingsModel> model, std::shared_ptr<DesktopNamesModel> names,
                          SoftwareUpdates& updates)
        : window_(std::move(model), std::move(names), updates) {}
    void open(std::optional<SettingsTab> tab, std::optional<std::uint32_t> displayID) override {
        window_.open(tab, displayID);
    }
    platform::ui::Panel* window() override { return window_.window(); }

private:
    SettingsWindow window_;
};

// The Desktop Names window of the program, with the delegate's refresh timer and app services.
class ProgramNamesWindow final : public NamesWindowHandle {
public:
    ProgramNamesWindow(std::shared_ptr<DesktopNamesModel> model, std::shared_ptr<SettingsModel> settings,
                       InventoryRefreshScheduler* scheduler, DesktopApplicationInventory::Services services)
        : window_(std::move(model), std::move(settings), scheduler, std::move(services)) {}
    void open(std::optional<std::uint32_t> displayID) override { window_.open(displayID); }
    platform::ui::Panel* window() override { return window_.window(); }

private:
    DesktopNamesWindow window_;
};

}  // namespace

SettingsWindowHandle& AppDelegate::settingsWindow() {
    if (!settingsWindow_)
        settingsWindow_ = windows_.makeSettingsWindow
                              ? windows_.makeSettingsWindow(settings_, namesModel_, updates_)
                              : std::make_unique<ProgramSettingsWindow>(settings_, namesModel_, updates_);
    return *settingsWindow_;
}

NamesWindowHandle& AppDelegate::namesWindow() {
    if (!namesWindow_) {
        if (windows_.makeNamesWindow) {
            namesWindow_ = windows_.makeNamesWindow(namesModel_, settings_);
        } else {
            DesktopApplicationInventoryServices services;
            services.loader = &applicationLoader_;
            services.icons = &icons_;
            services.focus = ApplicationFocusServices{&applicationReader_, &windowFocus_};
            namesWindow_ =
                std::make_unique<ProgramNamesWindow>(namesModel_, settings_, &refreshScheduler_, std::move(services));
        }
    }
    return *namesWindow_;
}

// ---- windows and displays

void AppDelegate::openSettings(std::optional<SettingsTab> tab, std::optional<std::uint32_t> displayID) {
    settingsWindow().open(tab, displayID);
}

void AppDelegate::openNames(std::optional<std::uint32_t> displayID) { namesWindow().open(displayID); }

std::optional<std::uint32_t> AppDelegate::settingsWindowDisplayID() {
    return invocationDisplayID(settingsWindow().window());
}

std::optional<std::uint32_t> AppDelegate::invocationDisplayID(const platform::ui::Panel* source) {
    if (windows_.invocationDisplayID) return windows_.invocationDisplayID(source);
    return TarnwickWindowPlacement::invocationDisplayID(source);
}

std::map<std::string, Rect> AppDelegate::topologyOf(const std::vector<DesktopMonitor>& monitors) {
    std::map<std::string, Rect> topology;
    for (const auto& monitor : monitors) topology[monitor.id] = monitor.bounds;
    return topology;
}

}  // namespace tarnwick
