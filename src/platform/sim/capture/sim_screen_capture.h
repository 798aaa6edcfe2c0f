#pragma once

#include "platform/screen_capture.h"

namespace tarnwick::sim {

class SimulatedSession;

// Screen capture over the session: the shareable content is the window list's on-screen
// windows, and a screenshot holds the caption text of the included Spaces Bar windows. Every
// completion is delivered on the session's loop after the latency the session sets (or never).
class SimScreenCapture final : public platform::ScreenCapture {
public:
    explicit SimScreenCapture(SimulatedSession& session) : session_(session) {}

    void getShareableContent(bool excludingDesktopWindows, bool onScreenWindowsOnly,
                             ContentCompletion completion) override;
    platform::ContentFilter makeContentFilter(const platform::ShareableDisplay& display,
                                              const std::vector<platform::ShareableWindow>& includedWindows) override;
    void captureImage(const platform::ContentFilter& filter, const platform::ScreenshotConfiguration& configuration,
                      ScreenshotCompletion completion) override;

    // The texts of the failures the session itself causes.
    static constexpr const char* kDisplayGone = "The display was disconnected during the capture";
    static constexpr const char* kScreenRecordingDeclined =
        "The user declined TCCs for application, window, display capture";
    static constexpr const char* kMissionControlClosed = "Mission Control closed during the capture";

private:
    platform::ShareableContent shareableContent() const;
    SimulatedSession& session_;
};

}  // namespace tarnwick::sim
