// Reads the session file's keys of the application object: whether the about panel shows a
// window, whether status items get a button, and how the user answers the permission prompts.

#include "platform/sim/session_file_reading.h"
#include "platform/sim/simulated_session.h"
#include "platform/sim/ui/sim_status_bar.h"

namespace tarnwick::sim {

using namespace session_file;

void SimulatedSession::loadApplicationSections(const Dictionary& root) {
    if (auto section = member(root, "application")) {
        const Dictionary& application = object(*section, "\"application\"");
        if (auto v = member(application, "aboutPanel"))
            applicationState.aboutPanelShowsWindow = boolean(*v, "application.aboutPanel");
    }
    if (auto section = member(root, "statusBar")) {
        const Dictionary& bar = object(*section, "\"statusBar\"");
        if (auto v = member(bar, "buttons")) statusBar_->itemsGetButtons = boolean(*v, "statusBar.buttons");
    }
    if (auto section = member(root, "system")) {
        const Dictionary& system = object(*section, "\"system\"");
        if (auto v = member(system, "grantAccessibilityOnPrompt"))
            grantAccessibilityOnPrompt = boolean(*v, "system.grantAccessibilityOnPrompt");
        if (auto v = member(system, "grantScreenCaptureOnRequest"))
            system_.grantScreenCaptureOnRequest = boolean(*v, "system.grantScreenCaptureOnRequest");
    }
}

}  // namespace tarnwick::sim
