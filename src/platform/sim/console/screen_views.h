#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/icons.h"
#include "platform/ui/color.h"
#include "platform/ui/effect_views.h"
#include "platform/ui/font.h"
#include "platform/ui/text_label.h"
#include "support/geometry.h"

namespace tarnwick::platform::ui {
struct ColorInSpace;
class HostingView;
class Node;
class Panel;
class View;
}  // namespace tarnwick::platform::ui

namespace tarnwick::sim {

class SimulatedSession;

// A text a window shows and how it is set: the box its lines are laid out in (a text label's
// frame, the inside of a text field, a declarative text's content frame), its font, alignment,
// line limit and what becomes of what does not fit, as the view holds them; the part of the box
// that shows (less where a scrolling container hides the rest); and its colour and how opaque it
// is drawn (see drawnOpacity).
struct PlacedText {
    std::string text{};
    Rect frame{};  // screen coordinates, y up
    platform::ui::Font font{};
    platform::ui::TextAlignment alignment = platform::ui::TextAlignment::natural;
    int maximumLines = 1;  // 0: no limit
    bool wraps = false;
    platform::ui::LineBreakMode lineBreakMode = platform::ui::LineBreakMode::truncatingTail;
    bool centredVertically = false;  // its one line in the middle of the box (a field's, a title's)
    bool placeholder = false;        // an empty field's placeholder, not a text it holds
    Rect visible{};                  // screen coordinates
    platform::ui::Color colour = platform::ui::Color::label();
    double opacity = 1;
    bool disabled = false;  // dimmed as a disabled control is
};

// An app icon a window shows and where: an image view's, or a declarative image node's.
struct PlacedIcon {
    platform::Image image;
    std::optional<std::string> label;  // the view's or node's accessibility label
    Rect frame;                        // screen coordinates, y up
};

// A glass backdrop a window shows: a glass view with its style and tint, or a frosted view
// (no style of its own, never tinted).
struct PlacedGlass {
    Rect frame;  // screen coordinates, y up
    double cornerRadius = 0;
    std::optional<platform::ui::GlassStyle> style;  // nothing: frosted
    std::optional<platform::ui::Color> tint;
};

// What a panel shows, back to front, frames in screen coordinates: the glass of its backdrops,
// its texts (text labels, the texts of declarative nodes), its app icons (image views, image
// nodes), and each node of its declarative trees (before the node's own texts, after its
// backgrounds) with its visible frame, empty when scrolled away. A hidden view is left out with
// everything inside it, and so is a node its parent does not show (a closed pop-up's other
// options). A view whose layer masks to its bounds clips what it and its subviews show to its
// rounded frame: between beginClip and the matching endClip.
struct ShownViewVisitor {
    std::function<void(const Rect& frame, double cornerRadius)> beginClip;
    std::function<void()> endClip;
    std::function<void(const PlacedGlass& glass)> glass;
    std::function<void(const PlacedText& text)> text;
    std::function<void(const platform::Image& image, const std::optional<std::string>& label, const Rect& frame)> icon;
    std::function<void(const platform::ui::HostingView& hosting, const platform::ui::Node& node, const Rect& frame)> node;
};
void visitShownViews(platform::ui::Panel& panel, const ShownViewVisitor& visitor);

// The shown glass of a panel, back to front.
std::vector<PlacedGlass> placedGlasses(platform::ui::Panel& panel);
// A glass's tint as "#RRGGBBAA" in sRGB ("#RRGGBB" when opaque); nothing without one.
std::optional<std::string> glassTintText(const PlacedGlass& glass);
// A glass's style and tint as `screen` lists them: "regular", "clear tint \"#FF880038\"".
std::string glassText(const PlacedGlass& glass);
// Its style alone: "frosted" (no style asked for), "regular" or "clear".
std::string glassStyleText(const PlacedGlass& glass);

// The shown app icons of a panel with their frames, back to front.
std::vector<PlacedIcon> placedIcons(platform::ui::Panel& panel);
// The app an icon shows, by the image's own identity, else by its view's label; empty when
// neither says.
std::string iconName(SimulatedSession& session, const platform::Image& image, const std::optional<std::string>& label);

// The declarative trees a panel shows (its hosting views), outermost first.
std::vector<platform::ui::HostingView*> hostingViews(platform::ui::Panel& panel);

// The texts a node shows itself (not its children's): its content's, and those of a retained
// view bridged into it (the shortcut recorder's title).
std::vector<std::string> ownTexts(const platform::ui::HostingView& hosting, const platform::ui::Node& node);
// The accessibility label of a node: its own, else the one of a retained view bridged into it,
// else the title a control does not show (a colour well's or a text field's hidden title, which
// names it to Accessibility all the same); nothing when none of these.
std::optional<std::string> accessibleLabel(const platform::ui::HostingView& hosting, const platform::ui::Node& node);

// The text an option of a picker or a row of a list shows: its first text, empty when none.
std::string optionText(const platform::ui::HostingView& hosting, const platform::ui::Node& option);

// A view's frame in screen coordinates.
Rect screenFrame(const platform::ui::View& view);
// A rectangle of a declarative tree (origin at the top left of its hosting view, y down) in
// screen coordinates.
Rect screenFrame(const platform::ui::HostingView& hosting, const Rect& treeRect);

// The colour a colour well holds as "#RRGGBB" in sRGB ("#RRGGBBAA" when it is not opaque);
// nothing for a colour without components (a pattern).
std::optional<std::string> colourText(const platform::ui::ColorInSpace& colour);

// How opaque a node is drawn: the opacities set on it and around it, times kDisabledOpacity when
// it is disabled, as the system dims a disabled control and its label. Inside a button of a
// style of the app's own the style draws the disabled look itself (its body knows whether the
// button is enabled), so nothing more is dimmed there.
double drawnOpacity(const platform::ui::Node& node);
bool drawnDimmed(const platform::ui::Node& node);
inline constexpr double kDisabledOpacity = 0.45;

// Where a label node lays out its symbol (tree coordinates): before its title, as wide as the
// label's symbols are at its font, and as high (about its first line's height).
Rect labelSymbolBox(const platform::ui::Node& node);

// A rectangle of a node's laid-out box (tree coordinates) where the scale effects around the
// node draw it.
Rect presentedRect(const platform::ui::HostingView& hosting, const platform::ui::Node& node, const Rect& box);

// Where a node is drawn, in the tree's coordinates: its frame under the scale effects around it
// (and its own), within the scrolling containers around it; and how much its scale effects
// enlarge it.
Rect presentedVisibleFrame(const platform::ui::HostingView& hosting, const platform::ui::Node& node);
double presentedScale(const platform::ui::Node& node);

// One line per node of a declarative tree that shows: indented by depth, its kind, its own texts
// (a switch's or stepper's with its label's; an empty field's placeholder as `placeholder "..."`),
// the value a control holds (a button's title, a colour well's colour, the texts a bridged view
// shows), the app of an icon, and its accessibility value, identifier and label (accessibleLabel),
// "disabled" when it is, its scale
// effect when it has one ("scale 1.04") and "focused" when it holds the keyboard focus.
std::vector<std::string> nodeLines(SimulatedSession& session, platform::ui::HostingView& hosting);

}  // namespace tarnwick::sim
