#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

// The one folder every diagnostic file lives in ("Logs/Tarnwick" in the user's Library), and the
// stateless operations that put files there. Everything runs on the caller's thread.
namespace DiagnosticFiles {

// A snapshot larger than this is refused; the snapshot history adds up to at most this much.
inline constexpr std::uintmax_t kMaximumSnapshotBytes = 8'388'608;
inline constexpr std::size_t kMaximumSnapshotFiles = 8;
// Snapshot name prefixes. Both kinds share one history.
inline constexpr const char* kMissionControlPrefix = "mission-control";
inline constexpr const char* kLabelLocatorPrefix = "label-locator";
// A JSON Lines file larger than this is cut to whole lines within its final retained bytes.
inline constexpr std::uintmax_t kAppendGuardBytes = 1'048'576;
inline constexpr std::uintmax_t kAppendRetainedBytes = 524'288;

// The named file in the diagnostics folder. Touches nothing on disk.
std::filesystem::path location(const std::string& name);

// The same path, after creating its folder; a failure to create it is ignored (the later write
// will fail on its own).
std::filesystem::path file(const std::string& name);

// Writes the bytes as "<prefix>-<UUID>.json" in the folder (the diagnostics folder when none is
// given) and prunes the snapshot history to the newest files within the count and size limits,
// the new file always first. Throws SystemError: out of space for an oversized snapshot (nothing
// written), or the error of the failed write, listing or deletion.
std::filesystem::path writeSnapshot(std::string_view bytes, const std::string& prefix,
                                    const std::optional<std::filesystem::path>& folder = std::nullopt);

// Size guard before appending to a JSON Lines file that no trace manages: a file over the guard
// is cut to the whole lines of its final retained bytes, reading only those. A window with no
// whole line in it leaves the file as it is. Never throws; on any failure the file stays as it
// was.
void prepareForAppend(const std::filesystem::path& file) noexcept;

}  // namespace DiagnosticFiles

}  // namespace tarnwick
