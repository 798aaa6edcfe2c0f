// How texts, labels, images, buttons, shapes, bridged views and grids size themselves.

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/ui/declarative/layout.h"
#include "platform/ui/declarative/nodes.h"

namespace tarnwick::platform::ui {

namespace {

constexpr double kUnbounded = std::numeric_limits<double>::infinity();

struct TextFit {
    Size size;
    int lines = 0;
    bool truncated = false;
};

// Text wraps at words within the width and stops at the line limit.
TextFit fitText(Layout& layout, const std::string& text, const Font& font, double width, int lineLimit, bool checkTruncation) {
    auto& metrics = layout.metrics();
    TextFit fit;
    fit.size = metrics.fittingSize(text, font, width, lineLimit, true);
    const double line = metrics.defaultLineHeight(font);
    fit.lines = line > 0 ? static_cast<int>(std::lround(fit.size.height / line)) : 0;
    if (checkTruncation && lineLimit > 0 && fit.lines >= lineLimit)
        fit.truncated = metrics.fittingSize(text, font, width, lineLimit + 1, true).height > fit.size.height + 1e-9;
    return fit;
}

}  // namespace

// ---- text

Size TextContent::sizeThatFits(Node& node, Proposal proposal, Layout& layout) {
    return fitText(layout, text, node.font(), proposal.width.value_or(kUnbounded), node.lineLimit(), false)
        .size;
}

void TextContent::placeChildren(Node& node, Rect content, Proposal, Layout& layout) {
    const auto fit = fitText(layout, text, node.font(), content.width(), node.lineLimit(), true);
    lines = fit.lines;
    truncated = fit.truncated;
}

std::optional<double> TextContent::firstBaseline(Node& node, Proposal, Layout& layout) {
    return layout.metrics().firstBaselineOffset(node.font());
}

// ---- label

namespace {
double symbolWidth(const Font& font) { return font.size * LabelContent::kSymbolWidth; }
}  // namespace

Size LabelContent::sizeThatFits(Node& node, Proposal proposal, Layout& layout) {
    const Font font = node.font();
    const double symbol = symbolWidth(font) + kSymbolSpacing;
    const double width = proposal.width ? std::max(0.0, *proposal.width - symbol) : kUnbounded;
    const auto fit = fitText(layout, title, font, width, node.lineLimit(), false);
    return Size{symbol + fit.size.width, std::max(fit.size.height, layout.metrics().defaultLineHeight(font))};
}

void LabelContent::placeChildren(Node& node, Rect content, Proposal, Layout& layout) {
    const Font font = node.font();
    const double width = std::max(0.0, content.width() - symbolWidth(font) - kSymbolSpacing);
    const auto fit = fitText(layout, title, font, width, node.lineLimit(), true);
    lines = fit.lines;
    truncated = fit.truncated;
}

std::optional<double> LabelContent::firstBaseline(Node& node, Proposal, Layout& layout) {
    return layout.metrics().firstBaselineOffset(node.font());
}

// ---- symbol: as wide as a label's symbol, a line high

Size SymbolContent::sizeThatFits(Node& node, Proposal, Layout& layout) {
    const Font font = node.font();
    return Size{symbolWidth(font), layout.metrics().defaultLineHeight(font)};
}

// ---- image, shape, bridged view: they take what they are offered

Size ImageContent::sizeThatFits(Node&, Proposal proposal, Layout&) {
    if (!resizable) return image.size;
    return Size{proposal.width.value_or(image.size.width), proposal.height.value_or(image.size.height)};
}

Size ShapeContent::sizeThatFits(Node&, Proposal proposal, Layout&) {
    return Size{proposal.width.value_or(0), proposal.height.value_or(0)};
}

Size BridgedContentBase::sizeThatFits(Node&, Proposal proposal, Layout&) {
    return Size{proposal.width.value_or(0), proposal.height.value_or(0)};
}

// ---- button

EdgeInsets ButtonContent::bezelInsets(ControlSize size) const {
    if (style != ButtonStyle::bordered && style != ButtonStyle::glassProminent) return {};
    switch (size) {
        case ControlSize::mini:
            return {1, 4, 1, 4};
        case ControlSize::small:
            return {2, 6, 2, 6};
        case ControlSize::large:
            return {6, 12, 6, 12};
        case ControlSize::regular:
            break;
    }
    return {3, 8, 3, 8};
}

Size ButtonContent::sizeThatFits(Node& node, Proposal proposal, Layout& layout) {
    const auto insets = bezelInsets(node.controlSize());
    Size size{insets.width(), insets.height()};
    if (node.children().empty()) return size;
    if (proposal.width) proposal.width = std::max(0.0, *proposal.width - insets.width());
    if (proposal.height) proposal.height = std::max(0.0, *proposal.height - insets.height());
    const Size label = layout.measure(node.mutableChildren().front(), proposal);
    return Size{size.width + label.width, size.height + label.height};
}

void ButtonContent::placeChildren(Node& node, Rect content, Proposal, Layout& layout) {
    if (node.children().empty()) return;
    const auto insets = bezelInsets(node.controlSize());
    layout.place(node.mutableChildren().front(),
                 Rect(content.minX() + insets.leading, content.minY() + insets.top,
                      std::max(0.0, content.width() - insets.width()), std::max(0.0, content.height() - insets.height())));
}

std::optional<double> ButtonContent::firstBaseline(Node& node, Proposal proposal, Layout& layout) {
    if (node.children().empty()) return std::nullopt;
    auto b = layout.baseline(node.mutableChildren().front(), proposal);
    if (b) *b += bezelInsets(node.controlSize()).top;
    return b;
}

// ---- grid

int GridContent::columnCount(double width) const {
    if (!(width > 0) || !std::isfinite(width)) return 1;
    const double fits = std::floor((width + spacing) / (columnMinimum + spacing) + 1e-9);
    return std::max(1, static_cast<int>(std::min(fits, 1e6)));
}

double GridContent::columnWidth(double width) const {
    const int n = columnCount(width);
    const double share = std::isfinite(width) ? (width - spacing * (n - 1)) / n : columnMinimum;
    return std::clamp(share, columnMinimum, std::max(columnMinimum, columnMaximum));
}

namespace {

struct GridRows {
    int columns = 1;
    double columnWidth = 0;
    std::vector<double> heights;
    double height = 0;
};

GridRows gridRows(const GridContent& grid, Node& node, std::optional<double> width, Layout& layout) {
    auto& cells = node.mutableChildren();
    GridRows rows;
    rows.columns = width ? grid.columnCount(*width) : std::max<int>(1, static_cast<int>(cells.size()));
    rows.columnWidth = width ? grid.columnWidth(*width) : grid.columnMinimum;
    const std::size_t perRow = static_cast<std::size_t>(rows.columns);
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i % perRow == 0) rows.heights.push_back(0);
        const Size s = layout.measure(cells[i], Proposal{rows.columnWidth, std::nullopt});
        rows.heights.back() = std::max(rows.heights.back(), s.height);
    }
    for (double h : rows.heights) rows.height += h;
    if (rows.heights.size() > 1) rows.height += grid.rowSpacing * static_cast<double>(rows.heights.size() - 1);
    return rows;
}

}  // namespace

