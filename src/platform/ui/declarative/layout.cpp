#include "platform/ui/declarative/layout.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "platform/ui/declarative/nodes.h"

namespace tarnwick::platform::ui {

namespace {

std::optional<double> minus(std::optional<double> length, double amount) {
    if (!length) return length;
    return std::max(0.0, *length - amount);
}

double clampTo(double value, std::optional<double> low, std::optional<double> high) {
    if (high) value = std::min(value, *high);
    if (low) value = std::max(value, *low);
    return value;
}

// The length a frame modifier takes along one axis, from what was proposed and what its content
// needs: a fixed length; else the proposal when it may grow without bound; else the content's
// length within the bounds.
double framedLength(std::optional<double> fixed, std::optional<double> low, std::optional<double> high,
                    std::optional<double> proposed, double content) {
    if (fixed) return *fixed;
    if (high && std::isinf(*high) && proposed) return clampTo(*proposed, low, std::nullopt);
    return clampTo(content, low, high);
}

// What the content inside a node's padding and frame is offered.
Proposal innerProposal(const Modifiers& m, Proposal proposal) {
    if (m.frame) {
        const auto& f = *m.frame;
        if (f.width)
            proposal.width = *f.width;
        else if (proposal.width)
            proposal.width = clampTo(*proposal.width, f.minWidth, f.maxWidth);
        if (f.height)
            proposal.height = *f.height;
        else if (proposal.height)
            proposal.height = clampTo(*proposal.height, f.minHeight, f.maxHeight);
    }
    proposal.width = minus(proposal.width, m.padding.width());
    proposal.height = minus(proposal.height, m.padding.height());
    if (m.fixedWidth) proposal.width.reset();
    if (m.fixedHeight) proposal.height.reset();
    return proposal;
}

double aligned(double start, double room, double length, double fraction) { return start + (room - length) * fraction; }

double fraction(HorizontalAlignment a) {
    return a == HorizontalAlignment::leading ? 0 : a == HorizontalAlignment::center ? 0.5 : 1;
}

double fraction(VerticalAlignment a) {
    return a == VerticalAlignment::bottom ? 1 : a == VerticalAlignment::center ? 0.5 : 0;
}

}  // namespace

// ---- Layout

Size Layout::measure(Node& node, Proposal proposal) {
    if (const Size* known = node.measureCache.find(proposal)) return *known;
    const Size size = measureUncached(node, proposal);
    node.measureCache.store(proposal, size);
    return size;
}

Size Layout::measureUncached(Node& node, Proposal proposal) {
    if (!node.hasModifiers()) return node.content()->sizeThatFits(node, proposal, *this);
    const Modifiers& m = node.modifiers();
    const Size content = node.content()->sizeThatFits(node, innerProposal(m, proposal), *this);
    Size size{content.width + m.padding.width(), content.height + m.padding.height()};
    if (m.frame) {
        const auto& f = *m.frame;
        size.width = framedLength(f.width, f.minWidth, f.maxWidth, proposal.width, size.width);
        size.height = framedLength(f.height, f.minHeight, f.maxHeight, proposal.height, size.height);
    }
    return size;
}

void Layout::place(Node& node, Rect frame) {
    // Placed at a size it was measured at, a node is laid out with the proposal that gave that
    // size, so everything inside answers from what it measured then.
    Proposal proposal = node.measureCache.proposalFor(frame.size).value_or(Proposal{frame.width(), frame.height()});
    Rect content = frame;
    if (node.hasModifiers()) {
        const Modifiers& m = node.modifiers();
        const auto& pad = m.padding;
        proposal = innerProposal(m, proposal);
        if (m.frame) {
            // The content keeps its own size within the frame, placed by the alignment.
            const Size inner = node.content()->sizeThatFits(node, proposal, *this);
            const double width = std::min(inner.width + pad.width(), frame.width());
            const double height = std::min(inner.height + pad.height(), frame.height());
            const double x = aligned(frame.minX(), frame.width(), width, fraction(m.frame->alignment.horizontal));
            const double y = aligned(frame.minY(), frame.height(), height, fraction(m.frame->alignment.vertical));
            content = Rect(x + pad.leading, y + pad.top, std::max(0.0, width - pad.width()),
                           std::max(0.0, height - pad.height()));
        } else {
            content = Rect(frame.minX() + pad.leading, frame.minY() + pad.top, std::max(0.0, frame.width() - pad.width()),
                           std::max(0.0, frame.height() - pad.height()));
        }
        for (auto& background : node.mutableModifiers().backgrounds) {
            measure(background, Proposal{frame.width(), frame.height()});
            place(background, frame);
        }
    }
    node.setFrame(frame, content);
    node.content()->placeChildren(node, content, proposal, *this);
}

std::optional<double> Layout::baseline(Node& node, Proposal proposal) {
    if (!node.hasModifiers()) return node.content()->firstBaseline(node, proposal, *this);
    const Modifiers& m = node.modifiers();
    auto inner = node.content()->firstBaseline(node, innerProposal(m, proposal), *this);
    if (!inner) return inner;
    return *inner + m.padding.top;
}

double Layout::scrollOffset(std::uint64_t identity, double maximum) {
    auto it = scrollOffsets_.find(identity);
    if (it == scrollOffsets_.end()) return 0;
    it->second = std::clamp(it->second, 0.0, std::max(0.0, maximum));
    return it->second;
}

// ---- the default: children over one another

Size NodeContent::sizeThatFits(Node& node, Proposal proposal, Layout& layout) {
    Size size;
    for (auto& child : node.mutableChildren()) {
        const Size s = layout.measure(child, proposal);
        size.width = std::max(size.width, s.width);
        size.height = std::max(size.height, s.height);
    }
    return size;
}

void NodeContent::placeChildren(Node& node, Rect content, Proposal proposal, Layout& layout) {
    for (auto& child : node.mutableChildren()) {
        const Size s = layout.measure(child, proposal);
        layout.place(child, Rect(aligned(content.minX(), content.width(), s.width, 0.5),
                                 aligned(content.minY(), content.height(), s.height, 0.5), s.width, s.height));
    }
}

std::optional<double> NodeContent::firstBaseline(Node& node, Proposal proposal, Layout& layout) {
    auto& children = node.mutableChildren();
    if (children.empty()) return std::nullopt;
    return layout.baseline(children.front(), proposal);
}

// ---- stacks

namespace {

// How one child of a stack may be sized along the stack's axis, and where it goes.
struct Slot {
    double minimum = 0;
    double ideal = 0;
    double maximum = 0;
    bool spacer = false;
    double length = 0;  // along the axis
    double across = 0;
    double offset = 0;  // across the axis
    Rect frame;         // relative to the stack's content origin
};

// The slots of one stack's children: inline for the usual handful, on the heap beyond.
class Slots {
public:
    explicit Slots(std::size_t count) : count_(count) {
        if (count > inline_.size()) heap_.resize(count);
    }
    Slot& operator[](std::size_t i) { return count_ > inline_.size() ? heap_[i] : inline_[i]; }
    std::size_t size() const { return count_; }

private:
    std::size_t count_;
    std::array<Slot, 8> inline_{};
    std::vector<Slot> heap_;
};

double along(Axis axis, Size size) { return axis == Axis::vertical ? size.height : size.width; }
double across(Axis axis, Size size) { return axis == Axis::vertical ? size.width : size.height; }

Proposal proposalFor(Axis axis, std::optional<double> alongLength, std::optional<double> acrossLength) {
    return axis == Axis::vertical ? Proposal{acrossLength, alongLength} : Proposal{alongLength, acrossLength};
}

// Where each child of a stack goes (into the slots) and the stack's whole size.
Size arrange(const StackContent& stack, Node& node, Proposal proposal, Layout& layout, Slots& slots) {
    const Axis axis = stack.axis;
    const Axis outer = layout.stackAxis();
    layout.setStackAxis(axis);
    auto& children = node.mutableChildren();
    const std::size_t count = children.size();
    const std::optional<double> alongProposal = axis == Axis::vertical ? proposal.height : proposal.width;
    const std::optional<double> acrossProposal = axis == Axis::vertical ? proposal.width : proposal.height;

    std::size_t spacers = 0;
    double idealTotal = 0;
    for (std::size_t i = 0; i < count; ++i) {
        Slot& e = slots[i];
        if (const auto* s = children[i].as<SpacerContent>()) {
            e.minimum = e.ideal = s->minLength;
            e.maximum = alongProposal ? *alongProposal : s->minLength;
            e.spacer = true;
            ++spacers;
        } else {
            e.ideal = along(axis, layout.measure(children[i], proposalFor(axis, std::nullopt, acrossProposal)));
        }
        idealTotal += e.ideal;
    }

    // Lengths along the axis: every child takes its ideal length when nothing else is asked (a
    // stack placed at the size it asked for); otherwise the least flexible children are served
    // first and spacers share what is left.
    const double spacing = count > 1 ? stack.spacing * static_cast<double>(count - 1) : 0;
    const bool atIdeal = !alongProposal || std::abs(idealTotal + spacing - *alongProposal) < 1e-9;
    if (atIdeal) {
        for (std::size_t i = 0; i < count; ++i) slots[i].length = slots[i].ideal;
    } else {
        double spacerMinimum = 0;
        std::vector<std::size_t> order;
        order.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            Slot& e = slots[i];
            if (e.spacer) {
                spacerMinimum += e.minimum;
                continue;
            }
            e.minimum = along(axis, layout.measure(children[i], proposalFor(axis, 0.0, acrossProposal)));
            e.maximum = along(axis, layout.measure(children[i], proposalFor(axis, *alongProposal, acrossProposal)));
            e.maximum = std::max(e.maximum, e.minimum);
            order.push_back(i);
        }
        double remaining = *alongProposal - spacing - spacerMinimum;
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return slots[a].maximum - slots[a].minimum < slots[b].maximum - slots[b].minimum;
        });
        std::size_t left = order.size();
        for (std::size_t i : order) {
            const double share = std::max(0.0, remaining) / static_cast<double>(left--);
            slots[i].length = std::clamp(share, slots[i].minimum, slots[i].maximum);
            remaining -= slots[i].length;
        }
        const double spacerShare = spacers ? (std::max(0.0, remaining) + spacerMinimum) / static_cast<double>(spacers) : 0;
        for (std::size_t i = 0; i < count; ++i)
            if (slots[i].spacer) slots[i].length = std::max(slots[i].minimum, spacerShare);
    }

    // Sizes across the axis, then positions. Children at their ideal length are asked as they
    // were for it.
    double widest = 0;
    const auto lengthProposal = [&](std::size_t i) {
        return proposalFor(axis, atIdeal ? std::nullopt : std::optional(slots[i].length), acrossProposal);
    };
    for (std::size_t i = 0; i < count; ++i) {
        if (slots[i].spacer) continue;
        const Size s = layout.measure(children[i], lengthProposal(i));
        slots[i].across = across(axis, s);
        widest = std::max(widest, slots[i].across);
    }

    // Horizontal stacks may line their children up on the first text baseline.
    if (axis == Axis::horizontal && stack.vertical == VerticalAlignment::firstTextBaseline) {
        double deepest = 0;
        for (std::size_t i = 0; i < count; ++i) {
            if (slots[i].spacer) continue;
            auto b = layout.baseline(children[i], lengthProposal(i));
            slots[i].offset = b.value_or(slots[i].across);  // the baseline, for now
            deepest = std::max(deepest, slots[i].offset);
        }
        widest = 0;
        for (std::size_t i = 0; i < count; ++i) {
            if (slots[i].spacer) continue;
            slots[i].offset = deepest - slots[i].offset;
            widest = std::max(widest, slots[i].offset + slots[i].across);
        }
    } else {
        const double f = axis == Axis::vertical ? fraction(stack.horizontal) : fraction(stack.vertical);
        for (std::size_t i = 0; i < count; ++i)
            if (!slots[i].spacer) slots[i].offset = (widest - slots[i].across) * f;
    }

    double cursor = 0;
    for (std::size_t i = 0; i < count; ++i) {
        Slot& e = slots[i];
        const double acrossLength = e.spacer ? 0 : e.across;
        e.frame = axis == Axis::vertical ? Rect(e.offset, cursor, acrossLength, e.length)
                                         : Rect(cursor, e.offset, e.length, acrossLength);
        cursor += e.length + stack.spacing;
    }
    const double total = count ? cursor - stack.spacing : 0;
    layout.setStackAxis(outer);
    return axis == Axis::vertical ? Size{widest, total} : Size{total, widest};
}

}  // namespace

