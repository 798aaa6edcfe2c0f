#pragma once

#include <array>
#include <string_view>
#include <utility>

#include "model/raw_value_enum.h"

namespace tarnwick {

// Where the desktop banner sits on its display.
enum class BannerPosition { bottom, top };

// The look of the glass behind the banner and the labels.
enum class BannerGlassStyle { regular, clear };

// Where the row of app icons sits in an expanded Mission Control desktop preview.
enum class MissionControlApplicationPosition { top, center, bottom };

template <>
struct RawValues<BannerPosition> {
    static constexpr std::array<std::pair<BannerPosition, std::string_view>, 2> table{{
        {BannerPosition::bottom, "bottom"},
        {BannerPosition::top, "top"},
    }};
};

template <>
struct RawValues<BannerGlassStyle> {
    static constexpr std::array<std::pair<BannerGlassStyle, std::string_view>, 2> table{{
        {BannerGlassStyle::regular, "regular"},
        {BannerGlassStyle::clear, "clear"},
    }};
};

template <>
struct RawValues<MissionControlApplicationPosition> {
    static constexpr std::array<std::pair<MissionControlApplicationPosition, std::string_view>, 3> table{{
        {MissionControlApplicationPosition::top, "top"},
        {MissionControlApplicationPosition::center, "center"},
        {MissionControlApplicationPosition::bottom, "bottom"},
    }};
};

}  // namespace tarnwick
