#pragma once

#include <cstdint>
#include <string>

#include "platform/event_modifier_flags.h"

namespace tarnwick {

// The global shortcut of the Workstation Overview: a virtual key code (layout independent; 13 is
// the key in the ANSI "W" position) and hot-key modifier bits (command 0x100, shift 0x200,
// option 0x800, control 0x1000).
struct OverviewShortcut {
    std::uint32_t keyCode = 0;
    std::uint32_t modifiers = 0;

    // Control-Option-Command-W.
    static const OverviewShortcut defaultShortcut;
    // Control, option, shift and command: the only bits a valid shortcut may carry.
    static constexpr std::uint32_t modifierMask = 0x1B00;

    // A key that is not itself a modifier, no foreign modifier bits, and control or command
    // (shift and option alone would swallow ordinary typing).
    bool isValid() const;

    // The shortcut of a key event, unvalidated: caps lock, function, numeric pad, help and
    // device-dependent flags are dropped.
    static OverviewShortcut recorded(std::uint16_t keyCode, platform::ModifierFlags flags);
    // The key-event modifier flags of the shortcut's modifiers (a menu item's modifier mask).
    platform::ModifierFlags eventModifiers() const;

    // Modifier glyphs in the order ⌃⌥⇧⌘, then the key name upper-cased; no separators.
    std::string displayName() const;
    // The key's name: a fixed glyph or function-key name, else what the current keyboard layout
    // types on it, else "Key " and the key code.
    std::string keyName() const;
    // A menu item's key equivalent; empty: none.
    std::string menuEquivalent() const;

    friend bool operator==(const OverviewShortcut&, const OverviewShortcut&) = default;
};

inline constexpr OverviewShortcut OverviewShortcut::defaultShortcut{13, 0x1900};

}  // namespace tarnwick
