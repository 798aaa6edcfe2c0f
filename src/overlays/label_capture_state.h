#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>

namespace tarnwick {

// The bookkeeping of one recognition request over every display: which request is current,
// whether its capture task may still run, which displays have not reported, which observations
// were taken and which desktops' captions were confirmed. Ids are UUID strings. A plain value,
// used on the main loop only.
//
// `flightID` is set by begin() and cleared only by drained(): while a capture task of an earlier
// request may still run, no new request begins, even after cancel().
struct LabelCaptureState {
    struct Display {
        std::string signature;  // the display's live-state signature when the request began
        std::set<std::string> desktopIDs;  // desktops whose captions this display can confirm
        friend bool operator==(const Display&, const Display&) = default;
    };

    std::optional<std::string> flightID;
    std::optional<std::string> requestID;
    double startedAt = 0;
    int expectedLabels = 0;
    std::set<std::string> confirmedDesktopIDs;
    std::map<std::string, Display> displays;  // by display UUID string
    std::set<std::string> pendingDisplays;
    std::set<std::string> observations;

    LabelCaptureState() = default;
    LabelCaptureState(std::optional<std::string> flightID, std::optional<std::string> requestID, double startedAt,
                      int expectedLabels, std::set<std::string> confirmedDesktopIDs);

    // The desktops of the displays that have not finished yet.
    std::set<std::string> pendingDesktopIDs() const;

    // A new request over these displays, or nothing while a capture task has not drained.
    std::optional<std::string> begin(std::map<std::string, Display> displays, int expectedLabels, double now);
    bool isCurrent(const std::string& request) const;
    // Takes an observation of the current request: the display's signature unchanged, captured
    // after the request began, at most two seconds ago, and not taken before.
    bool admit(const std::string& request, const std::string& displayID, const std::string& signature,
               const std::string& observationID, double capturedAt, double now);
    void confirm(const std::string& desktopID);
    void discardConfirmation(const std::string& displayID);
    void finished(const std::string& displayID, const std::string& request);
    void drained(const std::string& request);
    // Back to idle, except that the flight stays recorded until its task drains.
    void cancel();
};

}  // namespace tarnwick
