// The program's entry point: the one place that chooses the backend. Everything above the ports
// runs against `platform::current()`; here the simulated session is made and installed.

#include "app/entry_point.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/app_delegate.h"
#include "app/diagnose_mode.h"
#include "app/locate_mode.h"
#include "app/program_mode.h"
#include "installation/installation_bootstrap.h"
#include "platform/platform.h"
#include "platform/shared_application.h"
#include "platform/sim/console/console.h"
#include "platform/sim/console/console_reader.h"
#include "platform/sim/console/console_settings.h"
#include "platform/sim/console/terminal_mode.h"
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

// The delegate of the normal run: the installation dialog's when the running copy must first be
// installed, else the menu-bar application's.
std::shared_ptr<platform::ApplicationDelegate> makeDelegate() {
    if (auto installer = ApplicationInstallationBootstrap::delegateIfNeeded()) return installer;
    return std::make_shared<AppDelegate>();
}

// The normal run: the application object with its delegate, as an accessory app (a status item,
// no Dock icon), until it terminates. With the console on, the simulated user drives it through
// standard input and standard output; the console prints "ready" once launching has finished and
// the application's end with its status.
int runNormal(RunLoop& loop, sim::SimulatedSession& session, const sim::ConsoleSettings& settings) {
    platform::SharedApplication& application = *platform::current().application;
    // Outlives the console: the terminal gets its own mode back after the last line is printed.
    std::unique_ptr<sim::TerminalMode> terminal;
    std::optional<sim::FileDescriptorSink> sink;
    std::optional<sim::Console> console;
    // Termination as on a logout: the delegate hears will-terminate once (drafts committed, the
    // snapshot flushed) and the loop stops.
    const auto terminate = [&session] { session.logOut(); };
    if (settings.enabled) {
        // The terminal's mode hears where the output left the cursor, for a signal that ends the
        // process where it stands.
        sink.emplace(STDOUT_FILENO, [&terminal](std::string_view text) {
            if (terminal) terminal->wrote(text);
        });
        // A person at a terminal types and reads on the same one: the console's line editor
        // draws the prompt and what is typed. Anything else reads whole lines as they come.
        if (isatty(STDIN_FILENO) == 1 && isatty(STDOUT_FILENO) == 1)
            terminal = sim::TerminalMode::forLineEditing(STDIN_FILENO, STDOUT_FILENO);
        console.emplace(session, *sink, terminal != nullptr, [] {
            winsize size{};
            return ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 ? std::size_t{size.ws_col} : std::size_t{0};
        });
        console->quit = terminate;
    }
    // Before any thread of the run starts (the delegate's workers, the console's reader): the
    // signals are blocked for every thread started from here on. After the console: its thread,
    // which interrupts the console, ends before the console does. A second signal ends the
    // process at once, and the terminal gets its own mode back first.
    SignalWatcher signals(
        loop, terminate,
        [&console] {
            if (console) console->interrupt();
        },
        [&terminal] {
            if (terminal) terminal->restore();
        });
    // The application holds its delegate weakly; the run holds it until the loop returns.
    const std::shared_ptr<platform::ApplicationDelegate> delegate = makeDelegate();
    application.setDelegate(delegate);
    application.setActivationPolicy(platform::ActivationPolicy::accessory);
    // Destroyed first: no command reaches a delegate that is gone.
    std::optional<sim::ConsoleReader> reader;
    if (console) reader.emplace(*console, STDIN_FILENO, terminal != nullptr, terminal.get());
    // Launching finishes on the loop's first turn, as run() would do it; the console takes
    // commands once what launching set going on the loop (the first snapshot, say) has run.
    loop.post([&loop, &application, &console] {
        application.finishLaunching();
        if (console)
            loop.post([&console] { console->launched(); });
    });
    application.run();
    const int status = endOfRun(session);
    if (console) console->applicationEnded(status);
    return status;
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
