#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "platform/ui/text_metrics.h"

namespace tarnwick::testkit {

// A text measurer for tests: answers the widths and fitting heights it was given (the system's
// text metrics for the rest) and records every question.
class ScriptedTextMetrics final : public platform::ui::TextMetrics {
public:
    struct FittingRequest {
        std::string text;
        platform::ui::Font font;
        double width = 0;
        int maximumLines = 0;
        bool wraps = false;
    };

    std::map<std::string, double> widths;                 // line width by text
    std::optional<double> fittingHeight;                  // every fitting height
    std::vector<std::string> lineWidthRequests;
    std::vector<platform::ui::Font> lineWidthFonts;
    std::vector<FittingRequest> fittingRequests;

    double lineWidth(std::string_view text, const platform::ui::Font& font) override {
        lineWidthRequests.emplace_back(text);
        lineWidthFonts.push_back(font);
        if (auto it = widths.find(std::string(text)); it != widths.end()) return it->second;
        return model_.lineWidth(text, font);
    }
    Size fittingSize(std::string_view text, const platform::ui::Font& font, double width, int maximumLines,
                     bool wraps) override {
        fittingRequests.push_back(FittingRequest{std::string(text), font, width, maximumLines, wraps});
        Size size = model_.fittingSize(text, font, width, maximumLines, wraps);
        if (fittingHeight) size.height = *fittingHeight;
        return size;
    }
    double defaultLineHeight(const platform::ui::Font& font) override { return model_.defaultLineHeight(font); }
    double firstBaselineOffset(const platform::ui::Font& font) override { return model_.firstBaselineOffset(font); }
    Rect glyphImageBounds(std::string_view text, const platform::ui::Font& font) override {
        glyphRequests.emplace_back(text);
        return model_.glyphImageBounds(text, font);
    }
    platform::ui::TextRun shape(std::string_view text, const platform::ui::Font& font) override {
        return model_.shape(text, font);
    }
    const platform::ui::FontFace& face(const platform::ui::Font& font) override { return model_.face(font); }
    std::vector<std::string> glyphRequests;

private:
    platform::ui::SystemFontMetrics& model_ = platform::ui::systemFontMetrics();
};

// Installs a text measurer in the platform for the scope's lifetime.
class TextMetricsScope {
public:
    TextMetricsScope(platform::Platform& platform, platform::ui::TextMetrics& metrics)
        : platform_(platform), previous_(platform.textMetrics) {
        platform.textMetrics = &metrics;
    }
    ~TextMetricsScope() { platform_.textMetrics = previous_; }
    TextMetricsScope(const TextMetricsScope&) = delete;
    TextMetricsScope& operator=(const TextMetricsScope&) = delete;

private:
    platform::Platform& platform_;
    platform::ui::TextMetrics* previous_;
};

}  // namespace tarnwick::testkit
