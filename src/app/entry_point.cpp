#include "app/entry_point.h"

#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/json_output.h"
#include "app/locate_mode.h"
#include "installation/installation_bootstrap.h"
#include "model/mission_control_inspector.h"
#include "platform/sim/simulated_session.h"
#include "support/run_loop.h"

namespace tarnwick::app {

namespace {

bool hasArgument(int argc, char** argv, std::string_view argument) {
    for (int i = 1; i < argc; ++i)
        if (argv[i] == argument) return true;
    return false;
}

// Prints the diagnostic snapshot as JSON. A snapshot that cannot be written as JSON is a
// failure, reported as one.
int runDiagnose() {
    return printJSON(MissionControlInspector::snapshot(), "Tarnwick could not write the diagnostic snapshot as JSON.");
}

}  // namespace

int runMain(int argc, char** argv) {
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

    const std::vector<std::string> arguments(argv, argv + argc);
    session->system().arguments = arguments;
    if (isFinishInstallerEjectLaunch(arguments)) return runFinishInstallerEject(arguments);
    if (hasArgument(argc, argv, "--locate") || hasArgument(argc, argv, "--locate-saved")) return runLocate(arguments);
    if (hasArgument(argc, argv, "--diagnose")) return runDiagnose();

    // A copy that must be installed first runs the installation dialog instead of the app; the
    // dialog ends the run by stopping the main loop.
    if (auto installer = ApplicationInstallationBootstrap::delegateIfNeeded()) {
        installer->applicationDidFinishLaunching();
        loop.run();
        // A scripted answer that fit no alert: the run went on as if nobody answered it, and the
        // session file is reported as the invalid one it is.
        if (const auto& error = session->alertScript.error) {
            std::fprintf(stderr, "%s\n", error->c_str());
            return 2;
        }
        return 0;
    }

    std::fputs("Tarnwick: the menu-bar application is not available in this build; use --diagnose.\n", stderr);
    return 2;
}

}  // namespace tarnwick::app
