#include "platform/sim/sim_update_window.h"

#include "platform/sim/sim_application_identity.h"
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

void SimUpdateWindow::showChecking() { show(SimApplicationIdentity::of(session_), "Checking for updates\u2026", {}); }

void SimUpdateWindow::showOutcome(const SimUpdateOutcome& outcome) {
    const auto identity = SimApplicationIdentity::of(session_);
    const std::string yours = identity.version ? *identity.version : identity.build.value_or("");
    switch (outcome.kind) {
    case SimUpdateOutcome::Kind::upToDate:
        show(identity, identity.name + " is up to date.",
             yours.empty() ? std::string("It is the newest version available.")
                           : identity.name + " " + yours + " is the newest version available.");
        return;
    case SimUpdateOutcome::Kind::updateFound:
        show(identity, "A new version of " + identity.name + " is available.",
             identity.name + " " + outcome.version + " is available" + (yours.empty() ? "" : "; you have " + yours) + ".");
        return;
    case SimUpdateOutcome::Kind::failed:
        show(identity, "The update check did not finish.", outcome.message);
        return;
    }
}

void SimUpdateWindow::show(const SimApplicationIdentity& identity, const std::string& headline,
                           const std::string& detail) {
    const bool firstShow = !panel_;
    if (firstShow) panel_ = StandardPanel::make(kTitle);
    std::vector<StandardPanelLine> lines{{headline, ui::Font::system(13, ui::font_weight::kBold)}};
    if (!detail.empty()) lines.push_back({detail, ui::Font::system(11), ui::Color::secondaryLabel()});
    StandardPanel::fill(*panel_, identity.icon(session_), lines);
    StandardPanel::show(*panel_, firstShow);
}

}  // namespace tarnwick::sim
