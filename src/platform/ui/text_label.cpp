#include "platform/ui/text_label.h"

#include <limits>

#include "platform/ui/text_metrics.h"

namespace tarnwick::platform::ui {

TextLabel::TextLabel(std::string text, Rect frame) : View(frame), text_(std::move(text)) {}

void TextLabel::setStringValue(std::string text) {
    text_ = std::move(text);
    ++stringSets_;
}

Size TextLabel::fittingSize() const {
    const double width = preferredMaxLayoutWidth > 0 ? preferredMaxLayoutWidth : std::numeric_limits<double>::max();
    return textMetrics().fittingSize(text_, font, width, maximumNumberOfLines, wraps());
}

double TextLabel::firstBaselineOffsetFromTop() const { return textMetrics().firstBaselineOffset(font); }

void TextLabel::collectShownText(std::vector<std::string>& texts) const {
    if (isHidden()) return;
    texts.push_back(text_);
    View::collectShownText(texts);
}

}  // namespace tarnwick::platform::ui
