#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "support/geometry.h"

namespace tarnwick::platform::ui {
class Panel;
class WindowController;
}  // namespace tarnwick::platform::ui

namespace tarnwick {

// Brings the app's own windows up on the display the user invoked them from (the app has no Dock
// icon and may run on many displays), keeping the window's size. These are the placement's
// rules over plain display records; all coordinates are global screen coordinates with y up.
namespace TarnwickWindowPlacement {

// A connected display as placement sees it.
struct Display {
    std::uint32_t id = 0;  // the screen's display number
    Rect frame;
    Rect visible;  // the frame less menu bar and Dock

    Display() = default;
    Display(std::uint32_t id, Rect frame, Rect visible) : id(id), frame(frame), visible(visible) {}
    friend bool operator==(const Display&, const Display&) = default;
};

// The display a command came from: the source window's display when it is connected, else the
// first display (in list order) under the pointer, else nothing.
std::optional<std::uint32_t> invokingDisplay(Point pointer, std::optional<std::uint32_t> source,
                                             const std::vector<Display>& displays);

// The display to place a window on: the first usable display matching the requested, the
// window's existing, then the primary display, in that order; else the first usable display.
// A display is usable when its frame and visible frame are finite and not empty.
std::optional<Display> target(std::optional<std::uint32_t> requested, std::optional<std::uint32_t> existing,
                              std::optional<std::uint32_t> primary, const std::vector<Display>& displays);

// The display the current command came from: that of the source window (nothing given: the
// key window when the event being handled is a key press with Command) when it is visible,
// else the display under the pointer; nothing when neither is connected.
std::optional<std::uint32_t> invocationDisplayID(const platform::ui::Panel* sourceWindow);

// Shows the controller's window on the display (nothing: the window's own display when usable,
// else the main, else the first usable one), keeping its size, in front and key with our app
// active and no text field holding the keyboard. Without a usable display it is not shown.
void show(platform::ui::WindowController& controller, std::optional<std::uint32_t> displayID);

// The window's frame on a visible frame, keeping its size: unchanged when it fits; else centred
// per side, or pinned to the left (too wide) or top (too tall) edge. Nothing for non-finite or
// empty rectangles.
std::optional<Rect> frame(const Rect& current, const Rect& visible);

}  // namespace TarnwickWindowPlacement

}  // namespace tarnwick
