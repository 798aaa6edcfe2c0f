#pragma once

#include <string>
#include <vector>

#include "platform/displays.h"
#include "support/geometry.h"

namespace tarnwick::platform::ui {
class Menu;
}

namespace tarnwick::sim {

class PictureClips;
struct GlobalSpace;

// The open menu at its frame (global points) with its corners rounded, its rows as the system lays
// them out: a separator as a line, a check mark before a row that is on, a row's symbol before its
// title and a chevron glyph on a row that opens a submenu. A disabled row is greyed (in a group
// of class "disabled"). The row the pointer rests on (global) is highlighted when it can be
// chosen, and when it opens a submenu that submenu shows beside it, drawn the same way, as the
// system opens it under the pointer.
std::string menuPicture(const platform::ui::Menu& menu, const Rect& frame, Point pointer, const GlobalSpace& space,
                        const std::vector<platform::ScreenDescription>& screens, PictureClips& clips);

}  // namespace tarnwick::sim
