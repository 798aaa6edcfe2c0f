// Commands whose targets the simulation does not have yet: the status item with its menus, and
// the application's reopen event. They answer what is missing instead of acting.

#include "platform/sim/console/console_commands.h"
#include "support/error.h"

namespace tarnwick::sim {

namespace {

ConsoleCommand pending(const char* name, const char* usage, const char* summary, const char* missing) {
    return {name, usage, summary, false, false, [missing](CommandContext&) { throw Error(missing); }};
}

constexpr const char* kNoStatusItem = "There is no status item in this build yet, so there is nothing to point at.";

}  // namespace

void addPendingCommands(std::vector<ConsoleCommand>& commands) {
    commands.push_back(pending("hover", "hover status-item", "rests the pointer on the status item", kNoStatusItem));
    commands.push_back(pending("unhover", "unhover", "moves the pointer off the status item", kNoStatusItem));
    commands.push_back(pending("double-click", "double-click status-item", "double-clicks the status item", kNoStatusItem));
    commands.push_back(pending("menu", "menu \"<row>\" [\"<row>\" ...]", "chooses in the open menu, submenus by path",
                               "No menu is open: this build has no status item or menus yet."));
    commands.push_back(pending("reopen", "reopen", "opens the application again while it runs (as from the Finder)",
                               "There is no application to reopen in this build yet."));
}

}  // namespace tarnwick::sim
