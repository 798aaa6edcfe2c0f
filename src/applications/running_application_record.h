#pragma once

#include <cstdint>
#include <optional>

#include "applications/space_application_catalog.h"
#include "platform/workspace.h"

namespace tarnwick {

// The app record of a running application as the workspace describes it; named through
// SpaceApplicationCatalog::displayName.
SpaceApplicationCatalog::Application applicationRecord(const platform::RunningApplication& application);

// The app record of the process with that id; nothing when no application runs under it or it
// has terminated.
std::optional<SpaceApplicationCatalog::Application> runningApplicationRecord(std::int32_t processID);

}  // namespace tarnwick
