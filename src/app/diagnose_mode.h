#pragma once

#include "app/json_output.h"

namespace tarnwick::app {

// "--diagnose": prints the diagnostic snapshot as JSON; no application object, no run loop.
// Returns the exit status (a snapshot that cannot be written as JSON is a failure).
int runDiagnose(const JsonOutput& output = JsonOutput::standard());

}  // namespace tarnwick::app
