#pragma once

#include <memory>
#include <optional>

#include "platform/ui/color.h"
#include "platform/ui/view.h"

namespace tarnwick::platform::ui {

enum class VisualEffectMaterial { titlebar, selection, menu, popover, sidebar, headerView, sheet, windowBackground, hudWindow };
enum class VisualEffectBlending { behindWindow, withinWindow };
enum class VisualEffectState { followsWindowActiveState, active, inactive };

// A frosted backdrop that blurs what lies behind it.
class VisualEffectView : public View {
public:
    using View::View;
    VisualEffectMaterial material = VisualEffectMaterial::titlebar;
    VisualEffectBlending blendingMode = VisualEffectBlending::behindWindow;
    VisualEffectState state = VisualEffectState::followsWindowActiveState;
    bool isEmphasized = false;
};

enum class GlassStyle { regular, clear };

// A glass backdrop hosting one content view (kept as its subview).
class GlassEffectView : public View {
public:
    using View::View;
    GlassStyle style = GlassStyle::regular;
    double cornerRadius = 0;
    std::optional<Color> tintColor;
    bool isInteractive = false;

    const std::shared_ptr<View>& contentView() const { return content_; }
    // Replaces the content view (nothing clears it); the new one joins the subviews, filling
    // the glass as it is resized.
    void setContentView(std::shared_ptr<View> content);
    // The content fills the glass, so it cannot be smaller than its content allows.
    Size minimumSize() const override { return content_ ? content_->minimumSize() : Size{}; }

private:
    std::shared_ptr<View> content_;
};

}  // namespace tarnwick::platform::ui
