#pragma once

#include <string>
#include <vector>

#include "app/json_output.h"

namespace tarnwick::app {

// "--locate": locates the native desktop captions once over every display and prints the
// locator's dictionary as JSON ("--capture-debug" adds the progress lines and comparisons).
// "--locate-saved" (which wins over "--locate"): locates only the captions of the desktops with
// saved names, as the labels would be placed now, through a label controller that is not started.
// Runs the main loop until the location has finished, then prints; returns the exit status.
int runLocate(const std::vector<std::string>& arguments, const JsonOutput& output = JsonOutput::standard());

}  // namespace tarnwick::app
