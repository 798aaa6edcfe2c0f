// How the controls of forms size themselves and place their parts, and their builders.

#include <algorithm>
#include <cmath>

#include "platform/ui/declarative/controls.h"
#include "platform/ui/declarative/layout.h"

namespace tarnwick::platform::ui {

namespace {

constexpr double kLabelSpacing = 8;

std::optional<double> less(std::optional<double> length, double amount) {
    if (!length) return length;
    return std::max(0.0, *length - amount);
}

// A control's fixed part shrinks with the control size.
double scaled(double length, ControlSize size) {
    switch (size) {
        case ControlSize::mini:
            return length * 0.7;
        case ControlSize::small:
            return length * 0.85;
        case ControlSize::large:
            return length * 1.15;
        case ControlSize::regular:
            break;
    }
    return length;
}

// A control with an optional label (its first child) on the leading side and a part of fixed
// size trailing. Filling controls take the whole width they are offered.
Size labelledSize(Node& node, Proposal proposal, Layout& layout, Size part, bool fills) {
    double labelWidth = 0;
    double labelHeight = 0;
    const bool hasLabel = !node.children().empty();
    if (hasLabel) {
        const Size label =
            layout.measure(node.mutableChildren().front(), Proposal{less(proposal.width, part.width + kLabelSpacing), std::nullopt});
        labelWidth = label.width;
        labelHeight = label.height;
    }
    const double ideal = part.width + (hasLabel ? labelWidth + kLabelSpacing : 0);
    const double width = fills && proposal.width ? std::max(*proposal.width, part.width) : ideal;
    return Size{width, std::max(labelHeight, part.height)};
}

// Places the label at the leading edge and returns the part's frame at the trailing edge.
Rect placeLabelled(Node& node, Rect content, Layout& layout, Size part) {
    const Rect partFrame(content.maxX() - part.width, content.minY() + (content.height() - part.height) / 2, part.width,
                         part.height);
    if (!node.children().empty()) {
        Node& label = node.mutableChildren().front();
        const double room = std::max(0.0, content.width() - part.width - kLabelSpacing);
        const Size size = layout.measure(label, Proposal{room, std::nullopt});
        layout.place(label, Rect(content.minX(), content.minY() + (content.height() - size.height) / 2,
                                 std::min(size.width, room), size.height));
    }
    return partFrame;
}

// Children that do not show (a closed menu's items, options a pop-up does not show) are placed
// with no room at a corner, so every node has a frame.
void placeHidden(Node& node, Point at, Layout& layout) {
    layout.measure(node, Proposal{0.0, 0.0});
    layout.place(node, Rect(at.x, at.y, 0, 0));
}

}  // namespace

// ---- toggle

Size ToggleContent::sizeThatFits(Node& node, Proposal proposal, Layout& layout) {
    const ControlSize size = node.controlSize();
    return labelledSize(node, proposal, layout, Size{scaled(kSwitchWidth, size), scaled(kSwitchHeight, size)}, true);
}

void ToggleContent::placeChildren(Node& node, Rect content, Proposal, Layout& layout) {
    const ControlSize size = node.controlSize();
    switchFrame = placeLabelled(node, content, layout, Size{scaled(kSwitchWidth, size), scaled(kSwitchHeight, size)});
}

// ---- slider

Size SliderContent::sizeThatFits(Node& node, Proposal proposal, Layout&) {
    const double width = std::max(kMinimumWidth, proposal.width.value_or(kIdealWidth));
    return Size{width, scaled(kHeight, node.controlSize())};
}

double SliderContent::snapped(double value) const {
    if (!std::isfinite(value)) return lower;
    double result = std::clamp(value, lower, upper);
    if (step > 0) {
        result = lower + std::round((result - lower) / step) * step;
        result = std::clamp(result, lower, upper);
    }
    return result;
}

// ---- stepper

Size StepperContent::sizeThatFits(Node& node, Proposal proposal, Layout& layout) {
    const ControlSize size = node.controlSize();
    return labelledSize(node, proposal, layout, Size{scaled(kArrowsWidth, size), scaled(kArrowsHeight, size)}, true);
}

void StepperContent::placeChildren(Node& node, Rect content, Proposal, Layout& layout) {
    const ControlSize size = node.controlSize();
    arrowsFrame = placeLabelled(node, content, layout, Size{scaled(kArrowsWidth, size), scaled(kArrowsHeight, size)});
}

// ---- text field

Size TextFieldContent::sizeThatFits(Node& node, Proposal proposal, Layout& layout) {
    const double height = scaled(kHeight, node.controlSize());
    if (node.children().empty()) return Size{proposal.width.value_or(kIdealWidth), height};
    const Size label = layout.measure(node.mutableChildren().front(), Proposal{});
    const double ideal = label.width + kLabelSpacing + kIdealWidth;
    return Size{proposal.width.value_or(ideal), std::max(height, label.height)};
}

void TextFieldContent::placeChildren(Node& node, Rect content, Proposal, Layout& layout) {
    const double height = std::min(content.height(), scaled(kHeight, node.controlSize()));
    double x = content.minX();
    if (!node.children().empty()) {
        Node& label = node.mutableChildren().front();
        const Size size = layout.measure(label, Proposal{});
        const double width = std::min(size.width, content.width());
        layout.place(label, Rect(x, content.minY() + (content.height() - size.height) / 2, width, size.height));
        x += width + kLabelSpacing;
    }
    fieldFrame = Rect(x, content.minY() + (content.height() - height) / 2, std::max(0.0, content.maxX() - x), height);
}

void TextFieldContent::collectText(std::vector<std::string>& texts) const {
    std::string held = text();
    if (!held.empty()) texts.push_back(std::move(held));
}

std::optional<std::string> TextFieldContent::shownPlaceholder() const {
    if (options.placeholder.empty() || !text().empty()) return std::nullopt;
    return options.placeholder;
}

// ---- picker

std::optional<std::size_t> PickerContent::selectedIndex() const {
    if (!selection.get) return std::nullopt;
    const AnyValue current = selection.get();
    for (std::size_t i = 0; i < tags.size(); ++i)
        if (tags[i] == current) return i;
    return std::nullopt;
}

void PickerContent::collectText(std::vector<std::string>& texts) const {
    if (titleShown()) texts.push_back(title);
}

namespace {

double titleWidth(const PickerContent& picker, Node& node, Layout& layout) {
    if (!picker.titleShown()) return 0;
    return layout.metrics().lineWidth(picker.title, node.font()) + PickerContent::kSpacing;
}

}  // namespace

Size PickerContent::sizeThatFits(Node& node, Proposal proposal, Layout& layout) {
    auto& options = node.mutableChildren();
    const double leading = titleWidth(*this, node, layout);
    double width = leading;
    double height = kHeight;
    switch (style) {
        case PickerStyle::menu: {
            double widest = 0;
            for (auto& option : options) {
                const Size s = layout.measure(option, Proposal{});
                widest = std::max(widest, s.width);
                height = std::max(height, s.height);
            }
            width += widest + 2 * kPopUpPadding + kIndicatorWidth;
            break;
        }
        case PickerStyle::segmented:
            for (auto& option : options) {
                const Size s = layout.measure(option, Proposal{});
                width += s.width + 2 * kSegmentPadding;
                height = std::max(height, s.height);
            }
            break;
        case PickerStyle::inline_: {
            height = 0;
            for (auto& option : options) {
                const Size s = layout.measure(option, Proposal{});
                width = std::max(width, s.width);
                height += s.height;
            }
            break;
        }
    }
    // In a form row a menu picker spans the row, its pop-up at the trailing edge.
    if (style == PickerStyle::menu && proposal.width && leading > 0) width = std::max(width, *proposal.width);
    return Size{width, height};
}

void PickerContent::placeChildren(Node& node, Rect content, Proposal, Layout& layout) {
    auto& options = node.mutableChildren();
    popUpFrame = Rect();
    const double leading = titleWidth(*this, node, layout);
    // The title at the leading edge, up to the options (a pop-up may leave it less room).
    const auto placeTitle = [&](double optionsStart) {
        titleFrame = leading > 0 ? Rect(content.minX(), content.minY(),
                                        std::clamp(optionsStart - kSpacing - content.minX(), 0.0, leading - kSpacing),
                                        content.height())
                                 : Rect();
    };
    switch (style) {
        case PickerStyle::menu: {
            const auto selected = selectedIndex();
            double widest = 0;
            for (auto& option : options) widest = std::max(widest, layout.measure(option, Proposal{}).width);
            const double popUp = widest + 2 * kPopUpPadding + kIndicatorWidth;
            const double x = leading > 0 ? content.maxX() - popUp : content.minX();
            placeTitle(x);
            popUpFrame = Rect(x, content.minY(), popUp, content.height());
            for (std::size_t i = 0; i < options.size(); ++i) {
                if (selected && *selected == i) {
                    const Size s = layout.measure(options[i], Proposal{});
                    layout.place(options[i], Rect(x + kPopUpPadding, content.minY() + (content.height() - s.height) / 2,
                                                  s.width, s.height));
                } else {
                    placeHidden(options[i], Point{x, content.minY()}, layout);
                }
            }
            break;
        }
        case PickerStyle::segmented: {
            double x = content.minX() + leading;
            placeTitle(x);
            for (auto& option : options) {
                const Size s = layout.measure(option, Proposal{});
                layout.place(option, Rect(x + kSegmentPadding, content.minY() + (content.height() - s.height) / 2, s.width,
                                          s.height));
                x += s.width + 2 * kSegmentPadding;
            }
            break;
        }
        case PickerStyle::inline_: {
            placeTitle(content.minX());
            double y = content.minY();
            for (auto& option : options) {
                const Size s = layout.measure(option, Proposal{});
                layout.place(option, Rect(content.minX(), y, s.width, s.height));
                y += s.height;
            }
            break;
        }
    }
}

// ---- menu

Size MenuContent::sizeThatFits(Node& node, Proposal proposal, Layout& layout) {
    auto& children = node.mutableChildren();
    if (children.empty()) return Size{};
    const double indicator = showsIndicator ? kIndicatorSpacing + kIndicatorWidth : 0;
    const Size label = layout.measure(children.front(), Proposal{less(proposal.width, indicator), proposal.height});
    return Size{label.width + indicator, label.height};
}

void MenuContent::placeChildren(Node& node, Rect content, Proposal, Layout& layout) {
    auto& children = node.mutableChildren();
    if (children.empty()) return;
    const double indicator = showsIndicator ? kIndicatorSpacing + kIndicatorWidth : 0;
    const double room = std::max(0.0, content.width() - indicator);
    const Size label = layout.measure(children.front(), Proposal{room, content.height()});
    layout.place(children.front(), Rect(content.minX(), content.minY() + (content.height() - label.height) / 2,
                                        std::min(label.width, room), label.height));
    for (std::size_t i = 1; i < children.size(); ++i) placeHidden(children[i], content.origin, layout);
}

std::optional<double> MenuContent::firstBaseline(Node& node, Proposal proposal, Layout& layout) {
    auto& children = node.mutableChildren();
    if (children.empty()) return std::nullopt;
    return layout.baseline(children.front(), proposal);
}

// ---- list

std::optional<std::size_t> ListContent::selectedIndex() const {
    if (!selection.get) return std::nullopt;
    const AnyValue current = selection.get();
    if (!current.hasValue()) return std::nullopt;
    for (std::size_t i = 0; i < tags.size(); ++i)
        if (tags[i] == current) return i;
    return std::nullopt;
}

Size ListContent::sizeThatFits(Node& node, Proposal proposal, Layout& layout) {
    const std::optional<double> rowWidth = less(proposal.width, 2 * (kInset + kRowInsetX));
    double widest = 0;
    double height = 2 * kInset;
    auto& rows = node.mutableChildren();
    for (auto& row : rows) {
        const Size s = layout.measure(row, Proposal{rowWidth, std::nullopt});
        widest = std::max(widest, s.width);
        height += s.height;
    }
    if (rows.size() > 1) height += kRowSpacing * static_cast<double>(rows.size() - 1);
    return Size{proposal.width.value_or(widest + 2 * (kInset + kRowInsetX)), proposal.height.value_or(height)};
}

void ListContent::placeChildren(Node& node, Rect content, Proposal, Layout& layout) {
    const double rowWidth = std::max(0.0, content.width() - 2 * (kInset + kRowInsetX));
    auto& rows = node.mutableChildren();
    std::vector<double> heights;
    heights.reserve(rows.size());
    contentHeight = 2 * kInset;
    for (auto& row : rows) {
        heights.push_back(layout.measure(row, Proposal{rowWidth, std::nullopt}).height);
        contentHeight += heights.back();
    }
    if (rows.size() > 1) contentHeight += kRowSpacing * static_cast<double>(rows.size() - 1);
    viewportHeight = content.height();
    double y = content.minY() + kInset - layout.scrollOffset(node.identity(), contentHeight - viewportHeight);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        layout.place(rows[i], Rect(content.minX() + kInset + kRowInsetX, y, rowWidth, heights[i]));
        y += heights[i] + kRowSpacing;
    }
}

