#pragma once

#include <array>
#include <optional>
#include <string_view>
#include <utility>

#include "model/raw_value_enum.h"
#include "support/geometry.h"
#include "support/value.h"

namespace tarnwick {

// Whether the Spaces Bar shows names only (collapsed) or the desktop previews (expanded).
enum class MissionControlCaptionMode { collapsed, expanded, unknown };

template <>
struct RawValues<MissionControlCaptionMode> {
    static constexpr std::array<std::pair<MissionControlCaptionMode, std::string_view>, 3> table{{
        {MissionControlCaptionMode::collapsed, "collapsed"},
        {MissionControlCaptionMode::expanded, "expanded"},
        {MissionControlCaptionMode::unknown, "unknown"},
    }};
};

// Where and how large a desktop-name label is drawn over a native caption of Mission Control's
// Spaces Bar. Rectangles are in the space of Mission Control's node frames (global, origin at the
// top left of the main display, y down); a rectangle is valid when finite with a positive size.
// Every rule answers every input: invalid geometry gives `unknown`, nothing or the 11-point floor.
struct MissionControlCaption {
    using Mode = MissionControlCaptionMode;

    static constexpr double minimumFontSize = 11;
    // Proposals with at most this many half-point steps above the floor are walked step by step;
    // larger ones are searched, with at most kMaximumFontSearches more measurements.
    static constexpr double kLinearFontSteps = 64;
    static constexpr int kMaximumFontSearches = 1100;

    // The Spaces Bar frame of the display whose Mission Control frame is `display`: the one
    // "mc.spaces" node under that display's "mc.display" node lying inside it. Nothing when there
    // is none or there are several.
    static std::optional<Rect> bar(const Array& tree, const Rect& display);
    // `native`: the caption as located on screen; `bar`: the Spaces Bar; `thumbnail`: the
    // desktop's button in the bar.
    static Mode mode(const Rect& native, const std::optional<Rect>& bar, const std::optional<Rect>& thumbnail);
    static bool highlighted(Mode mode, bool isCurrent);
    // The label's width, or nothing when no label is to be shown. `textWidth` is the name set in
    // one line at the proposed size; `compactLimit` the widest label allowed while collapsed.
    static std::optional<double> width(Mode mode, const Rect& native, double textWidth, double compactLimit,
                                       const std::optional<Rect>& thumbnail, const Rect& display);
    // The largest size, from `proposed` down in half points, at which the name set in the system
    // font and wrapped at `width` - 20 takes at most two lines (measured by the platform's text
    // metrics); the 11-point floor is returned unmeasured, and a proposal at or below it as it is.
    // The work stays bounded for absurdly large proposals.
    static double fontSize(std::string_view text, double proposed, double width);
};

}  // namespace tarnwick
