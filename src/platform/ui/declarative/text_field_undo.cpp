#include "platform/ui/declarative/text_field_undo.h"

#include <utility>

namespace tarnwick::platform::ui {

void TextFieldUndo::clear() {
    undo_.clear();
    redo_.clear();
    current_.reset();
}

void TextFieldUndo::record(const std::string& before, const std::string& after, bool startsRun) {
    if (before == after) return;
    // Changed from outside since the last change: the older texts no longer lead here.
    if (current_ && *current_ != before) clear();
    if (startsRun || undo_.empty()) {
        undo_.push_back(before);
        if (undo_.size() > kLimit) undo_.erase(undo_.begin());
    }
    redo_.clear();
    current_ = after;
}

std::optional<std::string> TextFieldUndo::undo(const std::string& shown) {
    if (!matches(shown)) {
        clear();
        return std::nullopt;
    }
    if (undo_.empty()) return std::nullopt;
    std::string text = std::move(undo_.back());
    undo_.pop_back();
    redo_.push_back(shown);
    current_ = text;
    return text;
}

std::optional<std::string> TextFieldUndo::redo(const std::string& shown) {
    if (!matches(shown)) {
        clear();
        return std::nullopt;
    }
    if (redo_.empty()) return std::nullopt;
    std::string text = std::move(redo_.back());
    redo_.pop_back();
    undo_.push_back(shown);
    current_ = text;
    return text;
}

}  // namespace tarnwick::platform::ui
