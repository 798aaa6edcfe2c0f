#include "platform/sim/console/picture_window.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <optional>

#include "platform/sim/console/picture_shapes.h"
#include "platform/sim/console/picture_text.h"
#include "platform/sim/console/screen_state.h"
#include "platform/sim/console/screen_views.h"
#include "platform/ui/effect_views.h"
#include "platform/ui/panel.h"

namespace tarnwick::sim {

namespace ui = platform::ui;

namespace {

// The window's buttons: circles of this size at the leading end of the title bar, the first this
// far from the window's edge and each the next this far on (centre to centre), within the room
// the title leaves them (Panel::kWindowButtonsWidth).
constexpr double kButtonDiameter = 12;
constexpr double kButtonLeading = 8;
constexpr double kButtonPitch = 20;

struct WindowButton {
    const char* name;
    std::uint64_t allowedBy;  // the style bit that gives the window this button
    const char* fill;
    const char* rim;
};

constexpr WindowButton kButtons[] = {
    {"close", ui::style_mask::kClosable, "#ff5f57", "#e0443e"},
    {"minimize", ui::style_mask::kMiniaturizable, "#febc2e", "#dea123"},
    {"zoom", ui::style_mask::kResizable, "#28c840", "#1aab29"},
};
// A button the style does not allow shows, but grey; so do all three while the window is not key,
// as the system draws a window in the background.
constexpr const char* kGreyFill = "#545457";
constexpr const char* kGreyRim = "#6a6a6e";
// The title, and an inactive window's dimmer one.
constexpr const char* kTitleColour = "#e5e5ea";
constexpr const char* kInactiveTitleColour = "#8e8e93";

// The corner radius of what fills the window: the glass that fills it (our windows are clear, so
// their glass draws their shape), else its content view where that masks to its rounded bounds.
double contentRadius(const ui::Panel& panel) {
    const auto& content = panel.contentView();
    if (!content) return 0;
    const auto radiusOf = [](const ui::View& view) -> std::optional<double> {
        if (const auto* glass = dynamic_cast<const ui::GlassEffectView*>(&view)) return glass->cornerRadius;
        if (view.layer() && (view.layer()->masksToBounds || dynamic_cast<const ui::VisualEffectView*>(&view)))
            return view.layer()->cornerRadius;
        return std::nullopt;
    };
    if (const auto radius = radiusOf(*content)) return *radius;
    for (const auto& subview : content->subviews())
        if (subview->frame() == content->bounds())
            if (const auto radius = radiusOf(*subview)) return *radius;
    return 0;
}

// The three buttons centred on the title bar's middle (global points).
std::string buttonsPicture(std::uint64_t styleMask, const Rect& bar, bool key) {
    std::string out = "<g class=\"window-buttons\">\n";
    const double radius = kButtonDiameter / 2;
    for (std::size_t i = 0; i < std::size(kButtons); ++i) {
        const WindowButton& button = kButtons[i];
        const bool allowed = (styleMask & button.allowedBy) != 0;
        const bool coloured = allowed && key;
        const double x = bar.minX() + kButtonLeading + radius + kButtonPitch * static_cast<double>(i);
        std::string circle = std::string("<circle class=\"window-button\" data-button=\"") + button.name +
                             "\" cx=\"" + svgNumber(x) + "\" cy=\"" + svgNumber(bar.midY()) + "\" r=\"" +
                             svgNumber(radius) + "\" fill=\"" + (coloured ? button.fill : kGreyFill) +
                             "\" stroke=\"" + (coloured ? button.rim : kGreyRim) + "\" stroke-width=\"0.5\"/>\n";
        out += allowed ? circle : "<g class=\"disabled\">\n" + circle + "</g>\n";
    }
    return out + "</g>\n";
}

}  // namespace

double windowCornerRadius(const ui::Panel& panel) {
    const double radius = contentRadius(panel);
    if (panel.styleMask() & ui::style_mask::kTitled) return radius > 0 ? radius : kTitledWindowCornerRadius;
    return radius;
}

std::string titleBarPicture(const ui::Panel& panel, bool key, const GlobalSpace& space, PictureClips& clips) {
    const auto frame = panel.titleFrame();
    if (!frame) return {};
    const Rect bar = space.toGlobal(Rect(panel.frame().minX(), frame->minY(), panel.frame().width(), frame->height()));
    std::string out;
    if (!panel.titlebarAppearsTransparent) out += svgRect(bar, "title-bar", "fill=\"#3a3a3c\"");
    if (bar.isUsable()) out += buttonsPicture(panel.styleMask(), bar, key);
    if (panel.title().empty() || !frame->isUsable()) return out;
    const PlacedText title =
        oneLineText(panel.title(), *frame, ui::Font::system(ui::Panel::kTitleFontSize), ui::TextAlignment::center);
    return out + textPicture(title, space, clips, "window-title", key ? kTitleColour : kInactiveTitleColour);
}

std::string windowEdgePicture(const Rect& frame, double cornerRadius) {
    constexpr double kHairline = 0.5;
    if (frame.width() <= kHairline || frame.height() <= kHairline) return {};
    const Rect edge(frame.minX() + kHairline / 2, frame.minY() + kHairline / 2, frame.width() - kHairline,
                    frame.height() - kHairline);
    return svgRect(edge, "window-edge",
                   svgRounded(std::max(cornerRadius - kHairline / 2, 0.0)) + "fill=\"none\" stroke=\"#ffffff\" " +
                       "stroke-opacity=\"0.3\" stroke-width=\"" + svgNumber(kHairline) + "\"");
}

}  // namespace tarnwick::sim
