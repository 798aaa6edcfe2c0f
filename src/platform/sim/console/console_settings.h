#pragma once

#include <functional>

namespace tarnwick::sim {

// Whether the simulated user's console runs, and on which clock. Turned on by the environment,
// never by an option: TARNWICK_CONSOLE=1 reads commands from standard input and answers on
// standard output; TARNWICK_VIRTUAL_TIME=1 (only with the console) stops the clock so that only
// the console's `wait` moves it. Unset or empty means off.
struct ConsoleSettings {
    bool enabled = false;
    bool virtualTime = false;
};

// Reads the two variables through `variable` (the process environment by default). Any value
// but "1", or virtual time without the console, throws Error with a sentence naming the variable.
ConsoleSettings readConsoleSettings(const std::function<const char*(const char*)>& variable);
ConsoleSettings readConsoleSettings();

inline constexpr const char* kConsoleVariable = "TARNWICK_CONSOLE";
inline constexpr const char* kVirtualTimeVariable = "TARNWICK_VIRTUAL_TIME";

}  // namespace tarnwick::sim