// ---- split view

double SplitViewContent::sidebarWidthWithin(double width) const {
    if (!sidebarShown()) return 0;
    const double wanted = std::clamp(sidebarWidth.ideal, sidebarWidth.minimum, std::max(sidebarWidth.minimum, sidebarWidth.maximum));
    return std::clamp(wanted, 0.0, std::max(0.0, width - kDividerWidth));
}

Size SplitViewContent::sizeThatFits(Node& node, Proposal proposal, Layout& layout) {
    auto& children = node.mutableChildren();
    if (proposal.width && proposal.height) return Size{*proposal.width, *proposal.height};
    double width = 0;
    double height = 0;
    if (children.size() > 1) {
        const Size detail = layout.measure(children[1], Proposal{});
        width += detail.width;
        height = detail.height;
    }
    if (sidebarShown()) width += sidebarWidth.ideal + kDividerWidth;
    return Size{proposal.width.value_or(width), proposal.height.value_or(height)};
}

void SplitViewContent::placeChildren(Node& node, Rect content, Proposal, Layout& layout) {
    auto& children = node.mutableChildren();
    const double sidebar = sidebarWidthWithin(content.width());
    if (!children.empty()) {
        const Rect frame(content.minX(), content.minY(), sidebar, content.height());
        layout.measure(children[0], Proposal{frame.width(), frame.height()});
        layout.place(children[0], frame);
    }
    if (children.size() > 1) {
        const double x = content.minX() + (sidebar > 0 ? sidebar + kDividerWidth : 0);
        const Rect frame(x, content.minY(), std::max(0.0, content.maxX() - x), content.height());
        layout.measure(children[1], Proposal{frame.width(), frame.height()});
        layout.place(children[1], frame);
    }
    for (std::size_t i = 2; i < children.size(); ++i) placeHidden(children[i], content.origin, layout);
}

