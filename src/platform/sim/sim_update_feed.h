#pragma once

#include "platform/sim/update_state.h"

namespace tarnwick::sim {

class SimulatedSession;

// One check against the session's feed: the newest item whose build exceeds the running copy's
// "CFBundleVersion" is offered when its bundle has the running copy's identifier and passes the
// code-signing check against the running copy's designated requirement. The session lock must
// be held.
SimUpdateOutcome checkUpdateFeed(SimulatedSession& session);

}  // namespace tarnwick::sim