Size StackContent::sizeThatFits(Node& node, Proposal proposal, Layout& layout) {
    Slots slots(node.children().size());
    return arrange(*this, node, proposal, layout, slots);
}

void StackContent::placeChildren(Node& node, Rect content, Proposal proposal, Layout& layout) {
    Slots slots(node.children().size());
    const Size used = arrange(*this, node, proposal, layout, slots);
    // Children line up across the whole content, which may be wider than they need.
    const double room = axis == Axis::vertical ? content.width() : content.height();
    const double usedAcross = axis == Axis::vertical ? used.width : used.height;
    const double shift = vertical == VerticalAlignment::firstTextBaseline && axis == Axis::horizontal
                             ? 0
                             : (room - usedAcross) * (axis == Axis::vertical ? fraction(horizontal) : fraction(vertical));
    auto& children = node.mutableChildren();
    const Axis outer = layout.stackAxis();
    layout.setStackAxis(axis);
    for (std::size_t i = 0; i < children.size(); ++i) {
        const Rect& f = slots[i].frame;
        const double x = content.minX() + f.origin.x + (axis == Axis::vertical ? shift : 0);
        const double y = content.minY() + f.origin.y + (axis == Axis::horizontal ? shift : 0);
        layout.place(children[i], Rect(x, y, f.width(), f.height()));
    }
    layout.setStackAxis(outer);
}

std::optional<double> StackContent::firstBaseline(Node& node, Proposal proposal, Layout& layout) {
    auto& children = node.mutableChildren();
    if (children.empty()) return std::nullopt;
    Slots slots(children.size());
    arrange(*this, node, proposal, layout, slots);
    for (std::size_t i = 0; i < children.size(); ++i) {
        if (children[i].as<SpacerContent>()) continue;
        const Rect& f = slots[i].frame;
        if (auto b = layout.baseline(children[i], Proposal{f.width(), f.height()})) return f.origin.y + *b;
        if (axis == Axis::vertical) return std::nullopt;
    }
    return std::nullopt;
}

Size SpacerContent::sizeThatFits(Node&, Proposal proposal, Layout& layout) {
    // A spacer's own stack sizes it; elsewhere it takes what it is offered.
    if (layout.stackAxis() == Axis::vertical) return Size{0, std::max(minLength, proposal.height.value_or(minLength))};
    return Size{std::max(minLength, proposal.width.value_or(minLength)), 0};
}

}  // namespace tarnwick::platform::ui
