#include "platform/sim/ui/sim_status_bar.h"

#include <algorithm>

#include "platform/sim/simulated_session.h"
#include "platform/sim/ui/sim_events.h"
#include "platform/ui/screens.h"

namespace tarnwick::sim {

namespace ui = platform::ui;

namespace {

// When the primary screen keeps no strip at its top, the menu bar is still this thick.
constexpr double kDefaultThickness = 24;

}  // namespace

SimStatusBar::~SimStatusBar() {
    for (auto* item : items_) item->detachFromStatusBar();
}

Rect SimStatusBar::statusItemCreated(ui::StatusItem& item) {
    auto guard = session_.lock();
    const auto screens = ui::screens();
    const Rect primary = screens.empty() ? Rect(0, 0, 1440, 900) : screens.front().frame;
    const Rect visible = screens.empty() ? primary : screens.front().visibleFrame;
    double thickness = primary.maxY() - visible.maxY();
    if (!(thickness > 0)) thickness = kDefaultThickness;
    double right = primary.maxX() - kRightMargin;
    for (auto* earlier : items_) right = std::min(right, earlier->window().frame().minX());
    const double width = item.length() > 0 ? item.length() : thickness;
    items_.push_back(&item);
    return Rect(right - width, primary.maxY() - thickness, width, thickness);
}

void SimStatusBar::statusItemDestroyed(ui::StatusItem& item) {
    auto guard = session_.lock();
    std::erase(items_, &item);
}

std::optional<Rect> SimStatusBar::buttonFrame(const ui::StatusItem& item) const {
    auto button = item.button();
    ui::Panel* window = button ? button->window() : nullptr;
    if (!window) return std::nullopt;
    return window->convertToScreen(button->convertToWindow(button->bounds()));
}

Point SimStatusBar::buttonCentre(const ui::StatusItem& item) const {
    const Rect frame = buttonFrame(item).value_or(item.window().frame());
    return Point{frame.midX(), frame.midY()};
}

void SimStatusBar::pressFromKeyboard(ui::StatusItem& item, std::optional<int> eventType,
                                     platform::ModifierFlags modifiers) {
    auto button = item.button();
    if (!button) return;
    if (!eventType) {
        button->performClick();
        return;
    }
    platform::Event event;
    event.type = *eventType;
    event.modifierFlags = modifiers;
    event.windowNumber = item.window().windowNumber();
    SimEvents::Handling handling(session_.events(), event);
    button->performClick();
}

void SimStatusBar::moveWindow(ui::StatusItem& item, Point origin) {
    Rect frame = item.window().frame();
    frame.origin = origin;
    item.window().setFrame(frame, true);
}

void SimStatusBar::setOccluded(ui::StatusItem& item, bool occluded) { item.window().setOccludedBySystem(occluded); }

void SimStatusBar::hideWindow(ui::StatusItem& item) { item.window().orderOut(); }

void SimStatusBar::closeWindow(ui::StatusItem& item) { item.window().close(); }

}  // namespace tarnwick::sim
