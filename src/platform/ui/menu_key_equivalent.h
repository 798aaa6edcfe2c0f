#pragma once

#include <string>
#include <string_view>

#include "platform/event_modifier_flags.h"

namespace tarnwick::platform::ui {

// The modifiers a row's key equivalent is typed with: those of its mask among Control, Option,
// Shift and Command, and Shift for an equivalent that is an upper-case letter, as a Mac reads it.
ModifierFlags keyEquivalentModifiers(std::string_view keyEquivalent, ModifierFlags mask);

// The key equivalent as a menu shows it beside its row: the modifier glyphs in the order ⌃ ⌥ ⇧ ⌘,
// then the key, a letter in upper case and a named key as its glyph (↩ ⇥ ⌫ ⎋ ⌦ and the arrows,
// "F5" for a function key, "Space"). Empty when there is none, and for a character no menu can
// draw (a control character or a function-key code without a name).
std::string keyEquivalentGlyphs(std::string_view keyEquivalent, ModifierFlags mask);

}  // namespace tarnwick::platform::ui
