#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "overview/overview_focus_target.h"
#include "overview/overview_interaction_mode.h"
#include "overview/overview_keyboard_command.h"
#include "support/observable.h"

namespace tarnwick {

// What the overview's presenter tells its view, and what travels from the keyboard to the view:
// the error to show, the interaction mode, where keyboard focus should go, keyboard commands and
// the request to close. Main loop only.
class WorkstationPreviewStatus {
public:
    WorkstationPreviewStatus() = default;
    WorkstationPreviewStatus(const WorkstationPreviewStatus&) = delete;
    WorkstationPreviewStatus& operator=(const WorkstationPreviewStatus&) = delete;

    // The line of error text the view shows; cleared when a pick starts.
    Published<std::optional<std::string>> errorMessage;
    Published<OverviewInteractionMode> interactionMode{OverviewInteractionMode::hover};
    // Moves on with every focus request; the view moves its focus when it changes.
    Published<std::uint64_t> focusGeneration{0};

    // Where keyboard focus should go; read when focusGeneration changes.
    std::optional<OverviewFocusTarget> preferredFocus;
    // The presenter's close for Escape; the view calls it for the cancel command.
    std::function<void()> dismissRequested;
    // Keyboard commands from the hosting view, forwarded while the panel is key in explicit mode.
    Signal<OverviewKeyboardCommand> keyboardCommands;

    // Stores the target before publishing the new generation, so observers read it; asking twice
    // for the same target publishes twice.
    void requestFocus(std::optional<OverviewFocusTarget> target);
};

}  // namespace tarnwick
