#pragma once

#include <cstdint>

#include "platform/event_modifier_flags.h"
#include "support/geometry.h"

namespace tarnwick::platform::ui {

// Event types with the platform's numbers.
namespace event_type {
inline constexpr int kLeftMouseDown = 1;
inline constexpr int kLeftMouseUp = 2;
inline constexpr int kRightMouseDown = 3;
inline constexpr int kRightMouseUp = 4;
inline constexpr int kMouseMoved = 5;
inline constexpr int kMouseEntered = 8;
inline constexpr int kMouseExited = 9;
inline constexpr int kKeyDown = 10;
inline constexpr int kKeyUp = 11;
inline constexpr int kFlagsChanged = 12;
}  // namespace event_type

// One mouse event as a view receives it (a press, a release, or the pointer entering or leaving
// a tracking area).
struct MouseEvent {
    int type = event_type::kLeftMouseDown;
    Point locationInWindow;  // in the window's coordinates (origin at its bottom left, y up)
    ModifierFlags modifierFlags = 0;
    int clickCount = 1;
};

}  // namespace tarnwick::platform::ui
