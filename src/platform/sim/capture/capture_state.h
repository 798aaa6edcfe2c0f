#pragma once

#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/screen_capture.h"
#include "platform/text_recognition.h"
#include "support/geometry.h"
#include "platform/sim/recent_log.h"

namespace tarnwick::sim {

// Text drawn on a display's Spaces Bar that is not a caption ("Desktops 2", "desktop 2").
struct SimDecoyText {
    std::uint32_t displayID = 0;
    std::string text;
    double x = 0;  // points from the bar's left edge
};

// How the session answers screen capture, and the faults it injects there. A latency of nothing
// means the completion never comes.
struct SimCaptureFaults {
    std::optional<double> listingLatency = 0.0;
    std::optional<std::string> listingError;
    std::optional<double> screenshotLatency = 0.0;
    std::map<std::uint32_t, std::optional<double>> screenshotLatencyByDisplay;
    std::map<std::uint32_t, std::string> screenshotErrorByDisplay;
    std::map<int, std::string> screenshotErrorByCall;  // by request number, from 1
    std::vector<std::uint32_t> extraSpacesBars;        // displays with a second "Spaces Bar"
    std::vector<Rect> barsOutsideDisplays;             // "Spaces Bar" windows at these frames
    std::vector<SimDecoyText> decoys;
    // For this long after Mission Control opens, the captions glide in from this offset.
    double captionMotionDuration = 0;
    Point captionMotionOffset;
};

// How the simulated recogniser reads, and its faults.
struct SimRecognitionFaults {
    double latency = 0;  // seconds per recognised image, passing on the calling thread
    std::optional<std::string> error;
    // Recognition of the screenshots of one display fails with this description.
    std::map<std::uint32_t, std::string> errorByDisplay;
    float confidence = 1.0f;
    std::map<std::string, float> confidenceByText;
    std::map<std::string, std::string> misreads;  // a caption read as another text
    std::vector<std::pair<std::string, std::string>> joined;  // two captions read as one line
};

// One screenshot request as the session received it.
struct SimCaptureRecord {
    platform::ContentFilter filter;
    std::vector<std::uint32_t> includedWindowIDs;
    platform::ScreenshotConfiguration configuration;
    double requestedAt = 0;
};

// One image handed to the recogniser: where it lies in its screenshot (pixels).
struct SimRecognitionRecord {
    Rect pixels;
    platform::TextRecognitionRequest request;
    std::size_t observations = 0;
};

// Screen capture and text recognition in the simulated session: faults, what Mission Control's
// drawing keeps between frames, and what tests observe.
struct SimCaptureState {
    SimCaptureFaults faults;
    SimRecognitionFaults recognition;

    double missionControlOpenedAt = -std::numeric_limits<double>::infinity();
    // Each display keeps the slot of its Spaces Bar window ids for the session's life, so the
    // ids stay when another display is unplugged.
    std::map<std::uint32_t, std::uint32_t> spacesBarSlots;

    int listings = 0;
    RecentLog<SimCaptureRecord> captures;
    RecentLog<SimRecognitionRecord> recognitions;
    int capturesInFlight = 0;
    int mostCapturesInFlight = 0;
    int recognitionsInFlight = 0;
    int mostRecognitionsInFlight = 0;
};

}  // namespace tarnwick::sim
