#include "platform/sim/console/console_settings.h"

#include <cstdlib>
#include <string_view>

#include "support/error.h"

namespace tarnwick::sim {

namespace {

// Whether a switch variable is on; throws for anything but off or "1".
bool switchedOn(const char* value, const char* name, const char* what) {
    if (!value || !*value) return false;
    if (std::string_view(value) == "1") return true;
    throw Error(std::string(name) + " must be 1 to " + what + ", or empty or unset to leave it off.");
}

}  // namespace

ConsoleSettings readConsoleSettings(const std::function<const char*(const char*)>& variable) {
    ConsoleSettings settings;
    settings.enabled = switchedOn(variable(kConsoleVariable), kConsoleVariable, "turn the console on");
    settings.virtualTime = switchedOn(variable(kVirtualTimeVariable), kVirtualTimeVariable, "stop the clock");
    if (settings.virtualTime && !settings.enabled)
        throw Error(std::string(kVirtualTimeVariable) + "=1 needs " + kConsoleVariable +
                    "=1: only the console's wait moves virtual time.");
    return settings;
}

ConsoleSettings readConsoleSettings() {
    return readConsoleSettings([](const char* name) { return static_cast<const char*>(std::getenv(name)); });
}

}  // namespace tarnwick::sim
