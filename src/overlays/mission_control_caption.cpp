#include "overlays/mission_control_caption.h"

#include <algorithm>
#include <cmath>

#include "model/desktop_catalog.h"
#include "platform/ui/text_metrics.h"

namespace tarnwick {

namespace {

bool valid(const Rect& r) { return r.isUsable(); }

}  // namespace

std::optional<Rect> MissionControlCaption::bar(const Array& tree, const Rect& display) {
    std::optional<Rect> found;
    int candidates = 0;
    for (size_t i = 0; i < tree.size(); ++i) {
        const Value* identifier = tree[i].find("AXIdentifier");
        if (!identifier || !identifier->asString() || *identifier->asString() != "mc.spaces") continue;
        const auto frame = DesktopCatalog::rectangle(tree[i].find("frameAX"));
        if (!frame) continue;
        const auto displayFrame = DesktopCatalog::enclosingDisplayFrame(tree, i);
        if (!displayFrame || !DesktopCatalog::sameDisplayFrame(*displayFrame, display)) continue;
        if (!display.contains(*frame)) continue;
        found = frame;
        ++candidates;
    }
    if (candidates != 1) return std::nullopt;
    return found;
}

MissionControlCaption::Mode MissionControlCaption::mode(const Rect& native, const std::optional<Rect>& bar,
                                                        const std::optional<Rect>& thumbnail) {
    if (!valid(native) || !bar || !valid(*bar) || !thumbnail || !valid(*thumbnail)) return Mode::unknown;
    const Rect& n = native;
    const Rect& b = *bar;
    const Rect& t = *thumbnail;
    if (n.midX() < b.minX() || n.midX() > b.maxX()) return Mode::unknown;
    if (n.midY() < b.minY() - 1) return Mode::unknown;
    if (t.minY() > b.minY() + 1) return Mode::expanded;
    if (n.midY() > b.maxY() + 1) return Mode::expanded;
    if (b.height() >= t.height()) return Mode::expanded;
    if (t.minY() > b.minY()) return Mode::unknown;
    if (n.midY() < b.minY() || n.midY() > b.maxY()) return Mode::unknown;
    // The button is taller than the bar, starts at or above its top, and the caption's centre
    // lies within the bar.
    return Mode::collapsed;
}

bool MissionControlCaption::highlighted(Mode mode, bool isCurrent) { return mode == Mode::collapsed && isCurrent; }

std::optional<double> MissionControlCaption::width(Mode mode, const Rect& native, double textWidth,
                                                   double compactLimit, const std::optional<Rect>& thumbnail,
                                                   const Rect& display) {
    if (!valid(native) || !std::isfinite(textWidth) || textWidth < 0 || !std::isfinite(compactLimit))
        return std::nullopt;
    const double base = native.width() + 20;
    const double compact = std::max(base, std::min(std::max(compactLimit, 0.0), std::ceil(textWidth) + 16));
    if (mode != Mode::expanded) return compact;
    if (!valid(display) || !display.contains(native)) return std::nullopt;
    // The widest label centred on the caption that stays 2 points inside the display.
    const double room = 2 * std::min(native.midX() - display.minX(), display.maxX() - native.midX()) - 4;
    if (base > room) return std::nullopt;
    if (thumbnail && valid(*thumbnail) && thumbnail->width() <= display.width())
        return std::max(base, std::min({room, std::max(compactLimit, thumbnail->width() - 16), std::ceil(textWidth) + 20}));
    if (compact <= room) return compact;
    return std::nullopt;
}

double MissionControlCaption::fontSize(std::string_view text, double proposed, double width) {
    if (!std::isfinite(proposed)) return minimumFontSize;
    if (proposed <= 0 || !std::isfinite(width) || width <= 20) return minimumFontSize;
    if (proposed <= minimumFontSize) return proposed;
    auto& metrics = platform::ui::textMetrics();
    const auto fits = [&](double size) {
        const auto font = platform::ui::Font::system(size);
        const double height = metrics.fittingSize(text, font, width - 20, 0, true).height;
        return height <= 2 * metrics.defaultLineHeight(font) + 0.5;
    };
    // The sizes tried, from the top: proposed - step * k for k = 0, 1, ... while above the floor.
    constexpr double step = 0.5;
    const auto candidate = [&](double k) { return std::max(proposed - step * k, minimumFontSize); };
    if (fits(proposed)) return proposed;
    const double candidates = std::ceil((proposed - minimumFontSize) / step);
    if (candidates <= kLinearFontSteps) {
        for (double k = 1; k < candidates; ++k)
            if (fits(candidate(k))) return candidate(k);
        return minimumFontSize;
    }
    // An absurd proposal: a smaller font never needs more lines, so the first size that fits is
    // found by halving the range of steps, in a bounded number of measurements (for sizes so large
    // that half a point is below their precision, the search ends at the bound).
    double below = 0, above = candidates;  // `below` does not fit; from `above` on everything does
    for (int i = 0; i < kMaximumFontSearches && above - below > 1; ++i) {
        const double k = std::floor(below + (above - below) / 2);
        if (!(k > below && k < above)) break;
        if (fits(candidate(k)))
            above = k;
        else
            below = k;
    }
    return above >= candidates ? minimumFontSize : candidate(above);
}

}  // namespace tarnwick
