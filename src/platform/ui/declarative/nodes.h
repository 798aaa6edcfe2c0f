#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/icons.h"
#include "platform/ui/declarative/node.h"
#include "platform/ui/view.h"

namespace tarnwick::platform::ui {

class ViewContext;

// Moves nodes into a list (a braced list would copy them): vstack(..., nodes(text("a"), text("b"))).
template <typename... N>
std::vector<Node> nodes(N&&... items) {
    std::vector<Node> list;
    list.reserve(sizeof...(items));
    (list.push_back(std::forward<N>(items)), ...);
    return list;
}

// ---- kinds

// Children without a container of their own (a keyed list, a conditional part): the host puts
// them in their parent's place, each keeping an identity under the group's.
class GroupContent final : public NodeContent {
public:
    std::string_view kind() const override { return "group"; }
};

class StackContent final : public NodeContent {
public:
    StackContent(Axis axis, HorizontalAlignment horizontal, VerticalAlignment vertical, double spacing)
        : axis(axis), horizontal(horizontal), vertical(vertical), spacing(spacing) {}
    std::string_view kind() const override { return "stack"; }
    Size sizeThatFits(Node& node, Proposal proposal, Layout& layout) override;
    void placeChildren(Node& node, Rect content, Proposal proposal, Layout& layout) override;
    std::optional<double> firstBaseline(Node& node, Proposal proposal, Layout& layout) override;

    Axis axis;
    HorizontalAlignment horizontal;  // of a vertical stack's children
    VerticalAlignment vertical;      // of a horizontal stack's children
    double spacing;
};

// Takes the room its stack does not need, at least its minimum length along the stack.
class SpacerContent final : public NodeContent {
public:
    explicit SpacerContent(double minLength) : minLength(minLength) {}
    std::string_view kind() const override { return "spacer"; }
    Size sizeThatFits(Node& node, Proposal proposal, Layout& layout) override;
    double minLength;
};

class TextContent final : public NodeContent {
public:
    explicit TextContent(std::string text) : text(std::move(text)) {}
    std::string_view kind() const override { return "text"; }
    Size sizeThatFits(Node& node, Proposal proposal, Layout& layout) override;
    void placeChildren(Node& node, Rect content, Proposal proposal, Layout& layout) override;
    std::optional<double> firstBaseline(Node& node, Proposal proposal, Layout& layout) override;
    bool isHitTestable() const override { return true; }
    void collectText(std::vector<std::string>& texts) const override { texts.push_back(text); }

    std::string text;
    // Set by the layout: the lines shown, and whether the line limit cut the text short.
    int lines = 0;
    bool truncated = false;
};

// A title with a system symbol before it.
class LabelContent final : public NodeContent {
public:
    LabelContent(std::string title, std::string systemImage) : title(std::move(title)), systemImage(std::move(systemImage)) {}
    std::string_view kind() const override { return "label"; }
    Size sizeThatFits(Node& node, Proposal proposal, Layout& layout) override;
    void placeChildren(Node& node, Rect content, Proposal proposal, Layout& layout) override;
    std::optional<double> firstBaseline(Node& node, Proposal proposal, Layout& layout) override;
    bool isHitTestable() const override { return true; }
    void collectText(std::vector<std::string>& texts) const override { texts.push_back(title); }

    std::string title;
    std::string systemImage;
    int lines = 0;
    bool truncated = false;

    static constexpr double kSymbolSpacing = 4;
    // The symbol's width as a share of the text size.
    static constexpr double kSymbolWidth = 1.2;
};

// A system symbol, drawn at the size of the text around it.
class SymbolContent final : public NodeContent {
public:
    explicit SymbolContent(std::string name) : name(std::move(name)) {}
    std::string_view kind() const override { return "symbol"; }
    Size sizeThatFits(Node& node, Proposal proposal, Layout& layout) override;
    bool isHitTestable() const override { return true; }
    std::string name;
};

class ImageContent final : public NodeContent {
public:
    ImageContent(Image image, bool resizable, ImageInterpolation interpolation)
        : image(std::move(image)), resizable(resizable), interpolation(interpolation) {}
    std::string_view kind() const override { return "image"; }
    Size sizeThatFits(Node& node, Proposal proposal, Layout& layout) override;
    bool isHitTestable() const override { return true; }

