#include "platform/ui/effect_views.h"

namespace tarnwick::platform::ui {

void GlassEffectView::setContentView(std::shared_ptr<View> content) {
    if (content && content_ == content && content->superview() == this) return;
    if (content_ && content_->superview() == this) content_->removeFromSuperview();
    content_ = std::move(content);
    if (!content_) return;
    addSubview(content_);
    // It fills the glass, also when the glass is resized later.
    content_->autoresizingMask = autoresizing::kWidthSizable | autoresizing::kHeightSizable;
    content_->setFrame(bounds());
}

}  // namespace tarnwick::platform::ui
