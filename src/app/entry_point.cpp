// The program's entry point: the one place that chooses the backend. Everything above the ports
// runs against `platform::current()`; here the simulated session is made and installed.

#include "app/entry_point.h"

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/diagnose_mode.h"
#include "app/locate_mode.h"
#include "app/program_mode.h"
#include "installation/installation_bootstrap.h"
#include "platform/sim/console/console.h"
#include "platform/sim/console/console_reader.h"
#include "platform/sim/console/console_settings.h"
#include "platform/sim/simulated_session.h"
#include "support/executor.h"
#include "support/run_loop.h"
#include "support/signal_watcher.h"

namespace tarnwick::app {

namespace {

// Where virtual time starts: the uptime the simulated session starts with, as in the tests.
constexpr double kVirtualTimeStart = 1000.0;

// The status of a run that ended: a scripted answer that fit no alert went on as if nobody
// answered it, and the session file is reported as the invalid one it is.
int endOfRun(sim::SimulatedSession& session) {
    if (const auto& error = session.alertScript.error) {
        std::fprintf(stderr, "%s\n", error->c_str());
        return 2;
    }
    return 0;
}

// The normal run with the simulated user's console. Until the application delegate exists, the
// console drives the session on its own, and a copy that must first be installed runs the
// installation dialog. The end of the application (a quit, a signal, the installer's own end)
// stops the loop; the console then prints the status the program returns.
int runWithConsole(RunLoop& loop, sim::SimulatedSession& session,
                   std::shared_ptr<ApplicationInstallationDelegate> installer) {
    sim::FileDescriptorSink sink(STDOUT_FILENO);
    sim::Console console(session, sink, isatty(STDIN_FILENO) == 1);
    // Termination as on a logout: the application object ends (its delegate hears it once) and
    // stops the loop.
    const auto terminate = [&session] { session.logOut(); };
    console.quit = terminate;
    // Before the reader: the signals are blocked for every thread started from here on. After
    // the console: its thread, which interrupts the console, ends before the console does.
    SignalWatcher signals(loop, terminate, [&console] { console.interrupt(); });
    sim::ConsoleReader reader(console, STDIN_FILENO);
    loop.post([&console, installer] {
        if (installer) installer->applicationDidFinishLaunching();
        console.launched();
    });
    loop.run();
    const int status = endOfRun(session);
    console.applicationEnded(status);
    return status;
}

// The normal run. Until the application delegate exists, only a copy that must first be
// installed runs (the installation dialog); otherwise the program says the menu-bar application
// is not available.
int runNormal(RunLoop& loop, sim::SimulatedSession& session, const sim::ConsoleSettings& console) {
    auto installer = ApplicationInstallationBootstrap::delegateIfNeeded();
    if (console.enabled) return runWithConsole(loop, session, std::move(installer));
    if (!installer) {
        std::fputs("Tarnwick: the menu-bar application is not available in this build; use --diagnose.\n", stderr);
        return 2;
    }
    // A signal ends the run as the application's termination would: the loop stops and main
    // returns.
    SignalWatcher signals(loop, [&session] { session.logOut(); });
    // The dialog ends the run by stopping the main loop.
    loop.post([installer] { installer->applicationDidFinishLaunching(); });
    loop.run();
    return endOfRun(session);
}

}  // namespace

int runMain(int argc, char** argv) {
    const std::vector<std::string> arguments(argv, argv + argc);
    const ProgramMode mode = programMode(arguments);
    sim::ConsoleSettings console;
    try {
        console = sim::readConsoleSettings();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 2;
    }
    // A JSON mode whose reader went away fails its write (status 1) instead of dying silently;
    // so does the console, which then ends as at the end of its input.
    if (mode != ProgramMode::finishInstallerEject) std::signal(SIGPIPE, SIG_IGN);

    // Virtual time serves the console's normal run only: there only `wait` moves the clock, and
    // every actor runs on the main loop, so a run is deterministic.
    const bool virtualTime = mode == ProgramMode::normal && console.virtualTime;
    std::unique_ptr<Clock> clock;
    if (virtualTime)
        clock = std::make_unique<ManualClock>(kVirtualTimeStart);
    else
        clock = std::make_unique<SystemClock>();
    RunLoop loop(*clock);
    MainLoopScope mainLoop(loop);
    std::optional<ExecutorFactoryScope> executors;
    if (virtualTime) executors.emplace([&loop](const std::string&) { return std::make_shared<LoopExecutor>(loop); });

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
    return runNormal(loop, *session, console);
}

}  // namespace tarnwick::app
