#pragma once

// Where a write lands: the folder it works in, held open for the whole write, and what it found
// at the file's name. Internal to the file writer (support/files); tests reach single steps.

#include <sys/stat.h>

#include <filesystem>
#include <optional>
#include <string>

#include "support/error.h"
#include "support/files.h"

namespace tarnwick::files::detail {

namespace fs = std::filesystem;

// An open folder. Every step of a write is taken relative to it, so a folder renamed or replaced
// by a link meanwhile cannot send the write elsewhere. It is held as a place only (O_PATH): an
// atomic write needs the rights to write in the folder and pass through it, never to list it.
class Folder {
public:
    Folder() = default;
    explicit Folder(int fd) : fd_(fd) {}
    ~Folder();
    Folder(Folder&& other) noexcept;
    Folder& operator=(Folder&& other) noexcept;
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    int fd() const { return fd_; }

private:
    int fd_ = -1;
};

// Opens the folder at `path`, relative to the folder `at` (AT_FDCWD: the working folder). Returns
// a folder whose fd() is -1, errno set, when that is no folder that can be opened.
Folder openFolder(int at, const fs::path& path);

// The failure of a system call on a file, as the person reads it: no such file, no room, or the
// fallback code's sentence. Reads errno, and keeps it as the error's underlying errno.
SystemError posixError(long fallbackCode, const fs::path& path);

// Whether a test's write hooks make this step fail; errno is then what it fails with.
bool injectedFailure(WriteStep step);

struct WriteTarget {
    Folder folder;              // the folder the file is in
    std::string name;           // the file's name in that folder
    fs::path file;              // the file's path as the links spell it (for hooks and sentences)
    std::optional<mode_t> mode; // the regular file there, or none for a new file
};

// The file a write of `path` changes: the path itself, or the end of the chain of symbolic links
// that starts there (a relative link read from the link's own folder). Throws TargetRefused when
// that end exists and is no regular file, when a link lies in a process's table of what it has
// open (/dev/stdout, /proc/self/fd/1: the "file" there is wherever the process's output goes, a
// terminal, a pipe or a file some other program reads), or when the chain is longer than the
// kernel would follow; SystemError when a folder on the way cannot be opened.
WriteTarget resolveWriteTarget(const fs::path& path);

// Checks that what is at the target's name can still be replaced: nothing, or a regular file.
// Throws TargetRefused (saying what is there now) when something else took its place since the
// target was resolved.
void confirmStillReplaceable(const WriteTarget& target, const fs::path& path);

// Renames the temporary (in the target's folder) to the target's name, and never over anything
// but a regular file. It looks at the name last (confirmStillReplaceable); whatever takes the
// name after that is swapped in, looked at, and put back when it is no regular file
// (TargetRefused; the temporary is then the caller's to remove). The swap back is checked, and
// what is at both names looked at after each step: should another program have put an item of
// its own at either name meanwhile, an item it put at the file's name goes back there, and a
// file of its own never stays under the temporary's, where the next run's sweep would take it
// for a leftover (it goes to "<temporary>.kept"). The answer says where the document, what was
// found and each item of another program's are, by absolute paths, and at which names other
// programs changed things; WrittenAmiss where the document stays at the name. The file
// replaced is removed. Where the file system cannot swap, a plain rename follows one more look.
void renameOver(const WriteTarget& target, const std::string& temporary, const fs::path& path);

}  // namespace tarnwick::files::detail
