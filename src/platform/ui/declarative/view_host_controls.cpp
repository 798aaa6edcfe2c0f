// The user's side of the controls: switches, sliders, steppers, text fields, pickers, lists,
// colour wells and holding a button down.

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/declarative/controls.h"
#include "platform/ui/declarative/view_host.h"
#include "platform/platform.h"
#include "platform/ui/panel.h"
#include "platform/ui/text_segmentation.h"
#include "support/text.h"

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

// What a key types into a field: text without control characters and without the characters
// that stand for the function keys (the arrows among them).
bool typesText(std::string_view characters) {
    if (characters.empty() || !text::isValidUTF8(characters)) return false;
    for (const auto& scalar : decodeText(characters)) {
        const char32_t c = scalar.value;
        if (c < 0x20 || (c >= 0x7F && c < 0xA0) || (c >= 0xF700 && c <= 0xF8FF)) return false;
    }
    return true;
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

void ViewHost::beginEditing(const Node& field) {
    const std::uint64_t identity = field.identity();
    // Clicking into the field gives it focus; whatever held focus lets go.
    if (field.modifiers().focus)
        moveFocus(field);
    else
        dropFocus();
    if (Panel* window = container_.window(); window && window->firstResponder() != &container_)
        window->makeFirstResponder(&container_);
    if (editing_ != identity) allSelected_ = false;
    editing_ = identity;
}

bool ViewHost::type(const Node& node, std::string_view text) {
    const auto* field = node.as<TextFieldContent>();
    if (!field || !canAct(node) || !field->binding.get || !field->binding.set) return false;
    const auto binding = field->binding;
    beginEditing(node);
    // One character at a time, as keys type them; the first replaces a selection.
    bool first = true;
    for (const std::string_view character : text::scalars(text)) {
        const bool replaces = std::exchange(first, false) && std::exchange(allSelected_, false);
        binding.set((replaces ? std::string() : binding.get()) + std::string(character));
    }
    return true;
}

bool ViewHost::editField(const Node& node) {
    if (!node.as<TextFieldContent>() || !canAct(node)) return false;
    beginEditing(node);
    allSelected_ = false;
    return true;
}

bool ViewHost::clearText(const Node& node) {
    const auto* field = node.as<TextFieldContent>();
    if (!field || !canAct(node) || !field->binding.set) return false;
    const auto binding = field->binding;
    beginEditing(node);
    allSelected_ = false;
    binding.set(std::string());
    return true;
}

// ---- editing

const Node* ViewHost::editingField() const {
    // Another node holding focus has the keyboard; no field is edited meanwhile.
    if (const Node* focused = focusedNode()) return focused->as<TextFieldContent>() ? focused : nullptr;
    if (!editing_) return nullptr;
    const Node* node = nodeWithIdentity(*editing_);
    return node && node->as<TextFieldContent>() && !node->isDisabled() ? node : nullptr;
}

bool ViewHost::hasSelectedText() const {
    const Node* field = editingField();
    return field && allSelected_ && editing_ == field->identity() && !field->as<TextFieldContent>()->text().empty();
}

bool ViewHost::selectAllText() {
    const Node* field = editingField();
    if (!field) return false;
    editing_ = field->identity();
    allSelected_ = true;
    return true;
}

bool ViewHost::copyText() {
    auto* pasteboard = current().pasteboard;
    if (!hasSelectedText() || !pasteboard) return false;
    pasteboard->setString(editingField()->as<TextFieldContent>()->text());
    return true;
}

bool ViewHost::cutText() {
    const Node* field = editingField();
    if (!field || !copyText()) return false;
    const auto binding = field->as<TextFieldContent>()->binding;
    allSelected_ = false;
    if (binding.set) binding.set(std::string());
    return true;
}

bool ViewHost::pasteText() {
    const Node* field = editingField();
    auto* pasteboard = current().pasteboard;
    const auto text = pasteboard ? pasteboard->string() : std::nullopt;
    if (!field || !text) return false;
    const auto binding = field->as<TextFieldContent>()->binding;
    if (!binding.get || !binding.set) return false;
    const bool replaces = std::exchange(allSelected_, false) && editing_ == field->identity();
    editing_ = field->identity();
    binding.set((replaces ? std::string() : binding.get()) + *text);
    return true;
}

void ViewHost::endEditing() {
    if (const Node* focused = focusedNode(); focused && focused->as<TextFieldContent>()) dropFocus();
    editing_.reset();
    allSelected_ = false;
}

bool ViewHost::editWithKey(const Node& field, const KeyEvent& event) {
    const auto* content = field.as<TextFieldContent>();
    if (!content || field.isDisabled()) return false;
    // Return and Enter submit; the field keeps the key.
    if (event.keyCode == key_codes::kReturn || event.keyCode == key_codes::kKeypadEnter) {
        if (!event.isRepeat) submit(field);
        return true;
    }
    // Command and Control combinations are the menus' and the window's.
    if (event.modifierFlags & (modifier_flags::kCommand | modifier_flags::kControl)) return false;
    const bool deletes = event.keyCode == key_codes::kDelete || event.keyCode == key_codes::kForwardDelete;
    if (!deletes && !typesText(event.characters)) return false;
    const auto binding = content->binding;
    if (!binding.get || !binding.set) return true;
    const std::string before = binding.get();
    std::string after = before;
    const bool replaces = std::exchange(allSelected_, false);
    editing_ = field.identity();
    if (replaces) after.clear();
    if (event.keyCode == key_codes::kDelete && !replaces && !after.empty())
        after.erase(segmentText(after).back().from);
    // The caret stays after the text: Forward Delete has nothing after it to take.
    if (!deletes) after += event.characters;
    if (after != before) binding.set(after);
    return true;
}

bool ViewHost::submit(const Node& node) {
    if (!node.as<TextFieldContent>() || !canAct(node)) return false;
    for (const Node* n = &node; n; n = n->parent()) {
        if (!n->hasModifiers() || !n->modifiers().events().onSubmit) continue;
        if (auto action = n->modifiers().events().onSubmit) action();
        break;
    }
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
