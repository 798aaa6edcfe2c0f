#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/displays.h"
#include "support/geometry.h"

namespace tarnwick::platform::ui {

// The screens in the framework's order (the primary first).
std::vector<ScreenDescription> screens();
// The screen of the key window, else the first screen; nothing without screens.
std::optional<ScreenDescription> mainScreen();
// The screen whose frame shares the most area with the rectangle; nothing when none does.
std::optional<ScreenDescription> screenContaining(const Rect& frame);
// The same among these screens (those of a moment ago, say).
std::optional<ScreenDescription> screenContaining(const Rect& frame, std::vector<ScreenDescription> among);
// The first screen, in the framework's order, whose frame holds the point; nothing when none does.
std::optional<ScreenDescription> screenAt(Point point);
// The display id under "NSScreenNumber", when the screen has one.
std::optional<std::uint32_t> displayID(const ScreenDescription& screen);

}  // namespace tarnwick::platform::ui
