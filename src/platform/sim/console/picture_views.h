#pragma once

#include <optional>
#include <string>

#include "support/geometry.h"

namespace tarnwick::platform::ui {
class Panel;
}

namespace tarnwick::sim {

class PictureClips;
class SimulatedSession;
struct GlobalSpace;

// What a window of ours shows, drawn back to front in global points: its glass as an opaque
// backdrop (glass blurs what lies behind it, so nothing behind reads through), its texts laid out
// in their frames as their views lay them out and in their colours, each app icon as a rounded
// square of its size with the app's initial, each symbol as its glyph, the shapes views fill,
// and each control as its kind with what it holds (a push button's bezel, a switch on or off, a
// slider's knob, a stepper's arrows, a pop-up's chevrons, the chosen option of a picker or list),
// the value in the shape's data-value. A disabled control is dimmed with its label. What a view
// that masks to its bounds holds is clipped to its rounded frame. While the window is key, the
// text field holding the keyboard focus shows its focus ring; while it is not, a list's selected
// row is grey instead of the accent, as the system draws a window in the background.
std::string windowContentPicture(SimulatedSession& session, platform::ui::Panel& panel, bool key,
                                 const GlobalSpace& space, PictureClips& clips);

// An app icon at its frame (global points): a rounded square in a colour of the app's own with
// the app's initial, its name in data-app and the system symbol an image shows in data-symbol.
std::string iconPicture(const Rect& frame, const std::string& name, const std::optional<std::string>& symbol);

}  // namespace tarnwick::sim
