#include "model/native_mission_control_geometry_access.h"

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

namespace tarnwick {

namespace ax = platform::ax_error;

NativeMissionControlGeometryAccess::NativeMissionControlGeometryAccess(platform::Accessibility& accessibility,
                                                                       int maximumNodes,
                                                                       std::function<bool()> cancelled)
    : accessibility_(accessibility), maximumNodes_(maximumNodes), cancelled_(std::move(cancelled)) {}

MissionControlGeometryRead<NativeMissionControlGeometryAccess::Node> NativeMissionControlGeometryAccess::read(
    MissionControlGeometryAttribute attribute, const Node& node, double timeout) {
    using Read = MissionControlGeometryRead<Node>;
    using AttributeValue = MissionControlGeometryValue<Node>;

    if (isCancelled()) return Read::failure();
    // A timeout of zero tells the platform to use its default (seconds), so a tiny remainder of
    // the budget must not round down to it.
    const float seconds = std::max(static_cast<float>(timeout), std::numeric_limits<float>::min());
    if (accessibility_.setMessagingTimeout(node.element, seconds) != ax::kSuccess) return Read::failure();
    if (isCancelled()) return Read::failure();

    Value value;
    const platform::AXError error = accessibility_.copyAttributeValue(node.element, std::string(attribute.rawValue()), value);
    if (error == ax::kNoValue || error == ax::kAttributeUnsupported) return Read::unavailable();
    if (error != ax::kSuccess || value.isNull()) return Read::failure();

    switch (attribute.value()) {
        case MissionControlGeometryAttribute::role:
        case MissionControlGeometryAttribute::identifier:
        case MissionControlGeometryAttribute::title:
            if (auto* text = value.asString()) return Read::of(AttributeValue::string(*text));
            return Read::failure();
        case MissionControlGeometryAttribute::position:
            if (auto* geometry = value.asGeometry(); geometry && geometry->kind == GeometryValue::Kind::point)
                return Read::of(AttributeValue::point(geometry->point));
            return Read::failure();
        case MissionControlGeometryAttribute::size:
            if (auto* geometry = value.asGeometry(); geometry && geometry->kind == GeometryValue::Kind::size)
                return Read::of(AttributeValue::size(geometry->size));
            return Read::failure();
        case MissionControlGeometryAttribute::children:
        case MissionControlGeometryAttribute::windows: {
            auto* items = value.asArray();
            if (!items || items->size() > static_cast<size_t>(std::max(maximumNodes_, 0))) return Read::failure();
            std::vector<Node> nodes;
            nodes.reserve(items->size());
            for (const Value& item : *items) {
                if (isCancelled()) return Read::failure();
                auto* element = item.asElement();
                if (!element) return Read::failure();
                nodes.push_back(Node{*element});
            }
            return Read::of(AttributeValue::nodes(std::move(nodes)));
        }
    }
    return Read::failure();
}

}  // namespace tarnwick
