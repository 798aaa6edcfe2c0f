#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "support/value.h"

namespace tarnwick {

// The only contact with the window server's private framework. It is opened and closed within
// every call, so its absence is noticed each time.
struct PrivateSpaces {
    static constexpr const char* kSkyLightPath = "/System/Library/PrivateFrameworks/SkyLight.framework/SkyLight";
    static constexpr const char* kNotice =
        "UUID stability and AX-to-Space mapping must be validated before saving names.";

    // The managed-display data under "rawManagedDisplays", or a dictionary with one "unsupported"
    // entry that says why there is none. Never throws.
    static Value snapshot();

    // Space id to the distinct ids of the windows on that desktop. Desktops whose list is missing
    // or malformed are left out; nothing when the framework or its functions are unavailable.
    static std::optional<std::map<std::uint64_t, std::vector<std::uint32_t>>> windowIDs(
        const std::vector<std::uint64_t>& spaceIDs);
};

}  // namespace tarnwick
