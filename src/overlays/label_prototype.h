#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "applications/application_icon_cache.h"
#include "model/diagnostic_trace.h"
#include "model/mission_control_geometry.h"
#include "model/mission_control_geometry_reader.h"
#include "overlays/label_capture_lease.h"
#include "overlays/label_capture_state.h"
#include "overlays/label_geometry_flight.h"
#include "overlays/label_live_state.h"
#include "overlays/label_live_state_cache.h"
#include "overlays/label_locator.h"
#include "overlays/label_presentation.h"
#include "overlays/label_refresh_schedule.h"
#include "overlays/mission_control_application_slot.h"
#include "overlays/mission_control_overlay_options.h"
#include "platform/events.h"
#include "support/observable.h"
#include "support/run_loop.h"
#include "support/task.h"
#include "support/value.h"

namespace tarnwick {

// The collaborators of the label controller; the program's shared ones when left empty.
struct LabelPrototypeServices {
    MissionControlGeometryReader* geometryReader = nullptr;
    LabelLocatorServices locator;  // the recognition worker
    ApplicationIconCache* icons = nullptr;
};

// The controller of the desktop-name labels over Mission Control. While it runs it polls on a
// repeating timer whether Mission Control is open and tells its owner when that changes; while
// Mission Control is open and labels or app icons are wanted it reads Mission Control's geometry,
// turns it into one target per desktop, locates the native "Desktop N" captions by capture and
// recognition, places one name label over each, keeps the measured desktop previews (slots) for
// the app-icon strips, and lets an Option-double-click on a label ask its owner for a rename.
// Everything runs on the main loop; stale work is recognised by generation, request and start
// time when it comes back. Its decisions go to "prototype-trace.jsonl".
class LabelPrototype {
public:
    // The catalog and the custom names; a true argument asks for the catalog to be refreshed
    // first.
    using ConfigurationProvider = std::function<LabelConfiguration(bool forceCatalog)>;
    using Target = LabelTarget;
    using LiveState = LabelLiveState;
    using Presentation = LabelPresentation;

    static constexpr const char* traceFileName = "prototype-trace.jsonl";
    static constexpr const char* verboseArgument = "--verbose-label-diagnostics";
    static constexpr const char* windowManagerBundleID = "com.apple.WindowManager";
    static constexpr const char* enabledReport = "Mission Control overlays enabled";
    static constexpr const char* sampleReport = "One-label test armed \u00B7 Desktop 1 \u2192 Work";
    static constexpr const char* inspectionClosed = "Open Mission Control to inspect saved desktop labels";
    static constexpr const char* inspectionChanged = "Mission Control changed during inspection";
    static constexpr const char* inspectionUnnamed = "No desktop has a saved name to inspect";
    static constexpr const char* inspectionUnreadable = "Mission Control is open, but its desktop labels could not be read";

    explicit LabelPrototype(ConfigurationProvider configurationProvider, LabelPrototypeServices services = {});
    ~LabelPrototype();
    LabelPrototype(const LabelPrototype&) = delete;
    LabelPrototype& operator=(const LabelPrototype&) = delete;

    // Stops, then polls (at the full rate when anything is wanted or in sample mode, which labels
    // only "Desktop 1", as "Work"). Mission Control's current visibility is taken in silently.
    void start(bool sample);
    // Ends polling, capture and geometry reads, takes every label down, publishes no slots, and
    // reports Mission Control as hidden when it was seen open.
    void stop();
    // A change takes every label down and starts measuring anew; equal options do nothing.
    void setOptions(const MissionControlOverlayOptions& options);
    const MissionControlOverlayOptions& options() const { return options_; }
    bool isRunning() const { return timer_.has_value(); }
    // Whether the detailed trace records are written (at first: "--verbose-label-diagnostics"
    // among the process arguments).
    bool detailedDiagnostics() const { return detailedDiagnostics_; }
    void setDetailedDiagnostics(bool on) { detailedDiagnostics_ = on; }

    // One location of the captions of the desktops that want a label, as they would be placed
    // now, without starting and without applying anything: the locator's dictionary, or
    // "unsupported" with a sentence when Mission Control is closed, no desktop has a saved name,
    // Mission Control is open but its geometry could not be read, or it changed meanwhile.
    Task<Value> inspectConfiguredLabels(bool debug);

    // ---- hooks, filled by the owner
    std::function<void(const std::string&)> report;        // a status text, from start()
    std::function<void(const std::string&)> quickRename;   // the desktop UUID to rename
    std::function<void(const std::vector<MissionControlApplicationSlot>&)> applicationsChanged;
    std::function<void(bool)> visibilityChanged;           // Mission Control shown or hidden

