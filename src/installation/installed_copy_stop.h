#pragma once

#include <filesystem>
#include <vector>

#include "installation/installation_flow.h"
#include "platform/code_signing.h"
#include "support/task.h"

namespace tarnwick {

// How often and how long the stop step looks whether a quit copy is gone: 100 × 0.1 s.
inline constexpr int kQuitWaitLimit = 100;
inline constexpr double kQuitWaitInterval = 0.1;

// Quits the other running copies of this app that are verified installed copies, one after
// another, recording each in the recovery; copies running from elsewhere (a disk image) are
// left alone. Throws applicationStillRunning when a copy refuses to quit or is still running
// after 10 seconds.
Task<void> stopInstalledCopies(platform::CodeRequirement requirement, std::vector<std::filesystem::path> directories,
                               ApplicationInstallationFlow::Recovery& recovery);

}  // namespace tarnwick
