#include "overview/workstation_status_click_state.h"

#include <cmath>

namespace tarnwick {

std::string WorkstationStatusClickState::Action::description() const {
    switch (kind_) {
        case Kind::wait:
            return "wait(token: " + std::to_string(token_) + ")";
        case Kind::menu:
            return "menu";
        case Kind::overview:
            return "overview";
        case Kind::ignore:
            break;
    }
    return "ignore";
}

WorkstationStatusClickState::Action WorkstationStatusClickState::mouseUp(double time, double interval, int clickCount,
                                                                         bool rightButton, bool optionHeld,
                                                                         bool liveOptionHeld) {
    // Without a usable time or interval no click can be told from another.
    if (!std::isfinite(time) || !std::isfinite(interval) || interval <= 0) {
        ++generation_;
        clearPending();
        revealTesting_ = false;
        return Action::ignore();
    }
    if (rightButton) {
        ++generation_;
        clearPending();
        revealTesting_ = optionHeld || liveOptionHeld;
        return Action::menu();
    }
    // The third click of a triple click: the double click has already opened the overview.
    if (clickCount > 2) return Action::ignore();

    const bool inTime = firstClick_ && *firstClick_ <= time && deadline_ && time <= *deadline_;
    if (clickCount == 2 || inTime) {
        ++generation_;
        clearPending();
        revealTesting_ = false;
        return Action::overview();
    }
    ++generation_;
    firstClick_ = time;
    deadline_ = time + interval;
    revealTesting_ = optionHeld || liveOptionHeld;
    return Action::wait(generation_);
}

WorkstationStatusClickState::Action WorkstationStatusClickState::requestMenu(bool optionHeld, bool liveOptionHeld) {
    ++generation_;
    clearPending();
    revealTesting_ = optionHeld || liveOptionHeld;
    return Action::menu();
}

bool WorkstationStatusClickState::takeMenu(Generation token, double time) {
    if (!std::isfinite(time) || token != generation_ || !deadline_ || time < *deadline_) return false;
    generation_ = token + 1;
    clearPending();
    return true;
}

void WorkstationStatusClickState::cancel() {
    ++generation_;
    clearPending();
}

}  // namespace tarnwick
