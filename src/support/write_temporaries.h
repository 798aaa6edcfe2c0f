#pragma once

// The temporary files of atomic writes: their names, how a write holds its own, and the sweep of
// those that killed writes left. Internal to the file writer (support/files); tests reach single
// steps.

#include <sys/types.h>

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "support/files.h"

namespace tarnwick::files::detail {

struct WriteTarget;

// `.<stem>.<UUID>.tmp`, the stem being the file's name, or for a name too long for that, its
// start cut between characters, "~" and a digest of the whole name.
std::string temporaryName(std::string_view fileName);

// Holds a name in this process's registry of temporaries in flight while it lives.
class InFlightTemporary {
public:
    explicit InFlightTemporary(std::string name);
    ~InFlightTemporary();
    InFlightTemporary(const InFlightTemporary&) = delete;
    InFlightTemporary& operator=(const InFlightTemporary&) = delete;

private:
    std::string name_;
};

// A write's temporary in its file's folder. Its name is held in this process's registry from
// before the file exists, and the file is locked while it is open: no sweep, of this process or of
// another one, removes it while the write goes on. Removed when it goes unless renamed.
class HeldTemporary {
public:
    // Throws SystemError when the folder takes no new file.
    HeldTemporary(int folder, std::string_view fileName, const std::filesystem::path& path);
    ~HeldTemporary();
    HeldTemporary(const HeldTemporary&) = delete;
    HeldTemporary& operator=(const HeldTemporary&) = delete;

    int fd() const { return fd_; }
    const std::string& name() const { return name_; }
    // The temporary now carries the file's name: nothing is left to remove.
    void renamed() { renamed_ = true; }

private:
    void removeIfStillOurs() const;

    int folder_;
    std::string name_;
    int fd_ = -1;
    ino_t inode_ = 0;
    bool renamed_ = false;
    std::optional<InFlightTemporary> registration_;
};

// Now, by the clock the kernel stamps files from at its finest: no file made before this moment
// carries a later stamp.
timespec stampNow();

// Removes from the folder the temporaries of the file `fileName` that killed writes left: regular
// files named as its temporaries, stamped before `start`, that no write holds (a write of another
// process holds its own locked; one of this process, by name too). Failures change nothing.
void removeLeftoversStampedBefore(int folder, const std::string& fileName, const timespec& start);

// The first write of a file in a run sweeps its folder of what killed writes of the file left
// before the run began. Once per file and run: whatever is left later comes from this run, and
// the next run removes it.
void removeLeftoverTemporaries(const WriteTarget& target, const WriteHooks& hooks);

}  // namespace tarnwick::files::detail
