#pragma once

#include "platform/alerts.h"

namespace tarnwick::sim {

class SimulatedSession;

// Modal alerts answered from the session's script; every alert shown is recorded with its answer.
class SimAlerts : public platform::Alerts {
public:
    explicit SimAlerts(SimulatedSession& session) : session_(session) {}
    platform::ModalResponse runModal(const platform::Alert& alert) override;

private:
    SimulatedSession& session_;
};

}  // namespace tarnwick::sim
