#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "support/error.h"

namespace tarnwick::files {

namespace fs = std::filesystem;

// Opens a regular file, or a link to one, with `flags` (O_RDONLY, O_WRONLY | O_APPEND, ...) and
// close-on-exec. The open never waits: a FIFO, a device or a socket at the path is refused, since
// opening one can block until some other process shows up. Returns the descriptor, or -1 with
// errno set (EINVAL for an item that is not a regular file).
int openRegular(const fs::path& path, int flags);

// Reads a whole regular file; throws SystemError when it cannot be read or is no regular file.
std::string read(const fs::path& path);
// The same, piece by piece: `keepReading` is given each piece as it comes, and the read stops
// once it returns false, with what was read up to there (that piece included). A reader that
// can tell from the start that a file is of no use needs no more of it in memory.
std::string read(const fs::path& path, const std::function<bool(std::string_view piece)>& keepReading);

// Replaces the file atomically: the bytes go to a temporary file in the same folder, are flushed,
// and the temporary is renamed over the target. An interrupted write leaves the old file whole.
// A symbolic link at the path (or a chain of them, relative or absolute, even one that leads to
// nothing yet) is written through: the link stays, and the file at the end of the chain is
// replaced, its temporary in that file's own folder. The write works in that folder, held open,
// throughout, and needs the rights to write in it and pass through it, never to list it. Throws
// SystemError on failure (the temporary is removed), and TargetRefused, before anything is
// opened or changed, when what is at the end of the chain exists and is no regular
// file, when a link on the way is one of a process's links to what it has open (/dev/stdout,
// /dev/fd/N, /proc/<pid>/fd/N), or when the links loop. Whatever takes the file's name while the
// write goes on is looked at again before the rename, and is never replaced unless it is a
// regular file (TargetRefused; it is left as it was; WrittenAmiss where it cannot be put back
// after the document took its place). A temporary's name is never longer than the
// longest legal name, whatever the file's. The first write of a file in a run first removes the
// temporaries that killed writes of it left before the run started; a temporary of a write in
// flight, of this process or another, is never removed, whatever its stamp.
void writeAtomically(const fs::path& path, std::string_view bytes);

// A write refused because what is at the path is not a file it may replace (a folder, a FIFO, a
// device, a socket, a process's link to what it has open, links that loop). what() says what is
// there and that nothing was written; because() says what is there alone, as the end of a
// sentence ("it is a folder, not a regular file"), for a reader that could not read it either.
class TargetRefused : public SystemError {
public:
    TargetRefused(std::string domain, long code, std::string description, std::string because)
        : SystemError(std::move(domain), code, std::move(description)), because_(std::move(because)) {}
    const std::string& because() const { return because_; }

private:
    std::string because_;
};

// A write that went through where it should not have: the document is at the file's name, but
// what it found there (no regular file, which it swapped out of the way to look at) could not be
// put back. what() says where the document and every other item are, by their absolute paths.
// The caller's document is saved: it tells this as written, with the sentence, not as a failure.
class WrittenAmiss : public SystemError {
public:
    using SystemError::SystemError;
};

// The refusal a write of `path` would meet now, or none: what writeAtomically refuses before it
// opens anything (see TargetRefused). Only looks, so a caller that wants the sentence for what is
// there never risks writing.
std::optional<TargetRefused> refusalOfWriting(const fs::path& path);

// The most links a write follows from its path to the file, as the kernel does for an open.
inline constexpr int kMostLinksFollowed = 40;

// Creates a folder with its intermediate folders; throws SystemError on failure.
void createDirectories(const fs::path& path);

// Appends bytes at the end of a regular file, made when missing. Follows links as writeAtomically
// does and refuses what it refuses, with the same TargetRefused; throws SystemError on failure.
void append(const fs::path& path, std::string_view bytes);

// Size of a regular file, or nothing when it cannot be read.
std::optional<std::uintmax_t> size(const fs::path& path);

// Exists without following a final symbolic link.
bool itemExists(const fs::path& path);

// The system calls of a write that a test can make fail or act just before.
enum class WriteStep {
    openFolder,           // a folder on the way to the file is opened
    makeTemporary,        // the temporary is made
    inspectTemporary,     // the new temporary is looked at (fstat)
    writeBytes,           // the bytes go into it
    flush,                // they are flushed to the disk
    placeWithoutReplacing,  // renamed to the file's name where nothing is (RENAME_NOREPLACE)
    exchange,             // swapped with what is at the file's name (RENAME_EXCHANGE)
    rename,               // renamed over the file where the file system cannot swap
};

// Points where a test can hold a write, to line threads up as they may run. The program sets none.
struct WriteHooks {
    // The first write of a file in the run, before it looks for leftover temporaries.
    std::function<void(const fs::path& file)> sweepBegins;
    // A write's temporary file exists; its bytes go in next, and then it is renamed.
    std::function<void(const fs::path& temporary)> temporaryMade;
    // Before each step: may do what another program would at that moment, and returns the errno
    // the step fails with (a full disk, a quota, a file system that cannot swap), or 0 to take it.
    std::function<int(WriteStep step)> step;
};

// Installs write hooks for its lifetime.
class WriteHooksScope {
public:
    explicit WriteHooksScope(WriteHooks hooks);
    ~WriteHooksScope();
    WriteHooksScope(const WriteHooksScope&) = delete;
    WriteHooksScope& operator=(const WriteHooksScope&) = delete;
};

}  // namespace tarnwick::files
