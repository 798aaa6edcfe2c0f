// Commands whose targets the simulation does not have yet: the application's reopen event. They
// answer what is missing instead of acting.

#include "platform/sim/console/console_commands.h"
#include "support/error.h"

namespace tarnwick::sim {

void addPendingCommands(std::vector<ConsoleCommand>& commands) {
    commands.push_back({"reopen", "reopen", "opens the application again while it runs (as from the Finder)", false,
                        false, [](CommandContext&) { throw Error("There is no application to reopen in this build yet."); }});
}

}  // namespace tarnwick::sim
