#pragma once

#include "platform/bundle.h"
#include "platform/shared_application.h"

namespace tarnwick::sim {

class SimulatedSession;

// This process's application object: activating makes it frontmost (and is counted);
// terminating stops the main loop.
class SimSharedApplication : public platform::SharedApplication {
public:
    explicit SimSharedApplication(SimulatedSession& session) : session_(session) {}
    void activate(bool ignoringOtherApps) override;
    bool isActive() override;
    void terminate() override;

private:
    SimulatedSession& session_;
};

// The running copy's bundle: the session's choice, or the bundle around the executable when it
// lies at "<name>.app/Contents/MacOS/<executable>", else the executable's folder.
class SimMainBundle : public platform::MainBundle {
public:
    explicit SimMainBundle(SimulatedSession& session) : session_(session) {}
    std::filesystem::path bundleURL() override;

private:
    SimulatedSession& session_;
};

}  // namespace tarnwick::sim
