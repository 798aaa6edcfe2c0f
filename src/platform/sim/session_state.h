#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/accessibility.h"
#include "platform/workspace.h"
#include "support/geometry.h"
#include "support/value.h"

namespace tarnwick::sim {

// One desktop ("space") as the window server keeps it.
struct SimSpace {
    std::uint64_t id64 = 0;
    std::string uuid;  // may be empty (the first desktop of a session has none)
    int type = 0;      // 0 ordinary desktop, 4 full-screen app
    std::string fullScreenTitle;  // caption of a full-screen space in Mission Control
};

// The strips a display keeps for the menu bar and the Dock, in points from each edge.
struct SimInsets {
    double top = 25;  // the menu bar
    double bottom = 0;
    double left = 0;
    double right = 0;
    friend bool operator==(const SimInsets&, const SimInsets&) = default;
};

struct SimDisplay {
    std::uint32_t id = 0;
    std::optional<std::string> uuid;  // nothing: the display yields no UUID
    std::string name;
    Rect bounds;  // global, origin at the top left of the main display, y down
    double scale = 2;
    bool hasScreenNumber = true;
    std::vector<SimSpace> spaces;
    std::uint64_t currentSpace = 0;
    SimInsets reserved;  // the screen's visible frame is what lies inside them
};

struct SimApplication {
    std::int32_t pid = 0;
    std::optional<std::string> bundleIdentifier;
    std::optional<std::string> name;
    std::optional<std::string> bundleURL;
    platform::ActivationPolicy policy = platform::ActivationPolicy::regular;
    bool hidden = false;
    bool terminated = false;
};

struct SimWindow {
    std::uint32_t id = 0;
    std::int32_t pid = 0;
    std::string title;
    int layer = 0;
    Rect bounds;
    double alpha = 1;
    bool minimized = false;
    std::vector<std::uint64_t> spaces;  // empty: on every desktop
};

// One attribute of a simulated Accessibility element: a value or an error, with the time the
// element takes to answer.
struct AXAttribute {
    Value value;
    platform::AXError error = platform::ax_error::kSuccess;
    double latency = 0;
    bool settable = false;
    platform::AXError settableError = platform::ax_error::kSuccess;
};

struct AXNode {
    std::uint64_t id = 0;
    std::int32_t pid = 0;
    std::map<std::string, AXAttribute> attributes;
    platform::AXError namesError = platform::ax_error::kSuccess;
    std::vector<std::string> parameterizedNames;
    platform::AXError parameterizedNamesError = platform::ax_error::kSuccess;
    std::optional<std::uint32_t> windowID;
    // Actions the element answers; a missing action is unsupported.
    std::map<std::string, std::function<platform::AXError()>> actions;
    // Writes the element accepts (after the settable check); returns the write's status.
    std::function<platform::AXError(const std::string&, const Value&)> onSet;
};

// Login-session facts as the window server reports them.
struct SimLoginSession {
    bool present = true;
    bool onConsole = true;
    bool loginDone = true;
    bool locked = false;
    bool sleeping = false;
    bool screensAsleep = false;  // the displays sleep while the machine stays awake
    // Set: the dictionary returned instead of the generated one (for missing keys and odd types).
    std::optional<Value> dictionary;
};

// Faults and overrides a session can inject into the private window-server framework.
struct SimSkyLight {
    bool available = true;
    std::set<std::string> missingSymbols;
    // Set: returned instead of the generated managed-display data (an empty optional inside is a
    // NULL result).
    std::optional<std::optional<Value>> managedDisplaySpaces;
    // Per desktop: returned instead of the generated window ids.
    std::map<std::uint64_t, std::optional<Value>> windowsForSpace;
    // How often each desktop was asked about.
    std::map<std::uint64_t, int> windowQueries;
};

}  // namespace tarnwick::sim
