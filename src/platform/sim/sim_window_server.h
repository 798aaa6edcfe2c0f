#pragma once

#include "platform/window_server.h"
#include "support/geometry.h"
#include "support/value.h"

namespace tarnwick::sim {

class SimulatedSession;
struct SimWindow;

// A window's bounds as its description holds them: "X", "Y", "Width", "Height" in the window
// list's space.
Value windowBoundsDictionary(const Rect& bounds);

class SimWindowServer final : public platform::WindowServer {
public:
    explicit SimWindowServer(SimulatedSession& session) : session_(session) {}
    std::unique_ptr<platform::SkyLightFramework> openSkyLight(const std::string& path, int mode) override;
    std::optional<Value> copyWindowList(std::uint32_t options, std::uint32_t relativeToWindow) override;
    std::optional<Value> copyWindowDescriptions(const std::vector<std::uint32_t>& windowIDs) override;
    std::optional<Value> copySessionDictionary() override;

    // The managed-display data as the framework reports it for the current state.
    Value managedDisplaySpaces() const;
    // The description dictionary of one window.
    Value describe(const SimWindow& window, bool onScreen) const;
    // Whether a window shows on screen now.
    bool isVisible(const SimWindow& window) const;
    // The window list the session generates (system windows, apps' windows, our panels), front to
    // back; faults injected into the window list do not apply.
    Array windowList(bool onScreenOnly) const;
    // Windows that Mission Control and the Dock draw, front to back.
    std::vector<SimWindow> systemWindows() const;

    // Window lists handed out (each poll of Mission Control's visibility asks for one).
    int windowListCopies = 0;
    int openCount = 0;
    int closeCount = 0;

private:
    SimulatedSession& session_;
};

}  // namespace tarnwick::sim
