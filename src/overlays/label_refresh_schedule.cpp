#include "overlays/label_refresh_schedule.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tarnwick {

namespace {
constexpr double kLongAgo = -std::numeric_limits<double>::infinity();
}

LabelRefreshSchedule::LabelRefreshSchedule(bool visible)
    : isVisible(visible), nextGeometry(kLongAgo), nextRecognition(kLongAgo) {}

void LabelRefreshSchedule::reset() { *this = LabelRefreshSchedule(); }

bool LabelRefreshSchedule::setVisible(bool visible, double now) {
    if (visible == isVisible) return false;
    isVisible = visible;
    settledPasses = 0;
    nextRecognition = now;
    nextGeometry = kLongAgo;
    return true;
}

void LabelRefreshSchedule::geometryChanged(double now) {
    settledPasses = 0;
    nextRecognition = now;
}

bool LabelRefreshSchedule::geometryIsDue(double now) const { return std::isfinite(now) && nextGeometry <= now; }

bool LabelRefreshSchedule::recognitionIsDue(double now) const {
    return std::isfinite(now) && nextRecognition <= now;
}

void LabelRefreshSchedule::didReadGeometry(double now) { nextGeometry = now + geometryInterval; }

void LabelRefreshSchedule::recognitionFinished(double now, int confirmedLabels, int expectedLabels) {
    double delay = 0;
    if (expectedLabels >= 1 && confirmedLabels == expectedLabels) {
        settledPasses = std::min(settledPasses + 1, 2);
        delay = settledPasses < 2 ? 0 : settledRecognitionDelay;
    } else {
        settledPasses = 0;
    }
    nextRecognition = now + delay;
}

}  // namespace tarnwick
