#pragma once

#include <optional>
#include <vector>

#include "overview/overview_focus_target.h"

namespace tarnwick {

// The cyclic order in which Tab visits the overview's focus targets.
struct OverviewFocusOrder {
    OverviewFocusOrder() = delete;

    // The target after `current` in `order` (before it when going backwards), wrapping at both
    // ends. A current target that is missing, or no longer in the order, starts over at the first
    // target (the last going backwards). Nothing for an empty order.
    static std::optional<OverviewFocusTarget> next(const std::optional<OverviewFocusTarget>& current,
                                                   const std::vector<OverviewFocusTarget>& order, bool backwards);
};

}  // namespace tarnwick
