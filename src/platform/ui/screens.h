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
// A frame brought inside a visible frame (y up): `offset` from the visible frame's top left as far
// as it fits, its size kept where it fits and else shrunk to the visible frame, never below
// `minimum`.
Rect placedInside(const Rect& frame, const Rect& visible, Size minimum, Point offset);
// A titled window's frame that lies on no screen, brought onto the first screen the least way:
// its distance from that screen's visible top left clamped into the visible frame. Nothing when
// the frame lies on a screen already, or there is none.
std::optional<Rect> constrainedToScreens(const Rect& frame, Size minimum);
// The display id under "NSScreenNumber", when the screen has one.
std::optional<std::uint32_t> displayID(const ScreenDescription& screen);

}  // namespace tarnwick::platform::ui
