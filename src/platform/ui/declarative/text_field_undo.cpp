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

std::optional<std::string> TextFieldUndo::step(std::vector<std::string>& from, std::vector<std::string>& to,
                                               const std::string& shown) {
    if (!matches(shown)) {
        clear();
        return std::nullopt;
    }
    if (from.empty()) return std::nullopt;
    std::string text = std::move(from.back());
    from.pop_back();
    to.push_back(shown);
    current_ = text;
    return text;
}

}  // namespace tarnwick::platform::ui
