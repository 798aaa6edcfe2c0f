#include "overview/workstation_preview_status.h"

#include <utility>

namespace tarnwick {

void WorkstationPreviewStatus::requestFocus(std::optional<OverviewFocusTarget> target) {
    preferredFocus = std::move(target);
    focusGeneration.set(focusGeneration.get() + 1);
}

}  // namespace tarnwick