// ---- colour well

Size ColorWellContent::sizeThatFits(Node& node, Proposal proposal, Layout& layout) {
    const ControlSize size = node.controlSize();
    return labelledSize(node, proposal, layout, Size{scaled(kWellWidth, size), scaled(kWellHeight, size)}, false);
}

void ColorWellContent::placeChildren(Node& node, Rect content, Proposal, Layout& layout) {
    const ControlSize size = node.controlSize();
    wellFrame = placeLabelled(node, content, layout, Size{scaled(kWellWidth, size), scaled(kWellHeight, size)});
}

// ---- builders

namespace {
std::vector<Node> one(Node node) {
    std::vector<Node> children;
    children.push_back(std::move(node));
    return children;
}
}  // namespace

Node toggle(Node label, Binding<bool> isOn) {
    return Node(std::make_unique<ToggleContent>(std::move(isOn)), one(std::move(label)));
}

Node toggle(std::string title, Binding<bool> isOn) { return toggle(text(std::move(title)), std::move(isOn)); }

Node slider(Binding<double> value, double lower, double upper, double step) {
    return Node(std::make_unique<SliderContent>(std::move(value), lower, upper, step));
}

Node stepper(Node label, Binding<double> value, double lower, double upper, double step) {
    return Node(std::make_unique<StepperContent>(std::move(value), lower, upper, step), one(std::move(label)));
}

Node textField(std::string title, Binding<std::string> value, TextFieldOptions options) {
    std::vector<Node> children;
    if (!options.titleHidden && !title.empty()) children.push_back(text(title));
    return Node(std::make_unique<TextFieldContent>(std::move(title), std::move(value), std::move(options)),
                std::move(children));
}

Node menu(Node label, std::vector<Node> items, MenuStyle style, bool showsIndicator) {
    items.insert(items.begin(), std::move(label));
    return Node(std::make_unique<MenuContent>(style, showsIndicator), std::move(items));
}

Node navigationSplitView(Binding<ColumnVisibility> columns, Node sidebar, Node detail, SplitColumnWidth sidebarWidth,
                         SplitViewStyle style) {
    return Node(std::make_unique<SplitViewContent>(std::move(columns), sidebarWidth, style),
                nodes(std::move(sidebar), std::move(detail)));
}

Node colorWell(std::string title, Binding<ColorInSpace> color, ColorWellOptions options) {
    std::vector<Node> children;
    if (!options.titleHidden && !title.empty()) children.push_back(text(title));
    return Node(std::make_unique<ColorWellContent>(std::move(title), std::move(color), options), std::move(children));
}

}  // namespace tarnwick::platform::ui