    Image image;
    bool resizable;  // stretched to its frame, else its own size
    ImageInterpolation interpolation;
};

// What a button style of the app's own is given to draw a button: its label, whether the user
// is pressing it, and the environment it reads.
struct ButtonStyleConfiguration {
    Node label;
    bool isPressed = false;
    bool isEnabled = true;
    // Whether the button's window is the active (key) window.
    bool appearsActive = false;
};

// A button look of the app's own: the host asks it for the button's body at each render.
class CustomButtonStyle {
public:
    virtual ~CustomButtonStyle() = default;
    virtual Node makeBody(ButtonStyleConfiguration configuration) const = 0;
};

// Runs its action when clicked; its one child is its label (with a custom style, the body the
// style made of the label).
class ButtonContent final : public NodeContent {
public:
    ButtonContent(std::function<void()> action, ButtonStyle style) : action(std::move(action)), style(style) {}
    ButtonContent(std::function<void()> action, std::shared_ptr<const CustomButtonStyle> custom)
        : action(std::move(action)), style(ButtonStyle::custom), customStyle(std::move(custom)) {}
    std::string_view kind() const override { return "button"; }
    ButtonContent* asButton() override { return this; }
    Size sizeThatFits(Node& node, Proposal proposal, Layout& layout) override;
    void placeChildren(Node& node, Rect content, Proposal proposal, Layout& layout) override;
    std::optional<double> firstBaseline(Node& node, Proposal proposal, Layout& layout) override;

    // The bezel around the label of a bordered or prominent button, by control size.
    EdgeInsets bezelInsets(ControlSize size) const;

    std::function<void()> action;
    ButtonStyle style;
    std::shared_ptr<const CustomButtonStyle> customStyle;
};

// A capsule's ends are half circles: its corner radius is half its shorter side.
enum class ShapeKind { rectangle, roundedRectangle, capsule };

// A filled shape; it takes the whole size it is given.
class ShapeContent final : public NodeContent {
public:
    ShapeContent(ShapeKind shape, double cornerRadius, CornerCurve cornerCurve, Color fill, double fillOpacity)
        : shape(shape), cornerRadius(cornerRadius), cornerCurve(cornerCurve), fill(std::move(fill)), fillOpacity(fillOpacity) {}
    std::string_view kind() const override { return "shape"; }
    Size sizeThatFits(Node& node, Proposal proposal, Layout& layout) override;
    // A fill nobody can see takes no clicks.
    bool isHitTestable() const override { return fillOpacity > 0; }

    ShapeKind shape;
    double cornerRadius;
    CornerCurve cornerCurve;
    Color fill;
    double fillOpacity;
};

// A scrolling list of sections in the platform's grouped look: each section's header over a
// box of its rows. It fills the height it is given and scrolls what does not fit.
class FormContent final : public NodeContent {
public:
    FormContent(FormStyle style, bool scrollBackgroundHidden) : style(style), scrollBackgroundHidden(scrollBackgroundHidden) {}
    std::string_view kind() const override { return "form"; }
    Size sizeThatFits(Node& node, Proposal proposal, Layout& layout) override;
    void placeChildren(Node& node, Rect content, Proposal proposal, Layout& layout) override;
    std::optional<double> firstBaseline(Node&, Proposal, Layout&) override { return std::nullopt; }
    bool clipsChildren() const override { return true; }

    FormStyle style;
    bool scrollBackgroundHidden;
    // Set by the layout: the height of everything in the list, and the viewport.
    double contentHeight = 0;
    double viewportHeight = 0;

    // The platform's look of a grouped form.
    static constexpr double kInset = 10;           // around the sections
    static constexpr double kSectionSpacing = 12;  // between sections
    static constexpr double kHeaderSpacing = 6;    // between a header and its box
    static constexpr double kHeaderInset = 4;      // of a header, left and right
    static constexpr double kBoxInsetX = 10;       // of the rows within their box
    static constexpr double kBoxInsetY = 6;
    static constexpr double kRowSpacing = 6;
};

// One section of a form: a header (its first child when it has one) and rows.
class SectionContent final : public NodeContent {
public:
    explicit SectionContent(bool hasHeader) : hasHeader(hasHeader) {}
    std::string_view kind() const override { return "section"; }
    Size sizeThatFits(Node& node, Proposal proposal, Layout& layout) override;
    void placeChildren(Node& node, Rect content, Proposal proposal, Layout& layout) override;
    std::optional<double> firstBaseline(Node&, Proposal, Layout&) override { return std::nullopt; }
    bool hasHeader;
};

// A lazy vertical grid of adaptive columns: as many columns of the width range as fit.
class GridContent final : public NodeContent {
public:
    GridContent(double columnMinimum, double columnMaximum, double spacing, double rowSpacing,
                HorizontalAlignment alignment)
        : columnMinimum(columnMinimum), columnMaximum(columnMaximum), spacing(spacing), rowSpacing(rowSpacing),
          alignment(alignment) {}
    std::string_view kind() const override { return "grid"; }
    Size sizeThatFits(Node& node, Proposal proposal, Layout& layout) override;
    void placeChildren(Node& node, Rect content, Proposal proposal, Layout& layout) override;

