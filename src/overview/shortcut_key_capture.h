#pragma once

#include "model/global_overview_shortcut.h"
#include "model/overview_shortcut.h"
#include "platform/key_event.h"

namespace tarnwick {

// How the shortcut recorder answers a key that reaches it, as a key-down or as a key equivalent
// (combinations with Command arrive as key equivalents, so both entry points ask here). Every
// answer but `passOn` consumes the key.
struct ShortcutKeyCapture {
    enum class Kind {
        passOn,   // not recording, or the recorder does not hold key focus: the key travels on
        swallow,  // a repeat of a held key, which never decides twice
        cancel,   // Escape with no modifier at all
        clear,    // Delete or Forward Delete with no modifier at all: the shortcut is turned off
        record,   // a valid combination becomes the shortcut
        refuse,   // anything else: the recording goes on with an error under the control
    };

    Kind kind = Kind::passOn;
    // What the key makes, with Caps Lock, Function and numeric-pad flags dropped (not set for
    // passOn and swallow).
    OverviewShortcut candidate;

    bool consumed() const { return kind != Kind::passOn; }

    // `holdsKeyFocus`: the recorder is in a window whose first responder it is.
    static ShortcutKeyCapture decide(bool recording, bool holdsKeyFocus, const platform::KeyEvent& event);

    // Decides and carries the decision out on the shortcut; returns whether the key was consumed.
    // A null shortcut (gone) consumes nothing.
    static bool capture(GlobalOverviewShortcut* shortcut, bool holdsKeyFocus, const platform::KeyEvent& event);

    friend bool operator==(const ShortcutKeyCapture&, const ShortcutKeyCapture&) = default;
};

}  // namespace tarnwick
