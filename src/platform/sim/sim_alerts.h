#pragma once

#include <string>
#include <vector>

#include "platform/alerts.h"

namespace tarnwick::sim {

class SimulatedSession;

// Modal alerts answered from the session's script: a button, and text typed into the alert's
// field first. An alert whose window its owner has not made key and ordered front is laid out and
// centred on the main screen when it runs. Every alert shown is recorded with its answer, its
// window frame and its screen.
class SimAlerts : public platform::Alerts {
public:
    explicit SimAlerts(SimulatedSession& session) : session_(session) {}
    platform::ModalResponse runModal(platform::Alert& alert) override;
    // A fixed width (wider for a wide field) and a height that grows with the informative text's
    // lines and the field.
    Size layoutSize(const platform::Alert& alert) override;
    // The lines an alert's informative text shows within the width: its own line breaks, and
    // lines too long broken between words, measured in the system font.
    static std::vector<std::string> informativeLines(const std::string& text, double width);

    static constexpr double kWidth = 420;
    static constexpr double kBaseHeight = 140;
    static constexpr double kLineHeight = 16;
    static constexpr double kTextInset = 20;  // on either side of the texts
    static constexpr double kInformativeFontSize = 11;

private:
    void record(platform::Alert& alert, std::string answer);
    SimulatedSession& session_;
};

}  // namespace tarnwick::sim
