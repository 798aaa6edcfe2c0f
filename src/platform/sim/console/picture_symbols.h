#pragma once

#include <string>

#include "support/geometry.h"

namespace tarnwick::sim {

// A system symbol as a simple line glyph centred in the frame (global points), its name in
// data-symbol: a tag for "tag", a window with a sidebar for "sidebar.left", a rounded square for
// any symbol without a glyph of its own.
std::string symbolPicture(const Rect& frame, const std::string& name, const std::string& colour = "#ffffff");

}  // namespace tarnwick::sim
