#pragma once

#include <cstdint>
#include <optional>

namespace tarnwick {

// How the current presentation of the overview is worked.
enum class OverviewInteractionMode {
    hover,      // opened by hovering over the status item: pointer only, the panel never becomes key
    explicit_,  // opened by double click, menu item or shortcut: the panel takes keyboard focus
};

constexpr bool acceptsKeyboard(OverviewInteractionMode mode) { return mode == OverviewInteractionMode::explicit_; }

// An explicit presentation stays open when the pointer leaves it.
constexpr bool pinned(OverviewInteractionMode mode) { return mode == OverviewInteractionMode::explicit_; }

// Keyboard focus needs this application active; it already is when it is the frontmost one.
constexpr bool requiresApplicationActivation(OverviewInteractionMode mode, std::optional<std::int32_t> frontmostPID,
                                             std::int32_t applicationPID) {
    return mode == OverviewInteractionMode::explicit_ && (!frontmostPID || *frontmostPID != applicationPID);
}

}  // namespace tarnwick
