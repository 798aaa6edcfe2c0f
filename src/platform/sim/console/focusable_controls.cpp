#include "platform/sim/console/focusable_controls.h"

#include "platform/sim/console/acting_controls.h"
#include "platform/sim/console/command_words.h"
#include "platform/ui/declarative/controls.h"
#include "platform/ui/declarative/hosting_view.h"

namespace tarnwick::sim {

namespace ui = platform::ui;

const ui::Node* focusableControl(const FoundControl& found) {
    const ui::Node& node = *found.node;
    if (node.as<ui::TextFieldContent>() || (node.hasModifiers() && node.modifiers().focus)) return &node;
    // A name may find what a field shows rather than the field.
    const ui::Node* clicked = found.hosting->host().clickTarget(node);
    return clicked && clicked->as<ui::TextFieldContent>() ? clicked : nullptr;
}

std::string unfocusable(const FoundControl& found, const std::string& name) {
    const ui::Node* control = focusableControl(found);
    if (found.node->isDisabled() || (control && control->isDisabled()))
        return quotedText(name) + " is disabled, so it cannot take the keyboard focus.";
    // The control the name stands for: the switch its label's text names, the button its title's.
    const ui::Node* settable = settableControl(found);
    const ui::Node* pressed = settable ? nullptr : pressedControl(found);
    const ui::Node* named = settable ? settable : pressed ? pressed : found.node;
    const std::string sentence = quotedText(name) + " is " + describeNode(*found.hosting, *named) +
                                 ", which cannot take the keyboard focus";
    if (settable) return sentence + "; set sets it.";
    if (pressed) return sentence + "; press clicks it.";
    return sentence + ".";
}

}  // namespace tarnwick::sim
