#include "overview/workstation_hover_state.h"

namespace tarnwick {

WorkstationHoverState::Generation WorkstationHoverState::enterButton() {
    buttonInside_ = true;
    return ++generation_;
}

WorkstationHoverState::Generation WorkstationHoverState::leaveButton() {
    buttonInside_ = false;
    needsFreshEntry_ = false;
    return ++generation_;
}

void WorkstationHoverState::enterPreview() {
    previewInside_ = true;
    ++generation_;
}

WorkstationHoverState::Generation WorkstationHoverState::leavePreview() {
    previewInside_ = false;
    return ++generation_;
}

void WorkstationHoverState::menuWillOpen() {
    menuOpen_ = true;
    ++generation_;
    buttonInside_ = false;
    previewInside_ = false;
    needsFreshEntry_ = true;
}

void WorkstationHoverState::menuDidClose(bool pointerInsideButton) {
    menuOpen_ = false;
    ++generation_;
    if (!pointerInsideButton) {
        buttonInside_ = false;
        needsFreshEntry_ = false;
        ++generation_;
    }
}

void WorkstationHoverState::setEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    ++generation_;
    if (!isPinnedOpen_) {
        buttonInside_ = false;
        previewInside_ = false;
        needsFreshEntry_ = false;
    }
}

void WorkstationHoverState::pinOpen() {
    ++generation_;
    isPinnedOpen_ = true;
}

void WorkstationHoverState::reset(bool requireExit) {
    ++generation_;
    buttonInside_ = false;
    previewInside_ = false;
    needsFreshEntry_ = requireExit;
    isPinnedOpen_ = false;
}

bool WorkstationHoverState::shouldOpen(Generation token) const {
    return token == generation_ && enabled_ && buttonInside_ && !menuOpen_ && !needsFreshEntry_;
}

bool WorkstationHoverState::shouldClose(Generation token) const {
    return token == generation_ && !isPinnedOpen_ && !buttonInside_ && !previewInside_;
}

}  // namespace tarnwick
