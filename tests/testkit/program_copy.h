#pragma once

#include <filesystem>

#include "testkit/temp_folder.h"

namespace tarnwick::testkit {

// Copies of the built program and of a session file in a folder of the test's own, so that a test
// run as another user starts them wherever the checkout lies (a home folder closed to others, say).
// Copies, not links: the folder is given to that user, and a link would give away the build's file.
struct ProgramCopy {
    explicit ProgramCopy(const std::filesystem::path& sessionFile) {
        std::filesystem::copy_file(TARNWICK_BINARY, program);
        std::filesystem::copy_file(sessionFile, session);
    }

    TempFolder folder;
    std::filesystem::path program = folder / "tarnwick";
    std::filesystem::path session = folder / "session.json";
};

}  // namespace tarnwick::testkit
