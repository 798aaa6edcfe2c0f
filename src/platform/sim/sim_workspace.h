#pragma once

#include "platform/workspace.h"

namespace tarnwick::sim {

class SimulatedSession;

class SimWorkspace final : public platform::Workspace {
public:
    explicit SimWorkspace(SimulatedSession& session) : session_(session) {}
    std::vector<platform::RunningApplication> runningApplications() override;
    std::optional<platform::RunningApplication> runningApplication(std::int32_t processID) override;
    std::optional<std::int32_t> frontmostApplication() override;
    bool activateApplication(std::int32_t processID) override;
    bool openURL(const std::string& url) override;
    bool unhide(std::int32_t processID) override;
    bool accessibilityDisplayShouldReduceMotion() override;
    void openApplication(const std::string& path, OpenApplicationCompletion completion) override;

private:
    platform::RunningApplication describe(const struct SimApplication& app) const;
    SimulatedSession& session_;
};

}  // namespace tarnwick::sim
