#include "app/display_identification_state.h"

#include <cmath>

#include "support/uuid.h"

namespace tarnwick {

std::optional<DisplayIdentificationState::Presentation> DisplayIdentificationState::begin(
    const std::string& displayID, const std::vector<std::string>& connectedIDs, double now) {
    ++generation;
    current.reset();
    if (!std::isfinite(now)) return std::nullopt;
    const auto identity = uuid::canonical(displayID);
    if (!identity) return std::nullopt;
    int matches = 0;
    for (const auto& connected : connectedIDs)
        if (uuid::canonical(connected) == identity) ++matches;
    if (matches != 1) return std::nullopt;
    current = Presentation{*identity, generation, now + kDuration};
    return current;
}

void DisplayIdentificationState::cancel() {
    ++generation;
    current.reset();
}

bool DisplayIdentificationState::expire(int token, double now) {
    if (!current || current->token != token || !(now >= current->deadline)) return false;
    current.reset();
    ++generation;
    return true;
}

}  // namespace tarnwick
