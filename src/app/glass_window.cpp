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

void GlassWindowController::makeWindow(const GlassWindowStyle& style, std::unique_ptr<ui::DeclarativeView> root) {
    auto window = std::make_unique<ui::Panel>(Rect(0, 0, style.contentSize.width, style.contentSize.height),
                                              style.styleMask, ui::BackingStore::buffered, false);
    window->setTitle(style.title);
    window->isReleasedWhenClosed = false;
    window->tabbingMode = ui::TabbingMode::disallowed;
    window->contentMinSize = style.minimumSize;

    hosting_ = std::make_shared<ui::HostingView>(std::move(root));
    dressInGlass(*window, hosting_, style.cornerRadius);

    window->setFrameAutosaveName(style.autosaveName);
    window->center();
    setWindow(std::move(window));
    this->window()->setDelegate(*this, lifetime_);
}

void GlassWindowController::takeDownWindow() {
    setWindow(nullptr);
    hosting_.reset();
}

}  // namespace tarnwick
