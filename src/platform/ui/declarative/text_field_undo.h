#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/declarative/text_field_selection.h"

namespace tarnwick::platform::ui {

// The undo history of one text field: each change as the text and selection before it and after
// it. A change is a run of edits the host groups (a run of typing is one); the host says where
// each run begins. The history remembers the text the field showed after its last change, and
// drops itself when the field shows something else: the app changed the text since, and
// restoring an older text over it would lose that change.
class TextFieldUndo {
public:
    // An edit took the field from `before` to `after` (its text as the field shows it now). A
    // new run is a change of its own; otherwise the edit joins the change of the run before it.
    // Every edit empties the redo side. An edit that changed no text records nothing.
    void record(const EditedText& before, const EditedText& after, bool startsRun);

    bool canUndo(const std::string& shown) const { return matches(shown) && !done_.empty(); }
    bool canRedo(const std::string& shown) const { return matches(shown) && !undone_.empty(); }
    // The text and selection that undo the last change (as they were before it), or redo the
    // last change undone (as it left them), the field showing `shown`; nothing when there is none
    // or the history no longer matches the field (it is dropped then). The caller sets it and
    // reports what the field shows after with `settled`.
    std::optional<EditedText> undo(const std::string& shown);
    std::optional<EditedText> redo(const std::string& shown);
    // What the field shows after an undo or redo was set (a binding may keep another text).
    void settled(const std::string& shown) { current_ = shown; }

    std::size_t undoCount() const { return done_.size(); }

    // Changes kept; the oldest go first.
    static constexpr std::size_t kLimit = 100;

private:
    struct Change {
        EditedText before;
        EditedText after;
    };
    bool matches(const std::string& shown) const { return current_ && *current_ == shown; }
    void clear();

    std::vector<Change> done_;    // oldest first
    std::vector<Change> undone_;  // latest undone last
    std::optional<std::string> current_;
};

}  // namespace tarnwick::platform::ui
