#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/sim/console/console_targets.h"

namespace tarnwick::platform::ui {
class Node;
}

namespace tarnwick::sim {

// ---- press
// The control a press on the node a name found clicks: a bridged view (it takes its own clicks),
// the control around the node that takes a click (the button around its text), else the one
// control inside the node that does (an overview app icon's view and its button). Nothing for
// a choice as a whole (a segmented control, a list: a click at its centre would choose whatever
// lies there), nor for a view holding no such control or several.
const platform::ui::Node* pressedControl(const FoundControl& found);

// Why a press on the node cannot be one click on one control, as a sentence: a control that is
// set rather than clicked says how to set it, a view holding several controls names them, and
// anything else says what it is.
std::string unpressable(const FoundControl& found, const std::string& name);

// The controls inside the node that take a click, in tree order, without looking inside them
// (only those that show).
std::vector<FoundControl> clickableInside(const FoundControl& found);

// ---- set
// Whether `set` works on the node's control itself: a switch, slider, stepper, picker, list or
// colour well.
bool isSettable(const platform::ui::Node& node);

// The control `set` acts on for a node a name found: the node or the control around it (the
// switch or stepper around the text of its label), the one settable control a closed menu
// holds, or the one a text leading its row labels (the slider beside "Size"). Nothing when none.
const platform::ui::Node* settableControl(const FoundControl& found);

// Another control shown in the same window that offers an option showing `option`, when the
// control found does not show (the sidebar's sections, which a narrow window moves into a menu
// of its title): nothing when there is none, or more than one.
std::optional<FoundControl> otherControlOffering(const FoundControl& hidden, const std::string& option);

}  // namespace tarnwick::sim
