#pragma once

namespace tarnwick::platform {

// The text input system's composition for the text being typed in the key window: the accent of
// a dead key waits there for the key that composes with it. It belongs to the field being
// edited, so the field editor discards it when editing moves to another field or ends, and the
// window when it becomes or resigns key: the next key then types as if no dead key had been
// pressed.
class TextInputContext {
public:
    virtual ~TextInputContext() = default;
    virtual void discardMarkedText() = 0;
};

}  // namespace tarnwick::platform
