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
// and then tells how it ended (up to date, an update found, or what went wrong and why), with the
// app's icon, in one "Software Update" window. Once the check has ended its OK button (Return)
// closes it; Escape and the close button close it at any time, and a window closed while its
// check runs does not come back when the check ends. Showing it brings the app to the front
// with the window key. Automatic checks show nothing. Main loop only.
class SimUpdateWindow {
public:
    static constexpr const char* kTitle = "Software Update";
    static constexpr const char* kCheckingMessage = "Checking for updates\u2026";
    // Stands for the framework's indeterminate progress bar.
    static constexpr const char* kCheckingProgress = "Reading the update information\u2026";
    static constexpr const char* kOKButton = "OK";

    explicit SimUpdateWindow(SimulatedSession& session) : session_(session) {}
    ~SimUpdateWindow();
    SimUpdateWindow(const SimUpdateWindow&) = delete;
    SimUpdateWindow& operator=(const SimUpdateWindow&) = delete;

    void showChecking();
    // After showChecking(); nothing when the user closed the window meanwhile.
    void showOutcome(const SimUpdateOutcome& outcome);
    // Nothing until the first check the user started.
    platform::ui::Panel* panel() const { return panel_.get(); }

private:
    // `answerable`: with the OK button.
    void show(const SimApplicationIdentity& identity, const std::string& message, const std::string& informative,
              bool answerable);

    SimulatedSession& session_;
    std::unique_ptr<platform::ui::Panel> panel_;
};

}  // namespace tarnwick::sim
