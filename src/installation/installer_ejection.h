#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/workspace.h"

namespace tarnwick::InstallerEjection {

// The option of the ejection launch: the installed copy started a second time only to eject
// the disk image the installer ran from, once the installer has quit.
inline constexpr const char* argument = "--finish-installer-eject";

enum class HandOff {
    notNeeded,  // the installing copy did not run from a disk image
    started,    // the ejection launch runs
    failed,     // an image to eject, but the ejection launch could not be started
};

// Called by the installing copy after it opened the installed copy, just before it quits:
// starts the installed copy's executable as the ejection launch, with the argument vector
// [executable, argument, installer pid, opened app pid, Base64 of the image's JSON].
HandOff schedule(const std::filesystem::path& installingBundle, const platform::RunningApplication& opened);

enum class Outcome {
    ejected,
    rejected,               // not a valid request for this copy: nothing was looked at
    applicationGone,        // the installed copy quit before the installer did
    installerStillRunning,  // the installer had not quit after the last wait
    imageChanged,           // the image is no longer the one handed over
    sourceRejected,         // the copy on the image failed verification
    detachFailed,
};

// The ejection launch: checks the argument vector and this copy, waits (at most 40 slices of
// 0.1 s of the main loop) for the installer to exit and the installed copy to finish launching,
// checks the image and the copy on it with `verifySource`, and detaches the image.
Outcome finish(const std::vector<std::string>& arguments,
               const std::function<void(const std::filesystem::path&)>& verifySource);

inline constexpr int kMaximumWaits = 40;
inline constexpr double kWaitSlice = 0.1;

}  // namespace tarnwick::InstallerEjection
