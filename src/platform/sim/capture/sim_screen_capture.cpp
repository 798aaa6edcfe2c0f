#include "platform/sim/capture/sim_screen_capture.h"

#include <algorithm>

#include "platform/sim/capture/mission_control_layout.h"
#include "platform/sim/capture/sim_screenshot_content.h"
#include "platform/sim/sim_window_server.h"
#include "platform/sim/simulated_session.h"

namespace tarnwick::sim {

namespace {

// A window-list entry as screen capture describes the window.
platform::ShareableWindow shareable(SimulatedSession& session, const Value& entry) {
    namespace keys = platform::window_list;
    platform::ShareableWindow result;
    if (const Value* number = entry.find(keys::kNumber)) result.windowID = number->toUInt32().value_or(0);
    if (const Value* name = entry.find(keys::kName); name && name->asString()) result.title = *name->asString();
    if (const Value* bounds = entry.find(keys::kBounds)) {
        auto read = [bounds](const char* key) {
            const Value* v = bounds->find(key);
            return v ? v->toDouble().value_or(0) : 0.0;
        };
        result.frame = Rect(read("X"), read("Y"), read("Width"), read("Height"));
    }
    const Value* owner = entry.find(keys::kOwnerPID);
    const auto pid = owner ? owner->toInt32() : std::nullopt;
    if (pid && *pid == session.system().processID) {
        result.owningApplication = platform::ShareableApplication{kOwnBundleID};
    } else if (const auto* app = pid ? session.application(*pid) : nullptr;
               app && !app->terminated && app->bundleIdentifier) {
        result.owningApplication = platform::ShareableApplication{*app->bundleIdentifier};
    }
    return result;
}

// Draws one line of text whose box in global points is `frame`, into pixels: the screenshot
// maps the source rectangle (global points from `origin`) onto its pixel size.
SimDrawnLine drawLine(const std::string& text, const Rect& frame, Point origin, double scaleX, double scaleY) {
    SimDrawnLine line;
    line.text = text;
    const auto characters = MissionControlLayout::captionCharacters(text);
    double total = 0;
    for (const auto& [character, advance] : characters) total += advance;
    double x = frame.minX();
    for (const auto& [character, advance] : characters) {
        const double width = total > 0 ? frame.width() * advance / total : 0;
        line.characters.push_back({character, Rect((x - origin.x) * scaleX, (frame.minY() - origin.y) * scaleY,
                                                   width * scaleX, frame.height() * scaleY)});
        x += width;
    }
    return line;
}

}  // namespace

platform::ShareableContent SimScreenCapture::shareableContent() const {
    platform::ShareableContent content;
    for (const auto& entry : session_.windowServer().windowList(true))
        content.windows.push_back(shareable(session_, entry));
    for (const auto& display : session_.displays) content.displays.push_back({display.id, display.bounds});
    return content;
}

void SimScreenCapture::getShareableContent(bool, bool, ContentCompletion completion) {
    auto guard = session_.lock();
    ++session_.capture.listings;
    const auto& faults = session_.capture.faults;
    if (!faults.listingLatency) return;  // never completes
    std::optional<platform::ShareableContent> content;
    std::optional<std::string> error = faults.listingError;
    // Without Screen Recording the system refuses the listing (asking for it is SystemInfo's).
    if (!error && !session_.system().preflightScreenCaptureAccess()) error = kScreenRecordingDeclined;
    if (!error) content = shareableContent();
    session_.loop().postAfter(*faults.listingLatency, [completion = std::move(completion), content, error] {
        completion(content, error);
    });
}

platform::ContentFilter SimScreenCapture::makeContentFilter(const platform::ShareableDisplay& display,
                                                            const std::vector<platform::ShareableWindow>& included) {
    auto guard = session_.lock();
    platform::ContentFilter filter;
    filter.display = display;
    filter.includedWindows = included;
    const SimDisplay* simulated = session_.display(display.displayID);
    filter.pointPixelScale = static_cast<float>(simulated ? simulated->scale : 1.0);
    filter.contentRect = Rect(0, 0, display.frame.width(), display.frame.height());
    return filter;
}

void SimScreenCapture::captureImage(const platform::ContentFilter& filter,
                                    const platform::ScreenshotConfiguration& configuration,
                                    ScreenshotCompletion completion) {
    auto guard = session_.lock();
    auto& state = session_.capture;
    const auto& faults = state.faults;
    const std::uint32_t displayID = filter.display.displayID;

    SimCaptureRecord record{filter, {}, configuration, session_.loop().uptime()};
    for (const auto& window : filter.includedWindows) record.includedWindowIDs.push_back(window.windowID);
    state.captures.push_back(record);
    const int call = static_cast<int>(state.captures.size());
    state.mostCapturesInFlight = std::max(state.mostCapturesInFlight, ++state.capturesInFlight);

    std::optional<double> latency = faults.screenshotLatency;
    if (auto it = faults.screenshotLatencyByDisplay.find(displayID); it != faults.screenshotLatencyByDisplay.end())
        latency = it->second;
    std::optional<std::string> error;
    if (auto it = faults.screenshotErrorByCall.find(call); it != faults.screenshotErrorByCall.end())
        error = it->second;
    else if (auto it = faults.screenshotErrorByDisplay.find(displayID); it != faults.screenshotErrorByDisplay.end())
        error = it->second;
    if (!latency) return;  // never completes

    // The text of the included Spaces Bar windows, as the screenshot shows it.
    auto content = std::make_shared<SimScreenshotContent>();
    content->displayID = displayID;
    const Rect& source = configuration.sourceRect;
    if (!error && source.isUsable() && configuration.width > 0 && configuration.height > 0) {
        const Point origin{filter.display.frame.minX() + source.minX(), filter.display.frame.minY() + source.minY()};
        const double scaleX = static_cast<double>(configuration.width) / source.width();
        const double scaleY = static_cast<double>(configuration.height) / source.height();
        for (const SimSpacesBar& bar : MissionControlLayout::bars(session_, session_.loop().uptime())) {
            const std::uint32_t barID = session_.spacesBarWindowID(bar.displayID);
            if (std::none_of(record.includedWindowIDs.begin(), record.includedWindowIDs.end(),
                             [&](std::uint32_t id) { return id == barID; }))
                continue;
            for (const auto& button : bar.buttons)
                content->lines.push_back(drawLine(button.title, button.caption, origin, scaleX, scaleY));
            for (const auto& decoy : faults.decoys) {
                if (decoy.displayID != bar.displayID) continue;
                const Size size = MissionControlLayout::captionSize(decoy.text);
                const double midY = bar.buttons.empty() ? bar.bar.midY() : bar.buttons.front().caption.midY();
                const Rect frame(bar.bar.minX() + decoy.x, midY - size.height / 2, size.width, size.height);
                content->lines.push_back(drawLine(decoy.text, frame, origin, scaleX, scaleY));
            }
        }
    }
    const std::int64_t width = configuration.width, height = configuration.height;
    session_.loop().postAfter(*latency, [this, displayID, width, height, content, error,
                                         completion = std::move(completion)] {
        std::optional<std::string> failure = error;
        {
            auto guard = session_.lock();
            --session_.capture.capturesInFlight;
            // Until it completes, the display can be unplugged or Mission Control close.
            if (!failure && !session_.display(displayID)) failure = kDisplayGone;
            if (!failure && !session_.missionControlOpen) failure = kMissionControlClosed;
        }
        if (failure)
            completion(std::nullopt, failure);
        else
            completion(platform::Screenshot(width, height, content), std::nullopt);
    });
}

}  // namespace tarnwick::sim
