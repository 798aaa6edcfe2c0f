#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "applications/application_icon_cache.h"
#include "applications/space_application_snapshot_loader.h"
#include "banner/space_name_banner.h"
#include "banner/space_switch_tracker.h"
#include "model/desktop_names_model.h"
#include "model/diagnostic_trace.h"
#include "model/settings_model.h"
#include "platform/displays.h"
#include "support/observable.h"
#include "support/run_loop.h"
#include "support/task.h"

namespace tarnwick {

// The collaborators of the banner controller; the program's shared ones when left empty.
struct SpaceBannerServices {
    SpaceApplicationSnapshotLoader* loader = nullptr;
    ApplicationIconCache* icons = nullptr;
};

// Decides when, where and for which desktop a desktop-name banner shows: after a desktop switch
// (sampling the catalog 0.12 s and 0.35 s later and showing one banner per display whose current
// desktop changed, waiting while Mission Control is open), when Mission Control opens (if the
// user wants that) and as a preview. Every decision goes to "space-banner-trace.jsonl". Reads the
// preferences afresh at every decision. Main loop only.
class SpaceBannerController {
public:
    static constexpr const char* traceFileName = "space-banner-trace.jsonl";
    static constexpr double firstSampleDelay = 0.12;
    static constexpr double secondSampleDelay = 0.35;
    static constexpr double pendingLifetime = 3.0;
    static constexpr double retryInterval = 0.1;
    static constexpr double visibilityInterval = 0.125;

    SpaceBannerController(DesktopNamesModel& model, SettingsModel& settings, SpaceBannerServices services = {});
    ~SpaceBannerController();
    SpaceBannerController(const SpaceBannerController&) = delete;
    SpaceBannerController& operator=(const SpaceBannerController&) = delete;

    bool isRunning() const { return workspaceObserver_.has_value(); }
    // Begins observing switches and screen changes; nothing while running, or while the
    // preferences show no banners or are paused.
    void start();
    // Ends everything; safe when not running.
    void stop();
    // A preview banner for the current desktop of the screen (the main screen when none is given),
    // whether or not the controller runs.
    void preview(std::optional<platform::ScreenDescription> screen = std::nullopt);
    // Mission Control opened or closed.
    void missionControlChanged(bool visible);

    // ---- reading the controller
    DiagnosticTrace& diagnosticTrace() { return diagnosticTrace_; }
    // The display's banner panel, if one was made.
    const SpaceNameBanner* banner(const std::string& displayID) const;

private:
    enum class Trigger { desktopSwitch, preview, missionControl };
    struct Presentation {
        std::string desktopID;
        Trigger trigger;
    };
    struct Pending {
        SpaceSwitchTracker::Change change;
        double expires;  // system uptime
    };
    struct ApplicationRequest {
        std::string id;
        TaskHandle<void> task;
    };
    using Change = SpaceSwitchTracker::Change;

    // The trace event of a banner shown for the trigger.
    static std::string_view rawValue(Trigger trigger);

    void spaceChanged();
    void screenParametersChanged();
    void cancelWork();
    void collect(int token);
    void showPending(int token);
    bool missionControlVisible();
    void show(const Change& change, Trigger trigger, const std::optional<std::vector<std::uint64_t>>& applicationSpaces);
    void showCurrentDesktops(const std::vector<platform::ScreenDescription>& screens, Trigger trigger);
    void hideBanner(const std::string& displayID, const std::string& reason);
    void hideBanners(const std::string& reason, const std::function<bool(Trigger)>& matching = nullptr);
    void visibilityTick();
    void cancelApplicationRequest(const std::string& displayID);
    void loadApplications(const Change& change, const std::shared_ptr<SpaceNameBanner>& banner, int token,
                          std::vector<std::uint64_t> spaceIDs);
    Task<void> runApplicationLoad(LifetimeToken::Weak alive, std::weak_ptr<SpaceNameBanner> banner, Change change,
                                  int token, std::vector<std::uint64_t> spaceIDs, std::string requestID,
                                  std::vector<DesktopMonitor> monitors);
    void trace(const std::string& event, const std::optional<Change>& change, Dictionary details = {});
    std::optional<platform::ScreenDescription> screenOf(const std::string& displayID) const;
    std::map<std::string, Rect> geometry() const;

    DesktopNamesModel& model_;
    SettingsModel& settings_;
    SpaceSwitchTracker tracker_;
    std::map<std::string, std::shared_ptr<SpaceNameBanner>> banners_;
    std::map<std::string, Presentation> displayed_;
    std::map<std::string, Rect> monitorGeometry_;
    std::map<std::string, Pending> pending_;
    std::optional<Subscription> workspaceObserver_;
    std::optional<Subscription> screenObserver_;
    std::vector<WorkItem> samples_;
    WorkItem retry_;
    std::optional<Timer> visibilityTimer_;
    std::map<std::string, ApplicationRequest> applicationRequests_;
    int generation_ = 0;
    std::optional<bool> lastMissionControlVisible_;
    DiagnosticTrace diagnosticTrace_;
    SpaceApplicationSnapshotLoader& loader_;
    ApplicationIconCache* icons_;
    LifetimeToken lifetime_;
};

}  // namespace tarnwick
