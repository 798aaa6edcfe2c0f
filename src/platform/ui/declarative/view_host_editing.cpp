// The user's side of text fields: clicking and typing into one, the keys the field being edited
// takes as its field editor would (the caret and the selection among them), Tab from field to
// field, the Edit menu's actions, and Undo and Redo.

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/ui/declarative/controls.h"
#include "platform/ui/declarative/text_field_line.h"
#include "platform/ui/declarative/view_host.h"
#include "platform/ui/panel.h"
#include "platform/ui/text_segmentation.h"
#include "support/text.h"

namespace tarnwick::platform::ui {

namespace {

// What a key types into a field: text without control characters and without the characters
// that stand for the function keys (the arrows among them; U+F8FF past them is a character that
// Shift-Option-K types).
bool typesText(std::string_view characters) {
    if (characters.empty() || !text::isValidUTF8(characters)) return false;
    for (const auto& scalar : decodeText(characters)) {
        const char32_t c = scalar.value;
        if (c < 0x20 || (c >= 0x7F && c < 0xA0) || (c >= 0xF700 && c < 0xF800)) return false;
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

// An accent a dead key left waiting belongs to the field it was typed in: editing elsewhere, or
// no more, lets it go untyped.
void discardMarkedText() {
    if (auto* context = current().textInputContext) context->discardMarkedText();
}

// How far a key with these modifiers moves the caret or deletes.
TextStep stepOf(ModifierFlags flags) {
    if (flags & modifier_flags::kCommand) return TextStep::edge;
    if (flags & modifier_flags::kOption) return TextStep::word;
    return TextStep::character;
}

}  // namespace

// ---- clicking and typing into a field

void ViewHost::beginEditing(const Node& field) {
    const std::uint64_t identity = field.identity();
    // A click puts the caret somewhere new: what is typed next is a change of its own, and an
    // accent left waiting is not typed there.
    endRun();
    discardMarkedText();
    // Clicking into the field gives it focus; whatever held focus lets go.
    if (field.modifiers().focus)
        moveFocus(field);
    else
        dropFocus();
    if (Panel* window = container_.window(); window && window->firstResponder() != &container_)
        window->makeFirstResponder(&container_);
    // Clicked into anew, a field takes the caret after its text; one already edited keeps its own.
    if (editing_ != identity || !caret_ || caret_->field != identity) {
        const std::string text = field.as<TextFieldContent>()->text();
        caret_.reset();  // its line starts unscrolled
        setSelection(identity, text, TextSelection::caret(text.size()));
    }
    editing_ = identity;
}

bool ViewHost::type(const Node& node, std::string_view text) {
    const auto* field = node.as<TextFieldContent>();
    if (!field || !canAct(node) || !field->binding.get || !field->binding.set) return false;
    const auto binding = field->binding;
    const std::uint64_t identity = node.identity();
    beginEditing(node);
    // One character at a time, as keys type them, at the caret; the first replaces a selection.
    for (const std::string_view character : text::scalars(text)) {
        const EditedText before = editedText(identity, binding.get());
        applyEdit(identity, binding, EditKind::typing, before,
                  insertedText(before.text, before.selection, character));
    }
    return true;
}

bool ViewHost::editField(const Node& node) {
    if (!node.as<TextFieldContent>() || !canAct(node)) return false;
    beginEditing(node);
    const std::string text = node.as<TextFieldContent>()->text();
    setSelection(node.identity(), text, TextSelection::caret(text.size()));
    return true;
}

bool ViewHost::clearText(const Node& node) {
    const auto* field = node.as<TextFieldContent>();
    if (!field || !canAct(node) || !field->binding.set) return false;
    const auto binding = field->binding;
    const std::uint64_t identity = node.identity();
    beginEditing(node);
    const std::string before = binding.get ? binding.get() : std::string();
    binding.set(std::string());
    const std::string after = binding.get ? binding.get() : std::string();
    setSelection(identity, after, TextSelection::caret(after.size()));
    if (binding.get)
        recordEdit(identity, EditKind::other, EditedText{before, TextSelection::all(before)},
                   EditedText{after, TextSelection::caret(after.size())});
    return true;
}

bool ViewHost::replaceText(const Node& node, std::string_view text) {
    const auto* field = node.as<TextFieldContent>();
    if (!field || !canAct(node) || !field->binding.get || !field->binding.set) return false;
    const auto binding = field->binding;
    const std::uint64_t identity = node.identity();
    beginEditing(node);
    const std::string before = binding.get();
    // What it held goes in one edit, then each character is typed, as a person replacing it
    // would; the whole is one change to undo.
    if (!before.empty()) binding.set(std::string());
    for (const std::string_view character : text::scalars(text)) binding.set(binding.get() + std::string(character));
    const std::string after = binding.get();
    setSelection(identity, after, TextSelection::caret(after.size()));
    recordEdit(identity, EditKind::other, EditedText{before, TextSelection::all(before)},
               EditedText{after, TextSelection::caret(after.size())});
    return true;
}

bool ViewHost::submit(const Node& node) {
    if (!node.as<TextFieldContent>() || !canAct(node)) return false;
    const std::uint64_t identity = node.identity();
    // Return ends a run of typing, as on a Mac.
    endRun();
    for (const Node* n = &node; n; n = n->parent()) {
        if (!n->hasModifiers() || !n->modifiers().events().onSubmit) continue;
        if (auto action = n->modifiers().events().onSubmit) action();
        break;
    }
    // A field that ends its editing with Return and keeps the keyboard selects all its text, so
    // that what is typed next replaces it.
    if (const Node* field = editingField(); field && field->identity() == identity) {
        const std::string text = field->as<TextFieldContent>()->text();
        setSelection(identity, text, TextSelection::all(text));
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

EditedText ViewHost::editedText(std::uint64_t field, const std::string& shown) const {
    // A selection left in another text than the field shows now (the app set the text) no
    // longer says where anything is: the caret goes after the text, as it does when the text is
    // set while the field is edited.
    if (caret_ && caret_->field == field && caret_->text == shown)
        return EditedText{shown, fittedSelection(shown, caret_->selection)};
    return EditedText{shown, TextSelection::caret(shown.size())};
}

std::optional<TextSelection> ViewHost::selection(const Node& field) const {
    const Node* edited = editingField();
    if (edited != &field) return std::nullopt;
    return editedText(field.identity(), field.as<TextFieldContent>()->text()).selection;
}

std::optional<std::size_t> ViewHost::selectionAnchor(std::uint64_t field, const std::string& shown) const {
    if (caret_ && caret_->field == field && caret_->text == shown) return caret_->anchor;
    return std::nullopt;
}

double ViewHost::textScroll(const Node& field) const {
    const auto selected = selection(field);
    if (!selected) return 0;
    const std::uint64_t identity = field.identity();
    const std::string text = field.as<TextFieldContent>()->text();
    // Read again at the field's size now: a window resized, a text the app set, scroll anew.
    const double scroll = caret_ && caret_->field == identity ? caret_->scroll : 0;
    return fieldScroll(field, text, *selected, selectionAnchor(identity, text), scroll);
}

double ViewHost::fieldScroll(const Node& field, const std::string& text, TextSelection selection,
                             std::optional<std::size_t> anchor, double from) const {
    const auto* content = field.as<TextFieldContent>();
    if (!content) return 0;
    // The caret shows; of a selection, the end the keys move (one made at once stays as it lies).
    const std::optional<std::size_t> shown = selection.isCaret() ? selection.start : movingEnd(selection, anchor);
    return scrolledToShow(FieldTextLine(text, field.font()), content->textFrame().width(), from, shown);
}

void ViewHost::setSelection(std::uint64_t field, const std::string& text, TextSelection selection,
                            std::optional<std::size_t> anchor) {
    const TextSelection fitted = fittedSelection(text, selection);
    if (anchor && *anchor != fitted.start && *anchor != fitted.end) anchor.reset();
    double scroll = caret_ && caret_->field == field ? caret_->scroll : 0;
    if (const Node* node = nodeWithIdentity(field)) scroll = fieldScroll(*node, text, fitted, anchor, scroll);
    caret_ = Caret{field, text, fitted, anchor, scroll};
}

bool ViewHost::hasSelectedText() const {
    const Node* field = editingField();
    if (!field) return false;
    const auto selected = selection(*field);
    return selected && !selected->isCaret();
}

bool ViewHost::selectAllText() {
    const Node* field = editingField();
    if (!field) return false;
    endRun();
    editing_ = field->identity();
    const std::string text = field->as<TextFieldContent>()->text();
    setSelection(field->identity(), text, TextSelection::all(text));
    return true;
}

bool ViewHost::copyText() {
    auto* pasteboard = current().pasteboard;
    const Node* field = editingField();
    if (!field || !pasteboard) return false;
    const auto selected = selection(*field);
    if (!selected || selected->isCaret()) return false;
    const std::string text = field->as<TextFieldContent>()->text();
    pasteboard->setString(text.substr(selected->start, selected->end - selected->start));
    return true;
}

bool ViewHost::cutText() {
    const Node* field = editingField();
    if (!field || !copyText()) return false;
    const auto binding = field->as<TextFieldContent>()->binding;
    const std::uint64_t identity = field->identity();
    if (!binding.get || !binding.set) return true;
    const EditedText before = editedText(identity, binding.get());
    applyEdit(identity, binding, EditKind::other, before, deletedBackward(before.text, before.selection));
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
    editing_ = identity;
    const EditedText before = editedText(identity, binding.get());
    applyEdit(identity, binding, EditKind::other, before, insertedText(before.text, before.selection, *text));
    return true;
}

void ViewHost::endEditing() {
    if (const Node* focused = focusedNode(); focused && focused->as<TextFieldContent>()) dropFocus();
    forgetEditing();
}

void ViewHost::forgetEditing() {
    editing_.reset();
    caret_.reset();
    endRun();
    discardMarkedText();
}

void ViewHost::applyEdit(std::uint64_t field, const Binding<std::string>& binding, EditKind kind,
                         const EditedText& before, const EditedText& edited) {
    editing_ = field;
    if (edited.text == before.text) {
        setSelection(field, before.text, edited.selection);
        return;
    }
    binding.set(edited.text);
    // The binding's owner may keep another text than it was given (trimmed, say).
    const std::string shown = binding.get();
    const TextSelection selection = shown == edited.text ? edited.selection : TextSelection::caret(shown.size());
    setSelection(field, shown, selection);
    recordEdit(field, kind, before, EditedText{shown, selection});
}

bool ViewHost::editWithKey(const Node& field, const KeyEvent& event) {
    const auto* content = field.as<TextFieldContent>();
    if (!content || field.isDisabled()) return false;
    // Return and Enter submit; the field keeps the key.
    if (event.keyCode == key_codes::kReturn || event.keyCode == key_codes::kKeypadEnter) {
        if (!event.isRepeat) submit(field);
        return true;
    }
    const ModifierFlags flags = event.modifierFlags;
    // Control combinations are the window's and the menus'.
    if (flags & modifier_flags::kControl) return false;
    const auto binding = content->binding;
    const std::uint64_t identity = field.identity();
    const EditedText before = editedText(identity, content->text());
    if (event.keyCode >= key_codes::kLeftArrow && event.keyCode <= key_codes::kUpArrow)
        return moveWithArrow(field, event, before);
    const bool deletes = event.keyCode == key_codes::kDelete || event.keyCode == key_codes::kForwardDelete;
    if (!deletes) {
        // Other Command combinations are the menus' and the window's.
        if (flags & modifier_flags::kCommand) return false;
        if (event.keyCode == key_codes::kTab) {
            if (flags & modifier_flags::kOption) return false;
            moveToNextField(field, flags & modifier_flags::kShift);
            return true;
        }
        if (!typesText(event.characters)) return false;
    }
    if (!binding.get || !binding.set) return true;
    if (!deletes) {
        applyEdit(identity, binding, EditKind::typing, before,
                  insertedText(before.text, before.selection, event.characters));
        return true;
    }
    // With Option a word goes, with Command all up to the text's edge; each kind of deleting
    // makes a run of its own.
    const TextStep step = stepOf(flags);
    const EditKind kind = step == TextStep::edge   ? EditKind::deletingToEdge
                          : step == TextStep::word ? EditKind::deletingWords
                                                   : EditKind::deleting;
    const EditedText edited = event.keyCode == key_codes::kDelete ? deletedBackward(before.text, before.selection, step)
                                                                  : deletedForward(before.text, before.selection, step);
    applyEdit(identity, binding, kind, before, edited);
    return true;
}

bool ViewHost::moveWithArrow(const Node& field, const KeyEvent& event, const EditedText& before) {
    const std::uint64_t identity = field.identity();
    const ModifierFlags flags = event.modifierFlags;
    // Option moves by words, Command to the start or the end; Up and Down go there with or
    // without them, as the one line of a field has nothing above or below.
    const bool vertical = event.keyCode == key_codes::kUpArrow || event.keyCode == key_codes::kDownArrow;
    const TextStep step = vertical ? TextStep::edge : stepOf(flags);
    const bool left = event.keyCode == key_codes::kLeftArrow;
    TextSelection moved;
    std::optional<std::size_t> anchor;
    if (flags & modifier_flags::kShift) {
        // Shift extends the selection from its anchor.
        const auto kept = selectionAnchor(identity, before.text);
        const ExtendedSelection grown =
            vertical ? extended(before.text, before.selection, kept, step, event.keyCode == key_codes::kUpArrow)
            : left   ? extendedLeft(before.text, before.selection, kept, step)
                     : extendedRight(before.text, before.selection, kept, step);
        moved = grown.selection;
        anchor = grown.anchor;
    } else if (event.keyCode == key_codes::kUpArrow) {
        moved = movedToStart(before.text, before.selection);
    } else if (event.keyCode == key_codes::kDownArrow) {
        moved = movedToEnd(before.text, before.selection);
    } else {
        moved = left ? movedLeft(before.text, before.selection, step) : movedRight(before.text, before.selection, step);
    }
    // The caret elsewhere: what is typed next is a change of its own.
    endRun();
    editing_ = identity;
    setSelection(identity, before.text, moved, anchor);
    return true;
}

// ---- Tab

std::vector<const Node*> ViewHost::keyViewLoop(const Node* keep) const {
    std::vector<const Node*> loop;
    for (const Node* field : textFields_)
        if (field == keep || (!field->isDisabled() && isShown(*field))) loop.push_back(field);
    // Top to bottom, then leading to trailing; fields level with each other keep the tree's order.
    std::stable_sort(loop.begin(), loop.end(), [](const Node* a, const Node* b) {
        if (a->frame().minY() != b->frame().minY()) return a->frame().minY() < b->frame().minY();
        return a->frame().minX() < b->frame().minX();
    });
    return loop;
}

bool ViewHost::tabInto(const Node& field) {
    if (!scrollIntoView(field)) return false;
    // As a click elsewhere: the field left stops being edited (a focus binding moves, so what
    // the field does on losing focus runs), and the one reached is edited with all its text
    // selected, so typing replaces it. Alone in its window, a field selects its own text.
    const std::uint64_t identity = field.identity();
    beginEditing(field);
    if (const Node* edited = editingField(); edited && edited->identity() == identity) {
        const std::string text = edited->as<TextFieldContent>()->text();
        setSelection(identity, text, TextSelection::all(text));
    }
    return true;
}

bool ViewHost::moveToNextField(const Node& from, bool backward) {
    const auto loop = keyViewLoop(&from);
    const auto at = std::find(loop.begin(), loop.end(), &from);
    if (at == loop.end()) return false;
    const std::size_t count = loop.size();
    const auto index = static_cast<std::size_t>(at - loop.begin());
    return tabInto(*loop[(index + (backward ? count - 1 : 1)) % count]);
}

bool ViewHost::editFieldAtEdge(bool last) {
    if (editingField()) return false;
    const auto loop = keyViewLoop(nullptr);
    if (loop.empty()) return false;
    return tabInto(last ? *loop.back() : *loop.front());
}

// ---- Undo and Redo

void ViewHost::recordEdit(std::uint64_t field, EditKind kind, const EditedText& before, const EditedText& after) {
    if (before.text == after.text) return;
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
    const std::string shown = binding.get();
    const auto text = redo ? it->second.redo(shown) : it->second.undo(shown);
    if (!text) return false;
    binding.set(text->text);
    // Found again: the binding's owner may have run anything. The selection comes back with the
    // text: an undo selects what a typed text had replaced, or puts the caret where the change
    // began; a redo puts it where the change left it.
    const std::string now = binding.get();
    if (auto again = undoHistories_.find(identity); again != undoHistories_.end()) again->second.settled(now);
    editing_ = identity;
    setSelection(identity, now, now == text->text ? text->selection : TextSelection::caret(now.size()));
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
