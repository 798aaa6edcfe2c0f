#include "platform/sim/sim_alerts.h"

#include <optional>
#include <string>

#include "platform/sim/simulated_session.h"

namespace tarnwick::sim {

platform::ModalResponse SimAlerts::runModal(const platform::Alert& alert) {
    auto& script = session_.alertScript;
    std::string answer = "escape";
    std::optional<int> scripted;
    if (!script.answers.empty()) {
        answer = script.answers.front();
        script.answers.pop_front();
        scripted = script.answered++;
    }
    size_t chosen = alert.buttons.size();
    for (size_t i = 0; i < alert.buttons.size() && chosen == alert.buttons.size(); ++i) {
        const auto& button = alert.buttons[i];
        if (answer == "escape" ? button.keyEquivalent == "\x1b" : button.title == answer) chosen = i;
    }
    if (chosen == alert.buttons.size() && answer == "escape" && !alert.buttons.empty()) chosen = 0;
    if (chosen == alert.buttons.size()) {
        // The script cannot go on; the program learns it as an alert nobody answered.
        const std::string where = scripted ? "alertAnswers[" + std::to_string(*scripted) + "]" : "alertAnswers";
        if (!script.error)
            script.error = "The session file is not valid: " + where + " \"" + answer +
                           "\" names no button of the alert \"" + alert.messageText + "\".";
        script.shown.push_back({alert, {}});
        return platform::kModalResponseAbort;
    }
    script.shown.push_back({alert, alert.buttons[chosen].title});
    return platform::kAlertFirstButtonReturn + static_cast<platform::ModalResponse>(chosen);
}

}  // namespace tarnwick::sim
