#pragma once

namespace tarnwick {

// Whether the shortcut's keys are held, so that key repeat while holding does not run the
// action again.
struct ShortcutPressState {
    bool down = false;

    // True for the first press of a hold.
    bool pressed() {
        if (down) return false;
        down = true;
        return true;
    }
    void released() { down = false; }
    void reset() { down = false; }
};

}  // namespace tarnwick
