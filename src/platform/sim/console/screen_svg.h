#pragma once

#include <filesystem>
#include <string>

namespace tarnwick::platform {
class Alert;
}

namespace tarnwick::sim {

class SimulatedSession;

// The simulated screen as an SVG picture, so a person can look at the overlays, the banner and
// the overview instead of reading about them. One user unit per point in global coordinates
// (origin at the top left of the main display, y down, so the picture stands upright; panels'
// screen coordinates are flipped into it); the view box is the union of the displays. Each
// display is a rectangle at its frame with its name and current desktop; while Mission Control
// is open, its captions at their rectangles; the status item; then every visible window and panel
// of ours at its frame with the corners of its kind and what it shows (picture_views.h), a titled
// window's title bar with the buttons its style allows and its title, and a hairline along its
// edge (picture_window.h), alpha as opacity, back to front; an open menu (with the submenu the
// pointer opens) and the open alert last. Texts are
// XML-escaped. The same screen gives the same bytes.
std::string screenSvg(SimulatedSession& session, const platform::Alert* openAlert);

// Writes the picture atomically (a temporary file renamed over the target, through a link to the
// file it leads to). Throws Error with a sentence when it cannot: what is there when the target is
// no regular file (a name ending in "/" that names a folder included), else why the write failed
// where that can be told (no space, a name too long, a folder missing or read-only...); nothing is
// left behind then.
void writeScreenSvg(SimulatedSession& session, const platform::Alert* openAlert, const std::filesystem::path& file);

// Text for XML character data and attribute values: &, <, >, " and ' escaped; every character
// XML 1.0 cannot hold (control characters, U+FFFE, U+FFFF, surrogates) and every ill-formed
// UTF-8 sequence becomes U+FFFD, so the picture always parses. Only the picture changes: the
// text itself stays as it was typed.
std::string xmlEscaped(std::string_view text);

}  // namespace tarnwick::sim
