#pragma once

#include <cstddef>
#include <functional>
#include <utility>

#include "model/mission_control_geometry.h"
#include "platform/accessibility.h"

namespace tarnwick {

// Answers the geometry read's attribute requests from the Accessibility API: every message is
// bounded by the element's messaging timeout, and an absent attribute is told apart from a failed
// one.
class NativeMissionControlGeometryAccess {
public:
    // One Accessibility element; equal handles are the same element.
    struct Node {
        ElementRef element;
        friend bool operator==(const Node&, const Node&) = default;
    };

    // `maximumNodes` bounds the child and window lists it accepts; `cancelled` is asked around
    // every message and while converting lists.
    NativeMissionControlGeometryAccess(platform::Accessibility& accessibility, int maximumNodes,
                                       std::function<bool()> cancelled = {});

    MissionControlGeometryRead<Node> read(MissionControlGeometryAttribute attribute, const Node& node, double timeout);

private:
    bool isCancelled() const { return cancelled_ && cancelled_(); }

    platform::Accessibility& accessibility_;
    int maximumNodes_;
    std::function<bool()> cancelled_;
};

}  // namespace tarnwick

template <>
struct std::hash<tarnwick::NativeMissionControlGeometryAccess::Node> {
    std::size_t operator()(const tarnwick::NativeMissionControlGeometryAccess::Node& node) const noexcept {
        return std::hash<std::uint64_t>{}(node.element.id);
    }
};
