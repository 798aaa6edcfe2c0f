#include "app/glass_window.h"

#include "platform/ui/effect_views.h"

namespace tarnwick {

namespace ui = platform::ui;

void dressInGlass(ui::Panel& window, std::shared_ptr<ui::View> content, double cornerRadius) {
    window.setStyleMask(window.styleMask() | ui::style_mask::kFullSizeContentView);
    window.titlebarAppearsTransparent = true;
    window.backgroundColor = ui::Color::clear();
    window.isOpaque = false;

    auto glass = std::make_shared<ui::GlassEffectView>();
    glass->style = ui::GlassStyle::regular;
    glass->cornerRadius = cornerRadius;
    glass->setContentView(std::move(content));
    window.setContentView(glass);
}

}  // namespace tarnwick
