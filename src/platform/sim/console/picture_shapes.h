#pragma once

#include <string>
#include <string_view>

#include "support/geometry.h"

namespace tarnwick::sim {

// The pieces the picture of the screen is drawn with, in global points (y down).

// A number as the picture writes it: as the console does, and 0 for what is no finite number, which
// SVG cannot hold.
std::string svgNumber(double value);
// Rounded corners of this radius, as an attribute followed by a space.
std::string svgRounded(double radius);
// A rectangle with a class and the rest of its attributes as given ("fill=\"...\" ...").
std::string svgRect(const Rect& frame, const std::string& cls, const std::string& style);
// A text with its baseline's left end at the point.
std::string svgText(double x, double y, double size, const std::string& cls, std::string_view content,
                    const std::string& fill = "#ffffff");
// What is drawn, in a group drawn this opaque ("disabled" when it is dimmed as a disabled control
// is); as it is when opaque or empty.
std::string svgOpacityGroup(std::string drawing, double opacity, bool disabled = false);
// The ring around the field that holds the keyboard focus: a band in the accent just outside its
// frame, rounded as the field is.
std::string focusRingPicture(const Rect& field, double fieldCornerRadius);
// A text at its frame: starting at the left edge, its baseline a quarter from the bottom.
std::string svgPlacedText(const Rect& frame, const std::string& cls, std::string_view content);

}  // namespace tarnwick::sim
