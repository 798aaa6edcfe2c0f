#include "installation/installation_leftovers.h"

#include <algorithm>

#include "installation/installation_paths.h"
#include "installation/installation_transaction.h"
#include "installation/installation_workspace.h"
#include "support/error.h"

namespace tarnwick::InstallationLeftovers {

namespace fs = std::filesystem;
using Transaction = ApplicationInstallationTransaction;

namespace {

std::string quoted(const fs::path& path) { return "\u201C" + path.string() + "\u201D"; }

void recoverWorkspace(const fs::path& workspace, const fs::path& destination, const Verify& verify,
                      platform::FileManager& files) {
    // Never followed: a link or a file of that name is not a workspace.
    if (files.attributesOfItem(workspace).type != platform::FileType::directory) return;
    if (files.contentsOfDirectory(workspace).empty()) {
        files.removeEmptyDirectory(workspace);
        return;
    }
    if (!InstallationWorkspace::isMarked(workspace, files)) return;

    const fs::path parked = workspace / Transaction::kParkedName;
    if (Transaction::exists(parked, files)) {
        if (!Transaction::exists(destination, files)) {
            verify(parked);
            Transaction::relocate([&] { files.moveItem(parked, destination); }, parked, destination, files);
        } else {
            // The parked copy may be the only working one left; it goes only when the
            // destination holds a copy that works.
            try {
                verify(destination);
            } catch (const std::exception&) {
                throw Error(quoted(destination) + " is not a working copy, so the copy parked beside it stays.");
            }
        }
    }
    InstallationWorkspace::remove(workspace, files);
}

}  // namespace

std::vector<std::string> recover(const fs::path& destinationURL, const Verify& verify, platform::FileManager& files) {
    std::vector<std::string> log;
    const fs::path destination = paths::standardized(destinationURL);
    const fs::path folder = paths::parent(destination);
    std::vector<std::string> names;
    try {
        names = files.contentsOfDirectory(folder);
    } catch (const std::exception& e) {
        // A folder that does not exist holds nothing to clear.
        if (Transaction::exists(folder, files))
            log.push_back("Leftovers of an interrupted installation could not be looked for in " + quoted(folder) +
                          ": " + e.what());
        return log;
    }
    std::sort(names.begin(), names.end());
    for (const auto& name : names) {
        if (!name.starts_with(Transaction::kWorkspacePrefix)) continue;
        const fs::path workspace = folder / name;
        try {
            recoverWorkspace(workspace, destination, verify, files);
        } catch (const std::exception& e) {
            log.push_back("The leftovers of an interrupted installation in " + quoted(workspace) +
                          " were not cleared: " + e.what());
        }
    }
    return log;
}

}  // namespace tarnwick::InstallationLeftovers
