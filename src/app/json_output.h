#pragma once

#include <string>

#include "support/value.h"

namespace tarnwick::app {

// Prints the value as pretty JSON with sorted keys and one line feed, and returns the exit
// status: 0, or 1 with `failure` on standard error when the value cannot be written as JSON or
// the output cannot be flushed.
int printJSON(const Value& value, const std::string& failure);

}  // namespace tarnwick::app
