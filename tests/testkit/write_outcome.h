#pragma once

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "support/error.h"
#include "support/files.h"

namespace tarnwick::testkit {

// What a write through the file writer answered: "written", the sentence of its refusal or of
// a write that went where it should not have (which says so), or "not refused but failed: " and
// the sentence of its failure.
inline std::string writeOutcome(const std::function<void()>& write) {
    try {
        write();
    } catch (const files::TargetRefused& refused) {
        return refused.what();
    } catch (const files::WrittenAmiss& written) {
        return written.what();
    } catch (const SystemError& error) {
        return std::string("not refused but failed: ") + error.what();
    }
    return "written";
}

// Hooks under which the next write of `file` goes where it should not have: a FIFO takes the
// file's name just before the write's rename, and the swap that put the document there and the
// FIFO aside cannot swap them back. `temporary`, when given, is set to the temporary's path,
// where the FIFO then is.
inline files::WriteHooks swapBackFails(const std::filesystem::path& file, std::filesystem::path* temporary = nullptr) {
    auto exchanges = std::make_shared<int>(0);
    return {.sweepBegins = {},
            .temporaryMade = [temporary](const std::filesystem::path& made) {
                if (temporary) *temporary = made;
            },
            .step = [file, exchanges](files::WriteStep step) {
                if (step == files::WriteStep::placeWithoutReplacing && *exchanges == 0) {
                    std::filesystem::remove(file);
                    ::mkfifo(file.c_str(), 0600);
                }
                return step == files::WriteStep::exchange && ++*exchanges == 2 ? EIO : 0;
            }};
}

}  // namespace tarnwick::testkit