    // Columns for a width, and the width each one gets.
    int columnCount(double width) const;
    double columnWidth(double width) const;

    double columnMinimum;
    double columnMaximum;
    double spacing;
    double rowSpacing;
    HorizontalAlignment alignment;
    int columns = 0;  // set by the layout
};

// Marks the region a scroll proxy works in; lays out as its content.
class ScrollReaderContent final : public NodeContent {
public:
    std::string_view kind() const override { return "scrollReader"; }
};

// A retained view inside the tree: the host makes it once for the node's identity, updates it at
// every render, keeps it over the node's frame and dismantles it when the node leaves.
class BridgedContentBase : public NodeContent {
public:
    std::string_view kind() const override { return "bridged"; }
    BridgedContentBase* asBridged() override { return this; }
    Size sizeThatFits(Node& node, Proposal proposal, Layout& layout) override;
    void placeChildren(Node&, Rect, Proposal, Layout&) override {}
    virtual std::shared_ptr<View> makeView() = 0;
    virtual void updateView(View& view) = 0;
    virtual void dismantleView(View& view) = 0;
};

// The bridge of a representable: makeView() -> shared_ptr<View>, updateView(View&) and, when it
// has one, dismantleView(View&).
template <typename R>
class BridgedContent final : public BridgedContentBase {
public:
    explicit BridgedContent(R representable) : representable(std::move(representable)) {}
    std::shared_ptr<View> makeView() override { return representable.makeView(); }
    void updateView(View& view) override { representable.updateView(view); }
    void dismantleView(View& view) override {
        if constexpr (requires(R& r, View& v) { r.dismantleView(v); }) representable.dismantleView(view);
    }
    R representable;
};

// A view with a body of its own: the host asks it for its body when it expands the tree, with
// the state kept for its identity.
class ComponentContentBase : public NodeContent {
public:
    std::string_view kind() const override { return "component"; }
    ComponentContentBase* asComponent() override { return this; }
    virtual Node body(ViewContext& context) = 0;
};

template <typename V>
class ComponentContent final : public ComponentContentBase {
public:
    explicit ComponentContent(V view) : view(std::move(view)) {}
    Node body(ViewContext& context) override { return view.body(context); }
    V view;
};

// ---- builders

Node group(std::vector<Node> children);
Node vstack(HorizontalAlignment alignment, double spacing, std::vector<Node> children);
Node hstack(VerticalAlignment alignment, double spacing, std::vector<Node> children);
Node spacer(double minLength = 0);
Node text(std::string text);
Node label(std::string title, std::string systemImage);
Node image(Image image, bool resizable = false, ImageInterpolation interpolation = ImageInterpolation::medium);
Node systemImage(std::string name);
Node button(Node label, std::function<void()> action, ButtonStyle style = ButtonStyle::bordered);
Node button(Node label, std::function<void()> action, std::shared_ptr<const CustomButtonStyle> style);
Node shape(ShapeKind kind, double cornerRadius, CornerCurve curve, Color fill, double fillOpacity = 1);
Node form(std::vector<Node> sections, FormStyle style = FormStyle::grouped, bool scrollBackgroundHidden = false);
// A section, with a header or without.
Node section(std::optional<Node> header, std::vector<Node> rows);
Node lazyVGrid(double columnMinimum, double columnMaximum, double spacing, double rowSpacing,
               HorizontalAlignment alignment, std::vector<Node> cells);
Node scrollReader(Node content);

// A keyed list: one node per item, each identified by its key (so its state follows the item
// when items move), in its parent's place.
template <typename Items, typename Key, typename Make>
Node forEach(const Items& items, Key key, Make make) {
    std::vector<Node> children;
    children.reserve(std::size(items));
    for (const auto& item : items) children.push_back(make(item).id(key(item)));
    return group(std::move(children));
}

template <typename R>
Node bridged(R representable) {
    return Node(std::make_unique<BridgedContent<R>>(std::move(representable)));
}

template <typename V>
Node component(V view) {
    return Node(std::make_unique<ComponentContent<V>>(std::move(view)));
}

}  // namespace tarnwick::platform::ui
