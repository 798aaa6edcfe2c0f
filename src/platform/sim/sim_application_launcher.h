#pragma once

#include "platform/application_launcher.h"

namespace tarnwick::sim {

class SimulatedSession;

// Opens applications as new processes of the session (or hands back one already running),
// answers quit requests as each process is set up to, and records Finder reveals.
class SimApplicationLauncher : public platform::ApplicationLauncher {
public:
    explicit SimApplicationLauncher(SimulatedSession& session) : session_(session) {}

    void openApplication(const std::filesystem::path& bundleURL, const platform::OpenConfiguration& configuration,
                         OpenCompletion completion) override;
    bool terminate(std::int32_t processID) override;
    bool isFinishedLaunching(std::int32_t processID) override;
    std::optional<std::filesystem::path> executableURL(std::int32_t processID) override;
    void activateFileViewerSelecting(const std::vector<std::filesystem::path>& items) override;

private:
    std::optional<platform::RunningApplication> open(const std::filesystem::path& bundle,
                                                     const platform::OpenConfiguration& configuration);
    SimulatedSession& session_;
};

}  // namespace tarnwick::sim
