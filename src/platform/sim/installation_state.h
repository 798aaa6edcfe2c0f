#pragma once

// State of the simulated session that self-installation meets: the machine's folders, the
// running bundle, disk images, the process table, launching, code-signing faults and alerts.

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/alerts.h"
#include "platform/application_launcher.h"
#include "support/geometry.h"
#include "platform/sim/recent_log.h"

namespace tarnwick::sim {

// The machine's folders. "/Applications" and "/Volumes" are real folders under `root`; the
// user's folders are under the session's home.
struct SimFileSystem {
    std::filesystem::path root;
    // Folders the file manager reports as not writable (tests may run with every right).
    std::set<std::filesystem::path> unwritableFolders;
    // The running copy's bundle; nothing: derived from the executable's path.
    std::optional<std::filesystem::path> mainBundle;
    std::string rootVolumeUUID = "5A1D3C7E-2B94-4F08-9E61-0C8D7B2A4F13";
};

// A disk image attached by the disk-image tool. Its volume is a real folder.
struct SimDiskImage {
    std::filesystem::path imagePath;
    std::string device = "/dev/disk4s1";   // the mounted volume's entry
    std::string wholeDisk = "/dev/disk4";  // the partition scheme's entry (no mount point)
    std::filesystem::path mountPoint;
    std::string volumeUUID;
    bool writeable = false;
    std::optional<std::int64_t> hdidPID = 812;
    bool attached = true;
};

enum class SimDetachAnswer { detach, busy, fail };

// "/usr/bin/hdiutil": lists the attached images ("info -plist") and detaches them.
struct SimDiskImageTool {
    std::vector<SimDiskImage> images;
    SimDetachAnswer detachAnswer = SimDetachAnswer::detach;
    bool infoFails = false;
    std::optional<std::string> infoOutput;  // replaces the generated listing
    RecentLog<std::vector<std::string>> invocations;
};

// How a running application answers a quit request.
enum class SimQuitAnswer { quit, refuse, ignore };

// What the process table knows of a process beyond the workspace's list.
struct SimProcessDetails {
    std::optional<std::filesystem::path> executable;
    bool finishedLaunching = true;
    SimQuitAnswer quitAnswer = SimQuitAnswer::quit;
    double quitDelay = 0.2;  // from the request until the application is gone
    std::vector<std::string> arguments;
};

struct SimSpawn {
    std::filesystem::path executable;
    std::vector<std::string> argv;  // the executable's path first
    std::filesystem::path workingDirectory;
};

struct SimProcessTable {
    std::map<std::int32_t, SimProcessDetails> details;
    std::set<std::int32_t> otherProcesses;    // live processes that are not applications
    std::map<std::int32_t, int> probeErrors;  // signal-0 answers forced per process
    RecentLog<std::int32_t> quitRequests;
    RecentLog<SimSpawn> spawned;
    bool spawnFails = false;
};

struct SimOpenRequest {
    std::filesystem::path bundle;
    platform::OpenConfiguration configuration;
};

// What opening an application does.
struct SimLaunchServices {
    std::optional<std::string> openError;  // opening fails with this sentence
    // The system runs a copy from this bundle instead of the one asked for (a temporary copy).
    std::optional<std::filesystem::path> launchesFrom;
    double completionDelay = 0.1;
    double launchDuration = 0.5;  // until a new instance finishes launching
    RecentLog<SimOpenRequest> requests;
    RecentLog<std::filesystem::path> revealedInFinder;
};

struct SimCodeSigningState {
    bool selfAvailable = true;  // false: the running program's requirement cannot be obtained
};

// One answer of the user to an alert: the button chosen (a title, or "escape"), and the text
// typed into the alert's text field first, if any.
struct SimAlertAnswer {
    std::string button;
    std::optional<std::string> text;
    SimAlertAnswer(std::string chosen, std::optional<std::string> typed = std::nullopt)
        : button(std::move(chosen)), text(std::move(typed)) {}
    SimAlertAnswer(const char* chosen) : button(chosen) {}
};

struct SimShownAlert {
    platform::Alert alert;  // as it was when answered (its field holds the typed text)
    std::string answer;     // the chosen button's title
    Rect windowFrame;       // where its window was, in screen coordinates
    std::optional<std::uint32_t> screen;  // the display id of the screen holding most of it
    bool keyAndFront = false;
};

// The user's answers to modal alerts, each a button title or "escape", with optional typed
// text. An alert without a scripted answer is answered with Escape (or its first button when none
// has Escape). An answer that names no button of its alert makes the session file invalid: the
// alert is aborted and the sentence kept in `error` for the program to report.
struct SimAlertScript {
    std::deque<SimAlertAnswer> answers;
    // The simulated user's console: hears each alert when it shows and when it closes (with the
    // chosen button's title, empty when aborted), and answers those the script does not answer
    // (nothing: Escape, as without it).
    std::function<void(const platform::Alert&)> onShow;
    std::function<std::optional<SimAlertAnswer>(platform::Alert&)> ask;
    std::function<void(const platform::Alert&, const std::string& button)> onClose;
    RecentLog<SimShownAlert> shown;
    int answered = 0;  // scripted answers used so far
    std::optional<std::string> error;
};

}  // namespace tarnwick::sim
