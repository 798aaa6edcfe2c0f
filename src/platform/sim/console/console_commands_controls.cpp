// The simulated user's hands on the controls of our windows' declarative trees: buttons, the
// keyboard focus, text fields, switches, sliders, steppers, pickers and lists.

#include <algorithm>
#include <cmath>

#include "platform/sim/console/acting_controls.h"
#include "platform/sim/console/command_words.h"
#include "platform/sim/console/console.h"
#include "platform/sim/console/console_commands.h"
#include "platform/sim/console/console_targets.h"
#include "platform/sim/console/focusable_controls.h"
#include "platform/sim/console/screen_views.h"
#include "platform/sim/simulated_session.h"
#include "platform/sim/ui/sim_window_system.h"
#include "platform/ui/declarative/controls.h"
#include "platform/ui/declarative/hosting_view.h"
#include "platform/ui/panel.h"
#include "support/error.h"

namespace tarnwick::sim {

namespace ui = platform::ui;

namespace {

const ConsoleCommand& command(const char* name) { return *findConsoleCommand(name); }

// The control to press: in the window named, else in the key window, else in the frontmost of
// our visible windows that shows it (a click needs no key window: the overview a hover opened
// is not key).
FoundControl pressable(CommandContext& context, const std::string& name) {
    if (context.window) return findControl(targetWindow(context, context.window), name, "press", pressedControl);
    auto& windows = context.session.windowSystem();
    ui::Panel* key = windows.keyPanel();
    if (key)
        if (auto found = shownControls(*key, name); !found.empty()) return oneControl(found, name, "press", pressedControl);
    for (auto* panel : windows.onScreenPanels())
        if (panel != key)
            if (auto found = shownControls(*panel, name); !found.empty())
                return oneControl(found, name, "press", pressedControl);
    // Where a window not on screen shows it, that is said; else the key window says what it lacks.
    const auto elsewhere = shownElsewhere(context, name, pressedControl);
    if (key && !elsewhere) return findControl(*key, name, "press", pressedControl);
    throw Error("No window of ours shows anything with the identifier, label or text " + quotedText(name) +
                (elsewhere ? " on screen; " + *elsewhere + "." : "; screen lists the windows and their view trees."));
}

bool isWithin(const ui::Node& node, const ui::Node& outer) {
    for (const ui::Node* n = node.parent(); n; n = n->parent())
        if (n == &outer) return true;
    return false;
}

void press(CommandContext& context) {
    const auto& thisCommand = command("press");
    expectArguments(context, thisCommand, 1, 1);
    const std::string& name = context.arguments[0];
    const FoundControl control = pressable(context, name);
    const ui::Node* clicked = pressedControl(control);
    if (!clicked) throw Error(unpressable(control, name));
    ui::Panel* panel = control.hosting->window();
    if (control.node->isDisabled() || clicked->isDisabled()) throw Error(quotedText(name) + " is disabled.");
    // The click lands on the node found, or on the one control inside the view found.
    const ui::Node& aimed = isWithin(*clicked, *control.node) ? *clicked : *control.node;
    const Rect visible = control.hosting->host().visibleFrame(aimed);
    if (!(visible.width() > 0 && visible.height() > 0)) throw Error(quotedText(name) + " is scrolled out of sight.");
    const Rect host = screenFrame(*control.hosting);
    // The click lands on whatever is frontmost there, as the user's would; a window named is
    // clicked into first, which brings it in front of the windows of its level.
    auto& windows = context.session.windowSystem();
    const bool comesForward = context.window && panel->canBecomeKey();
    const auto coveredBy = [&](Point at) -> ui::Panel* {
        for (auto* shown : windows.onScreenPanels()) {
            if (shown == panel) break;
            if (shown->ignoresMouseEvents() || !shown->frame().contains(at)) continue;
            if (comesForward && shown->level() <= panel->level()) continue;
            return shown;
        }
        return nullptr;
    };
    // Its middle first; where a window covers that, a person clicks the part that shows (the
    // switch at the end of a row whose label lies under another window).
    std::optional<Point> point;
    ui::Panel* cover = nullptr;
    // The part of the control that shows counts too: a label found inside its control (a
    // switch's) is clicked where the control shows.
    std::vector<Rect> frames{visible};
    if (&aimed != clicked && isWithin(aimed, *clicked))
        if (const Rect whole = control.hosting->host().visibleFrame(*clicked); whole.width() > 0 && whole.height() > 0)
            frames.push_back(whole);
    for (const Rect& frame : frames) {
        const double inset = std::min(6.0, frame.width() / 2);
        for (const double x : {frame.midX(), frame.maxX() - inset, frame.minX() + inset,
                               frame.minX() + frame.width() * 0.75, frame.minX() + frame.width() * 0.25}) {
            const Point at{host.minX() + x, host.maxY() - frame.midY()};
            ui::Panel* over = coveredBy(at);
            if (!over) {
                point = at;
                break;
            }
            if (!cover) cover = over;
        }
        if (point) break;
    }
    if (!point) {
        std::string covered = quotedText(name) + " is covered by " +
                              (cover->title().empty() ? std::string("another window") : describeWindow(*cover));
        // Named with `in`, a window that can take the keyboard comes in front of its level first.
        if (!context.window && panel->canBecomeKey() && !panel->title().empty() && cover->level() <= panel->level())
            covered += "; in " + quotedText(panel->title()) + " press " + typedWord(name) + " brings " +
                       describeWindow(*panel) + " forward and presses it";
        throw Error(covered + ".");
    }
    clickInto(context, *panel);
    windows.click(*point);
}

void focus(CommandContext& context) {
    const auto& thisCommand = command("focus");
    expectArguments(context, thisCommand, 1, 1);
    ui::Panel& panel = controlWindow(context, focusableControl);
    const std::string& name = context.arguments[0];
    const FoundControl found = findControl(panel, name, "focus", focusableControl);
    const ui::Node* control = focusableControl(found);
    if (!control || control->isDisabled() || found.node->isDisabled()) throw Error(unfocusable(found, name));
    // A text field as a click into it: our application comes forward with the field's window key,
    // so that the keys typed next go into the field. Another control only when `in` names its
    // window, which is then clicked into.
    const bool field = control->as<ui::TextFieldContent>() != nullptr;
    bool clicked = false;
    if (!field)
        clicked = clickInto(context, panel);
    else if ((!context.session.ownApplicationActive() || !panel.isKeyWindow()) && panel.canBecomeKey())
        clicked = context.session.windowSystem().focus(panel);
    // Becoming key may have drawn the window again.
    const FoundControl again = clicked ? findControl(panel, name, "focus", focusableControl) : found;
    const ui::Node* target = focusableControl(again);
    if (!target) throw Error(unfocusable(again, name));
    auto& host = again.hosting->host();
    if (!field) {
        host.moveFocus(*target);
        return;
    }
    if (!host.editField(*target)) throw Error(quotedText(name) + " cannot be shown.");
}

// The control named by the command's first word, in the key window or the one named; enabled.
// With no key window, `check` judges the command's other words for the control that the answer
// would name a window for.
FoundControl enabledControl(CommandContext& context, const std::string& commandName, const ActingControl& acting,
                            const ControlCheck& check = {}) {
    ui::Panel& panel = controlWindow(context, acting, check);
    const FoundControl control = findControl(panel, context.arguments[0], commandName, acting);
    if (control.node->isDisabled()) throw Error(quotedText(context.arguments[0]) + " is disabled.");
    return control;
}

// The same once the command has been found valid: clicked into the window `in` named, and found
// again where that drew the window again.
FoundControl clickedControl(CommandContext& context, const FoundControl& found, const std::string& commandName,
                            const ActingControl& acting) {
    if (!clickInto(context, *found.hosting->window())) return found;
    return enabledControl(context, commandName, acting);
}

const ui::Node* fieldItself(const FoundControl& found) {
    return found.node->as<ui::TextFieldContent>() ? found.node : nullptr;
}

const ui::TextFieldContent& textField(const CommandContext& context, const FoundControl& control) {
    const auto* field = dynamic_cast<const ui::TextFieldContent*>(control.node->content());
    if (!field)
        throw Error(quotedText(context.arguments[0]) + " is a " + std::string(control.node->kind()) +
                    ", not a text field.");
    return *field;
}

void typeText(CommandContext& context) {
    expectArguments(context, command("type"), 2, 2);
    const FoundControl found =
        enabledControl(context, "type", fieldItself, [&](const FoundControl& control) { textField(context, control); });
    textField(context, found);  // what is no text field is refused before any click
    const FoundControl control = clickedControl(context, found, "type", fieldItself);
    textField(context, control);
    auto& host = control.hosting->host();
    if (!host.scrollIntoView(*control.node)) throw Error(quotedText(context.arguments[0]) + " cannot be shown.");
    // What the field held is selected and typed over, as a person replacing it would: one
    // change to undo.
    host.replaceText(*control.node, context.arguments[1]);
}

void submitText(CommandContext& context) {
    expectArguments(context, command("submit"), 1, 1);
    const FoundControl found = enabledControl(context, "submit", fieldItself);
    textField(context, found);
    const FoundControl control = clickedControl(context, found, "submit", fieldItself);
    textField(context, control);
    if (!control.hosting->host().submit(*control.node))
        throw Error(quotedText(context.arguments[0]) + " cannot be shown.");
}

// The tag of the option (a picker's) or row (a list's) that shows the text.
const ui::AnyValue& optionShowing(const CommandContext& context, const FoundControl& control,
                                  const std::vector<ui::AnyValue>& tags) {
    const auto& children = control.node->children();
    std::string shown;
    for (std::size_t i = 0; i < children.size() && i < tags.size(); ++i) {
        const auto texts = control.hosting->host().texts(&children[i]);
        for (const auto& text : texts)
            if (text == context.arguments[1]) return tags[i];
        if (!texts.empty()) shown += (shown.empty() ? "" : ", ") + quotedText(texts.front());
    }
    throw Error(quotedText(context.arguments[0]) + " offers no " + quotedText(context.arguments[1]) + "; it offers " +
                (shown.empty() ? std::string("nothing") : shown) + ".");
}

// Why the control found could not be set: it does not show. Where another control of the
// window offers the option (a narrow settings window moves its sidebar's sections into a menu
// of its title), the sentence names that one.
std::string cannotBeShown(const FoundControl& control, const std::string& name, const std::string& value) {
    const auto other = otherControlOffering(control, value);
    if (!other) return quotedText(name) + " cannot be shown.";
    const auto& identifier = other->node->modifiers().accessibility().identifier;
    const auto label = accessibleLabel(*other->hosting, *other->node);
    const std::string handle = label ? *label : identifier ? *identifier : value;
    std::string what = describeNode(*other->hosting, *other->node);
    what.replace(0, what.find(' '), "the");
    return quotedText(name) + " is hidden now; its options are in " + what + " " + quotedText(handle) +
           " instead: set " + quotedText(handle) + " " + quotedText(value) + ".";
}

bool setTo(CommandContext& context, const FoundControl& control, bool act);

// The control `set` names, enabled: the switch around its label, say.
FoundControl settable(CommandContext& context) {
    const auto valueSuits = [&](const FoundControl& found) {
        FoundControl control = found;
        if (const ui::Node* node = settableControl(found)) control.node = node;
        setTo(context, control, false);
    };
    FoundControl control = enabledControl(context, "set", settableControl, valueSuits);
    if (const ui::Node* node = settableControl(control)) control.node = node;
    if (control.node->isDisabled()) throw Error(quotedText(context.arguments[0]) + " is disabled.");
    return control;
}

// Sets the control to the command's value, false when it cannot be shown; with `act` false it
// only checks the value (throwing what is wrong with it) and changes nothing.
bool setTo(CommandContext& context, const FoundControl& control, bool act) {
    const auto& thisCommand = command("set");
    auto& host = control.hosting->host();
    const ui::Node& node = *control.node;
    const std::string& name = context.arguments[0];
    const std::string& value = context.arguments[1];
    if (const auto* toggle = dynamic_cast<const ui::ToggleContent*>(node.content())) {
        const bool on = choiceArgument(value, {"on", "off"}, thisCommand) == "on";
        return !act || toggle->value() == on || host.toggle(node);
    }
    if (const auto* slider = dynamic_cast<const ui::SliderContent*>(node.content())) {
        const double target = numberArgument(value, "The value of " + quotedText(name), slider->lower, slider->upper);
        return !act || host.slide(node, target);
    }
    if (const auto* stepper = dynamic_cast<const ui::StepperContent*>(node.content())) {
        const double target = numberArgument(value, "The value of " + quotedText(name), stepper->lower, stepper->upper);
        const double steps = stepper->step > 0 ? (target - stepper->lower) / stepper->step : 0;
        if (stepper->step <= 0 || std::abs(steps - std::round(steps)) > 1e-9)
            throw Error(quotedText(name) + " moves in steps of " + formatNumber(stepper->step) + " from " +
                        formatNumber(stepper->lower) + "; " + value + " is not one of them.");
        if (!act) return true;
        // One click of an arrow per step, as a person would, bounded by the number of steps.
        const double tolerance = stepper->step / 2;
        for (double clicks = std::abs(stepper->value() - target) / stepper->step + 1; clicks > 0; --clicks) {
            if (std::abs(stepper->value() - target) < tolerance) break;
            if (!(stepper->value() < target ? host.increment(node) : host.decrement(node))) return false;
        }
        return true;
    }
    if (const auto* picker = dynamic_cast<const ui::PickerContent*>(node.content())) {
        const ui::AnyValue& tag = optionShowing(context, control, picker->tags);
        return !act || host.select(node, tag);
    }
    if (const auto* list = dynamic_cast<const ui::ListContent*>(node.content())) {
        const ui::AnyValue& tag = optionShowing(context, control, list->tags);
        return !act || host.select(node, tag);
    }
    if (node.as<ui::ColorWellContent>()) {
        const auto colour = colourArgument(value, "The colour of " + quotedText(name));
        return !act || host.chooseColor(node, colour);
    }
    throw Error(quotedText(name) + " is " + describeNode(*control.hosting, node) +
                "; set works on switches, sliders, steppers, pickers, lists and colour wells.");
}

void setValue(CommandContext& context) {
    expectArguments(context, command("set"), 2, 2);
    const FoundControl found = settable(context);
    setTo(context, found, false);
    // Clicked into the window named, which may draw it again: the control is found anew.
    const FoundControl control = clickInto(context, *found.hosting->window()) ? settable(context) : found;
    if (!setTo(context, control, true))
        throw Error(cannotBeShown(control, context.arguments[0], context.arguments[1]));
}

}  // namespace

void addControlCommands(std::vector<ConsoleCommand>& commands) {
    commands.push_back({"press", "[in \"<window>\"] press <identifier, label or text>",
                        "presses a control of the key window, else of the frontmost window showing it (or the named one)",
                        false, true, press});
    commands.push_back({"type", "[in \"<window>\"] type <identifier> \"<text>\"",
                        "types the text into a text field in place of what it held", false, true, typeText});
    commands.push_back({"submit", "[in \"<window>\"] submit <identifier>", "presses Return in a text field", false,
                        true, submitText});
    commands.push_back({"focus", "[in \"<window>\"] focus <identifier>", "gives a control the keyboard focus", false,
                        true, focus});
    commands.push_back({"set", "[in \"<window>\"] set <identifier, label or text> <value>",
                        "sets a switch (on or off), slider, stepper, picker or list (the option's text), or colour well (#RRGGBB)", false, true,
                        setValue});
}

}  // namespace tarnwick::sim
