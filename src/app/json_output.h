#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "support/value.h"

namespace tarnwick::app {

// Where a JSON mode writes, and how it serialises (tests put in a serialiser that fails and
// files of their own).
struct JsonOutput {
    // Pretty JSON with sorted keys; empty when the value cannot be written as JSON.
    std::function<std::string(const Value&)> serialise;
    std::FILE* out = stdout;
    std::FILE* err = stderr;

    // The program's: the inspector's serialiser on standard output and standard error.
    static JsonOutput standard();
};

// Prints the value as JSON and one line feed, and returns the exit status: 0; or 1 with
// `failure` on the error stream and nothing on the output when the value cannot be written as
// JSON; or 1 with a sentence on the error stream when the output cannot be written (a closed
// pipe, a full disk).
int printJSON(const Value& value, const std::string& failure, const JsonOutput& output = JsonOutput::standard());

}  // namespace tarnwick::app
