// The label controller's life and its poll: start, stop, options, the timer, the geometry task
// of each poll, the trace, and the inspection of the configured labels.

#include "overlays/label_prototype.h"

#include <limits>

#include "model/diagnostic_files.h"
#include "model/mission_control_visibility.h"
#include "platform/platform.h"

namespace tarnwick {

namespace {

constexpr double kNegativeInfinity = -std::numeric_limits<double>::infinity();
constexpr double kTimerTolerance = 0.1;  // of the interval

// Written only while detailed diagnostics or sample mode are on.
bool isDetailedEvent(const std::string& event) {
    return event == "recognition-finished" || event == "display-recognition-finished" || event == "geometry-read" ||
           event == "drawn" || event == "waiting-for-settled-label";
}

MissionControlGeometryReader& readerOf(const LabelPrototypeServices& services) {
    return services.geometryReader ? *services.geometryReader : MissionControlGeometryReader::shared();
}

}  // namespace

LabelPrototype::LabelPrototype(ConfigurationProvider configurationProvider, LabelPrototypeServices services)
    : configurationProvider_(std::move(configurationProvider)),
      services_(services),
      geometryReader_([reader = &readerOf(services)](std::int32_t processID) { return reader->read(processID); }),
      latestGeometryStartedAt_(kNegativeInfinity),
      diagnosticTrace_(DiagnosticFiles::location(traceFileName)),
      detailedDiagnostics_(platform::hasArgument(platform::current().system->processArguments(), verboseArgument)) {}

LabelPrototype::~LabelPrototype() {
    if (timer_) timer_->invalidate();
    geometryTask_.cancel();
    captureTask_.cancel();
    stopModifierMonitor();
}

bool LabelPrototype::wanted() const { return sampleMode_ || options_.labels || options_.applications; }

void LabelPrototype::start(bool sample) {
    stop();
    sampleMode_ = sample;
    diagnosticTrace_.reset();
    lastTrace_.clear();
    lastTraceFields_.clear();
    trace("started");
    if (report) report(sample ? sampleReport : enabledReport);
    const bool visible = MissionControlVisibility::isVisible(MissionControlVisibility::currentSnapshot());
    schedule_.setVisible(visible, systemUptime());
    setPollingInterval(wanted() ? schedule_.pollingInterval() : LabelRefreshSchedule::idleInterval);
}

void LabelPrototype::stop() {
    invalidateGeometry();
    if (timer_) timer_->invalidate();
    timer_.reset();
    cancelCapture();
    const bool wasVisible = schedule_.isVisible;
    schedule_.reset();
    if (wasVisible && visibilityChanged) visibilityChanged(false);
    signature_.clear();
    detectedAt_.reset();
    firstDrawn_.clear();
    stopModifierMonitor();
    liveStates_.clear();
    applicationSlots_.reset();
    publishApplicationSlots();
    hideAll();
}

void LabelPrototype::setOptions(const MissionControlOverlayOptions& options) {
    if (options == options_) return;
    options_ = options;
    cancelCapture();
    invalidateGeometry();
    signature_.clear();
    hideAll();
    applicationSlots_.reset();
    publishApplicationSlots();
    schedule_.geometryChanged(systemUptime());
}

void LabelPrototype::hideAll() {
    for (auto& [id, presentation] : presentations_) presentation->hide(true);
}

void LabelPrototype::setPollingInterval(double interval) {
    if (timer_ && pollingInterval_ == interval) return;
    if (timer_) timer_->invalidate();
    pollingInterval_ = interval;
    timer_ = RunLoop::main().scheduleTimer(interval, interval * kTimerTolerance, [this, alive = lifetime_.weak()] {
        if (alive) tick();
    });
}

void LabelPrototype::tick() {
    if (renaming_) return;
    ++polls_;
    const double now = systemUptime();
    const bool visible = MissionControlVisibility::isVisible(MissionControlVisibility::currentSnapshot());
    const bool changed = schedule_.setVisible(visible, now);
    if (changed && visibilityChanged) {
        const Weak alive = lifetime_.weak();
        visibilityChanged(visible);
        if (!alive || !isRunning()) return;  // the owner stopped or released the controller
    }
    setPollingInterval(wanted() ? schedule_.pollingInterval() : LabelRefreshSchedule::idleInterval);
    if (!wanted()) return;

    if (!visible) {
        applicationSlots_.reset();
        publishApplicationSlots();
        if (changed) {
            cancelCapture();
            invalidateGeometry();
            signature_.clear();
            detectedAt_.reset();
            firstDrawn_.clear();
            stopModifierMonitor();
            hideAll();
        }
        trace("mission-control-or-mapping-not-visible");
        return;
    }

    if (!detectedAt_) {
        detectedAt_ = now;
        trace("mission-control-detected");
    }
    // Labels whose placement ran out come down, unless being clicked or still being recognised.
    const double date = wallClockNow();
    const bool leaseValid = captureLease_ && captureLease_->isValid(now);
    const std::set<std::string> pending = captureState_.pendingDesktopIDs();
    for (auto& [id, presentation] : presentations_) {
        if (!presentation->panel().isVisible() || presentation->expiry > date) continue;
        if (presentation->clickGraceUntil > date) continue;
        if (pending.count(id) && leaseValid) continue;
        presentation->hide(true);
    }
    publishApplicationSlots();
    updateMouseRouting(platform::current().events->modifierFlags());

    const bool recognitionDue = !captureState_.flightID && schedule_.recognitionIsDue(now);
    if (!geometryTask_ && (schedule_.geometryIsDue(now) || recognitionDue)) {
        schedule_.didReadGeometry(now);
        const std::uint64_t request = ++nextGeometryRequest_;
        geometryRequest_ = request;
        geometryTask_ = spawn(RunLoop::main(), runGeometryTask(lifetime_.weak(), request, recognitionDue));
    }
}

Task<void> LabelPrototype::runGeometryTask(Weak alive, std::uint64_t request, bool recognitionDue) {
    auto reading = readLiveState(alive, kNegativeInfinity, recognitionDue, true);
    std::optional<LiveState> live = co_await std::move(reading);
    if (!alive) co_return;
    const bool cancelled = co_await taskIsCancelled();
    if (live && geometryRequest_ == request && !cancelled) {
        if (!sampleMode_ && !options_.labels)
            stopModifierMonitor();
        else
            startModifierMonitor();
        if (recognitionDue && !captureState_.flightID && schedule_.recognitionIsDue(systemUptime())) beginCapture(*live);
    }
    // A superseded task leaves the newer task's fields alone.
    if (geometryRequest_ == request) {
        geometryRequest_.reset();
        geometryTask_ = TaskHandle<void>();
    }
}

void LabelPrototype::trace(const std::string& event, Dictionary fields) {
    if (isDetailedEvent(event) && !writesDetails()) return;
    if (event == lastTrace_ && fields == lastTraceFields_) return;
    lastTrace_ = event;
    lastTraceFields_ = fields;
    diagnosticTrace_.record(event, std::move(fields));
}

const char* LabelPrototype::nothingToInspect() const {
    // The window list tells whether Mission Control is open apart from the geometry read, which
    // also fails without a WindowManager process or with an incomplete tree. Opening Mission
    // Control helps only when it is closed; naming a desktop only when none has a name.
    if (!MissionControlVisibility::isVisible(MissionControlVisibility::currentSnapshot())) return inspectionClosed;
    const LabelConfiguration configuration = configurationProvider_ ? configurationProvider_(false) : LabelConfiguration{};
    for (const auto& monitor : configuration.monitors)
        for (const auto& desktop : monitor.desktops)
            if (const auto name = configuration.names.find(desktop.id);
                name != configuration.names.end() && !name->second.empty())
                return inspectionUnreadable;
    return inspectionUnnamed;
}

Task<Value> LabelPrototype::inspectConfiguredLabels(bool debug) {
    const Weak alive = lifetime_.weak();
    auto firstRead = readLiveState(alive, kNegativeInfinity, true, false);
    const std::optional<LiveState> first = co_await std::move(firstRead);
    if (!alive) co_return Value(Dictionary{{"unsupported", inspectionClosed}});
    if (!first) co_return Value(Dictionary{{"unsupported", nothingToInspect()}});

    std::vector<Rect> displays, regions;
    for (const auto& target : first->targets) {
        displays.push_back(target.display);
        regions.push_back(target.recognitionRegion);
    }
    auto location = LabelLocator::inspect(std::nullopt, std::move(displays), std::move(regions), debug, 1, {},
                                          services_.locator);
    Value result = co_await std::move(location);
    if (!alive) co_return Value(Dictionary{{"unsupported", inspectionChanged}});

    auto secondRead = readLiveState(alive, kNegativeInfinity, true, false);
    const std::optional<LiveState> second = co_await std::move(secondRead);
    if (!alive || !second || second->signature != first->signature)
        co_return Value(Dictionary{{"unsupported", inspectionChanged}});
    co_return result;
}

}  // namespace tarnwick
