#pragma once

#include <optional>
#include <string>

namespace tarnwick {

// One app as shown on one desktop.
struct SpaceApplication {
    std::string id;                        // the app's identity; unique within one desktop's list
    std::string name;                      // display name, as the app record gives it
    std::optional<std::string> bundleURL;  // the bundle's location (a file URL), for its icon

    friend bool operator==(const SpaceApplication&, const SpaceApplication&) = default;
};

}  // namespace tarnwick
