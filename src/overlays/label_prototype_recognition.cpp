// The label controller's recognition flights: one location run over every display with a target,
// whose per-display pass results are admitted only while the request, the generation and the
// display's geometry still hold, and placed label by label.

#include <limits>

#include "overlays/label_prototype.h"
#include "overlays/rectangle_dictionary.h"
#include "support/uuid.h"

namespace tarnwick {

namespace {

std::optional<Rect> frameOf(const Value* frame) {
    const auto r = rectangleFromDictionary(frame);
    if (!r || !r->isUsable()) return std::nullopt;
    return r;
}

double numberOr(const Dictionary& d, const char* key, double fallback) {
    auto it = d.find(key);
    if (it == d.end()) return fallback;
    return it->second.toDouble().value_or(fallback);
}

int passNumber(const Dictionary& d, const char* key) {
    auto it = d.find(key);
    if (it == d.end()) return 1;
    return static_cast<int>(it->second.toInt64().value_or(1));
}

// The first target whose display holds the frame.
const LabelTarget* targetHolding(const std::vector<LabelTarget>& targets, const Rect& frame) {
    for (const auto& target : targets)
        if (target.display.contains(frame)) return &target;
    return nullptr;
}

}  // namespace

std::optional<Rect> LabelPrototype::labelRect(const Value& label) {
    const auto r = rectangleFromDictionary(label.find("boundsCG"));
    if (!r || !(r->size.width > 0) || !(r->size.height > 0)) return std::nullopt;
    return r;
}

void LabelPrototype::beginCapture(const LiveState& live) {
    const int generation = generation_;
    std::map<std::string, LabelCaptureState::Display> displays;
    for (const auto& target : live.targets) {
        auto& display = displays[target.navigation.monitorID];
        auto signature = live.displaySignatures.find(target.navigation.monitorID);
        display.signature = signature != live.displaySignatures.end() ? signature->second : std::string();
        display.desktopIDs.insert(target.id);
    }
    const auto request = captureState_.begin(std::move(displays), live.expectedTargetCount, systemUptime());
    if (!request) return;
    captureLease_ = LabelCaptureLease{captureState_.startedAt};
    // A label not yet settled needs a second look to be confirmed in the same flight.
    int passes = 1;
    for (const auto& target : live.targets) {
        auto it = presentations_.find(target.id);
        if (it == presentations_.end() || !it->second->entrance.isSettled()) passes = 2;
    }
    captureTask_ = spawn(RunLoop::main(), runCapture(lifetime_.weak(), *request, live, passes, generation));
}

Task<void> LabelPrototype::deliverPass(Weak alive, LabelPrototype* self, LabelBarResult result, LiveState live,
                                       std::string request, int generation) {
    if (!alive) co_return;
    auto receiving = self->receive(alive, std::move(result), std::move(live), std::move(request), generation);
    co_await std::move(receiving);
}

Task<void> LabelPrototype::runCapture(Weak alive, std::string request, LiveState live, int passes, int generation) {
    std::vector<Rect> displays, regions;
    for (const auto& target : live.targets) {
        displays.push_back(target.display);
        regions.push_back(target.recognitionRegion);
    }
    LabelLocator::OnDisplay onDisplay = [alive, self = this, live, request, generation](LabelBarResult result) {
        return deliverPass(alive, self, std::move(result), live, request, generation);
    };
    auto location = LabelLocator::inspect(std::nullopt, std::move(displays), std::move(regions), false, passes, onDisplay,
                                          services_.locator);
    const Value result = co_await std::move(location);
    if (!alive) co_return;

    if (captureState_.requestID == request && generation_ == generation) {
        double crops = 0;
        if (const Value* bars = result.find("bars"); bars && bars->asArray())
            for (const auto& bar : *bars->asArray()) {
                if (const Value* tiles = bar.find("recognitionTiles")) crops += tiles->toDouble().value_or(0);
                if (!bar.find("error")) continue;
                // A bar that failed takes back what its display confirmed.
                const auto frame = frameOf(bar.find("frameCG"));
                if (!frame) continue;
                if (const auto* target = targetHolding(live.targets, *frame))
                    captureState_.discardConfirmation(target->navigation.monitorID);
            }
        if (writesDetails())
            trace("recognition-finished", Dictionary{{"seconds", systemUptime() - captureState_.startedAt},
                                                     {"crops", static_cast<std::int64_t>(crops)}});
        const int confirmed = static_cast<int>(captureState_.confirmedDesktopIDs.size());
        const int expected = captureState_.expectedLabels;
        captureState_.cancel();
        captureLease_.reset();
        publishApplicationSlots();
        schedule_.recognitionFinished(systemUptime(), confirmed, expected);
    }
    if (captureState_.flightID == request) {
        captureState_.drained(request);
        captureTask_ = TaskHandle<void>();
    }
}

Task<void> LabelPrototype::receive(Weak alive, LabelBarResult result, LiveState live, std::string request, int generation) {
    if (!alive) co_return;
    const bool cancelledBefore = co_await taskIsCancelled();
    if (captureState_.requestID != request || generation_ != generation || cancelledBefore) co_return;
    const Dictionary& metadata = result.metadata;
    const auto frameEntry = metadata.find("frameCG");
    const auto frame = frameEntry != metadata.end() ? frameOf(&frameEntry->second) : std::nullopt;
    if (!frame) co_return;
    const LabelTarget* holder = targetHolding(live.targets, *frame);
    if (!holder) co_return;
    const std::string displayID = holder->navigation.monitorID;

    captureState_.discardConfirmation(displayID);
    const int pass = passNumber(metadata, "confirmationPass");
    const int passes = passNumber(metadata, "confirmationPasses");

    const auto startedEntry = metadata.find("captureStartedAt");
    const auto observationEntry = metadata.find("observationID");
    std::optional<double> capturedAt;
    if (startedEntry != metadata.end() && startedEntry->second.isNumber()) capturedAt = startedEntry->second.toDouble();
    std::optional<std::string> observation;
    if (observationEntry != metadata.end() && observationEntry->second.asString() &&
        uuid::parse(*observationEntry->second.asString()))
        observation = *observationEntry->second.asString();

    bool usable = capturedAt && observation;
    if (usable) {
        // The geometry again, after the capture: a display that moved meanwhile is not drawn.
        auto reading = readLiveState(alive, systemUptime(), true, true);
        const std::optional<LiveState> fresh = co_await std::move(reading);
        if (!alive) co_return;
        const bool cancelled = co_await taskIsCancelled();
        const auto before = live.displaySignatures.find(displayID);
        std::optional<std::string> now;
        if (fresh)
            if (auto it = fresh->displaySignatures.find(displayID); it != fresh->displaySignatures.end()) now = it->second;
        usable = fresh && captureState_.requestID == request && generation_ == generation && !cancelled &&
                 before != live.displaySignatures.end() && now && *now == before->second;
        if (usable)
            usable = captureState_.admit(request, displayID, before->second, *observation, *capturedAt, systemUptime());
    }

    if (usable) {
        if (writesDetails()) {
            const auto fallback = metadata.find("usedFallback");
            const bool usedFallback = fallback != metadata.end() && fallback->second.asBool().value_or(false);
            trace("display-recognition-finished",
                  Dictionary{{"display", displayID},
                             {"enumerationSeconds", numberOr(metadata, "enumerationSeconds", 0)},
                             {"captureSeconds", numberOr(metadata, "captureSeconds", 0)},
                             {"recognitionSeconds", numberOr(metadata, "recognitionSeconds", 0)},
                             {"usedFallback", usedFallback}});
        }
        static const Array noLabels;
        const auto labelsEntry = metadata.find("labels");
        const Array& labels =
            labelsEntry != metadata.end() && labelsEntry->second.asArray() ? *labelsEntry->second.asArray() : noLabels;
        const double date = wallClockNow();
        for (const auto& target : live.targets) {
            if (target.navigation.monitorID != displayID) continue;
            std::vector<Rect> matches, neighbors;
            for (const auto& label : labels) {
                const Value* text = label.find("text");
                const bool same = text && text->asString() && *text->asString() == target.nativeTitle;
                const auto rect = labelRect(label);
                if (same && rect && target.display.contains(*rect)) matches.push_back(*rect);
                if (!same && rect) neighbors.push_back(*rect);
            }
            if (matches.size() == 1) {
                if (present(target, matches.front(), neighbors, *capturedAt)) captureState_.confirm(target.id);
                continue;
            }
            // Not found, or found twice: an expired label without grace comes down.
            auto it = presentations_.find(target.id);
            if (it != presentations_.end() && it->second->expiry < date && it->second->clickGraceUntil < date) {
                it->second->hide(true);
                applicationSlots_.remove(target.id);
            }
        }
    }

    if (pass < passes) {
        publishApplicationSlots();
    } else {
        captureState_.finished(displayID, request);
        publishApplicationSlots();
    }
}

}  // namespace tarnwick
