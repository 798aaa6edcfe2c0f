#pragma once

#include "platform/private_functions.h"

namespace tarnwick::sim {

class SimulatedSession;

// The run-time lookup of the private front-process calls over the session: the calls act on the
// session's applications and windows, and the session's navigation settings make them missing or
// failing.
class SimPrivateFunctions final : public platform::PrivateFunctions {
public:
    explicit SimPrivateFunctions(SimulatedSession& session) : session_(session) {}
    std::unique_ptr<platform::SymbolNamespace> openGlobalNamespace() override;

    // Process serial numbers the simulated process manager hands out.
    static platform::ProcessSerialNumber serialNumber(std::int32_t processID);

private:
    SimulatedSession& session_;
};

}  // namespace tarnwick::sim
