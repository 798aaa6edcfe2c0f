#include "platform/ui/button.h"

namespace tarnwick::platform::ui {

void Button::mouseDown(const MouseEvent&) { pressed_ = isEnabled; }

void Button::mouseUp(const MouseEvent& event) {
    const bool inside = bounds().contains(convertFromWindow(event.locationInWindow));
    if (std::exchange(pressed_, false) && inside) performClick();
}

void Button::performClick() {
    if (!isEnabled) return;
    // The action may replace itself; run a copy.
    if (auto act = action) act();
}

void Button::collectShownText(std::vector<std::string>& texts) const {
    if (isHidden()) return;
    if (!title.empty()) texts.push_back(title);
    View::collectShownText(texts);
}

}  // namespace tarnwick::platform::ui
