#pragma once

#include <string>

#include "platform/sim/console/console_targets.h"

namespace tarnwick::platform::ui {
class Node;
}

namespace tarnwick::sim {

// The control that takes the keyboard focus for a node a name found: a text field (it takes
// the focus as a click or Tab gives it, as every text field does), or a control the window's
// view made focusable with a focus binding. Nothing for anything else: a text, an image, a
// heading, and the buttons, switches and pop-ups a Mac reaches only by the pointer.
const platform::ui::Node* focusableControl(const FoundControl& found);

// Why the node a name found cannot take the keyboard focus, as a sentence that says what it is
// and what works on it instead.
std::string unfocusable(const FoundControl& found, const std::string& name);

}  // namespace tarnwick::sim
