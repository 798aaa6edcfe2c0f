#include "installation/installation_workspace.h"

#include <algorithm>

#include "support/error.h"

namespace tarnwick::InstallationWorkspace {

namespace fs = std::filesystem;

namespace {

constexpr unsigned kPermissions = 0700;
constexpr const char* kMarkerText = "An installation of Tarnwick works in this folder. Tarnwick removes it.\n";

}  // namespace

void create(const fs::path& workspace, platform::FileManager& files) {
    files.createDirectory(workspace, false, kPermissions);
    try {
        files.createFile(workspace / kMarkerName, kMarkerText);
    } catch (...) {
        removeIfEmpty(workspace, files);
        throw;
    }
}

bool isMarked(const fs::path& workspace, platform::FileManager& files) {
    try {
        return files.attributesOfItem(workspace / kMarkerName).type == platform::FileType::regular;
    } catch (const Error&) {
        return false;
    }
}

bool removeIfEmpty(const fs::path& workspace, platform::FileManager& files) {
    std::vector<std::string> names;
    try {
        names = files.contentsOfDirectory(workspace);
    } catch (const Error&) {
        return false;
    }
    if (names.size() > 1 || (names.size() == 1 && names.front() != kMarkerName)) return false;
    if (!names.empty()) {
        try {
            files.removeItem(workspace / kMarkerName);
        } catch (const Error&) {
            return false;
        }
    }
    return files.removeEmptyDirectory(workspace);
}

void remove(const fs::path& workspace, platform::FileManager& files) {
    auto names = files.contentsOfDirectory(workspace);
    std::sort(names.begin(), names.end());
    bool marked = false;
    for (const auto& name : names) {
        if (name == kMarkerName)
            marked = true;
        else
            files.removeItem(workspace / name);
    }
    if (marked) files.removeItem(workspace / kMarkerName);
    if (!files.removeEmptyDirectory(workspace))
        throw SystemError(file_error::kDomain, file_error::kFileWriteUnknown,
                          "\u201C" + workspace.filename().string() + "\u201D couldn\u2019t be removed.");
}

}  // namespace tarnwick::InstallationWorkspace
