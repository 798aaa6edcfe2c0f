// The program's entry point: the one place that chooses the backend. Everything above the ports
// runs against `platform::current()`; here the simulated session is made and installed.

#include "app/entry_point.h"

#include <csignal>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "app/diagnose_mode.h"
#include "app/locate_mode.h"
#include "app/program_mode.h"
#include "installation/installation_bootstrap.h"
#include "platform/sim/simulated_session.h"
#include "support/run_loop.h"
#include "support/signal_watcher.h"

namespace tarnwick::app {

namespace {

// The normal run. Until the application delegate exists, only a copy that must first be
// installed runs (the installation dialog); otherwise the program says the menu-bar application
// is not available.
int runNormal(RunLoop& loop, sim::SimulatedSession& session) {
    auto installer = ApplicationInstallationBootstrap::delegateIfNeeded();
    if (!installer) {
        std::fputs("Tarnwick: the menu-bar application is not available in this build; use --diagnose.\n", stderr);
        return 2;
    }
    // A signal ends the run as the application's termination would: the loop stops and main
    // returns.
    SignalWatcher signals(loop, [&loop] { loop.stop(); });
    // The dialog ends the run by stopping the main loop.
    loop.post([installer] { installer->applicationDidFinishLaunching(); });
    loop.run();
    // A scripted answer that fit no alert: the run went on as if nobody answered it, and the
    // session file is reported as the invalid one it is.
    if (const auto& error = session.alertScript.error) {
        std::fprintf(stderr, "%s\n", error->c_str());
        return 2;
    }
    return 0;
}

}  // namespace

int runMain(int argc, char** argv) {
    const std::vector<std::string> arguments(argv, argv + argc);
    const ProgramMode mode = programMode(arguments);
    // A JSON mode whose reader went away fails its write (status 1) instead of dying silently.
    if (mode == ProgramMode::locate || mode == ProgramMode::diagnose) std::signal(SIGPIPE, SIG_IGN);

    SystemClock clock;
    RunLoop loop(clock);
    MainLoopScope mainLoop(loop);
    std::unique_ptr<sim::SimulatedSession> session;
    try {
        session = sim::makeProgramSession(loop);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 2;
    }
    platform::PlatformScope platformScope(session->platform());
    session->system().arguments = arguments;

    switch (mode) {
    case ProgramMode::finishInstallerEject: return runFinishInstallerEject(arguments);
    case ProgramMode::locate: return runLocate(arguments);
    case ProgramMode::diagnose: return runDiagnose();
    case ProgramMode::normal: break;
    }
    return runNormal(loop, *session);
}

}  // namespace tarnwick::app
