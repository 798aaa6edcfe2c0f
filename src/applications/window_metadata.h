#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "support/geometry.h"
#include "support/value.h"

namespace tarnwick {

// Window-list descriptions of given windows.
struct WindowMetadata {
    WindowMetadata() = delete;

    // The window list's description dictionaries for those windows (those that still exist);
    // nothing when the window list cannot be asked or answers with anything but an array of
    // dictionaries. An empty id list gives an empty list without asking.
    static std::optional<std::vector<Dictionary>> descriptions(const std::vector<std::uint32_t>& windowIDs);

    // A rectangle from its dictionary representation ("X", "Y", "Width", "Height", numbers);
    // nothing when a member is missing or not a number.
    static std::optional<Rect> rect(const Value& dictionary);
};

}  // namespace tarnwick
