#pragma once

#include "platform/displays.h"

namespace tarnwick::sim {

class SimulatedSession;

class SimDisplays final : public platform::Displays {
public:
    explicit SimDisplays(SimulatedSession& session) : session_(session) {}
    std::vector<platform::ScreenDescription> screens() override;
    std::optional<std::string> uuidString(std::uint32_t displayID) override;
    Rect bounds(std::uint32_t displayID) override;
    std::uint64_t pixelsWide(std::uint32_t displayID) override;
    std::uint64_t pixelsHigh(std::uint32_t displayID) override;

private:
    SimulatedSession& session_;
};

}  // namespace tarnwick::sim
