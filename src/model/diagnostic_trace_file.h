#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace tarnwick::trace_file {

// Empties the file, creating it and its folder as needed. Throws SystemError.
void truncate(const std::filesystem::path& file);

// Appends one line (its line feed included) so that the file stays within maximumBytes: when the
// line would not fit, the file is first cut to whole lines within its last
// min(maximumBytes - line length, retainedBytes) bytes. Creates the file and its folder as
// needed. The line must not be longer than maximumBytes. Throws SystemError.
void appendBounded(const std::filesystem::path& file, std::string_view line, std::uint64_t maximumBytes,
                   std::uint64_t retainedBytes);

// The last bytes of a file of the given size, at most limit of them, starting at a line start:
// a tail that begins inside the file loses everything up to its first line feed (all of it when
// it has none). Throws SystemError when the file cannot be read.
std::string wholeLineTail(const std::filesystem::path& file, std::uint64_t limit, std::uint64_t size);

}  // namespace tarnwick::trace_file
