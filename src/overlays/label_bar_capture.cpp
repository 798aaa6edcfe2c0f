#include "overlays/label_bar_capture.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "overlays/rectangle_dictionary.h"
#include "platform/platform.h"
#include "support/run_loop.h"
#include "support/uuid.h"

namespace tarnwick {

namespace {

constexpr const char* kWindowManager = "com.apple.WindowManager";
constexpr const char* kDock = "com.apple.dock";
constexpr const char* kSpacesBarTitle = "Spaces Bar";
// Larger screenshots than this are not taken at their full size.
constexpr double kLargestPixelLength = 1 << 20;

bool ownedBy(const platform::ShareableWindow& window, const char* bundleIdentifier) {
    return window.owningApplication && window.owningApplication->bundleIdentifier == bundleIdentifier;
}

}  // namespace

std::int64_t doubledPixels(double points) {
    const double pixels = std::trunc(2 * points);
    if (!(pixels >= 1)) return 1;
    return static_cast<std::int64_t>(std::min(pixels, kLargestPixelLength));
}

Dictionary BarCaptureRequest::metadata() const {
    std::vector<std::uint32_t> included;
    for (const auto& window : nativeWindows) included.push_back(window.windowID);
    return Dictionary{{"windowID", bar.windowID},
                      {"includedWindowIDs", arrayValue(included)},
                      {"ambiguousWindowIDs", arrayValue(ambiguousWindowIDs)},
                      {"frameCG", rectangleDictionary(bar.frame)}};
}

std::vector<BarCaptureRequest> BarCaptureRequest::build(const platform::ShareableContent& content,
                                                        const std::optional<Rect>& display,
                                                        const std::optional<std::vector<Rect>>& displays) {
    std::vector<BarCaptureRequest> requests;
    for (const auto& window : content.windows) {
        if (!ownedBy(window, kWindowManager) || window.title != kSpacesBarTitle) continue;
        if (display && !display->contains(window.frame)) continue;
        if (displays && std::none_of(displays->begin(), displays->end(),
                                     [&](const Rect& d) { return d.contains(window.frame); }))
            continue;
        BarCaptureRequest request;
        request.bar = window;
        for (const auto& screen : content.displays)
            if (screen.frame.contains(window.frame)) {
                request.screen = screen;
                break;
            }
        for (const auto& other : content.windows)
            if ((ownedBy(other, kWindowManager) || ownedBy(other, kDock)) && other.frame.intersects(window.frame))
                request.nativeWindows.push_back(other);
        requests.push_back(std::move(request));
    }

    // One request per display: the first bar of a display stays, carrying the ids of all of
    // them when there are several.
    std::vector<BarCaptureRequest> reduced;
    std::set<std::uint32_t> seen;
    for (const auto& request : requests) {
        if (!request.screen) {
            reduced.push_back(request);
            continue;
        }
        const std::uint32_t id = request.screen->displayID;
        if (!seen.insert(id).second) continue;
        BarCaptureRequest kept = request;
        std::vector<std::uint32_t> sharing;
        for (const auto& other : requests)
            if (other.screen && other.screen->displayID == id) sharing.push_back(other.bar.windowID);
        if (sharing.size() > 1) kept.ambiguousWindowIDs = std::move(sharing);
        reduced.push_back(std::move(kept));
    }
    return reduced;
}

namespace {

struct Screenshot {
    std::optional<platform::Screenshot> image;
    std::optional<std::string> error;
};

// The platform's screenshot, or nothing when none came within `waitLimit` seconds. The task's
// cancellation ends the wait at once; a screenshot that comes later is dropped.
Task<std::optional<Screenshot>> takeScreenshot(platform::ContentFilter filter,
                                               platform::ScreenshotConfiguration configuration, double waitLimit) {
    typename CompletionWaitAwaiter<Screenshot>::Start start = [filter, configuration](Continuation<Screenshot> done) {
        platform::current().screenCapture->captureImage(
            filter, configuration,
            [done](std::optional<platform::Screenshot> image, std::optional<std::string> error) mutable {
                done.resume(Screenshot{std::move(image), std::move(error)});
            });
    };
    auto wait = waitForCompletion<Screenshot>(std::move(start), systemUptime() + waitLimit);
    std::optional<Screenshot> shot = co_await wait;
    co_return shot;
}

}  // namespace

Task<CapturedLabelBar> captureLabelBar(BarCaptureRequest request, double waitLimit) {
    if (!request.ambiguousWindowIDs.empty()) throw LabelCaptureError(LabelCaptureError::kAmbiguousBars);
    if (!request.screen) throw LabelCaptureError(LabelCaptureError::kMissingDisplay);
    co_await checkCancellation();

    const Rect& bar = request.bar.frame;
    const Rect& screen = request.screen->frame;
    platform::ScreenCapture& capture = *platform::current().screenCapture;
    platform::ContentFilter filter = capture.makeContentFilter(*request.screen, request.nativeWindows);
    platform::ScreenshotConfiguration configuration;
    configuration.sourceRect = Rect(bar.minX() - screen.minX(), bar.minY() - screen.minY(), bar.width(), bar.height());
    configuration.width = doubledPixels(bar.width());
    configuration.height = doubledPixels(bar.height());
    configuration.scalesToFit = true;
    configuration.showsCursor = false;
    configuration.capturesAudio = false;
    configuration.ignoreShadowsSingleWindow = true;

    CapturedLabelBar captured{platform::Screenshot(0, 0), bar, request.bar.windowID, {}, filter.pointPixelScale,
                              filter.contentRect, 0, 0, uuid::random()};
    for (const auto& window : request.nativeWindows) captured.includedWindowIDs.push_back(window.windowID);
    captured.captureStartedAt = systemUptime();
    std::optional<Screenshot> shot = co_await takeScreenshot(filter, configuration, waitLimit);
    if (!shot) throw Error(kLabelBarCaptureTimedOut);
    if (!shot->image) throw Error(shot->error.value_or("The Spaces Bar could not be captured"));
    captured.image = std::move(*shot->image);
    captured.capturedAt = systemUptime();
    co_await checkCancellation();
    co_return captured;
}

}  // namespace tarnwick
