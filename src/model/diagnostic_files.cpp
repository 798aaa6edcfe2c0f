#include "model/diagnostic_files.h"

#include <algorithm>
#include <system_error>
#include <vector>

#include "model/diagnostic_trace_file.h"
#include "platform/platform.h"
#include "support/error.h"
#include "support/files.h"
#include "support/uuid.h"

namespace tarnwick::DiagnosticFiles {

namespace fs = std::filesystem;

namespace {

fs::path diagnosticsFolder() { return platform::libraryFolder() / "Logs" / "Tarnwick"; }

void createFolderQuietly(const fs::path& folder) {
    std::error_code ignored;
    fs::create_directories(folder, ignored);
}

SystemError fileSystemError(const std::error_code& error, long fallbackCode, const fs::path& path) {
    const long code = error == std::errc::no_such_file_or_directory ? file_error::kFileNoSuchFile : fallbackCode;
    return file_error::make(code, path.filename().string());
}

bool isSnapshotName(const std::string& name) {
    const auto startsWith = [&](std::string_view prefix) { return name.rfind(prefix, 0) == 0; };
    return fs::path(name).extension() == ".json" &&
           (startsWith(std::string(kMissionControlPrefix) + "-") || startsWith(std::string(kLabelLocatorPrefix) + "-"));
}

struct SnapshotEntry {
    fs::path path;
    fs::file_time_type modified;
    std::uintmax_t size;
};

// The folder's snapshot files with their dates and sizes. Listed by name first: the directory
// order is unspecified here, and ties in the date order below keep this order.
std::vector<SnapshotEntry> listSnapshots(const fs::path& folder) {
    std::error_code error;
    fs::directory_iterator it(folder, error);
    if (error) throw fileSystemError(error, file_error::kFileReadUnknown, folder);
    std::vector<fs::path> names;
    for (const fs::directory_iterator end; it != end; it.increment(error)) names.push_back(it->path());
    // An error while iterating ends the loop with an incomplete listing.
    if (error) throw fileSystemError(error, file_error::kFileReadUnknown, folder);
    std::sort(names.begin(), names.end());

    std::vector<SnapshotEntry> entries;
    for (const auto& path : names) {
        if (!isSnapshotName(path.filename().string())) continue;
        std::error_code statusError;
        const auto status = fs::symlink_status(path, statusError);
        if (statusError || !fs::is_regular_file(status)) continue;
        std::error_code timeError, sizeError;
        auto modified = fs::last_write_time(path, timeError);
        auto size = fs::file_size(path, sizeError);
        entries.push_back({path, timeError ? fs::file_time_type::min() : modified, sizeError ? 0 : size});
    }
    return entries;
}

void pruneSnapshots(const fs::path& folder, const fs::path& newest) {
    auto entries = listSnapshots(folder);
    // The new file first, then the rest newest first.
    std::stable_sort(entries.begin(), entries.end(), [&](const SnapshotEntry& a, const SnapshotEntry& b) {
        const bool aIsNewest = a.path.filename() == newest.filename();
        const bool bIsNewest = b.path.filename() == newest.filename();
        if (aIsNewest != bIsNewest) return aIsNewest;
        return a.modified > b.modified;
    });
    std::size_t keptCount = 0;
    std::uintmax_t keptBytes = 0;
    for (const auto& entry : entries) {
        if (keptCount < kMaximumSnapshotFiles && entry.size <= kMaximumSnapshotBytes - keptBytes) {
            ++keptCount;
            keptBytes += entry.size;
            continue;
        }
        std::error_code error;
        fs::remove(entry.path, error);  // a file already gone counts as deleted
        if (error) throw fileSystemError(error, file_error::kFileWriteUnknown, entry.path);
    }
}

}  // namespace

fs::path location(const std::string& name) { return diagnosticsFolder() / name; }

fs::path file(const std::string& name) {
    auto path = location(name);
    createFolderQuietly(path.parent_path());
    return path;
}

fs::path writeSnapshot(std::string_view bytes, const std::string& prefix, const std::optional<fs::path>& folder) {
    if (bytes.size() > kMaximumSnapshotBytes) throw file_error::make(file_error::kFileWriteOutOfSpace);
    fs::path target;
    if (folder) {
        target = folder->lexically_normal();
    } else {
        target = diagnosticsFolder();
        createFolderQuietly(target);
    }
    const fs::path snapshot = target / (prefix + "-" + uuid::random() + ".json");
    files::writeAtomically(snapshot, bytes);
    // The new snapshot stays even when pruning fails; the caller still learns of the failure.
    pruneSnapshots(target, snapshot);
    return snapshot;
}

void prepareForAppend(const fs::path& file) noexcept {
    // Every failure (attributes, read, write, even allocation) leaves the file as it was.
    try {
        std::error_code error;
        const auto status = fs::symlink_status(file, error);
        if (error || !fs::is_regular_file(status)) return;
        const auto size = fs::file_size(file, error);
        if (error || size <= kAppendGuardBytes) return;
        // Only the retained tail is read, so memory stays bounded whatever the file's size.
        const std::string tail = trace_file::wholeLineTail(file, kAppendRetainedBytes, size);
        // Without a line start in the window there is nothing whole to keep; leave the file alone.
        if (tail.empty()) return;
        files::writeAtomically(file, tail);
    } catch (...) {
    }
}

}  // namespace tarnwick::DiagnosticFiles
