#include "overlays/label_capture_state.h"

#include <utility>

#include "overlays/label_capture_lease.h"
#include "support/uuid.h"

namespace tarnwick {

LabelCaptureState::LabelCaptureState(std::optional<std::string> flight, std::optional<std::string> request,
                                     double started, int expected, std::set<std::string> confirmed)
    : flightID(std::move(flight)),
      requestID(std::move(request)),
      startedAt(started),
      expectedLabels(expected),
      confirmedDesktopIDs(std::move(confirmed)) {}

std::set<std::string> LabelCaptureState::pendingDesktopIDs() const {
    std::set<std::string> result;
    for (const auto& id : pendingDisplays)
        if (auto it = displays.find(id); it != displays.end())
            result.insert(it->second.desktopIDs.begin(), it->second.desktopIDs.end());
    return result;
}

std::optional<std::string> LabelCaptureState::begin(std::map<std::string, Display> newDisplays, int expected,
                                                    double now) {
    if (flightID) return std::nullopt;
    *this = LabelCaptureState();
    const std::string id = uuid::random();
    flightID = id;
    requestID = id;
    startedAt = now;
    expectedLabels = expected;
    displays = std::move(newDisplays);
    for (const auto& [displayID, display] : displays) pendingDisplays.insert(displayID);
    return id;
}

bool LabelCaptureState::isCurrent(const std::string& request) const { return requestID && *requestID == request; }

bool LabelCaptureState::admit(const std::string& request, const std::string& displayID, const std::string& signature,
                              const std::string& observationID, double capturedAt, double now) {
    if (!isCurrent(request)) return false;
    auto display = displays.find(displayID);
    if (display == displays.end() || display->second.signature != signature) return false;
    if (!(capturedAt >= startedAt)) return false;
    if (!LabelCaptureLease{capturedAt}.isValid(now)) return false;
    return observations.insert(observationID).second;
}

void LabelCaptureState::confirm(const std::string& desktopID) {
    for (const auto& [id, display] : displays)
        if (display.desktopIDs.count(desktopID)) {
            confirmedDesktopIDs.insert(desktopID);
            return;
        }
}

void LabelCaptureState::discardConfirmation(const std::string& displayID) {
    auto display = displays.find(displayID);
    if (display == displays.end()) return;
    for (const auto& desktopID : display->second.desktopIDs) confirmedDesktopIDs.erase(desktopID);
}

void LabelCaptureState::finished(const std::string& displayID, const std::string& request) {
    if (requestID == request) pendingDisplays.erase(displayID);
}

void LabelCaptureState::drained(const std::string& request) {
    if (flightID == request) flightID.reset();
}

void LabelCaptureState::cancel() {
    auto flight = std::move(flightID);
    *this = LabelCaptureState();
    flightID = std::move(flight);
}

}  // namespace tarnwick
