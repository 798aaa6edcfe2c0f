#pragma once

#include <string>
#include <vector>

namespace tarnwick::app {

// The ways the program runs, chosen once from the command line.
enum class ProgramMode {
    finishInstallerEject,  // the installed copy's second run that ejects the installer's image
    locate,                // "--locate" or "--locate-saved": locate the captions once, print JSON
    diagnose,              // "--diagnose": print the diagnostic snapshot as JSON
    normal,                // the menu-bar application
};

// Options match whole arguments exactly; other arguments are ignored. The first that applies
// wins: the ejection launch (only as the first argument after the program path), then either
// locate option anywhere, then "--diagnose", else the normal run.
ProgramMode programMode(const std::vector<std::string>& arguments);

}  // namespace tarnwick::app
