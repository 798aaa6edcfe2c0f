#pragma once

#include <string>

#include "support/geometry.h"

namespace tarnwick::sim {

// A system symbol as a small line glyph centred in the frame (global points), in the colour
// given, its name in data-symbol. Each symbol the app shows has a glyph of its own: a tag, a
// window with a sidebar, a gear, a group of three rectangles, a window with its bottom third
// filled, a shield with a lock, a laptop, a display, a checkmark (alone, as a menu's check mark,
// or in a circle, filled or not), an exclamation mark in a circle and a chevron pointing right
// (a submenu's arrow). Any other symbol is a rounded square.
std::string symbolPicture(const Rect& frame, const std::string& name, const std::string& colour = "#ffffff");

}  // namespace tarnwick::sim
