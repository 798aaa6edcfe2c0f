#include "overview/overview_focus_order.h"

#include <algorithm>

namespace tarnwick {

std::optional<OverviewFocusTarget> OverviewFocusOrder::next(const std::optional<OverviewFocusTarget>& current,
                                                            const std::vector<OverviewFocusTarget>& order,
                                                            bool backwards) {
    if (order.empty()) return std::nullopt;
    const auto found = current ? std::find(order.begin(), order.end(), *current) : order.end();
    if (found == order.end()) return backwards ? order.back() : order.front();
    const auto n = order.size();
    const auto i = static_cast<std::size_t>(found - order.begin());
    return order[(i + (backwards ? n - 1 : 1)) % n];
}

}  // namespace tarnwick
