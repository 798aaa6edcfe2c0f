#pragma once

namespace tarnwick::app {

// The program: checks the command line for its modes and runs the one asked for.
int runMain(int argc, char** argv);

}  // namespace tarnwick::app
