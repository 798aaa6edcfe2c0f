#pragma once

#include <optional>
#include <string>

#include "support/value.h"

namespace tarnwick {

// A best-effort look at Mission Control's Accessibility side. Unlike the geometry reader, it
// keeps whatever it could read: a failed attribute is just absent and the limits cut the dump
// short instead of voiding it.
struct MissionControlInspector {
    // A depth-first dump of `root` and everything below it (at most 2000 nodes, depths 0...17) as
    // node dictionaries. With `details`, "Desktop " buttons also list their attributes; with
    // `includeElements`, every node carries its element under "element". Nothing is visited once
    // the system uptime reaches `deadline`.
    static Array tree(ElementRef root, bool details, bool includeElements, std::optional<double> deadline);

    // The diagnostic dictionary: displays, both permissions, the Accessibility trees and windows
    // of the Mission Control and Dock processes, and the private desktop data.
    static Value snapshot();

    // Pretty-printed JSON with sorted keys; empty when the value cannot be written as JSON.
    static std::string json(const Value& value);
};

}  // namespace tarnwick
