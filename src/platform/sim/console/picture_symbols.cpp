#include "platform/sim/console/picture_symbols.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <utility>

#include "platform/sim/console/picture_shapes.h"
#include "platform/sim/console/screen_svg.h"

namespace tarnwick::sim {

namespace {

// A square of the frame's middle that glyphs are drawn in, in units of its side.
struct GlyphBox {
    double x = 0, y = 0, side = 0;

    Point at(double u, double v) const { return Point{x + u * side, y + v * side}; }
};

std::string pointText(Point p) { return svgNumber(p.x) + " " + svgNumber(p.y); }

// A tag with its pointed end up and to the left, and the hole a string goes through.
std::string tagGlyph(const GlyphBox& box, const std::string& stroke) {
    // Drawn pointing left, then turned an eighth of a turn clockwise about the middle.
    const double turn = std::acos(-1.0) / 4;
    const auto turned = [&](double u, double v) {
        const double du = u - 0.5, dv = v - 0.5;
        return box.at(0.5 + du * std::cos(turn) - dv * std::sin(turn), 0.5 + du * std::sin(turn) + dv * std::cos(turn));
    };
    std::string path = "M " + pointText(turned(0.08, 0.5));
    for (const auto& [u, v] : {std::pair{0.36, 0.27}, {0.92, 0.27}, {0.92, 0.73}, {0.36, 0.73}})
        path += " L " + pointText(turned(u, v));
    const Point hole = turned(0.27, 0.5);
    return "<path class=\"symbol-shape\" d=\"" + path + " Z\" " + stroke + "/>\n" +
           "<circle class=\"symbol-shape\" cx=\"" + svgNumber(hole.x) + "\" cy=\"" + svgNumber(hole.y) + "\" r=\"" +
           svgNumber(box.side * 0.06) + "\" " + stroke + "/>\n";
}

}  // namespace

std::string symbolPicture(const Rect& frame, const std::string& name, const std::string& colour) {
    if (!frame.isUsable()) return {};
    const double side = std::min(frame.width(), frame.height()) * 0.85;
    const GlyphBox box{frame.midX() - side / 2, frame.midY() - side / 2, side};
    const std::string stroke = "fill=\"none\" stroke=\"" + colour + "\" stroke-width=\"" +
                               svgNumber(std::max(1.0, side * 0.09)) + "\" stroke-linejoin=\"round\"";
    std::string out = "<g class=\"symbol\" data-symbol=\"" + xmlEscaped(name) + "\">\n";
    const std::string rounding = "rx=\"" + svgNumber(side * 0.2) + "\" ";
    if (name == "tag") {
        out += tagGlyph(box, stroke);
    } else if (name == "sidebar.left") {
        // A window with its sidebar's edge a third of the way in.
        const Point top = box.at(0.4, 0.15), bottom = box.at(0.4, 0.85);
        out += svgRect(Rect(box.x, box.y + side * 0.15, side, side * 0.7), "symbol-shape", rounding + stroke);
        out += "<line class=\"symbol-shape\" x1=\"" + svgNumber(top.x) + "\" y1=\"" + svgNumber(top.y) + "\" x2=\"" +
               svgNumber(bottom.x) + "\" y2=\"" + svgNumber(bottom.y) + "\" " + stroke + "/>\n";
    } else {
        out += svgRect(Rect(box.x + side * 0.1, box.y + side * 0.1, side * 0.8, side * 0.8), "symbol-shape",
                       rounding + stroke);
    }
    return out + "</g>\n";
}

}  // namespace tarnwick::sim
