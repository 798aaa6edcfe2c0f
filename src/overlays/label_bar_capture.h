#pragma once

// The capture side of the label locator: which Spaces Bar windows to capture, with which windows
// and on which display, and one screenshot of a bar.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/screen_capture.h"
#include "support/error.h"
#include "support/geometry.h"
#include "support/task.h"
#include "support/value.h"

namespace tarnwick {

// Why a bar cannot be captured at all.
class LabelCaptureError : public Error {
public:
    static constexpr const char* kMissingDisplay = "No display contains the measured Spaces Bar";
    static constexpr const char* kAmbiguousBars = "Multiple Spaces Bars belong to the same display";
    explicit LabelCaptureError(const char* description) : Error(description) {}
};

// One Spaces Bar to capture.
struct BarCaptureRequest {
    platform::ShareableWindow bar;
    std::optional<platform::ShareableDisplay> screen;  // the first display containing the bar
    std::vector<platform::ShareableWindow> nativeWindows;  // what the screenshot may show
    std::vector<std::uint32_t> ambiguousWindowIDs;  // every bar of the display, when it has several

    // "windowID", "includedWindowIDs", "ambiguousWindowIDs", "frameCG".
    Dictionary metadata() const;

    // The bars among the windows (the WindowManager's "Spaces Bar" windows inside `display` and
    // inside one of `displays`, when given), one request per display.
    static std::vector<BarCaptureRequest> build(const platform::ShareableContent& content,
                                                const std::optional<Rect>& display,
                                                const std::optional<std::vector<Rect>>& displays);
};

// One screenshot of a bar.
struct CapturedLabelBar {
    platform::Screenshot image;
    Rect frame;  // the bar's frame as screen capture reports it
    std::uint32_t windowID = 0;
    std::vector<std::uint32_t> includedWindowIDs;
    float filterScale = 1;
    Rect filterRect;
    double captureStartedAt = 0;  // system uptime just before the screenshot was requested
    double capturedAt = 0;        // and just after it arrived
    std::string observationID;    // a fresh UUID per screenshot
};

// Screenshots a bar at twice its point size, whatever the display's scale. Throws
// LabelCaptureError for a bar that cannot be captured, an Error with the platform's description
// (or with `kTimedOut` when no screenshot came within `waitLimit` seconds), or CancellationError.
Task<CapturedLabelBar> captureLabelBar(BarCaptureRequest request, double waitLimit);

inline constexpr const char* kLabelBarCaptureTimedOut = "The Spaces Bar capture did not finish in time";

// A point length at twice its size in whole pixels: at least 1, and never converted from a
// number that does not fit.
std::int64_t doubledPixels(double points);

}  // namespace tarnwick
