#include "platform/ui/declarative/text_field_undo.h"

#include <utility>

namespace tarnwick::platform::ui {

void TextFieldUndo::clear() {
    done_.clear();
    undone_.clear();
    current_.reset();
}

void TextFieldUndo::record(const EditedText& before, const EditedText& after, bool startsRun) {
    if (before.text == after.text) return;
    // Changed from outside since the last change: the older texts no longer lead here.
    if (current_ && *current_ != before.text) clear();
    if (startsRun || done_.empty()) {
        done_.push_back(Change{before, after});
        if (done_.size() > kLimit) done_.erase(done_.begin());
    } else {
        done_.back().after = after;
    }
    undone_.clear();
    current_ = after.text;
}

std::optional<EditedText> TextFieldUndo::undo(const std::string& shown) {
    if (!matches(shown)) {
        clear();
        return std::nullopt;
    }
    if (done_.empty()) return std::nullopt;
    Change change = std::move(done_.back());
    done_.pop_back();
    // Redone, the change gives back what the field shows now (a binding may have kept another
    // text than the change left).
    if (change.after.text != shown) change.after = EditedText{shown, TextSelection::caret(shown.size())};
    EditedText text = change.before;
    undone_.push_back(std::move(change));
    current_ = text.text;
    return text;
}

std::optional<EditedText> TextFieldUndo::redo(const std::string& shown) {
    if (!matches(shown)) {
        clear();
        return std::nullopt;
    }
    if (undone_.empty()) return std::nullopt;
    Change change = std::move(undone_.back());
    undone_.pop_back();
    if (change.before.text != shown) change.before = EditedText{shown, TextSelection::caret(shown.size())};
    EditedText text = change.after;
    done_.push_back(std::move(change));
    current_ = text.text;
    return text;
}

}  // namespace tarnwick::platform::ui
