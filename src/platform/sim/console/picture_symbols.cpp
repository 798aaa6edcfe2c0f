#include "platform/sim/console/picture_symbols.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <string_view>
#include <utility>

#include "platform/sim/console/picture_shapes.h"
#include "platform/sim/console/screen_svg.h"

namespace tarnwick::sim {

namespace {

// What a glyph is drawn with: a square of the frame's middle, in units of its side, and the
// attributes of its lines and of its filled parts.
struct Pen {
    double x = 0, y = 0, side = 0;
    std::string colour;
    double strokeWidth = 1;

    // Lines in the colour, no fill; or filled with the colour, no line.
    std::string stroke() const {
        return "fill=\"none\" stroke=\"" + colour + "\" stroke-width=\"" + svgNumber(strokeWidth) +
               "\" stroke-linejoin=\"round\" stroke-linecap=\"round\"";
    }
    std::string solid() const { return "fill=\"" + colour + "\""; }

    Point at(double u, double v) const { return Point{x + u * side, y + v * side}; }
    std::string point(double u, double v) const {
        const Point p = at(u, v);
        return svgNumber(p.x) + " " + svgNumber(p.y);
    }
    std::string length(double units) const { return svgNumber(units * side); }

    // A path through points, closed when asked.
    std::string polyline(std::initializer_list<std::pair<double, double>> points, bool closed, bool filled = false) const {
        std::string d;
        for (const auto& [u, v] : points) d += (d.empty() ? "M " : " L ") + point(u, v);
        return path(d + (closed ? " Z" : ""), filled);
    }
    std::string path(const std::string& d, bool filled = false) const {
        return "<path class=\"symbol-shape\" d=\"" + d + "\" " + (filled ? solid() : stroke()) + "/>\n";
    }
    std::string circle(double u, double v, double radius, bool filled = false) const {
        const Point c = at(u, v);
        return "<circle class=\"symbol-shape\" cx=\"" + svgNumber(c.x) + "\" cy=\"" + svgNumber(c.y) + "\" r=\"" +
               length(radius) + "\" " + (filled ? solid() : stroke()) + "/>\n";
    }
    std::string box(double u, double v, double width, double height, double radius, bool filled = false) const {
        const Point origin = at(u, v);
        return svgRect(Rect(origin.x, origin.y, width * side, height * side), "symbol-shape",
                       "rx=\"" + length(radius) + "\" " + (filled ? solid() : stroke()));
    }
};

// A tag with its pointed end up and to the left, and the hole a string goes through.
std::string tag(const Pen& pen) {
    // Drawn pointing left, then turned an eighth of a turn clockwise about the middle.
    const double turn = std::acos(-1.0) / 4;
    const auto turned = [&](double u, double v) {
        const double du = u - 0.5, dv = v - 0.5;
        return std::pair{0.5 + du * std::cos(turn) - dv * std::sin(turn), 0.5 + du * std::sin(turn) + dv * std::cos(turn)};
    };
    std::string d;
    for (const auto& [u, v] : {std::pair{0.08, 0.5}, {0.36, 0.27}, {0.92, 0.27}, {0.92, 0.73}, {0.36, 0.73}}) {
        const auto [tu, tv] = turned(u, v);
        d += (d.empty() ? "M " : " L ") + pen.point(tu, tv);
    }
    const auto [hu, hv] = turned(0.27, 0.5);
    return pen.path(d + " Z") + pen.circle(hu, hv, 0.06);
}

// A window with its sidebar's edge a third of the way in.
std::string sidebarLeft(const Pen& pen) {
    return pen.box(0, 0.15, 1, 0.7, 0.2) + pen.polyline({{0.4, 0.15}, {0.4, 0.85}}, false);
}

// A ring with eight teeth and a hub.
std::string gear(const Pen& pen) {
    std::string out = pen.circle(0.5, 0.5, 0.29) + pen.circle(0.5, 0.5, 0.1);
    for (int tooth = 0; tooth < 8; ++tooth) {
        const double angle = std::acos(-1.0) / 4 * tooth;
        const double c = std::cos(angle), s = std::sin(angle);
        out += pen.polyline({{0.5 + 0.29 * c, 0.5 + 0.29 * s}, {0.5 + 0.45 * c, 0.5 + 0.45 * s}}, false);
    }
    return out;
}

// A tall rectangle beside two small ones stacked.
std::string threeRectangles(const Pen& pen) {
    return pen.box(0.04, 0.18, 0.5, 0.64, 0.08) + pen.box(0.62, 0.18, 0.34, 0.28, 0.06) +
           pen.box(0.62, 0.54, 0.34, 0.28, 0.06);
}

// A window whose bottom third is a filled strip (the banner's place).
std::string bottomThird(const Pen& pen) {
    return pen.box(0.04, 0.14, 0.92, 0.72, 0.12) + pen.box(0.16, 0.6, 0.68, 0.14, 0.04, true);
}

// A shield with a padlock on it.
std::string lockShield(const Pen& pen) {
    const std::string shield = "M " + pen.point(0.5, 0.05) + " L " + pen.point(0.88, 0.19) + " L " +
                               pen.point(0.88, 0.5) + " Q " + pen.point(0.88, 0.8) + " " + pen.point(0.5, 0.96) +
                               " Q " + pen.point(0.12, 0.8) + " " + pen.point(0.12, 0.5) + " L " + pen.point(0.12, 0.19) +
                               " Z";
    const std::string shackle = "M " + pen.point(0.41, 0.48) + " L " + pen.point(0.41, 0.4) + " A " + pen.length(0.09) +
                                " " + pen.length(0.09) + " 0 0 1 " + pen.point(0.59, 0.4) + " L " + pen.point(0.59, 0.48);
    return pen.path(shield) + pen.path(shackle) + pen.box(0.34, 0.47, 0.32, 0.22, 0.04, true);
}

// A screen over a keyboard's flat base.
std::string laptop(const Pen& pen) {
    return pen.box(0.17, 0.2, 0.66, 0.46, 0.05) +
           pen.polyline({{0.03, 0.75}, {0.97, 0.75}, {0.92, 0.83}, {0.08, 0.83}}, true, true);
}

// A screen on a stand.
std::string display(const Pen& pen) {
    return pen.box(0.06, 0.14, 0.88, 0.56, 0.06) + pen.polyline({{0.5, 0.7}, {0.5, 0.85}}, false) +
           pen.polyline({{0.3, 0.86}, {0.7, 0.86}}, false);
}

std::string checkmark(const Pen& pen) { return pen.polyline({{0.3, 0.52}, {0.44, 0.66}, {0.71, 0.36}}, false); }

std::string checkmarkCircle(const Pen& pen) { return pen.circle(0.5, 0.5, 0.42) + checkmark(pen); }

// A disc in the colour with the checkmark cut out of it, showing white.
std::string checkmarkCircleFill(const Pen& pen) {
    Pen cut = pen;
    cut.colour = "#ffffff";
    return pen.circle(0.5, 0.5, 0.46, true) + checkmark(cut);
}

std::string exclamationCircle(const Pen& pen) {
    return pen.circle(0.5, 0.5, 0.42) + pen.polyline({{0.5, 0.26}, {0.5, 0.56}}, false) + pen.circle(0.5, 0.71, 0.05, true);
}

// A chevron pointing right, drawn heavier than the line glyphs since it is small (a menu row's
// submenu arrow).
std::string chevronRight(const Pen& pen) {
    Pen bold = pen;
    bold.strokeWidth = pen.strokeWidth * 1.6;
    return bold.polyline({{0.34, 0.14}, {0.7, 0.5}, {0.34, 0.86}}, false);
}

std::string roundedSquare(const Pen& pen) { return pen.box(0.1, 0.1, 0.8, 0.8, 0.2); }

struct Glyph {
    std::string_view name;
    std::string (*draw)(const Pen&);
};

// One glyph per symbol the app's views and menus show.
constexpr Glyph kGlyphs[] = {
    {"tag", tag},
    {"sidebar.left", sidebarLeft},
    {"gearshape", gear},
    {"rectangle.3.group", threeRectangles},
    {"rectangle.bottomthird.inset.filled", bottomThird},
    {"lock.shield", lockShield},
    {"laptopcomputer", laptop},
    {"display", display},
    {"checkmark", checkmark},
    {"checkmark.circle", checkmarkCircle},
    {"checkmark.circle.fill", checkmarkCircleFill},
    {"exclamationmark.circle", exclamationCircle},
    {"chevron.right", chevronRight},
};

const Glyph* glyphNamed(const std::string& name) {
    for (const auto& glyph : kGlyphs)
        if (glyph.name == name) return &glyph;
    return nullptr;
}

}  // namespace

std::string symbolPicture(const Rect& frame, const std::string& name, const std::string& colour) {
    if (!frame.isUsable()) return {};
    const double side = std::min(frame.width(), frame.height()) * 0.85;
    const Pen pen{frame.midX() - side / 2, frame.midY() - side / 2, side, colour, std::max(1.0, side * 0.09)};
    const Glyph* glyph = glyphNamed(name);
    return "<g class=\"symbol\" data-symbol=\"" + xmlEscaped(name) + "\">\n" +
           (glyph ? glyph->draw(pen) : roundedSquare(pen)) + "</g>\n";
}

}  // namespace tarnwick::sim
