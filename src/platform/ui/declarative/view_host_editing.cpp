// The user's side of text fields: clicking and typing into one, the keys the field being edited
// takes as its field editor would, Tab from field to field, the Edit menu's actions, and Undo
// and Redo.

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/ui/declarative/controls.h"
#include "platform/ui/declarative/view_host.h"
#include "platform/ui/panel.h"
#include "platform/ui/text_segmentation.h"
#include "support/text.h"

namespace tarnwick::platform::ui {

namespace {

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

// Whether the node shows: it takes room, and each container around it shows the child it lies
// in (a closed pop-up shows none of its other options).
bool isShown(const Node& node) {
    if (!(node.frame().width() > 0 && node.frame().height() > 0)) return false;
    for (const Node* n = &node; const Node* parent = n->parent(); n = parent) {
        const auto& children = parent->children();
        for (std::size_t i = 0; i < children.size(); ++i)
            if (&children[i] == n && !parent->content()->showsChild(i)) return false;
    }
    return true;
}

}  // namespace

// ---- clicking and typing into a field

void ViewHost::beginEditing(const Node& field) {
    const std::uint64_t identity = field.identity();
    // A click puts the caret somewhere new: what is typed next is a change of its own.
    endRun();
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
    const std::uint64_t identity = node.identity();
    beginEditing(node);
    // One character at a time, as keys type them; the first replaces a selection.
    bool first = true;
    for (const std::string_view character : text::scalars(text)) {
        const bool replaces = std::exchange(first, false) && std::exchange(allSelected_, false);
        const std::string before = binding.get();
        binding.set((replaces ? std::string() : before) + std::string(character));
        recordEdit(identity, EditKind::typing, before, binding.get());
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
    const std::uint64_t identity = node.identity();
    beginEditing(node);
    allSelected_ = false;
    const std::string before = binding.get ? binding.get() : std::string();
    binding.set(std::string());
    if (binding.get) recordEdit(identity, EditKind::other, before, binding.get());
    return true;
}

bool ViewHost::replaceText(const Node& node, std::string_view text) {
    const auto* field = node.as<TextFieldContent>();
    if (!field || !canAct(node) || !field->binding.get || !field->binding.set) return false;
    const auto binding = field->binding;
    const std::uint64_t identity = node.identity();
    beginEditing(node);
    allSelected_ = false;
    const std::string before = binding.get();
    // What it held goes in one edit, then each character is typed, as a person replacing it
    // would; the whole is one change to undo.
    if (!before.empty()) binding.set(std::string());
    for (const std::string_view character : text::scalars(text)) binding.set(binding.get() + std::string(character));
    recordEdit(identity, EditKind::other, before, binding.get());
    return true;
}

bool ViewHost::submit(const Node& node) {
    if (!node.as<TextFieldContent>() || !canAct(node)) return false;
    // Return ends a run of typing, as on a Mac.
    endRun();
    for (const Node* n = &node; n; n = n->parent()) {
        if (!n->hasModifiers() || !n->modifiers().events().onSubmit) continue;
        if (auto action = n->modifiers().events().onSubmit) action();
        break;
    }
    return true;
}

// ---- the field being edited

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
    endRun();
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
    const std::uint64_t identity = field->identity();
    allSelected_ = false;
    if (!binding.set) return true;
    const std::string before = binding.get ? binding.get() : std::string();
    binding.set(std::string());
    if (binding.get) recordEdit(identity, EditKind::other, before, binding.get());
    return true;
}

bool ViewHost::pasteText() {
    const Node* field = editingField();
    auto* pasteboard = current().pasteboard;
    const auto text = pasteboard ? pasteboard->string() : std::nullopt;
    if (!field || !text) return false;
    const auto binding = field->as<TextFieldContent>()->binding;
    if (!binding.get || !binding.set) return false;
    const std::uint64_t identity = field->identity();
    const bool replaces = std::exchange(allSelected_, false) && editing_ == identity;
    editing_ = identity;
    const std::string before = binding.get();
    binding.set((replaces ? std::string() : before) + *text);
    recordEdit(identity, EditKind::other, before, binding.get());
    return true;
}

void ViewHost::endEditing() {
    if (const Node* focused = focusedNode(); focused && focused->as<TextFieldContent>()) dropFocus();
    editing_.reset();
    allSelected_ = false;
    endRun();
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
    if (event.keyCode == key_codes::kTab) {
        if (event.modifierFlags & modifier_flags::kOption) return false;
        moveToNextField(field, event.modifierFlags & modifier_flags::kShift);
        return true;
    }
    const bool deletes = event.keyCode == key_codes::kDelete || event.keyCode == key_codes::kForwardDelete;
    if (!deletes && !typesText(event.characters)) return false;
    const auto binding = content->binding;
    if (!binding.get || !binding.set) return true;
    const std::uint64_t identity = field.identity();
    const std::string before = binding.get();
    std::string after = before;
    const bool replaces = std::exchange(allSelected_, false);
    editing_ = identity;
    if (replaces) after.clear();
    if (event.keyCode == key_codes::kDelete && !replaces && !after.empty())
        after.erase(segmentText(after).back().from);
    // The caret stays after the text: Forward Delete has nothing after it to take.
    if (!deletes) after += event.characters;
    if (after == before) return true;
    binding.set(after);
    recordEdit(identity, deletes ? EditKind::deleting : EditKind::typing, before, binding.get());
    return true;
}

// ---- Tab

bool ViewHost::moveToNextField(const Node& from, bool backward) {
    std::vector<const Node*> loop;
    for (const Node* field : textFields_)
        if (field == &from || (!field->isDisabled() && isShown(*field))) loop.push_back(field);
    // Top to bottom, then leading to trailing; fields level with each other keep the tree's order.
    std::stable_sort(loop.begin(), loop.end(), [](const Node* a, const Node* b) {
        if (a->frame().minY() != b->frame().minY()) return a->frame().minY() < b->frame().minY();
        return a->frame().minX() < b->frame().minX();
    });
    const auto at = std::find(loop.begin(), loop.end(), &from);
    if (at == loop.end()) return false;
    const std::size_t count = loop.size();
    const auto index = static_cast<std::size_t>(at - loop.begin());
    const Node* next = loop[(index + (backward ? count - 1 : 1)) % count];
    if (!scrollIntoView(*next)) return false;
    // As a click elsewhere: the field left stops being edited (a focus binding moves, so what
    // the field does on losing focus runs), and the one reached is edited with all its text
    // selected, so typing replaces it. Alone in its window, a field selects its own text.
    beginEditing(*next);
    allSelected_ = true;
    return true;
}

// ---- Undo and Redo

void ViewHost::recordEdit(std::uint64_t field, EditKind kind, const std::string& before, const std::string& after) {
    if (before == after) return;
    const bool joins = kind != EditKind::other && openRun_ && openRun_->field == field && openRun_->kind == kind;
    undoHistories_[field].record(before, after, !joins);
    if (kind == EditKind::other)
        openRun_.reset();
    else
        openRun_ = OpenRun{field, kind};
}

const TextFieldUndo* ViewHost::editingHistory(std::string& shown) const {
    const Node* field = editingField();
    if (!field) return nullptr;
    const auto it = undoHistories_.find(field->identity());
    if (it == undoHistories_.end()) return nullptr;
    shown = field->as<TextFieldContent>()->text();
    return &it->second;
}

bool ViewHost::canUndoText() const {
    std::string shown;
    const TextFieldUndo* history = editingHistory(shown);
    return history && history->canUndo(shown);
}

bool ViewHost::canRedoText() const {
    std::string shown;
    const TextFieldUndo* history = editingHistory(shown);
    return history && history->canRedo(shown);
}

bool ViewHost::undoText() { return stepHistory(false); }

bool ViewHost::redoText() { return stepHistory(true); }

bool ViewHost::stepHistory(bool redo) {
    const Node* field = editingField();
    if (!field) return false;
    const auto binding = field->as<TextFieldContent>()->binding;
    const std::uint64_t identity = field->identity();
    auto it = undoHistories_.find(identity);
    if (it == undoHistories_.end() || !binding.get || !binding.set) return false;
    endRun();
    allSelected_ = false;
    const std::string shown = binding.get();
    const auto text = redo ? it->second.redo(shown) : it->second.undo(shown);
    if (!text) return false;
    binding.set(*text);
    // Found again: the binding's owner may have run anything.
    if (auto again = undoHistories_.find(identity); again != undoHistories_.end()) again->second.settled(binding.get());
    return true;
}

void ViewHost::dropLeftHistories() {
    // A field that left the tree takes its history with it.
    std::erase_if(undoHistories_, [this](const auto& entry) {
        return std::none_of(textFields_.begin(), textFields_.end(),
                            [&](const Node* field) { return field->identity() == entry.first; });
    });
    if (openRun_ && !undoHistories_.contains(openRun_->field)) openRun_.reset();
}

}  // namespace tarnwick::platform::ui
