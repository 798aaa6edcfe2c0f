#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "applications/application_icon_cache.h"
#include "applications/space_application.h"
#include "model/preference_enums.h"
#include "model/preference_limits.h"
#include "overlays/banner_application_row_view.h"
#include "platform/ui/effect_views.h"
#include "platform/ui/font.h"
#include "platform/ui/text_label.h"
#include "platform/ui/view.h"

namespace tarnwick {

// One desktop name on a glass backdrop: the Mission Control labels (rounded rectangle, up to two
// lines, caption mode) and the desktop banner (banner shape, an optional row of app icons, the
// glass style and tint of the preferences). It sizes and places its text, shows the icon row when
// there is room, reveals itself from the left, and turns an Option-click into the rename hooks.
// Make it with std::make_shared. Main loop only.
class FrostedLabelView : public platform::ui::View {
public:
    // The outline of the backdrop; each gives the corner radius for the view's height.
    enum class ContainerShape { capsule, roundedRectangle, banner };

    explicit FrostedLabelView(Rect frame, ApplicationIconCache* icons = nullptr);

    ContainerShape containerShape() const { return containerShape_; }
    void setContainerShape(ContainerShape shape);

    // Sets the text (only when it changed), the system font of that size and weight and the
    // line limit (one line: single-line mode, truncated at the tail; else word wrapping).
    void configure(std::string text, double fontSize, int maximumLines,
                   double weight = platform::ui::font_weight::kMedium);
    // Switches to caption mode for good: white text on dark glass, aligned on the native
    // caption's baseline. A repeat with the same title and highlight changes nothing.
    void configureCaption(std::string nativeTitle, bool highlighted);
    // The glass style and, when given, a tint at alpha 0.22.
    void applyGlass(BannerGlassStyle style, std::optional<GlassTint> tint);
    // Fills the icon row at 16 points times the clamped scale (no apps empties it).
    void configureApplications(const std::vector<SpaceApplication>& applications, double scale);
    // The height the text needs at that view width.
    double textHeight(double width);

    // Starts the reveal; false when none started (Reduce Motion, no layer, or an empty size).
    bool revealFromLeft();
    // Stops a running reveal and shows the whole view.
    void cancelReveal();
    bool isRevealing() const;

    // Of Shift, Control, Option and Command, Option alone is held (Caps Lock and Fn do not matter).
    static bool quickRenameModifier(platform::ModifierFlags flags);

    // Option-double-click, and the Option-click that may start one.
    std::function<void()> quickRename;
    std::function<void()> quickRenameBegan;

    bool acceptsFirstMouse(const platform::ui::MouseEvent& event) override;
    platform::ui::View* hitTest(Point pointInSuperview) override;
    void mouseDown(const platform::ui::MouseEvent& event) override;
    void resetCursorRects() override;
    void layout() override;

    // ---- reading the view
    const platform::ui::TextLabel& label() const { return *label_; }
    const BannerApplicationRowView& applicationRow() const { return *applicationRow_; }
    const platform::ui::VisualEffectView& frost() const { return *frost_; }
    const platform::ui::GlassEffectView& glass() const { return *glass_; }
    const platform::ui::View& titleHost() const { return *titleHost_; }
    double applicationScale() const { return applicationScale_; }
    const std::optional<std::string>& captionTitle() const { return captionTitle_; }
    const std::optional<bool>& captionHighlighted() const { return captionHighlighted_; }
    int revealGeneration() const { return revealGeneration_; }

    static constexpr double glassTintAlpha = 0.22;
    static constexpr const char* revealAnimationKey = "label-reveal";

private:
    struct TextMeasure {
        double sideAllowance;
        double width;
        double height;
    };
    TextMeasure measure(double viewWidth);
    double cornerRadius() const;

    ContainerShape containerShape_ = ContainerShape::capsule;
    std::shared_ptr<platform::ui::VisualEffectView> frost_;
    std::shared_ptr<platform::ui::View> titleHost_;
    std::shared_ptr<platform::ui::TextLabel> label_;
    std::shared_ptr<BannerApplicationRowView> applicationRow_;
    double applicationScale_ = 1.0;
    std::shared_ptr<platform::ui::GlassEffectView> glass_;
    std::optional<std::string> captionTitle_;
    std::optional<bool> captionHighlighted_;
    int revealGeneration_ = 0;
};

}  // namespace tarnwick
