// The label controller's geometry: reading Mission Control's Accessibility tree into the live
// state, applying it (labels of changed displays come down, slots follow), publishing the slots,
// and voiding work in flight.

#include <algorithm>
#include <limits>

#include "model/mission_control_visibility.h"
#include "overlays/label_prototype.h"
#include "platform/platform.h"

namespace tarnwick {

std::optional<std::int32_t> LabelPrototype::windowManagerProcess() {
    for (const auto& app : platform::current().workspace->runningApplications())
        if (!app.isTerminated && app.bundleIdentifier == windowManagerBundleID) return app.processIdentifier;
    return std::nullopt;
}

std::optional<LabelPrototype::LiveState> LabelPrototype::liveState(const Array& tree, bool forceCatalog) {
    LabelConfiguration configuration = configurationProvider_ ? configurationProvider_(forceCatalog) : LabelConfiguration{};
    return liveStates_.liveState(tree, std::move(configuration), options_, sampleMode_);
}

Task<std::optional<LabelPrototype::LiveState>> LabelPrototype::readLiveState(Weak alive, double after, bool forceCatalog,
                                                                             bool requireRunning) {
    if ((requireRunning && !timer_) || renaming_) co_return std::nullopt;
    const auto processID = windowManagerProcess();
    if (!processID) co_return std::nullopt;
    const int generation = generation_;

    auto reading = geometryReader_.read(*processID, after);
    const auto read = co_await std::move(reading);
    if (!alive || !read) co_return std::nullopt;
    const bool cancelled = co_await taskIsCancelled();
    if (generation != generation_ || cancelled || renaming_ || (requireRunning && !timer_)) co_return std::nullopt;
    // The same WindowManager must still run, and Mission Control must still be open.
    if (windowManagerProcess() != processID) co_return std::nullopt;
    if (!MissionControlVisibility::isVisible(MissionControlVisibility::currentSnapshot())) co_return std::nullopt;

    const MissionControlGeometrySnapshot& snapshot = read->value;
    if (writesDetails())
        trace("geometry-read", Dictionary{{"seconds", snapshot.seconds},
                                          {"nodes", snapshot.nodeCount},
                                          {"complete", snapshot.complete}});
    if (!snapshot.complete) {
        if (!requireRunning) co_return std::nullopt;
        // Nothing known any more: every label comes down and recognition starts over.
        cancelCapture();
        applyLiveState(std::nullopt);
        stopModifierMonitor();
        schedule_.geometryChanged(systemUptime());
        co_return std::nullopt;
    }
    if (requireRunning && read->startedAt < latestGeometryStartedAt_) co_return std::nullopt;

    std::optional<LiveState> live = liveState(snapshot.tree, forceCatalog);
    if (requireRunning) {
        latestGeometryStartedAt_ = read->startedAt;
        applyLiveState(live);
        if (!live) stopModifierMonitor();
    }
    co_return live;
}

void LabelPrototype::applyLiveState(const std::optional<LiveState>& live) {
    static const std::map<std::string, std::string> none;
    const auto& before = currentLive_ ? currentLive_->displaySignatures : none;
    const auto& after = live ? live->displaySignatures : none;
    std::set<std::string> changed;
    for (const auto& [id, signature] : before)
        if (auto it = after.find(id); it == after.end() || it->second != signature) changed.insert(id);
    for (const auto& [id, signature] : after)
        if (!before.count(id)) changed.insert(id);

    for (auto& [id, presentation] : presentations_)
        if (changed.count(presentation->monitorID)) presentation->hide(true);
    if (!changed.empty() && captureState_.requestID) cancelCapture();

    currentLive_ = live;
    signature_ = live ? live->signature : std::string();

    std::vector<MissionControlApplicationGeometry> geometries;
    if (live)
        for (const auto& target : live->targets)
            geometries.push_back(
                MissionControlApplicationGeometry{target.navigation, target.nativeButton, target.nativeBar, target.display});
    applicationSlots_.transition(geometries);
    publishApplicationSlots();

    if (!changed.empty()) schedule_.geometryChanged(systemUptime());

    // Desktops no longer targeted lose their labels and slots.
    std::set<std::string> targeted;
    if (live)
        for (const auto& target : live->targets) targeted.insert(target.id);
    for (auto it = presentations_.begin(); it != presentations_.end();) {
        if (targeted.count(it->first)) {
            ++it;
            continue;
        }
        const std::string id = it->first;
        const std::shared_ptr<Presentation> gone = it->second;
        it = presentations_.erase(it);
        gone->hide(true);
        applicationSlots_.remove(id);
    }
}

void LabelPrototype::publishApplicationSlots() {
    const double now = systemUptime();
    const bool captureIsCurrent = captureState_.requestID && captureLease_ && captureLease_->isValid(now);
    auto slots = applicationSlots_.snapshot(now, captureIsCurrent, captureState_.pendingDesktopIDs());
    if (slots == publishedSlots_) return;
    publishedSlots_ = slots;
    if (applicationsChanged) applicationsChanged(slots);
}

void LabelPrototype::invalidateGeometry() {
    ++generation_;
    geometryReader_.invalidate();
    geometryTask_.cancel();
    geometryTask_ = TaskHandle<void>();
    geometryRequest_.reset();
    currentLive_.reset();
    latestGeometryStartedAt_ = -std::numeric_limits<double>::infinity();
}

void LabelPrototype::cancelCapture() {
    captureState_.cancel();
    captureLease_.reset();
    captureTask_.cancel();
}

}  // namespace tarnwick