    // ---- reading the controller (diagnostics and tests)
    DiagnosticTrace& diagnosticTrace() { return diagnosticTrace_; }
    const std::map<std::string, std::shared_ptr<Presentation>>& presentations() const { return presentations_; }
    double pollingInterval() const { return pollingInterval_; }
    const LabelRefreshSchedule& schedule() const { return schedule_; }
    const LabelCaptureState& captureState() const { return captureState_; }
    const std::optional<LiveState>& currentLive() const { return currentLive_; }
    const std::vector<MissionControlApplicationSlot>& publishedApplicationSlots() const { return publishedSlots_; }
    int generation() const { return generation_; }
    bool isRenaming() const { return renaming_; }
    bool hasModifierMonitor() const { return modifierMonitor_.has_value(); }
    int polls() const { return polls_; }

    // A recognised label's "boundsCG" with all four values and a positive size.
    static std::optional<Rect> labelRect(const Value& label);

private:
    friend struct LabelPrototypeProbe;  // tests and benchmarks reach single steps through it

    using GeometryFlight = LabelGeometryFlight<MissionControlGeometrySnapshot>;
    using Weak = LifetimeToken::Weak;

    // ---- polling and live state
    void setPollingInterval(double interval);
    void tick();
    bool wanted() const;
    Task<void> runGeometryTask(Weak alive, std::uint64_t request, bool recognitionDue);
    Task<std::optional<LiveState>> readLiveState(Weak alive, double after, bool forceCatalog, bool requireRunning);
    std::optional<LiveState> liveState(const Array& tree, bool forceCatalog);
    void applyLiveState(const std::optional<LiveState>& live);
    void publishApplicationSlots();
    void invalidateGeometry();
    void cancelCapture();
    void hideAll();
    void trace(const std::string& event, Dictionary fields = {});
    // Why an inspection found nothing to locate, as the "unsupported" sentence.
    const char* nothingToInspect() const;
    // Whether the detailed records are written now (their fields need not be built otherwise).
    bool writesDetails() const { return detailedDiagnostics_ || sampleMode_; }
    static std::optional<std::int32_t> windowManagerProcess();

    // ---- recognition and placement
    void beginCapture(const LiveState& live);
    Task<void> runCapture(Weak alive, std::string request, LiveState live, int passes, int generation);
    static Task<void> deliverPass(Weak alive, LabelPrototype* self, LabelBarResult result, LiveState live,
                                  std::string request, int generation);
    Task<void> receive(Weak alive, LabelBarResult result, LiveState live, std::string request, int generation);
    bool present(const Target& target, const Rect& native, const std::vector<Rect>& neighbors, double observedAt);
    bool presentationIsCurrent(const Presentation& presentation, const std::string& desktopID) const;

    // ---- rename and routing
    void startModifierMonitor();
    void stopModifierMonitor();
    void updateMouseRouting(platform::ModifierFlags flags);
    void renameOverlay(const std::string& desktopID);
    Task<void> runRename(Weak alive, std::string desktopID, std::weak_ptr<Presentation> presentation,
                         std::function<void(const std::string&)> hook, int generation);

    ConfigurationProvider configurationProvider_;
    LabelPrototypeServices services_;
    std::map<std::string, std::shared_ptr<Presentation>> presentations_;
    MissionControlOverlayOptions options_;
    MissionControlApplicationSlotCache applicationSlots_;
    std::vector<MissionControlApplicationSlot> publishedSlots_;
    std::optional<Timer> timer_;
    double pollingInterval_ = 0;
    LabelRefreshSchedule schedule_;
    LabelCaptureState captureState_;
    GeometryFlight geometryReader_;
    TaskHandle<void> geometryTask_;
    std::optional<std::uint64_t> geometryRequest_;
    std::uint64_t nextGeometryRequest_ = 0;
    std::optional<LiveState> currentLive_;
    LabelLiveStateCache liveStates_;
    double latestGeometryStartedAt_;
    std::optional<LabelCaptureLease> captureLease_;
    TaskHandle<void> captureTask_;
    int generation_ = 0;
    std::string signature_;
    bool sampleMode_ = false;
    std::optional<platform::EventMonitorToken> modifierMonitor_;
    bool renaming_ = false;
    std::string lastTrace_;
    Dictionary lastTraceFields_;
    std::optional<double> detectedAt_;
    std::set<std::string> firstDrawn_;
    DiagnosticTrace diagnosticTrace_;
    bool detailedDiagnostics_ = false;
    int polls_ = 0;
    LifetimeToken lifetime_;
};

}  // namespace tarnwick
