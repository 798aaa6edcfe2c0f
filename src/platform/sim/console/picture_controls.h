#pragma once

#include <optional>
#include <string>

#include "platform/sim/console/picture_palette.h"
#include "support/geometry.h"

namespace tarnwick::platform::ui {
struct ColorInSpace;
class ShapeContent;
class SliderContent;
}  // namespace tarnwick::platform::ui

namespace tarnwick::sim {

// How each kind of control is drawn, in global points (y down). Each shape carries what the
// control holds in data-value, so a test finds it as a person sees it.

// A switch on (in the accent) or off, its knob at that end.
std::string switchPicture(const Rect& frame, bool on, const Paint& accent);
// A slider's track, filled in the accent up to its knob.
std::string sliderPicture(const Rect& frame, const platform::ui::SliderContent& slider, const Paint& accent);
// A stepper's two halves with an arrow each, up over down; an arrow that cannot step further is
// grey.
std::string stepperPicture(const Rect& frame, double value, bool canIncrement, bool canDecrement);
// A pop-up button showing the chosen option, with the up and down chevrons at its trailing end.
std::string popUpPicture(const Rect& frame, const std::string& shown, double indicatorWidth, double padding);
// The one chevron of a pull-down menu, pointing down, in the area given.
std::string pullDownIndicatorPicture(const Rect& area);
// The chosen segment, option or row, behind its text.
std::string selectionPicture(const Rect& frame, const std::string& shown, const Paint& accent);
// Selected text in a text field being edited, behind the text (`text-selection`, what it
// selects in data-value): in the selection colour in the key window, grey in the background.
std::string textSelectionPicture(const Rect& frame, const std::string& selected, bool windowIsKey);
// The caret of the text field that has the keyboard in the key window (`caret`).
std::string caretPicture(const Rect& frame);
// A colour well: its swatch in the colour it holds (a pattern, which has no colour of its own, as
// an outline).
std::string colourWellPicture(const Rect& frame, const platform::ui::ColorInSpace& colour);

// A push button's bezel, behind its title (drawn by the caller): rounded in the control's face,
// or filled with the accent (a prominent or default button) as a capsule or a rounded rectangle.
enum class BezelLook { plain, accented };
std::string bezelPicture(const Rect& frame, const std::string& title, BezelLook look, const Paint& accent,
                         bool capsule = false, const std::string& cls = "button");
// A shape a view fills: a rectangle, rounded or a capsule, in its colour and opacity; nothing
// when it is fully transparent.
std::string shapePicture(const Rect& frame, const platform::ui::ShapeContent& shape);

}  // namespace tarnwick::sim
