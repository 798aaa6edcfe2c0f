#pragma once

#include <memory>

#include "platform/platform.h"
#include "platform/sim/simulated_session.h"
#include "support/executor.h"
#include "support/run_loop.h"
#include "testkit/temp_folder.h"

namespace tarnwick::testkit {

// Everything a test of the system needs: virtual time, the main loop, a temporary home folder,
// and a simulated session installed as the platform. Actors run inline on the loop. The
// session starts empty; call session.loadDefaultSession() or session.load(json) to fill it.
class TestEnvironment {
public:
    explicit TestEnvironment(double uptime = 1000.0)
        : clock(uptime),
          loop(clock),
          mainLoop(loop),
          executors([this](const std::string&) { return std::make_shared<LoopExecutor>(loop); }),
          session(loop, home.path()),
          platformScope(session.platform()) {}

    // Moves virtual time forward, running everything that falls due.
    void advance(double seconds) { clock.advance(seconds); }
    // Runs what is due now (posted work, delivered notifications).
    void settle() { loop.runReady(); }

    TempFolder home;
    ManualClock clock;
    RunLoop loop;
    MainLoopScope mainLoop;
    ExecutorFactoryScope executors;
    sim::SimulatedSession session;
    platform::PlatformScope platformScope;
};

}  // namespace tarnwick::testkit
