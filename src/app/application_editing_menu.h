#pragma once

#include <memory>

#include "platform/ui/menu.h"

namespace tarnwick::ApplicationEditingMenu {

// Builds the application's main menu and sets it: the application menu "Tarnwick" with
// "Quit Tarnwick" (Command-Q, to the application) and "Edit" with Undo, Redo, Cut, Copy, Paste
// and Select All, which have no target and so reach the focused text field. Returns the menu.
std::shared_ptr<platform::ui::Menu> install();

}  // namespace tarnwick::ApplicationEditingMenu
