#pragma once

// What the program's frames and cut texts come to, derived from the text system's measurements,
// for tests of the built program that assert positions and sizes.

#include <string>

#include "banner/space_banner_layout.h"
#include "banner/space_name_banner.h"
#include "platform/sim/capture/mission_control_layout.h"
#include "platform/sim/console/command_words.h"
#include "platform/ui/text_metrics.h"

namespace tarnwick::testkit {

// A number as the console writes it.
inline std::string consoleNumber(double value) { return sim::formatNumber(value); }

// The width of a desktop banner (at scale 1) showing the text, without a row of app icons wider
// than the text.
inline double bannerWidth(const std::string& text) {
    const auto font = platform::ui::Font::system(SpaceNameBanner::fontSize, platform::ui::font_weight::kMedium);
    const double textWidth = platform::ui::systemFontMetrics().lineWidth(text, font);
    return SpaceBannerLayout::frame(textWidth, Rect(0, 0, 4000, 1000), 1, BannerPosition::bottom, 0)->width();
}

// The width of a label over Mission Control's caption of a desktop in the collapsed bar, for a
// name no wider than the caption: the caption's text with 10 points on either side.
inline double labelWidthOverCaption(const std::string& caption) {
    return platform::ui::systemFontMetrics().lineWidth(
               caption, platform::ui::Font::system(sim::MissionControlLayout::kCaptionFontSize)) +
           20;
}

// The longest head of the text that fits the width with "…" after it.
inline std::string cutToFit(const std::string& text, double width, const platform::ui::Font& font) {
    auto& metrics = platform::ui::systemFontMetrics();
    for (std::size_t n = text.size(); n > 0; --n) {
        std::string head = text.substr(0, n);
        while (!head.empty() && head.back() == ' ') head.pop_back();
        if (metrics.lineWidth(head + "\u2026", font) <= width) return head + "\u2026";
    }
    return "\u2026";
}

}  // namespace tarnwick::testkit