Size GridContent::sizeThatFits(Node& node, Proposal proposal, Layout& layout) {
    const auto rows = gridRows(*this, node, proposal.width, layout);
    const double used = rows.columns * rows.columnWidth + spacing * (rows.columns - 1);
    return Size{proposal.width.value_or(used), rows.height};
}

void GridContent::placeChildren(Node& node, Rect content, Proposal, Layout& layout) {
    const auto rows = gridRows(*this, node, content.width(), layout);
    columns = rows.columns;
    const double used = rows.columns * rows.columnWidth + spacing * (rows.columns - 1);
    const double shift = alignment == HorizontalAlignment::leading ? 0
                         : alignment == HorizontalAlignment::center ? (content.width() - used) / 2
                                                                    : content.width() - used;
    auto& cells = node.mutableChildren();
    double y = content.minY();
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const std::size_t row = i / static_cast<std::size_t>(rows.columns);
        const std::size_t column = i % static_cast<std::size_t>(rows.columns);
        if (column == 0 && row > 0) y += rows.heights[row - 1] + rowSpacing;
        const Size s = layout.measure(cells[i], Proposal{rows.columnWidth, std::nullopt});
        const double x = content.minX() + shift + static_cast<double>(column) * (rows.columnWidth + spacing);
        layout.place(cells[i], Rect(x + (rows.columnWidth - s.width) / 2, y + (rows.heights[row] - s.height) / 2,
                                    s.width, s.height));
    }
}

}  // namespace tarnwick::platform::ui
