#include "app/tarnwick_window_placement.h"

namespace tarnwick::TarnwickWindowPlacement {

namespace {

bool usable(const Display& display) { return display.frame.isUsable() && display.visible.isUsable(); }

}  // namespace

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
