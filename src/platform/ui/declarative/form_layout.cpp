// The grouped form: sections stacked in a scrolling column, each a header over a box of rows.

#include <algorithm>

#include "platform/ui/declarative/layout.h"
#include "platform/ui/declarative/nodes.h"

namespace tarnwick::platform::ui {

namespace {

using Form = FormContent;

struct SectionParts {
    Node* header = nullptr;
    std::vector<Node*> rows;
};

SectionParts partsOf(const SectionContent& section, Node& node) {
    SectionParts parts;
    auto& children = node.mutableChildren();
    std::size_t first = 0;
    if (section.hasHeader && !children.empty()) {
        parts.header = &children.front();
        first = 1;
    }
    for (std::size_t i = first; i < children.size(); ++i) parts.rows.push_back(&children[i]);
    return parts;
}

double boxHeight(const std::vector<double>& rows) {
    double height = 2 * Form::kBoxInsetY;
    for (double h : rows) height += h;
    if (rows.size() > 1) height += Form::kRowSpacing * static_cast<double>(rows.size() - 1);
    return height;
}

// The room one child of a form takes: a section its own size; anything else is a row in a box of
// its own, measured within the box's insets and taking them around it.
Size measureBlock(Node& child, std::optional<double> width, Layout& layout) {
    if (child.as<SectionContent>()) return layout.measure(child, Proposal{width, std::nullopt});
    const std::optional<double> inner =
        width ? std::optional(std::max(0.0, *width - 2 * Form::kBoxInsetX)) : std::nullopt;
    const Size row = layout.measure(child, Proposal{inner, std::nullopt});
    return Size{row.width + 2 * Form::kBoxInsetX, row.height + 2 * Form::kBoxInsetY};
}

}  // namespace

Size SectionContent::sizeThatFits(Node& node, Proposal proposal, Layout& layout) {
    const auto parts = partsOf(*this, node);
    const std::optional<double> width = proposal.width;
    const auto inner = [&](double inset) { return width ? std::optional(std::max(0.0, *width - 2 * inset)) : std::nullopt; };
    double widest = 0;
    double height = 0;
    if (parts.header) {
        const Size h = layout.measure(*parts.header, Proposal{inner(Form::kHeaderInset), std::nullopt});
        widest = h.width + 2 * Form::kHeaderInset;
        height += h.height + Form::kHeaderSpacing;
    }
    std::vector<double> rows;
    for (Node* row : parts.rows) {
        const Size r = layout.measure(*row, Proposal{inner(Form::kBoxInsetX), std::nullopt});
        widest = std::max(widest, r.width + 2 * Form::kBoxInsetX);
        rows.push_back(r.height);
    }
    height += boxHeight(rows);
    return Size{width.value_or(widest), height};
}

void SectionContent::placeChildren(Node& node, Rect content, Proposal, Layout& layout) {
    const auto parts = partsOf(*this, node);
    double y = content.minY();
    if (parts.header) {
        const double width = std::max(0.0, content.width() - 2 * Form::kHeaderInset);
        const Size h = layout.measure(*parts.header, Proposal{width, std::nullopt});
        layout.place(*parts.header, Rect(content.minX() + Form::kHeaderInset, y, width, h.height));
        y += h.height + Form::kHeaderSpacing;
    }
    y += Form::kBoxInsetY;
    const double width = std::max(0.0, content.width() - 2 * Form::kBoxInsetX);
    for (Node* row : parts.rows) {
        const Size r = layout.measure(*row, Proposal{width, std::nullopt});
        // A row takes the size its content asks for, at the leading edge: a button is as wide
        // as its label needs, while switches, pickers, fields and stacks with spacers fill.
        layout.place(*row, Rect(content.minX() + Form::kBoxInsetX, y, std::min(r.width, width), r.height));
        y += r.height + Form::kRowSpacing;
    }
}

Size FormContent::sizeThatFits(Node& node, Proposal proposal, Layout& layout) {
    const std::optional<double> inner =
        proposal.width ? std::optional(std::max(0.0, *proposal.width - 2 * kInset)) : std::nullopt;
    double widest = 0;
    double height = 2 * kInset;
    auto& sections = node.mutableChildren();
    for (auto& section : sections) {
        const Size s = measureBlock(section, inner, layout);
        widest = std::max(widest, s.width + 2 * kInset);
        height += s.height;
    }
    if (sections.size() > 1) height += kSectionSpacing * static_cast<double>(sections.size() - 1);
    // It fills the height it is offered and scrolls what does not fit.
    return Size{proposal.width.value_or(widest), proposal.height.value_or(height)};
}

void FormContent::placeChildren(Node& node, Rect content, Proposal, Layout& layout) {
    const double width = std::max(0.0, content.width() - 2 * kInset);
    auto& sections = node.mutableChildren();
    std::vector<Size> sizes;
    contentHeight = 2 * kInset;
    for (auto& section : sections) {
        sizes.push_back(measureBlock(section, width, layout));
        contentHeight += sizes.back().height;
    }
    if (sections.size() > 1) contentHeight += kSectionSpacing * static_cast<double>(sections.size() - 1);
    viewportHeight = content.height();
    const double offset = layout.scrollOffset(node.identity(), contentHeight - viewportHeight);
    double y = content.minY() + kInset - offset;
    // Sections span the width. Anything else placed between them is a row of a box of its own,
    // inset as a section's rows are, keeping its own width at the box's leading edge.
    for (std::size_t i = 0; i < sections.size(); ++i) {
        if (sections[i].as<SectionContent>()) {
            layout.place(sections[i], Rect(content.minX() + kInset, y, std::min(sizes[i].width, width), sizes[i].height));
        } else {
            const double rowWidth = std::max(0.0, width - 2 * kBoxInsetX);
            const Size row{sizes[i].width - 2 * kBoxInsetX, sizes[i].height - 2 * kBoxInsetY};
            layout.place(sections[i], Rect(content.minX() + kInset + kBoxInsetX, y + kBoxInsetY,
                                           std::min(row.width, rowWidth), row.height));
        }
        y += sizes[i].height + kSectionSpacing;
    }
}

}  // namespace tarnwick::platform::ui
