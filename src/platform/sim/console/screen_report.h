#pragma once

#include <string>
#include <vector>

namespace tarnwick::platform {
class Alert;
}

namespace tarnwick::sim {

class SimulatedSession;

// Everything on the simulated screen now, as lines: the displays with their current desktops,
// Mission Control and its captions, the session's state, the pointer, the status item, the open
// menu, the open alert, and every visible window and panel of ours with its texts, a declarative
// window's view tree one node per line under it.
std::vector<std::string> screenReport(SimulatedSession& session, const platform::Alert* openAlert);

}  // namespace tarnwick::sim
