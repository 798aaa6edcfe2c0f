#include "platform/sim/sim_update_window.h"

#include "platform/sim/sim_application_identity.h"
#include "platform/sim/sim_shared_application.h"
#include "platform/sim/simulated_session.h"
#include "platform/sim/ui/sim_standard_panel.h"
#include "platform/ui/panel.h"

namespace tarnwick::sim {

namespace ui = platform::ui;

SimUpdateWindow& SimulatedSession::updateWindow() {
    if (!updateWindow_) updateWindow_ = std::make_unique<SimUpdateWindow>(*this);
    return *updateWindow_;
}

SimUpdateWindow::~SimUpdateWindow() = default;

// While the check runs there is nothing to answer: no button, only the close button and Escape.
void SimUpdateWindow::showChecking() {
    show(SimApplicationIdentity::of(session_), kCheckingMessage, kCheckingProgress, false);
}

void SimUpdateWindow::showOutcome(const SimUpdateOutcome& outcome) {
    // Closed while the check ran: the user no longer waits for it.
    if (panel_ && !panel_->isVisible()) return;
    const auto identity = SimApplicationIdentity::of(session_);
    const std::string yours = identity.version ? *identity.version : identity.build.value_or("");
    switch (outcome.kind) {
    case SimUpdateOutcome::Kind::upToDate:
        show(identity, identity.name + " is up to date.",
             yours.empty() ? std::string("It is the newest version available.")
                           : identity.name + " " + yours + " is the newest version available.",
             true);
        return;
    case SimUpdateOutcome::Kind::updateFound:
        show(identity, "A new version of " + identity.name + " is available.",
             identity.name + " " + outcome.version + " is available" + (yours.empty() ? "" : "; you have " + yours) + ".",
             true);
        return;
    case SimUpdateOutcome::Kind::failed:
        show(identity, outcome.message, outcome.reason, true);
        return;
    }
}

void SimUpdateWindow::show(const SimApplicationIdentity& identity, const std::string& message,
                           const std::string& informative, bool answerable) {
    const bool firstShow = !panel_;
    if (firstShow) panel_ = StandardPanel::make(kTitle);
    std::vector<StandardPanelLine> lines{{message, ui::Font::system(13, ui::font_weight::kBold)}};
    if (!informative.empty()) lines.push_back({informative, ui::Font::system(11), ui::Color::secondaryLabel()});
    std::optional<StandardPanelButton> button;
    // The panel owns the button that closes it.
    if (answerable) button = StandardPanelButton{kOKButton, [panel = panel_.get()] { panel->close(); }};
    StandardPanel::fill(*panel_, identity.icon(session_), lines, button);
    StandardPanel::show(*panel_, firstShow);
    // The framework brings its window to the front of the app it serves and takes the keyboard,
    // so that Return and Escape answer it.
    session_.sharedApplication().activate(true);
    panel_->makeKey();
}

}  // namespace tarnwick::sim
