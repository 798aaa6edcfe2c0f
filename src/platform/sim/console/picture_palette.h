#pragma once

#include <string>

#include "platform/ui/color.h"

namespace tarnwick::sim {

// The colours the picture paints with. The simulated screen is drawn in the dark appearance, so a
// system colour that follows the appearance takes its dark value.

// A colour as the picture paints it: an SVG colour ("#rrggbb") and how opaque it is.
struct Paint {
    std::string colour;
    double opacity = 1;

    // `fill="..."`, with `fill-opacity` when it is not opaque (the SVG attributes of a shape).
    std::string fill() const;
};

// A colour the views hold: a system colour by its name (an unknown name paints as the label
// colour, so the text or shape still shows), or its sRGB components with alpha.
Paint paintOf(const platform::ui::Color& colour);

namespace palette {
// The system's accent, of default buttons, switches and selections.
inline constexpr const char* kAccent = "#0a84ff";
// Selected text in a field of the key window, behind the text.
inline constexpr const char* kTextSelection = "#3f638b";
// A selection in a window that is not key (unemphasized, as the system draws it in the background).
inline constexpr const char* kInactiveSelection = "#464646";
// The accent's place in a window that is not key: a switch that is on, a slider's track, a chosen
// segment and the default button lose their colour in the background.
inline constexpr const char* kInactiveAccent = "#6e6e73";
// A control's face (a push button's bezel, a pop-up, a stepper) and its outline.
inline constexpr const char* kControl = "#5a5a5e";
inline constexpr const char* kOutline = "#8e8e93";
// A text field's inside.
inline constexpr const char* kField = "#1c1c1e";
inline constexpr const char* kText = "#ffffff";
// Text that cannot be chosen now (a disabled menu row), and a placeholder.
inline constexpr const char* kDisabledText = "#8e8e93";
// The track of a switch that is off and of a slider, and a menu's separator.
inline constexpr const char* kTrack = "#636366";
// The face of a menu and of an alert.
inline constexpr const char* kMenuFace = "#2b2b2e";
}  // namespace palette

}  // namespace tarnwick::sim
