#include "app/tarnwick_window_placement.h"

#include "platform/platform.h"
#include "platform/ui/panel.h"
#include "platform/ui/screens.h"
#include "platform/ui/window_controller.h"
#include "platform/ui/window_system.h"

namespace tarnwick::TarnwickWindowPlacement {

namespace ui = platform::ui;

namespace {

bool usable(const Display& display) { return display.frame.isUsable() && display.visible.isUsable(); }

// A screen's display number.
std::optional<std::uint32_t> id(const std::optional<platform::ScreenDescription>& screen) {
    return screen ? ui::displayID(*screen) : std::nullopt;
}

// The connected displays in the screens' order; a screen without a number is left out.
std::vector<Display> snapshots() {
    std::vector<Display> displays;
    for (const auto& screen : ui::screens())
        if (auto number = ui::displayID(screen)) displays.emplace_back(*number, screen.frame, screen.visibleFrame);
    return displays;
}

// Moves the window onto the display's visible frame; false when there is no usable display or
// the window's frame cannot be placed.
bool place(ui::Panel& window, std::optional<std::uint32_t> displayID) {
    const auto chosen = target(displayID, id(window.screen()), id(ui::mainScreen()), snapshots());
    if (!chosen) return false;
    const auto placed = frame(window.frame(), chosen->visible);
    if (!placed) return false;
    if (*placed != window.frame()) window.setFrame(*placed, false, false);
    return true;
}

}  // namespace

std::optional<std::uint32_t> invocationDisplayID(const ui::Panel* sourceWindow) {
    const ui::Panel* source = sourceWindow;
    if (!source) {
        auto* events = platform::current().events;
        const auto event = events ? events->currentEvent() : std::nullopt;
        if (event && event->type == ui::event_type::kKeyDown && (event->modifierFlags & platform::modifier_flags::kCommand))
            source = ui::keyWindow();
    }
    const Point pointer = ui::windowSystem().pointerLocation();
    const auto sourceDisplay = source && source->isVisible() ? id(source->screen()) : std::nullopt;
    return invokingDisplay(pointer, sourceDisplay, snapshots());
}

void show(ui::WindowController& controller, std::optional<std::uint32_t> displayID) {
    ui::Panel* window = controller.window();
    if (!window || !place(*window, displayID)) return;
    // Showing runs the window's delegate, which may do away with the window.
    const auto alive = window->weak();
    controller.showWindow();
    if (auto* application = platform::current().application) application->activate(true);
    if (!alive.get()) return;
    window->makeKeyAndOrderFront();
    // Showing may have restored an autosaved frame on another display.
    place(*window, displayID);
    window->makeFirstResponder(nullptr);
}

std::optional<std::uint32_t> invokingDisplay(Point pointer, std::optional<std::uint32_t> source,
                                             const std::vector<Display>& displays) {
    if (source)
        for (const auto& display : displays)
            if (display.id == *source) return source;
    for (const auto& display : displays)
        if (display.frame.contains(pointer)) return display.id;
    return std::nullopt;
}

std::optional<Display> target(std::optional<std::uint32_t> requested, std::optional<std::uint32_t> existing,
                              std::optional<std::uint32_t> primary, const std::vector<Display>& displays) {
    for (const auto& candidate : {requested, existing, primary}) {
        if (!candidate) continue;
        for (const auto& display : displays)
            if (display.id == *candidate && usable(display)) return display;
    }
    for (const auto& display : displays)
        if (usable(display)) return display;
    return std::nullopt;
}

std::optional<Rect> frame(const Rect& current, const Rect& visible) {
    if (!current.isUsable() || !visible.isUsable()) return std::nullopt;
    if (visible.contains(current)) return current;
    const double width = current.width();
    const double height = current.height();
    const double x = width <= visible.width() ? visible.midX() - width / 2 : visible.minX();
    const double y = height <= visible.height() ? visible.midY() - height / 2 : visible.maxY() - height;
    return Rect(x, y, width, height);
}

}  // namespace tarnwick::TarnwickWindowPlacement
