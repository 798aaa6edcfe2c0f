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

std::vector<Rect> SimStatusBar::menuBarFrames(const std::vector<ui::StatusItem*>& items) const {
    const auto screens = ui::screens();
    // Without screens, the menu bar of a usual laptop's.
    const Rect primary = screens.empty() ? Rect(0, 0, 1440, 900) : screens.front().frame;
    const Rect visible = screens.empty() ? primary : screens.front().visibleFrame;
    double thickness = primary.maxY() - visible.maxY();
    if (!(thickness > 0)) thickness = kDefaultThickness;
    std::vector<Rect> frames;
    double right = primary.maxX() - kRightMargin;
    for (const auto* item : items) {
        const double width = item->length() > 0 ? item->length() : thickness;
        right -= width;
        frames.push_back(Rect(right, primary.maxY() - thickness, width, thickness));
    }
    return frames;
}

Rect SimStatusBar::statusItemCreated(ui::StatusItem& item) {
    auto guard = session_.lock();
    items_.push_back(&item);
    return menuBarFrames(items_).back();
}

void SimStatusBar::placeItems() {
    std::vector<ui::StatusItem*> items;
    std::vector<Rect> frames;
    {
        auto guard = session_.lock();
        // No screen, no menu bar: the items stay where they were until one comes.
        if (ui::screens().empty()) return;
        items = items_;
        frames = menuBarFrames(items);
    }
    for (std::size_t i = 0; i < frames.size(); ++i) items[i]->window().setFrame(frames[i], true);
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
