#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/app_delegate_windows.h"
#include "app/application_shell_services.h"
#include "app/display_identification_controller.h"
#include "app/settings_work_coalescer.h"
#include "app/software_updates.h"
#include "applications/application_icon_cache.h"
#include "applications/desktop_application_inventory.h"
#include "applications/inventory_refresh_scheduler.h"
#include "applications/native_application_window_focus.h"
#include "applications/space_application_reader.h"
#include "applications/space_application_snapshot_loader.h"
#include "banner/space_banner_controller.h"
#include "model/app_preferences.h"
#include "model/desktop_names_model.h"
#include "model/feature_selection.h"
#include "model/latest_diagnostic_snapshot_writer.h"
#include "model/mission_control_geometry_reader.h"
#include "model/names_file_reporter.h"
#include "model/preferences_save_reporter.h"
#include "model/settings_model.h"
#include "overlays/label_prototype.h"
#include "overlays/label_recognition_worker.h"
#include "overlays/mission_control_application_controller.h"
#include "overlays/mission_control_application_panels.h"
#include "overview/status_workstation_preview.h"
#include "platform/shared_application.h"
#include "platform/ui/menu.h"
#include "platform/ui/panel.h"
#include "platform/ui/status_item.h"
#include "platform/ui/window_controller.h"
#include "support/observable.h"
#include "support/run_loop.h"
#include "support/value.h"

