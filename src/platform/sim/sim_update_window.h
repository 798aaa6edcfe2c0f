#pragma once

#include <memory>
#include <string>

#include "platform/sim/update_state.h"

namespace tarnwick::platform::ui {
class Panel;
}

namespace tarnwick::sim {

class SimulatedSession;
struct SimApplicationIdentity;

// The update framework's own window for a check the user started: it shows while the check runs
// and then tells how it ended (up to date, an update found, or the check's error), with the app's
// icon, in one "Software Update" window that the user closes. Automatic checks show nothing.
// Main loop only.
class SimUpdateWindow {
public:
    static constexpr const char* kTitle = "Software Update";

    explicit SimUpdateWindow(SimulatedSession& session) : session_(session) {}
    ~SimUpdateWindow();
    SimUpdateWindow(const SimUpdateWindow&) = delete;
    SimUpdateWindow& operator=(const SimUpdateWindow&) = delete;

    void showChecking();
    void showOutcome(const SimUpdateOutcome& outcome);
    // Nothing until the first check the user started.
    platform::ui::Panel* panel() const { return panel_.get(); }

private:
    void show(const SimApplicationIdentity& identity, const std::string& headline, const std::string& detail);

    SimulatedSession& session_;
    std::unique_ptr<platform::ui::Panel> panel_;
};

}  // namespace tarnwick::sim
