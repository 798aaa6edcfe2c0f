#include "overlays/label_presentation.h"

namespace tarnwick {

namespace ui = platform::ui;

LabelPresentation::LabelPresentation(std::string monitor, ApplicationIconCache* icons)
    : monitorID(std::move(monitor)),
      panel_(std::make_unique<ui::Panel>(Rect(0, 0, 1, 1), ui::style_mask::kNonactivatingPanel, ui::BackingStore::buffered,
                                         false)) {
    ui::Panel& p = *panel_;
    p.setLevel(ui::window_level::kMissionControl);
    p.collectionBehavior = kCollectionBehavior;
    p.setIgnoresMouseEvents(true);
    p.hidesOnDeactivate = false;
    p.animationBehavior = ui::animation_behavior::kNone;
    p.hasShadow = false;
    p.isOpaque = false;
    p.backgroundColor = ui::Color::clear();
    view_ = std::make_shared<FrostedLabelView>(Rect(0, 0, 1, 1), icons);
    view_->setContainerShape(FrostedLabelView::ContainerShape::roundedRectangle);
    p.setContentView(view_);
}

FrostedLabelView* LabelPresentation::label() const {
    return panel_->contentView() == view_ ? view_.get() : nullptr;
}

void LabelPresentation::hide(bool resetPlacement) {
    if (!panel_->ignoresMouseEvents()) panel_->setIgnoresMouseEvents(true);
    if (auto* view = label()) view->cancelReveal();
    if (panel_->isVisible()) panel_->orderOut();
    expiry = distantPast;
    clickGraceUntil = distantPast;
    if (resetPlacement) entrance.reset();
}

}  // namespace tarnwick
