#include "platform/sim/console/acting_controls.h"

#include "platform/sim/console/command_words.h"
#include "platform/sim/console/screen_views.h"
#include "platform/ui/declarative/controls.h"
#include "platform/ui/declarative/hosting_view.h"

namespace tarnwick::sim {

namespace ui = platform::ui;

namespace {

// A control that offers several options at once, side by side or one under another: one click
// chooses one of them, so the control as a whole takes no click that means anything.
bool isChoiceAsAWhole(const ui::Node& node) {
    const auto* picker = node.as<ui::PickerContent>();
    return node.as<ui::ListContent>() || (picker && picker->style != ui::PickerStyle::menu);
}

// The node itself takes a click of its own (a button, a switch, a text field, a row of a list,
// a pop-up, a pull-down menu, a bridged view), unlike a choice as a whole.
bool takesOneClick(const ui::HostingView& hosting, const ui::Node& node) {
    if (node.content()->asBridged()) return true;
    return hosting.host().clickTarget(node) == &node && !isChoiceAsAWhole(node);
}

void collectClickable(ui::HostingView& hosting, const ui::Node& node, std::vector<FoundControl>& found) {
    const auto& children = node.children();
    for (std::size_t i = 0; i < children.size(); ++i) {
        if (!node.content()->showsChild(i)) continue;
        if (takesOneClick(hosting, children[i]))
            found.push_back(FoundControl{&hosting, &children[i]});
        else
            collectClickable(hosting, children[i], found);
    }
}

// The texts of a choice's options, for a sentence: "Regular" or "Clear".
std::string optionsOf(const FoundControl& choice) {
    std::vector<std::string> shown;
    for (const auto& option : choice.node->children())
        if (auto text = choice.hosting->host().firstText(option)) shown.push_back(quotedText(*text));
    return listed(shown, "or");
}

// The one settable control among a closed menu's items (a pop-up of sections is a menu holding
// a picker): the user opens the menu and chooses in it.
const ui::Node* settableItem(const ui::Node& menu) {
    if (!menu.as<ui::MenuContent>()) return nullptr;
    const ui::Node* found = nullptr;
    bool several = false;
    const auto search = [&](const auto& self, const ui::Node& node) -> void {
        for (const auto& child : node.children()) {
            if (!isSettable(child)) {
                self(self, child);
            } else if (found) {
                several = true;
            } else {
                found = &child;
            }
        }
    };
    search(search, menu);
    return several ? nullptr : found;
}

// The control a text labels by leading its row, as "Size" leads the banner's size slider: the
// row's one settable control.
const ui::Node* controlLedBy(const ui::Node& text) {
    const ui::Node* row = text.parent();
    const auto* stack = row ? row->as<ui::StackContent>() : nullptr;
    if (!stack || stack->axis != ui::Axis::horizontal || &row->children().front() != &text) return nullptr;
    const ui::Node* control = nullptr;
    for (const auto& child : row->children()) {
        if (!isSettable(child)) continue;
        if (control) return nullptr;
        control = &child;
    }
    return control;
}

bool offers(const ui::HostingView& hosting, const ui::Node& choice, const std::string& option) {
    for (const auto& child : choice.children())
        for (const auto& text : hosting.host().texts(&child))
            if (text == option) return true;
    return false;
}

// How `set` works a control that takes a value rather than a click, as the end of a sentence
// about the name; nothing for any other control.
std::optional<std::string> settingHint(const ui::Node& control, const std::string& name) {
    const std::string set = "; set " + quotedText(name);
    if (control.as<ui::ColorWellContent>()) return " a colour well" + set + " \"#RRGGBB\" chooses its colour.";
    if (control.as<ui::SliderContent>()) return " a slider" + set + " <number> moves it.";
    if (control.as<ui::StepperContent>()) return " a stepper" + set + " <number> steps it.";
    return std::nullopt;
}

}  // namespace

std::vector<FoundControl> clickableInside(const FoundControl& found) {
    std::vector<FoundControl> inside;
    collectClickable(*found.hosting, *found.node, inside);
    return inside;
}

const ui::Node* pressedControl(const FoundControl& found) {
    const ui::Node& node = *found.node;
    if (node.content()->asBridged()) return &node;
    if (const ui::Node* around = found.hosting->host().clickTarget(node))
        return around == &node && isChoiceAsAWhole(node) ? nullptr : around;
    if (isChoiceAsAWhole(node)) return nullptr;
    const auto inside = clickableInside(found);
    return inside.size() == 1 ? inside.front().node : nullptr;
}

std::string unpressable(const FoundControl& found, const std::string& name) {
    for (const ui::Node* n = found.node; n; n = n->parent())
        if (auto hint = settingHint(*n, name)) return quotedText(name) + " is" + *hint;
    // The text that leads a slider's row ("Size") names the slider for `set`, so it says so too.
    if (const ui::Node* led = controlLedBy(*found.node))
        if (auto hint = settingHint(*led, name)) return quotedText(name) + " labels" + *hint;
    const std::string what = describeNode(*found.hosting, *found.node);
    const std::string set = "; set " + quotedText(name);
    if (isChoiceAsAWhole(*found.node)) {
        const std::string options = optionsOf(found);
        const bool list = found.node->as<ui::ListContent>() != nullptr;
        return quotedText(name) + " is " + what + ": a click at its centre would choose whatever " +
               (list ? "row" : "option") + " lies there" + set + (list ? " <row>" : " <option>") + " chooses one" +
               (options.empty() ? "" : ": " + options) + ".";
    }
    if (const auto inside = clickableInside(found); inside.size() > 1)
        return quotedText(name) + " is " + what + " holding " + std::to_string(inside.size()) +
               " controls: " + describeControls(inside) + "; press one of them by its identifier or label.";
    return quotedText(name) + " is " + what + ", which takes no click.";
}

bool isSettable(const ui::Node& node) {
    return node.as<ui::ToggleContent>() || node.as<ui::SliderContent>() || node.as<ui::StepperContent>() ||
           node.as<ui::PickerContent>() || node.as<ui::ListContent>() || node.as<ui::ColorWellContent>();
}

const ui::Node* settableControl(const FoundControl& found) {
    for (const ui::Node* around = found.node; around; around = around->parent())
        if (isSettable(*around)) return around;
    if (const ui::Node* item = settableItem(*found.node)) return item;
    return controlLedBy(*found.node);
}

std::optional<FoundControl> otherControlOffering(const FoundControl& hidden, const std::string& option) {
    ui::Panel* panel = hidden.hosting->window();
    if (!panel) return std::nullopt;
    std::optional<FoundControl> other;
    bool several = false;
    const auto search = [&](const auto& self, ui::HostingView& hosting, const ui::Node& node) -> void {
        const ui::Node* choice = node.as<ui::MenuContent>() ? settableItem(node) : &node;
        if (choice && choice != hidden.node && (choice->as<ui::PickerContent>() || choice->as<ui::ListContent>()) &&
            offers(hosting, *choice, option)) {
            several = several || other.has_value();
            other = FoundControl{&hosting, &node};
            return;
        }
        const auto& children = node.children();
        for (std::size_t i = 0; i < children.size(); ++i)
            if (node.content()->showsChild(i)) self(self, hosting, children[i]);
    };
    for (auto* hosting : hostingViews(*panel))
        if (const ui::Node* root = hosting->host().root()) search(search, *hosting, *root);
    if (several) return std::nullopt;
    return other;
}

}  // namespace tarnwick::sim
