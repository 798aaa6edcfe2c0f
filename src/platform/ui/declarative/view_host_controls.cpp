// The user's side of the controls: switches, sliders, steppers, pickers, lists, colour wells
// and holding a button down (text fields have a file of their own).

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/declarative/controls.h"
#include "platform/ui/declarative/view_host.h"

namespace tarnwick::platform::ui {

namespace {

bool shows(const Rect& r) { return r.width() > 0 && r.height() > 0; }

// The scrolling container around the node whose viewport the node lies outside, innermost first.
const Node* scrollerHiding(const Node& node) {
    for (const Node* n = node.parent(); n; n = n->parent()) {
        const bool scrolls = n->as<FormContent>() || n->as<ListContent>();
        if (!scrolls) continue;
        const Rect& viewport = n->contentFrame();
        if (node.frame().minY() < viewport.minY() || node.frame().maxY() > viewport.maxY()) return n;
    }
    return nullptr;
}

const Node* withIdentity(const Node& node, std::uint64_t identity) {
    if (node.identity() == identity) return &node;
    for (const Node& child : node.children())
        if (const Node* found = withIdentity(child, identity)) return found;
    return nullptr;
}

}  // namespace

const Node* ViewHost::nodeWithIdentity(std::uint64_t identity) const {
    return root_ ? withIdentity(*root_, identity) : nullptr;
}

bool ViewHost::scrollIntoView(const Node& node) {
    if (shows(visibleFrame(node))) return true;
    if (!shows(node.frame())) return false;
    // Each pass scrolls the innermost container that hides the node, centring the node in it.
    for (int pass = 0; pass < 4; ++pass) {
        const Node* scroller = scrollerHiding(node);
        if (!scroller) break;
        const Rect& viewport = scroller->contentFrame();
        const double shift = node.frame().midY() - viewport.midY();
        scrollOffsets_[scroller->identity()] = scrollOffset(*scroller) + shift;
        layoutNow();
    }
    return shows(visibleFrame(node));
}

bool ViewHost::canAct(const Node& node) {
    if (node.isDisabled()) return false;
    // A control inside a menu is reached by opening the menu: the outermost menu must show.
    const Node* shown = &node;
    for (const Node* n = node.parent(); n; n = n->parent())
        if (n->as<MenuContent>()) shown = n;
    return scrollIntoView(*shown);
}

bool ViewHost::toggle(const Node& node) {
    const auto* control = node.as<ToggleContent>();
    if (!control || !canAct(node)) return false;
    const auto isOn = control->isOn;  // a copy: the write may change what the tree holds
    if (!isOn.get || !isOn.set) return false;
    isOn.set(!isOn.get());
    return true;
}

bool ViewHost::slide(const Node& node, double value) {
    const auto* control = node.as<SliderContent>();
    if (!control || !canAct(node) || !control->binding.set) return false;
    const double snapped = control->snapped(value);
    const auto binding = control->binding;
    binding.set(snapped);
    return true;
}

bool ViewHost::increment(const Node& node) {
    const auto* control = node.as<StepperContent>();
    if (!control || !canAct(node) || !control->binding.set || !control->canIncrement()) return false;
    const double next = std::min(control->value() + control->step, control->upper);
    const auto binding = control->binding;
    binding.set(next);
    return true;
}

bool ViewHost::decrement(const Node& node) {
    const auto* control = node.as<StepperContent>();
    if (!control || !canAct(node) || !control->binding.set || !control->canDecrement()) return false;
    const double next = std::max(control->value() - control->step, control->lower);
    const auto binding = control->binding;
    binding.set(next);
    return true;
}

bool ViewHost::select(const Node& node, const AnyValue& tag) {
    const std::vector<AnyValue>* tags = nullptr;
    const AnyBinding* selection = nullptr;
    if (const auto* picker = node.as<PickerContent>()) {
        tags = &picker->tags;
        selection = &picker->selection;
    } else if (const auto* list = node.as<ListContent>()) {
        tags = &list->tags;
        selection = &list->selection;
    }
    if (!tags || !selection->set || !canAct(node)) return false;
    bool offered = false;
    for (const auto& t : *tags) offered = offered || t == tag;
    if (!offered) return false;
    const auto set = selection->set;
    set(tag);
    return true;
}

bool ViewHost::clearSelection(const Node& node) {
    const auto* list = node.as<ListContent>();
    if (!list || !list->selection.set || !canAct(node)) return false;
    const auto set = list->selection.set;
    set(AnyValue());
    return true;
}

bool ViewHost::chooseColor(const Node& node, const ColorInSpace& color) {
    const auto* well = node.as<ColorWellContent>();
    if (!well || !well->binding.set || !canAct(node)) return false;
    ColorInSpace chosen = color;
    if (!well->options.supportsOpacity) chosen.alpha = 1;
    const auto binding = well->binding;
    binding.set(chosen);
    return true;
}

bool ViewHost::press(const Node& node) {
    if (!node.content()->asButton() || !canAct(node)) return false;
    pressed_ = node.identity();
    invalidate();
    return true;
}

bool ViewHost::release(bool inside) {
    if (!pressed_) return false;
    const std::uint64_t identity = *std::exchange(pressed_, std::nullopt);
    invalidate();
    if (!inside) return true;
    const Node* button = nodeWithIdentity(identity);
    if (!button || !button->content()->asButton() || button->isDisabled()) return true;
    if (auto action = const_cast<Node*>(button)->content()->asButton()->action) action();
    return true;
}

}  // namespace tarnwick::platform::ui
