#pragma once

#include <optional>

#include "support/geometry.h"

namespace tarnwick {

// Where the overview panel goes: hanging below the status button, or beside the pointer, always
// inside the chosen screen's visible frame (global screen coordinates, y up). The panel is at
// most 360 x 560 and keeps a margin of 8 points (less on a tiny screen) from the visible edges.
// Nothing comes back when the input is not usable geometry or no room is left.
namespace WorkstationPreviewLayout {

inline constexpr double kMaximumWidth = 360;
inline constexpr double kMaximumHeight = 560;
// How far the panel hangs below the status button.
inline constexpr double kAnchorGap = 6;
// How far the panel keeps from the pointer, sideways and down.
inline constexpr double kPointerOffset = 12;

// Centred under the anchor (the status button's frame), its top 6 points below it.
std::optional<Rect> frame(const Rect& anchor, const Rect& visible);
// Right of the pointer when it fits, else left of it; its top 12 points below the pointer.
std::optional<Rect> frame(Point pointer, const Rect& visible);

}  // namespace WorkstationPreviewLayout

}  // namespace tarnwick
