#include "platform/ui/declarative/text_field_line.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/text_metrics.h"

namespace tarnwick::platform::ui {

FieldTextLine::FieldTextLine(std::string_view text, const Font& font)
    : run_(textMetrics().shape(text, font)) {
    rightToLeft_ = run_.size() > 0 && run_.cluster(0).rightToLeft;
}

double FieldTextLine::advance(std::size_t offset) const {
    std::size_t i = 0;
    while (i < run_.size() && run_.offset(i + 1) <= offset) ++i;
    return run_.width(0, i);
}

double scrolledToShow(const FieldTextLine& line, double areaWidth, double scroll, std::optional<std::size_t> shown) {
    if (!std::isfinite(scroll)) scroll = 0;
    const double width = std::isfinite(areaWidth) ? std::max(areaWidth, 0.0) : 0.0;
    if (shown) {
        // The caret stands in [x, x + its width) along the line: before the area's leading edge
        // the line scrolls back to it, past the trailing edge on until it fits.
        const double x = line.advance(*shown);
        if (x < scroll) scroll = x;
        if (x + kFieldCaretWidth > scroll + width) scroll = x + kFieldCaretWidth - width;
    }
    const double furthest = std::max(line.width() + kFieldCaretWidth - width, 0.0);
    return std::clamp(scroll, 0.0, furthest);
}

}  // namespace tarnwick::platform::ui
