#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::platform::ui {

// The undo history of one text field: the text before each change, and after each change undone.
// A change is a run of edits the host groups (a run of typing is one); the host says where each
// run begins. The history remembers the text the field showed after its last change, and drops
// itself when the field shows something else: the app changed the text since, and restoring an
// older text over it would lose that change.
class TextFieldUndo {
public:
    // An edit took the field's text from `before` to `after` (as the field shows it now). A new
    // run is a change of its own; otherwise the edit joins the change of the run before it.
    // Every edit empties the redo side. An edit that changed nothing records nothing.
    void record(const std::string& before, const std::string& after, bool startsRun);

    bool canUndo(const std::string& shown) const { return matches(shown) && !undo_.empty(); }
    bool canRedo(const std::string& shown) const { return matches(shown) && !redo_.empty(); }
    // The text that undoes (redoes) the last change, the field showing `shown`; nothing when
    // there is none or the history no longer matches the field (it is dropped then). The caller
    // sets it and reports what the field shows after with `settled`.
    std::optional<std::string> undo(const std::string& shown) { return step(undo_, redo_, shown); }
    std::optional<std::string> redo(const std::string& shown) { return step(redo_, undo_, shown); }
    // What the field shows after an undo or redo was set (a binding may keep another text).
    void settled(const std::string& shown) { current_ = shown; }

    std::size_t undoCount() const { return undo_.size(); }

    // Changes kept; the oldest go first.
    static constexpr std::size_t kLimit = 100;

private:
    bool matches(const std::string& shown) const { return current_ && *current_ == shown; }
    void clear();
    // Takes the latest text off `from`, keeping the text shown on `to`.
    std::optional<std::string> step(std::vector<std::string>& from, std::vector<std::string>& to,
                                    const std::string& shown);

    std::vector<std::string> undo_;  // the text before each change, oldest first
    std::vector<std::string> redo_;  // the text after each change undone, latest undone last
    std::optional<std::string> current_;
};

}  // namespace tarnwick::platform::ui
