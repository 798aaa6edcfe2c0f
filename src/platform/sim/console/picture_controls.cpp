#include "platform/sim/console/picture_controls.h"

#include <algorithm>
#include <cmath>

#include "platform/sim/console/command_words.h"
#include "platform/sim/console/picture_shapes.h"
#include "platform/sim/console/screen_svg.h"
#include "platform/sim/console/screen_views.h"
#include "platform/ui/declarative/controls.h"

namespace tarnwick::sim {

namespace ui = platform::ui;

namespace {

std::string valueAttribute(const std::string& value) { return "data-value=\"" + xmlEscaped(value) + "\" "; }

std::string point(double x, double y) { return svgNumber(x) + " " + svgNumber(y); }

// A chevron's two strokes through three points.
std::string chevron(double left, double tipX, double right, double endsY, double tipY) {
    return "<path class=\"chevron-stroke\" d=\"M " + point(left, endsY) + " L " + point(tipX, tipY) + " L " +
           point(right, endsY) + "\" fill=\"none\" stroke=\"" + palette::kText +
           "\" stroke-width=\"1.5\" stroke-linecap=\"round\" stroke-linejoin=\"round\"/>\n";
}

// A small filled triangle pointing up or down, centred on the point.
std::string arrow(double x, double y, bool up, bool enabled) {
    const double tip = up ? y - 2.5 : y + 2.5, base = up ? y + 2 : y - 2;
    return std::string("<path class=\"stepper-arrow\" data-direction=\"") + (up ? "up" : "down") + "\" d=\"M " +
           point(x - 3.5, base) + " L " + point(x + 3.5, base) + " L " + point(x, tip) + " Z\" fill=\"" +
           (enabled ? palette::kText : palette::kOutline) + "\"/>\n";
}

}  // namespace

std::string switchPicture(const Rect& frame, bool on, const Paint& accent) {
    if (!frame.isUsable()) return {};
    const double radius = frame.height() / 2;
    const double knobX = on ? frame.maxX() - radius : frame.minX() + radius;
    const std::string fill = on ? accent.fill() : std::string("fill=\"") + palette::kTrack + "\"";
    return svgRect(frame, "switch", valueAttribute(on ? "on" : "off") + svgRounded(radius) + fill) +
           "<circle class=\"switch-knob\" cx=\"" + svgNumber(knobX) + "\" cy=\"" + svgNumber(frame.midY()) +
           "\" r=\"" + svgNumber(std::max(radius - 2, 1.0)) + "\" fill=\"#ffffff\"/>\n";
}

std::string sliderPicture(const Rect& frame, const ui::SliderContent& slider, const Paint& accent) {
    if (!frame.isUsable()) return {};
    const double span = slider.upper - slider.lower;
    const double fraction = span > 0 ? std::clamp((slider.value() - slider.lower) / span, 0.0, 1.0) : 0;
    const double radius = std::max(frame.height() / 2 - 2, 1.0);
    const double knobX = frame.minX() + radius + fraction * std::max(frame.width() - 2 * radius, 0.0);
    const Rect track(frame.minX(), frame.midY() - 2, frame.width(), 4);
    return svgRect(track, "slider", valueAttribute(formatNumber(slider.value())) + svgRounded(2) + "fill=\"" + palette::kTrack + "\"") +
           svgRect(Rect(track.minX(), track.minY(), knobX - track.minX(), 4), "slider-fill", svgRounded(2) + accent.fill()) +
           "<circle class=\"slider-knob\" cx=\"" + svgNumber(knobX) + "\" cy=\"" + svgNumber(frame.midY()) + "\" r=\"" +
           svgNumber(radius) + "\" fill=\"#ffffff\"/>\n";
}

std::string stepperPicture(const Rect& frame, double value, bool canIncrement, bool canDecrement) {
    if (!frame.isUsable()) return {};
    return svgRect(frame, "stepper", valueAttribute(formatNumber(value)) + svgRounded(5) + "fill=\"" + palette::kControl +
                                         "\" stroke=\"" + palette::kOutline + "\"") +
           "<line class=\"stepper-divider\" x1=\"" + svgNumber(frame.minX()) + "\" y1=\"" + svgNumber(frame.midY()) +
           "\" x2=\"" + svgNumber(frame.maxX()) + "\" y2=\"" + svgNumber(frame.midY()) + "\" stroke=\"" +
           palette::kOutline + "\"/>\n" + arrow(frame.midX(), frame.minY() + frame.height() / 4, true, canIncrement) +
           arrow(frame.midX(), frame.maxY() - frame.height() / 4, false, canDecrement);
}

std::string popUpPicture(const Rect& frame, const std::string& shown, double indicatorWidth, double padding) {
    if (!frame.isUsable()) return {};
    // The chevrons stand in the middle of the room the layout leaves after the title, clear of it.
    const double trailing = std::max(frame.maxX() - padding - indicatorWidth, frame.minX());
    const double middle = (trailing + frame.maxX()) / 2, y = frame.midY();
    const double half = std::min(indicatorWidth / 2 - 2, (frame.maxX() - trailing) / 2);
    return svgRect(frame, "picker", valueAttribute(shown) + svgRounded(5) + "fill=\"" + palette::kControl +
                                        "\" stroke=\"" + palette::kOutline + "\"") +
           "<g class=\"chevron\" data-chevron=\"up-down\">\n" +
           chevron(middle - half, middle, middle + half, y - 1.5, y - 5) +
           chevron(middle - half, middle, middle + half, y + 1.5, y + 5) + "</g>\n";
}

std::string pullDownIndicatorPicture(const Rect& area) {
    if (!area.isUsable()) return {};
    const double y = area.midY();
    return "<g class=\"chevron\" data-chevron=\"down\">\n" +
           chevron(area.minX() + 1, area.midX(), area.maxX() - 1, y - 2, y + 2) + "</g>\n";
}

std::string selectionPicture(const Rect& frame, const std::string& shown, const Paint& accent) {
    if (!frame.isUsable()) return {};
    return svgRect(frame, "selection", valueAttribute(shown) + svgRounded(5) + accent.fill());
}

std::string textSelectionPicture(const Rect& frame, const std::string& selected, bool windowIsKey) {
    if (!frame.isUsable()) return {};
    return svgRect(frame, "text-selection",
                   valueAttribute(selected) + "fill=\"" +
                       (windowIsKey ? palette::kTextSelection : palette::kInactiveSelection) + "\"");
}

std::string caretPicture(const Rect& frame) {
    if (!frame.isUsable()) return {};
    return svgRect(frame, "caret", std::string("fill=\"") + palette::kText + "\"");
}

std::string colourWellPicture(const Rect& frame, const ui::ColorInSpace& colour) {
    if (!frame.isUsable()) return {};
    const auto shown = colour.convertedToSRGB();
    std::string out = svgRect(frame, "color-well-frame",
                              svgRounded(5) + "fill=\"" + palette::kControl + "\" stroke=\"" + palette::kOutline + "\"");
    const Rect swatch(frame.minX() + 4, frame.minY() + 4, std::max(frame.width() - 8, 1.0),
                      std::max(frame.height() - 8, 1.0));
    if (!shown)
        return out + svgRect(swatch, "color-well", valueAttribute("pattern " + colour.patternName) + svgRounded(3) +
                                                       "fill=\"none\" stroke=\"" + palette::kOutline + "\"");
    // The fill takes the colour without its alpha, the opacity the alpha (within 0...1, as shown).
    const std::string hex = colourText(colour).value_or("");
    return out + svgRect(swatch, "color-well", valueAttribute(hex) + svgRounded(3) + "fill=\"" + hex.substr(0, 7) +
                                                   "\" fill-opacity=\"" + svgNumber(shown->alpha) + "\"");
}

std::string bezelPicture(const Rect& frame, const std::string& title, BezelLook look, const Paint& accent,
                         bool capsule, const std::string& cls) {
    if (!frame.isUsable()) return {};
    const double radius = capsule ? std::min(frame.width(), frame.height()) / 2 : 5;
    const std::string face = look == BezelLook::accented
                                 ? accent.fill()
                                 : std::string("fill=\"") + palette::kControl + "\" stroke=\"" + palette::kOutline +
                                       "\" stroke-opacity=\"0.5\"";
    return svgRect(frame, cls,
                   valueAttribute(title) + (look == BezelLook::accented ? "data-look=\"accented\" " : "") +
                       svgRounded(radius) + face);
}

std::string shapePicture(const Rect& frame, const ui::ShapeContent& shape) {
    if (!frame.isUsable()) return {};
    Paint paint = paintOf(shape.fill);
    paint.opacity *= std::isfinite(shape.fillOpacity) ? std::clamp(shape.fillOpacity, 0.0, 1.0) : 0.0;
    if (!(paint.opacity > 0)) return {};
    double radius = 0;
    const char* kind = "rectangle";
    if (shape.shape == ui::ShapeKind::capsule) {
        radius = std::min(frame.width(), frame.height()) / 2;
        kind = "capsule";
    } else if (shape.shape == ui::ShapeKind::roundedRectangle) {
        radius = std::isfinite(shape.cornerRadius) ? std::clamp(shape.cornerRadius, 0.0, frame.height() / 2) : 0.0;
        kind = "rounded-rectangle";
    }
    return svgRect(frame, "shape", std::string("data-shape=\"") + kind + "\" " + svgRounded(radius) + paint.fill());
}

}  // namespace tarnwick::sim
