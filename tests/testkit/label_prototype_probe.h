#pragma once

#include <optional>
#include <string>
#include <vector>

#include "overlays/label_prototype.h"

namespace tarnwick {

// Single steps of the label controller, for tests and benchmarks that measure or check one of
// them alone.
struct LabelPrototypeProbe {
    static bool present(LabelPrototype& controller, const LabelTarget& target, const Rect& native,
                        const std::vector<Rect>& neighbors, double observedAt) {
        return controller.present(target, native, neighbors, observedAt);
    }
    static void trace(LabelPrototype& controller, const std::string& event, Dictionary fields = {}) {
        controller.trace(event, std::move(fields));
    }
    static std::optional<LabelLiveState> liveState(LabelPrototype& controller, const Array& tree, bool forceCatalog) {
        return controller.liveState(tree, forceCatalog);
    }
};

}  // namespace tarnwick
