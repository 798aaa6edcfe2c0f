#pragma once

// The application object of the running program as the simulated session keeps it: launching,
// activation, the about panel, reopens and termination, with what tests observe of them.

#include <optional>

#include "platform/workspace.h"
#include "platform/sim/recent_log.h"

namespace tarnwick::sim {

// One reopen of the running app by the user, and what the delegate answered (nothing: no
// delegate heard it).
struct SimReopen {
    bool hasVisibleWindows = false;
    std::optional<bool> answer;
    friend bool operator==(const SimReopen&, const SimReopen&) = default;
};

struct SimApplicationState {
    int activations = 0;
    int terminations = 0;  // terminate() calls, the first one and every later one
    bool launched = false;
    bool terminated = false;
    // As the program set it; nothing: never set (our process then counts as an accessory app).
    std::optional<platform::ActivationPolicy> activationPolicy;
    // False: the standard about panel shows no window of ours (it stays where the system put it).
    bool aboutPanelShowsWindow = true;
    int aboutPanelRequests = 0;
    RecentLog<SimReopen> reopens;
};

}  // namespace tarnwick::sim