namespace tarnwick {

// The application delegate of the normal run. For the life of the process it owns every model,
// controller and window of the menu-bar app and the services they run on (its own readers,
// workers, loaders and icon cache, whose threads end when it goes), wires their hooks to itself,
// decides which features run, and reacts to sleep, lock, session and display changes. Every
// closure it hands out holds it weakly and does nothing once it is gone. Main loop only; made
// with std::make_shared (its closures need a weak reference to it).
//
// Its concerns live in one source file each: launch, status menu, feature state, lifecycle,
// rename prompt, quit, permissions and diagnostics.
class AppDelegate final : public platform::ApplicationDelegate,
                          public app::ApplicationShellServiceOwner,
                          public std::enable_shared_from_this<AppDelegate> {
public:
    static constexpr const char* kPermissionSnapshotFile = "permission-state.json";
    static constexpr const char* kLaunchedBeforeKey = "hasLaunchedBefore";
    static constexpr double kPrototypeTestDuration = 20.0;
    static constexpr double kRecoveryBaseDelay = 0.2;
    static constexpr int kLastRecoveryAttempt = 4;
    static constexpr int kRecordingSamples = 30;
    static constexpr double kRecordingInterval = 0.5;
    static constexpr double kLocateDelay = 5.0;

    // Status line titles.
    static constexpr const char* kStarting = "Starting\u2026";
    static constexpr const char* kPaused = "Paused";
    static constexpr const char* kPermissionsNeeded = "Permissions Needed\u2026";
    static constexpr const char* kRunning = "Running";
    static constexpr const char* kAddNames = "Add desktop names";
    static constexpr const char* kOverlaysOff = "Overlays off";
    static constexpr const char* kDisplayUnavailable =
        "That display is no longer available. Refresh Desktop Names and try again.";
    static constexpr const char* kRenameFailed = "This name could not be saved. Try again or Cancel.";
    // The Testing submenu's status line.
    static constexpr const char* kRecordingStatus = "Recording Mission Control geometry";
    static constexpr const char* kDiagnosticSaved = "Diagnostic saved";
    static constexpr const char* kDiagnosticFailed = "Could not save diagnostic: ";
    static constexpr const char* kRecordingNotJSON = "The recording could not be written as JSON.";
    static constexpr const char* kLocateStatus = "Open Mission Control and expand the previews now";
    static constexpr const char* kLocateSaved = "Label inspection saved";
    static constexpr const char* kLocateFailed = "Could not save label inspection";

    // Creates the models, the update service, display identification, the three coalescers and
    // the permission-snapshot writer. Nothing is shown and nothing observed yet.
    explicit AppDelegate(AppDelegateWindows windows = {});
    ~AppDelegate() override;
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // ---- the application's calls (launch: app_delegate_launch.cpp; quit: app_delegate_quit.cpp)
    void applicationWillFinishLaunching() override;
    void applicationDidFinishLaunching() override;
    bool applicationShouldHandleReopen(bool hasVisibleWindows) override;
    void applicationWillTerminate() override;

    // ---- status menu actions (app_delegate_status_menu.cpp)
    void showWorkstationOverview();
    void showNames();
    void showSettings();
    void showPermissions();
    void showAbout();
    void quit();

    // ---- feature state (app_delegate_feature_state.cpp)
    void applyFeatureState(bool refreshPermissions);
    void applySettingsChange(const AppPreferences& old, const AppPreferences& updated);
    void startPrototype();
    void stopPrototype();
    void previewSpaceBanner();
    void reveal();
    void invalidateRenderers();

    // ---- lifecycle (app_delegate_lifecycle.cpp)
    void refreshSession();
    void observeLifecycle();
    void suspendEnvironment(const std::string& reason);
    void recoverEnvironment();
    void scheduleRecovery(int attempt);

    // ---- the rename prompt of an Option-double-clicked label (app_delegate_rename.cpp)
    void quickRename(const std::string& desktopID);

    // ---- permissions (app_delegate_permissions.cpp)
    void requestPermissions();
    void requestPermissions(std::optional<std::uint32_t> displayID);
    void writePermissionDiagnostics(const std::string& event, const std::optional<std::string>& error = std::nullopt);

    // ---- the Testing submenu's diagnostics (app_delegate_diagnostics.cpp)
    void toggleLabelDiagnostics(platform::ui::MenuItem& item);
    void record();
    void sample();
    void locate();

    // ---- identify a display, from the settings (app_delegate_launch.cpp)
    void identifyDisplay(const std::string& displayID);

    // ---- the shell's closures reach these
    DesktopNamesModel& namesModel() override { return *namesModel_; }
    MissionControlApplicationPanels& missionControlApplicationPanels() override;

    // ---- the decisions, as pure rules
    // Whether a saved name belongs to any desktop of the catalog.
    static bool namesAvailable(const std::map<std::string, std::string>& names,
                               const std::vector<DesktopMonitor>& monitors);
    // Whether the label controller must poll: for labels or app icons, or to see Mission Control
    // open for its banner (which needs a display).
    static bool labelControllerMustPoll(const TarnwickFeatures& features, const AppPreferences& preferences,
                                        std::size_t monitorCount);
    // The status line's title, first rule that applies.
    static std::string statusTitle(const AppPreferences& preferences, bool suspended, bool permissionsReady,
                                   const TarnwickFeatures& features, bool namesAvailable);
    // The session as the login-session dictionary says it (nothing or a malformed one: not
    // active); `locked` changes only when the dictionary says, `sleeping` never.
    static TarnwickSessionState readSession(const std::optional<Value>& dictionary, std::uint32_t userID,
                                            TarnwickSessionState previous);
    // Writes a diagnostic's JSON as a new snapshot file: the file, or why there is none (empty
    // JSON is a failure, never an empty file).
    struct DiagnosticWrite {
        std::optional<std::filesystem::path> file;
        std::string error;
    };
    static DiagnosticWrite writeDiagnostic(const std::string& json, const char* prefix);
    // Display id to frame for every monitor.
    static std::map<std::string, Rect> topologyOf(const std::vector<DesktopMonitor>& monitors);

    // ---- reading the delegate (tests and diagnostics)
    SettingsModel& settings() { return *settings_; }
    SoftwareUpdates& updates() { return updates_; }
    DisplayIdentificationController& displayIdentification() { return displayIdentification_; }
    const TarnwickSessionState& session() const { return session_; }
    bool launched() const { return launched_; }
    bool overlaysRunning() const { return overlaysRunning_; }
    bool testingLabel() const { return testingLabel_; }
    bool settingUpPermissions() const { return settingUpPermissions_; }
    bool recording() const { return timer_.has_value(); }
    bool recoveryPending() const { return recoveryWork_ && !recoveryWork_.isCancelled() && !recoveryWork_.hasFired(); }
    const std::map<std::string, Rect>& topology() const { return topology_; }
    const std::optional<std::filesystem::path>& captureURL() const { return captureURL_; }
    std::size_t lifecycleObserverCount() const { return lifecycleObservers_.size(); }
    // The lazily made members, made here when they do not exist yet.
    LabelPrototype& prototype();
    SpaceBannerController& spaceBanners();
    MissionControlApplicationController& missionControlApplications();
    SettingsWindowHandle& settingsWindow();
    NamesWindowHandle& namesWindow();
    bool hasSettingsWindow() const { return settingsWindow_ != nullptr; }
    bool hasNamesWindow() const { return namesWindow_ != nullptr; }
    StatusWorkstationPreview* workstationPreview() const { return workstationPreview_.get(); }
    platform::ui::StatusItem* statusItem() const { return item_.get(); }
    const std::shared_ptr<platform::ui::Menu>& statusMenu() const { return menu_; }
    platform::ui::MenuItem* runStatus() const { return runStatus_.get(); }
    platform::ui::MenuItem* statusSeparator() const { return statusSeparator_.get(); }
    platform::ui::MenuItem* overviewMenuItem() const { return overviewMenuItem_.get(); }
    platform::ui::MenuItem* testingMenuItem() const { return testingMenuItem_.get(); }
    platform::ui::MenuItem* diagnosticsStatus() const { return status_.get(); }

private:
    using Weak = std::weak_ptr<AppDelegate>;

    // launch
    void installHooks();
    void installPrototypeHooks(LabelPrototype& controller);
    void installShortcut();
    void openSettings(std::optional<SettingsTab> tab, std::optional<std::uint32_t> displayID);
    void openNames(std::optional<std::uint32_t> displayID);
    std::optional<std::uint32_t> invocationDisplayID(const platform::ui::Panel* source);
    std::optional<std::uint32_t> settingsWindowDisplayID();
    // status menu
    void buildStatusItem();
    // The overview row carries the global shortcut as its key equivalent.
    void showShortcutOnMenu();
    void updateStatusLine(const TarnwickFeatures& features, bool namesAvailable);
    void setDiagnosticsStatus(const std::string& text);
    // lifecycle
    void teardown();
    void runRecoveryAttempt(int attempt);
    void topologyCheck();
    // permissions
    static Task<void> runPermissionRequest(Weak weak);
    std::size_t visibleTitledWindowCount() const;
    // diagnostics
    static Task<void> runLocate(Weak weak, LabelRecognitionWorker* worker);
    // quit
    void terminateApplication();

    // ---- the services the components run on; declared first, so they go last
    MissionControlGeometryReader geometryReader_;
    LabelRecognitionWorker recognitionWorker_;
    SpaceApplicationReader applicationReader_;
    SpaceApplicationSnapshotLoader applicationLoader_;
    ApplicationIconCache icons_;
    InventoryRefreshScheduler refreshScheduler_;
    NativeApplicationWindowFocus windowFocus_;
    AppDelegateWindows windows_;

    // ---- models and controllers
    // Shared with the settings window, which may outlive a page that reads them.
    std::shared_ptr<DesktopNamesModel> namesModel_;
    std::shared_ptr<SettingsModel> settings_;
    SoftwareUpdates updates_;
    // Tells of settings that cannot be saved, from launch on.
    std::unique_ptr<PreferencesSaveReporter> preferencesSaves_;
    // Tells of a names file that cannot be read or saved, from launch on.
    std::unique_ptr<NamesFileReporter> namesSaves_;
    std::unique_ptr<NamesWindowHandle> namesWindow_;
    std::unique_ptr<SettingsWindowHandle> settingsWindow_;
    DisplayIdentificationController displayIdentification_;
    std::unique_ptr<SpaceBannerController> spaceBanners_;
    std::unique_ptr<MissionControlApplicationPanels> missionControlApplicationPanels_;
    std::unique_ptr<MissionControlApplicationController> missionControlApplications_;
    std::unique_ptr<LabelPrototype> prototype_;
    bool testingLabel_ = false;
    bool overlaysRunning_ = false;
    TarnwickSessionState session_;
    bool launched_ = false;
    std::map<std::string, Rect> topology_;
    std::vector<Subscription> lifecycleObservers_;
    WorkItem recoveryWork_;
    WorkItem prototypeTestQuit_;

    // ---- the status item and its menu
    std::unique_ptr<platform::ui::StatusItem> item_;
    std::shared_ptr<platform::ui::Menu> menu_;
    std::shared_ptr<platform::ui::Menu> testingMenu_;
    std::unique_ptr<StatusWorkstationPreview> workstationPreview_;
    std::shared_ptr<platform::ui::MenuItem> overviewMenuItem_;
    std::shared_ptr<platform::ui::MenuItem> testingMenuItem_;
    std::shared_ptr<platform::ui::MenuItem> statusSeparator_;
    std::shared_ptr<platform::ui::MenuItem> status_;
    std::shared_ptr<platform::ui::MenuItem> runStatus_;
    // Around the standard About panel's window, once seen (the application keeps the window).
    std::unique_ptr<platform::ui::WindowController> aboutController_;

    // ---- the Testing submenu's recording
    std::optional<Timer> timer_;
    Array samples_;
    int remaining_ = 0;
    std::optional<std::filesystem::path> captureURL_;
    std::vector<WorkItem> locateWork_;
    std::vector<TaskHandle<void>> locateTasks_;

    // ---- permissions
    bool settingUpPermissions_ = false;
    TaskHandle<void> permissionTask_;
    // The running copy's bundle, read at the first snapshot.
    std::optional<std::string> bundleIdentifier_;
    std::string bundlePath_;

    SettingsWorkCoalescer bannerAppearanceWork_;
    SettingsWorkCoalescer missionControlAppearanceWork_;
    SettingsWorkCoalescer settingsDiagnosticWork_;
    LatestDiagnosticSnapshotWriter permissionSnapshot_;
};

}  // namespace tarnwick
