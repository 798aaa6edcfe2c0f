#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/file_manager.h"

// What an installation that was stopped halfway (killed, forced to quit, power lost) leaves
// beside the installed copy: a hidden workspace, perhaps holding the replaced copy.
namespace tarnwick::InstallationLeftovers {

using Verify = std::function<void(const std::filesystem::path& bundle)>;

// Clears the workspaces of ours in the destination's folder. When the destination holds no copy
// and a workspace holds a parked copy that still verifies, that copy goes back to the
// destination; the workspaces are then removed. A folder without our marker is never touched
// (an empty one is removed: that loses nothing, and a kill between creating the workspace and
// marking it, or between unmarking and removing it, leaves exactly that). A parked copy that
// cannot go back is kept with its workspace. Never throws: returns one sentence per failure,
// for the log.
std::vector<std::string> recover(const std::filesystem::path& destination, const Verify& verify,
                                 platform::FileManager& files);

}  // namespace tarnwick::InstallationLeftovers
