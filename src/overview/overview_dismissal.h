#pragma once

#include <array>

#include "overview/overview_interaction_mode.h"

namespace tarnwick {

// Why the overview closed.
enum class OverviewDismissal { escape, shortcut, outsideClick, selection, environment };

inline constexpr std::array<OverviewDismissal, 5> kAllOverviewDismissals{
    OverviewDismissal::escape,    OverviewDismissal::shortcut,    OverviewDismissal::outsideClick,
    OverviewDismissal::selection, OverviewDismissal::environment,
};

// Whether closing hands keyboard focus back to where it came from. Only the user's own ways of
// backing out do, and only when the panel really held key focus; a click elsewhere or a pick has
// already put focus where the user wants it.
constexpr bool restoresFocus(OverviewDismissal dismissal, OverviewInteractionMode mode, bool ownsKeyFocus) {
    return (dismissal == OverviewDismissal::escape || dismissal == OverviewDismissal::shortcut) &&
           mode == OverviewInteractionMode::explicit_ && ownsKeyFocus;
}

}  // namespace tarnwick
