#pragma once

// State of the simulated update framework: where its feed is, the faults it injects, and what
// tests see of its work.

#include <optional>
#include <string>
#include <vector>

namespace tarnwick::sim {

// The framework keeps its two switches in the app's defaults domain under these keys.
inline constexpr const char* kAutomaticChecksDefaultsKey = "UpdaterChecksAutomatically";
inline constexpr const char* kAutomaticDownloadsDefaultsKey = "UpdaterDownloadsAutomatically";

// The framework's own sentences for a check that ended without an update to offer: what
// happened (the window's message)...
inline constexpr const char* kUpdateFeedUnavailable = "The update information could not be loaded.";
inline constexpr const char* kUpdateNotOffered = "A newer version was found but not offered.";
inline constexpr const char* kUpdateCheckFailed = "The update check did not finish.";
// ...and why (its informative text), one sentence for each cause.
inline constexpr const char* kNoUpdateFeed = "No update feed is configured for this app.";
inline constexpr const char* kUpdateFeedUnreadable = "The update feed could not be read.";
inline constexpr const char* kUpdateFeedInvalid = "The update feed is not a valid feed.";
inline constexpr const char* kUpdateNotVerified = "The update does not carry this app's signature, so it was not offered.";
inline constexpr const char* kRunningCopyUnsigned =
    "This copy of the app is not signed, so no update can be verified for it and none was offered.";
inline constexpr const char* kRunningVersionUnknown = "The version of this app could not be read.";

// How long a check takes in real time when the session does not say: about as long as fetching
// a feed over the network, so that the window's checking state can be seen. On virtual time a
// check ends on the loop's next turn.
inline constexpr double kRealTimeCheckSeconds = 1;

// How one check ended. Nothing is downloaded or installed.
struct SimUpdateOutcome {
    enum class Kind { upToDate, updateFound, failed };
    Kind kind = Kind::upToDate;
    std::string version;  // of the update found
    std::string message;  // a failed check's: what happened
    std::string reason;   // and why
    bool automatic = false;

    friend bool operator==(const SimUpdateOutcome&, const SimUpdateOutcome&) = default;
};

struct SimUpdates {
    // A "file" URL of the feed: a JSON array of {"build": whole number, "version": string,
    // "url": "file" URL of the update's bundle folder}. Nothing (or empty): no feed is configured.
    std::optional<std::string> feedURL;
    // Set: starting fails with this description.
    std::optional<std::string> startError;
    bool allowsAutomaticUpdates = true;
    // Seconds from a change of a switch until observers hear of it.
    double reportingDelay = 0;
    // Whether the reported changes carry the new value.
    bool changesCarryValues = true;
    // Seconds between automatic checks while they are on and the updater runs.
    double checkInterval = 86400;
    // Seconds a check takes; the updater cannot check meanwhile. Nothing: kRealTimeCheckSeconds
    // in real time, none on virtual time.
    std::optional<double> checkDuration;

    // ---- seen by tests
    int controllersMade = 0;
    int startCalls = 0;
    int checkRequests = 0;  // user-initiated, whether or not they ran
    std::vector<SimUpdateOutcome> outcomes;
};

}  // namespace tarnwick::sim
