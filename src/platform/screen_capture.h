#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/screenshot.h"
#include "support/geometry.h"

namespace tarnwick::platform {

// The application that owns a shareable window.
struct ShareableApplication {
    std::string bundleIdentifier;
};

// A window as screen capture lists it. Frames are global points, origin at the top left of the
// main display, y down.
struct ShareableWindow {
    std::uint32_t windowID = 0;
    std::optional<std::string> title;
    Rect frame;
    std::optional<ShareableApplication> owningApplication;
};

struct ShareableDisplay {
    std::uint32_t displayID = 0;
    Rect frame;
};

struct ShareableContent {
    std::vector<ShareableWindow> windows;  // front to back
    std::vector<ShareableDisplay> displays;
};

// What one screenshot may show: one display with the windows it includes.
struct ContentFilter {
    ShareableDisplay display;
    std::vector<ShareableWindow> includedWindows;
    float pointPixelScale = 1;
    Rect contentRect;  // the display's content in points, relative to the display
};

// How one screenshot is taken.
struct ScreenshotConfiguration {
    Rect sourceRect;  // points, relative to the filter's display
    std::int64_t width = 0;   // pixels
    std::int64_t height = 0;  // pixels
    bool scalesToFit = false;
    bool showsCursor = true;
    bool capturesAudio = false;
    bool ignoreShadowsSingleWindow = false;
};

// Screen capture. Completions may come on any thread, late, or never; a failure comes as the
// platform's own description. Whether capture is allowed at all is SystemInfo's to tell.
class ScreenCapture {
public:
    using ContentCompletion =
        std::function<void(std::optional<ShareableContent> content, std::optional<std::string> error)>;
    using ScreenshotCompletion =
        std::function<void(std::optional<Screenshot> screenshot, std::optional<std::string> error)>;

    virtual ~ScreenCapture() = default;
    virtual void getShareableContent(bool excludingDesktopWindows, bool onScreenWindowsOnly,
                                     ContentCompletion completion) = 0;
    virtual ContentFilter makeContentFilter(const ShareableDisplay& display,
                                            const std::vector<ShareableWindow>& includedWindows) = 0;
    virtual void captureImage(const ContentFilter& filter, const ScreenshotConfiguration& configuration,
                              ScreenshotCompletion completion) = 0;
};

}  // namespace tarnwick::platform
