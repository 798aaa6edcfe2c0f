#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>

#include "platform/ui/declarative/node.h"
#include "platform/ui/text_metrics.h"

namespace tarnwick::platform::ui {

// One layout pass over a tree: sizes come from the nodes' kinds and modifiers, texts are
// measured with the platform's text metrics, scroll offsets come from the host.
class Layout {
public:
    Layout(TextMetrics& metrics, std::unordered_map<std::uint64_t, double>& scrollOffsets)
        : metrics_(metrics), scrollOffsets_(scrollOffsets) {}

    // The node's size for a proposal, its padding and frame included. Remembers the last few
    // answers of each node.
    Size measure(Node& node, Proposal proposal);
    // Gives the node its frame and lays out its content and backgrounds within it.
    void place(Node& node, Rect frame);
    // From the top of the node's frame to its first text baseline, if it shows text.
    std::optional<double> baseline(Node& node, Proposal proposal);

    TextMetrics& metrics() { return metrics_; }
    // The axis of the stack being laid out (spacers stretch along it).
    Axis stackAxis() const { return stackAxis_; }
    void setStackAxis(Axis axis) { stackAxis_ = axis; }
    // The scroll offset of a scrolling node, clamped to its content; 0 at first.
    double scrollOffset(std::uint64_t identity, double maximum);

private:
    Size measureUncached(Node& node, Proposal proposal);

    TextMetrics& metrics_;
    std::unordered_map<std::uint64_t, double>& scrollOffsets_;
    Axis stackAxis_ = Axis::vertical;
};

}  // namespace tarnwick::platform::ui
