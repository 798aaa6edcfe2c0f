#include "platform/ui/screens.h"

#include <algorithm>

#include "platform/platform.h"
#include "platform/ui/panel.h"
#include "platform/ui/window_system.h"

namespace tarnwick::platform::ui {

namespace {

double overlap(const Rect& a, const Rect& b) {
    const double w = std::min(a.maxX(), b.maxX()) - std::max(a.minX(), b.minX());
    const double h = std::min(a.maxY(), b.maxY()) - std::max(a.minY(), b.minY());
    return w > 0 && h > 0 ? w * h : 0;
}

}  // namespace

std::vector<ScreenDescription> screens() { return current().displays->screens(); }

std::optional<ScreenDescription> mainScreen() {
    if (Panel* key = windowSystem().keyPanel())
        if (auto screen = key->screen()) return screen;
    auto all = screens();
    if (all.empty()) return std::nullopt;
    return all.front();
}

std::optional<ScreenDescription> screenContaining(const Rect& frame) { return screenContaining(frame, screens()); }

std::optional<ScreenDescription> screenContaining(const Rect& frame, std::vector<ScreenDescription> among) {
    std::optional<ScreenDescription> best;
    double bestArea = 0;
    for (auto& screen : among) {
        const double area = overlap(screen.frame, frame);
        if (area > bestArea) {
            bestArea = area;
            best = std::move(screen);
        }
    }
    return best;
}

std::optional<ScreenDescription> screenAt(Point point) {
    for (auto& screen : screens())
        if (screen.frame.contains(point)) return std::move(screen);
    return std::nullopt;
}

Rect placedInside(const Rect& frame, const Rect& visible, Size minimum, Point offset) {
    const Size size{std::max(std::min(frame.width(), visible.width()), minimum.width),
                    std::max(std::min(frame.height(), visible.height()), minimum.height)};
    const double left = std::clamp(offset.x, 0.0, std::max(0.0, visible.width() - size.width));
    const double down = std::clamp(offset.y, 0.0, std::max(0.0, visible.height() - size.height));
    return Rect(visible.minX() + left, visible.maxY() - down - size.height, size.width, size.height);
}

std::optional<Rect> constrainedToScreens(const Rect& frame, Size minimum) {
    if (!frame.isUsable() || screenContaining(frame)) return std::nullopt;
    const auto all = screens();
    if (all.empty() || !all.front().visibleFrame.isUsable()) return std::nullopt;
    const Rect& visible = all.front().visibleFrame;
    return placedInside(frame, visible, minimum, Point{frame.minX() - visible.minX(), visible.maxY() - frame.maxY()});
}

std::optional<std::uint32_t> displayID(const ScreenDescription& screen) {
    auto it = screen.deviceDescription.find("NSScreenNumber");
    if (it == screen.deviceDescription.end()) return std::nullopt;
    return it->second.toUInt32();
}

}  // namespace tarnwick::platform::ui
