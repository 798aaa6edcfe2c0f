#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "support/error.h"

namespace tarnwick::files {

// What stopped a write, in terms a person can act on: an errno value and the place it is about
// (the folder that is missing or read-only, the path part that is no folder, the file whose name
// is too long).
struct WriteFailure {
    // Which right a permission error (EACCES, EPERM) found missing at the place.
    enum class Missing {
        writing,         // to write in the folder at the place
        passing,         // to pass through the folder at the place to the ones inside it
        replacingOwn,    // the place is another user's file, in a folder that lets only a file's
                         // owner replace it
    };

    int error = 0;  // 0 when nothing tells
    std::filesystem::path place;
    Missing missing = Missing::writing;

    bool operator==(const WriteFailure&) const = default;
};

// What stopped a write of `path` that failed with `failure` (a write error, not a refusal of what
// is at the path). The failing call's errno, which the writer's errors carry, is the cause (no
// space, a quota used up, a read-only disk, no right, too many open files); what the path and the
// folder its file goes in show now only finds its place (which folder is missing or no folder,
// which one may not be written in or passed through). Where no errno was kept, the look alone
// tells: a name or path too long, a folder that is missing or is no folder, a read-only disk, a
// folder this process may not write in. A symbolic link at the path is followed to the file the
// write replaces, as the writer follows it. Only looks.
WriteFailure whatStoppedTheWrite(const SystemError& failure, const std::filesystem::path& path);

// The place as a sentence shows it.
using PlaceQuoting = std::function<std::string(const std::string&)>;
// “<place>”, as the file layer's sentences quote names.
std::string curlyQuoted(const std::string& text);

// The reason as the end of a sentence after "because" ("there isn’t enough space"), or nothing
// for an errno a person can do nothing about.
std::optional<std::string> reasonOf(const WriteFailure& failure, const PlaceQuoting& quoted = curlyQuoted);

// The writer's error for a failed write of `path` said with its reason, where one is known and
// the error does not say it already ("The file “names.json” couldn’t be saved because the folder
// “/a/b” does not exist."); nothing when the error is best left as it is (a refusal of what is at
// the path, no space, a reason nobody can tell).
std::optional<SystemError> withReason(const SystemError& failure, const std::filesystem::path& path);

// Why a file could not be read, from the errno of the call that failed (a look at the path or its
// open), as the end of a sentence: "you may not read it", "you may not open the folder “/a/b”"
// (a folder on the way this process may not pass through), "the symbolic links on its path
// loop". Nothing for an errno a person can do nothing about.
std::optional<std::string> reasonForReading(int error, const std::filesystem::path& path,
                                            const PlaceQuoting& quoted = curlyQuoted);

}  // namespace tarnwick::files
