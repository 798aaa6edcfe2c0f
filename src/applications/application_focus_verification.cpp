#include "applications/application_focus_verification.h"

#include <cmath>

#include "applications/window_metadata.h"
#include "platform/window_server.h"

namespace tarnwick {

namespace {

namespace keys = platform::window_list;

bool isFiniteOrigin(const Rect& r) { return std::isfinite(r.origin.x) && std::isfinite(r.origin.y); }

bool hasFinitePositiveSize(const Rect& r) {
    return std::isfinite(r.width()) && std::isfinite(r.height()) && r.width() > 0 && r.height() > 0;
}

}  // namespace

std::optional<ApplicationWindowObservation> ApplicationWindowObservation::from(const Value& entry) {
    if (!entry.asDictionary()) return std::nullopt;
    const Value* number = entry.find(keys::kNumber);
    const Value* owner = entry.find(keys::kOwnerPID);
    const Value* layer = entry.find(keys::kLayer);
    const Value* alpha = entry.find(keys::kAlpha);
    if (!number || !owner || !layer || !alpha) return std::nullopt;
    auto id = number->toUInt32();
    auto pid = owner->toInt32();
    auto level = layer->toInt64();
    auto opacity = alpha->isNumber() ? alpha->toDouble() : std::nullopt;
    const Value* frame = entry.find(keys::kBounds);
    auto bounds = frame ? WindowMetadata::rect(*frame) : std::nullopt;
    if (!id || !pid || !level || !opacity || !bounds) return std::nullopt;
    const Value* onScreen = entry.find(keys::kIsOnscreen);
    return ApplicationWindowObservation{*id, *pid, *level, *opacity, *bounds,
                                        onScreen && onScreen->asBool() == true};
}

std::string ApplicationFocusVerification::rawValue(Method method) {
    return method == Method::accessibility ? "accessibility" : "window-server";
}

std::optional<std::uint32_t> ApplicationFocusVerification::frontWindow(
    const std::vector<ApplicationWindowObservation>& observations, const std::set<std::uint32_t>& spaceWindowIDs,
    const Rect& monitorBounds) {
    if (!isFiniteOrigin(monitorBounds) || !hasFinitePositiveSize(monitorBounds)) return std::nullopt;
    for (const auto& window : observations) {
        if (window.layer != 0 || window.id == 0 || window.ownerPID <= 0 || !window.onScreen) continue;
        if (!std::isfinite(window.alpha) || window.alpha <= 0) continue;
        if (!isFiniteOrigin(window.bounds) || !hasFinitePositiveSize(window.bounds)) continue;
        if (!spaceWindowIDs.count(window.id)) continue;
        if (!window.bounds.intersects(monitorBounds)) continue;
        return window.id;
    }
    return std::nullopt;
}

std::optional<ApplicationFocusVerification::Method> ApplicationFocusVerification::method(
    const SpaceApplicationFocusTarget& target, bool spaceIsCurrent, std::optional<std::int32_t> frontPID,
    std::optional<std::uint32_t> axWindowID, std::optional<std::uint32_t> frontWindowID) {
    if (!spaceIsCurrent || target.windowID == 0) return std::nullopt;
    if (!frontPID || *frontPID <= 0 || *frontPID != target.ownerPID) return std::nullopt;
    if (axWindowID) return *axWindowID == target.windowID ? std::optional(Method::accessibility) : std::nullopt;
    if (frontWindowID && *frontWindowID == target.windowID) return Method::windowServer;
    return std::nullopt;
}

}  // namespace tarnwick
