#pragma once

#include <optional>

#include "support/geometry.h"

namespace tarnwick {

// The settings window's two layout rules.
namespace SettingsWindowLayout {

// Below this width the settings view hides its sidebar and shows the page menu in its title.
inline constexpr double kCompactWidth = 620;

// Whether the sidebar should show (true), hide (false) or be left as the user set it (nothing)
// now that the view is `width` wide. It changes only when the width crosses 620 (or on the
// first width, without a previous one), so between crossings the user's own toggle stands.
std::optional<bool> sidebarVisibility(double width, std::optional<double> previousWidth);

// The frame the window takes on a screen's visible frame: unchanged when it fits, else shrunk
// per side to the visible frame and centred in it. Nothing for non-finite or empty rectangles.
std::optional<Rect> frame(const Rect& current, const Rect& visible);

}  // namespace SettingsWindowLayout

}  // namespace tarnwick
