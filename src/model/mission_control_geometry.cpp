#include "model/mission_control_geometry.h"

#include <cmath>

namespace tarnwick {

bool MissionControlGeometryLimits::isValid() const {
    const auto positive = [](double seconds) { return std::isfinite(seconds) && seconds > 0; };
    return maximumNodes >= 1 && maximumDepth >= 1 && positive(attributeTimeout) && positive(budget);
}

std::string_view MissionControlGeometryAttribute::rawValue() const {
    switch (case_) {
        case role: return "AXRole";
        case identifier: return "AXIdentifier";
        case title: return "AXTitle";
        case position: return "AXPosition";
        case size: return "AXSize";
        case children: return "AXChildren";
        case windows: return "AXWindows";
    }
    return "";
}

std::optional<MissionControlGeometryAttribute> MissionControlGeometryAttribute::fromRawValue(std::string_view raw) {
    for (auto candidate : allCases)
        if (MissionControlGeometryAttribute(candidate).rawValue() == raw) return MissionControlGeometryAttribute(candidate);
    return std::nullopt;
}

}  // namespace tarnwick
