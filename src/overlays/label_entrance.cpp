#include "overlays/label_entrance.h"

#include <cmath>

namespace tarnwick {

namespace {

// Centres within 1.5 points on each axis and sizes within 3 points, bounds included; anything
// not finite never matches.
bool matches(const Rect& a, const Rect& b) {
    if (!a.isFinite() || !b.isFinite()) return false;
    return std::abs(a.midX() - b.midX()) <= 1.5 && std::abs(a.midY() - b.midY()) <= 1.5 &&
           std::abs(a.width() - b.width()) <= 3 && std::abs(a.height() - b.height()) <= 3;
}

}  // namespace

void LabelEntrance::reset() {
    candidate.reset();
    visibleFrame.reset();
}

LabelEntrance::Action LabelEntrance::observe(const Rect& frame, double now) {
    if (!frame.isFinite() || !(frame.size.width > 0) || !(frame.size.height > 0) || !std::isfinite(now)) {
        const bool wasVisible = visibleFrame.has_value();
        reset();
        return wasVisible ? Action::hide() : Action::wait();
    }
    if (!visibleFrame) {
        if (candidate && matches(frame, *candidate) && now >= candidateSince) {
            if (now - candidateSince >= settleDuration) {
                visibleFrame = frame;
                candidate.reset();
                return Action::begin(frame);
            }
            return Action::wait();
        }
        candidate = frame;
        candidateSince = now;
        return Action::wait();
    }
    if (matches(frame, *visibleFrame)) return Action::keep(*visibleFrame);
    visibleFrame.reset();
    candidate = frame;
    candidateSince = now;
    return Action::hide();
}

}  // namespace tarnwick
