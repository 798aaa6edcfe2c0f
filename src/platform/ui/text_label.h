#pragma once

#include <string>

#include "platform/ui/color.h"
#include "platform/ui/font.h"
#include "platform/ui/view.h"

namespace tarnwick::platform::ui {

enum class TextAlignment { natural, left, center, right, justified };
enum class LineBreakMode { wordWrapping, charWrapping, clipping, truncatingHead, truncatingTail, truncatingMiddle };

// A non-editable text label. It measures itself with the platform's text metrics.
class TextLabel : public View {
public:
    explicit TextLabel(std::string text = {}, Rect frame = {});

    const std::string& stringValue() const { return text_; }
    void setStringValue(std::string text);
    // How often the string was set (after construction); a set of an equal string counts too.
    int stringSetCount() const { return stringSets_; }

    Font font = Font::system(13);
    Color textColor = Color::label();
    TextAlignment alignment = TextAlignment::natural;
    int maximumNumberOfLines = 1;  // 0: no limit
    bool usesSingleLineMode = true;
    LineBreakMode lineBreakMode = LineBreakMode::clipping;
    // The width at which a multi-line label wraps when it sizes itself; 0: no preference.
    double preferredMaxLayoutWidth = 0;

    // Whether the text is laid out over several lines.
    bool wraps() const { return !usesSingleLineMode && maximumNumberOfLines != 1; }
    // The size the text needs: wrapped at the preferred width when it wraps, else one line.
    Size fittingSize() const;
    // From the label's top to the first line's baseline.
    double firstBaselineOffsetFromTop() const;

protected:
    void collectShownText(std::vector<std::string>& texts) const override;

private:
    std::string text_;
    int stringSets_ = 0;
};

}  // namespace tarnwick::platform::ui
