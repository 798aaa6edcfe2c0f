#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/icons.h"

namespace tarnwick::sim {

class SimulatedSession;

// What the running copy's manifest says of it, as the system's own panels show it: its name
// ("CFBundleName", else the application's own), its version ("CFBundleShortVersionString"),
// build ("CFBundleVersion") and copyright ("NSHumanReadableCopyright").
struct SimApplicationIdentity {
    std::filesystem::path bundle;
    std::string name;
    std::optional<std::string> version;
    std::optional<std::string> build;
    std::optional<std::string> copyright;

    static SimApplicationIdentity of(SimulatedSession& session);
    // "Version 1.2 (7)", "Version 1.2", "Build 7"; nothing when the manifest says neither.
    std::optional<std::string> versionLine() const;
    // The app's icon, as the workspace gives it for the bundle, named for the app.
    platform::Image icon(SimulatedSession& session) const;
};

}  // namespace tarnwick::sim
