#pragma once

#include <string>

#include "support/geometry.h"

namespace tarnwick::platform::ui {
class Panel;
}

namespace tarnwick::sim {

class PictureClips;
struct GlobalSpace;

// What the system draws around a window of ours, in global points (y down).

// How round the window's corners are, as its kind has them: a titled window's are the system's
// (kTitledWindowCornerRadius), or its glass's where the glass that fills it is rounded; a window
// without a title bar is the shape of what fills it (its glass, or a content view that masks to
// its rounded bounds), square otherwise.
inline constexpr double kTitledWindowCornerRadius = 10;
double windowCornerRadius(const platform::ui::Panel& panel);

// A titled window's title bar, over what the window shows: its bar (none when transparent, as our
// glass windows have), its close, minimise and zoom buttons at the leading end (each marked
// `window-button` with `data-button`; one the window's style does not allow is grey, in a group
// of class "disabled", and all three are grey while the window is not key), and its title centred
// between the buttons and as much room at the trailing end, cut short to fit, dimmer while the
// window is not key. Nothing for a window without a title bar.
std::string titleBarPicture(const platform::ui::Panel& panel, bool key, const GlobalSpace& space, PictureClips& clips);

// A hairline along the window's edge, just inside its frame and rounded as its corners are, so
// that windows of glass that overlap stay apart.
std::string windowEdgePicture(const Rect& frame, double cornerRadius);

}  // namespace tarnwick::sim
