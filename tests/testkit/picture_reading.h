#pragma once

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/geometry.h"
#include "testkit/xml_document.h"

namespace tarnwick::testkit {

// Reading the screen's picture as a person looks at it: where a shape is, what is drawn around
// an element, and which element shows a text or holds a value.

// The frame of a drawn rectangle.
inline Rect rectOf(const XmlElement& rect) {
    return Rect(rect.number("x"), rect.number("y"), rect.number("width"), rect.number("height"));
}

// Appends the elements from `from` down to the target, both included, to the path; false (the
// path as it was) when the target is not inside.
inline bool pathDown(const XmlElement& from, const XmlElement* target, std::vector<const XmlElement*>& path) {
    path.push_back(&from);
    if (&from == target) return true;
    for (const auto& child : from.children)
        if (pathDown(child, target, path)) return true;
    path.pop_back();
    return false;
}

// Whether a group of the class is around the element (or the element is of that class).
inline bool insideClass(const XmlElement& root, const XmlElement& element, const std::string& cls) {
    std::vector<const XmlElement*> path;
    pathDown(root, &element, path);
    for (const auto* up : path)
        if (const std::string* c = up->attribute("class"); c && *c == cls) return true;
    return false;
}

// How opaque the element is drawn: the opacities of the groups around it, multiplied.
inline double drawnOpacityOf(const XmlElement& root, const XmlElement& element) {
    std::vector<const XmlElement*> path;
    pathDown(root, &element, path);
    double opacity = 1;
    for (const auto* up : path)
        if (up->attribute("opacity")) opacity *= up->number("opacity");
    return opacity;
}

// The shapes of the clipping regions of the groups around an element, outermost first.
inline std::vector<const XmlElement*> clipsAround(const XmlElement& picture, const XmlElement& element) {
    std::vector<const XmlElement*> path, clips;
    pathDown(picture, &element, path);
    for (const auto* group : path)
        if (const std::string* clip = group->attribute("clip-path"))
            for (const auto* region : picture.all("clipPath"))
                if ("url(#" + region->value("id") + ")" == *clip) clips.push_back(region->all("rect").at(0));
    return clips;
}

// What shows of a part of an element: cut by the clipping region of each group around it.
inline Rect shownPart(const XmlElement& picture, const XmlElement& element, Rect part) {
    for (const auto* clip : clipsAround(picture, element)) part = part.intersection(rectOf(*clip));
    return part;
}

// The first element of the name and class with the attribute's value, or the text's text;
// nothing when none.
inline const XmlElement* findWith(const XmlElement& root, const std::string& name, const std::string& cls,
                                  const std::string& key, const std::string& value) {
    for (const auto* element : root.all(name, cls)) {
        const std::string* held = key.empty() ? &element->text : element->attribute(key);
        if (held && *held == value) return element;
    }
    return nullptr;
}
inline const XmlElement* textShowing(const XmlElement& root, const std::string& text, const std::string& cls = "text") {
    return findWith(root, "text", cls, "", text);
}
inline const XmlElement* symbolNamed(const XmlElement& root, const std::string& name) {
    return findWith(root, "g", "symbol", "data-symbol", name);
}

// The drawn window with the title; nothing when none is drawn.
inline const XmlElement* windowTitled(const XmlElement& picture, const std::string& title) {
    for (const auto* window : picture.all("g", "window")) {
        const auto titles = window->all("text", "window-title");
        if (!titles.empty() && titles.front()->text == title) return window;
    }
    return nullptr;
}
// The texts the window with the title draws, top to bottom.
inline std::vector<std::string> textsOfWindow(const XmlElement& picture, const std::string& title) {
    std::vector<std::string> texts;
    if (const auto* window = windowTitled(picture, title))
        for (const auto* text : window->all("text", "text")) texts.push_back(text->text);
    return texts;
}

// Where a line of text lies across: from its anchor by its measured width as it is anchored.
inline double textLeft(const XmlElement& text) {
    const double width = text.number("textLength");
    const std::string* anchor = text.attribute("text-anchor");
    return text.number("x") - (!anchor ? 0 : *anchor == "middle" ? width / 2 : width);
}
inline double textRight(const XmlElement& text) { return textLeft(text) + text.number("textLength"); }

// The box around the points of a path of straight lines ("M x y L x y ..."); null when it has none.
inline Rect pathExtent(const XmlElement& path) {
    const std::string* d = path.attribute("d");
    if (!d) return Rect();
    std::vector<double> numbers;
    for (const char* at = d->c_str(); *at;) {
        char* end = nullptr;
        const double value = std::strtod(at, &end);
        if (end == at) {
            ++at;  // a command letter or a separator
            continue;
        }
        numbers.push_back(value);
        at = end;
    }
    if (numbers.size() < 2) return Rect();
    double minX = numbers[0], maxX = numbers[0], minY = numbers[1], maxY = numbers[1];
    for (std::size_t i = 0; i + 1 < numbers.size(); i += 2) {
        minX = std::min(minX, numbers[i]), maxX = std::max(maxX, numbers[i]);
        minY = std::min(minY, numbers[i + 1]), maxY = std::max(maxY, numbers[i + 1]);
    }
    return Rect(minX, minY, maxX - minX, maxY - minY);
}

// The colour a symbol's glyph is drawn in: of its first stroked or filled part.
inline std::string symbolColour(const XmlElement& symbol) {
    for (const auto& part : symbol.children) {
        if (const std::string* stroke = part.attribute("stroke")) return *stroke;
        if (const std::string* fill = part.attribute("fill"); fill && *fill != "none") return *fill;
    }
    return {};
}

}  // namespace tarnwick::testkit
