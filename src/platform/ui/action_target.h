#pragma once

#include <string_view>

namespace tarnwick::platform::ui {

class MenuItem;

// Something a menu row or a key equivalent sends an action to, by the action's name ("copy:"):
// a row's own target, or a responder along the key window's chain (its first responder and that
// view's superviews) and then the application. By default it answers nothing.
class ActionTarget {
public:
    virtual ~ActionTarget() = default;
    virtual bool respondsToAction(std::string_view action) const {
        (void)action;
        return false;
    }
    // Performs an action it answers; `sender` is the row chosen (nothing: sent otherwise).
    virtual void performAction(std::string_view action, MenuItem* sender) {
        (void)action;
        (void)sender;
    }
    // Asked when a menu that enables its rows automatically opens (or matches a key equivalent),
    // for each row whose action it answers: whether the row is enabled.
    virtual bool validateMenuItem(const MenuItem& item) {
        (void)item;
        return true;
    }
};

}  // namespace tarnwick::platform::ui
