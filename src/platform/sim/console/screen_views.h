#pragma once

#include <string>
#include <vector>

#include "support/geometry.h"

namespace tarnwick::platform::ui {
class HostingView;
class Node;
class Panel;
class View;
}  // namespace tarnwick::platform::ui

namespace tarnwick::sim {

// A text a window shows and where: a text label's frame, or a declarative text node's.
struct PlacedText {
    std::string text;
    Rect frame;  // screen coordinates, y up
};

// The visible texts of a panel with their frames, back to front.
std::vector<PlacedText> placedTexts(platform::ui::Panel& panel);

// The declarative trees a panel shows (its hosting views), outermost first.
std::vector<platform::ui::HostingView*> hostingViews(platform::ui::Panel& panel);

// A view's frame in screen coordinates.
Rect screenFrame(const platform::ui::View& view);

// One line per node of a declarative tree: indented by depth, its kind, its own texts, and its
// accessibility value, identifier and label, and "disabled" when it is.
std::vector<std::string> nodeLines(const platform::ui::Node& root);

}  // namespace tarnwick::sim
