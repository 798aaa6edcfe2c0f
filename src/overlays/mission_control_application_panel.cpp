#include "overlays/mission_control_application_panel.h"

#include <algorithm>

#include "platform/ui/transaction.h"

namespace tarnwick {

namespace ui = platform::ui;

MissionControlApplicationContent::MissionControlApplicationContent(Rect frame, ApplicationIconCache* icons)
    : View(frame), row_(std::make_shared<BannerApplicationRowView>(Rect(), icons)) {
    addSubview(row_);
}

void MissionControlApplicationContent::layout() {
    const Rect area = bounds();
    row_->setFrame(Rect(horizontalInset, verticalInset, std::max(area.width() - 2 * horizontalInset, 0.0),
                        std::max(area.height() - 2 * verticalInset, 0.0)));
}

MissionControlApplicationPanel::MissionControlApplicationPanel(ApplicationIconCache* icons)
    : Panel(Rect(0, 0, 1, 1), ui::style_mask::kNonactivatingPanel, ui::BackingStore::buffered, false),
      strip_(std::make_shared<MissionControlApplicationContent>(Rect(), icons)),
      glass_(std::make_shared<ui::GlassEffectView>()) {
    setTitle(panelTitle);
    setLevel(ui::window_level::kMissionControl);
    collectionBehavior = ui::collection_behavior::kCanJoinAllSpaces | ui::collection_behavior::kStationary |
                         ui::collection_behavior::kIgnoresCycle | ui::collection_behavior::kFullScreenAuxiliary;
    setIgnoresMouseEvents(true);
    hidesOnDeactivate = false;
    animationBehavior = ui::animation_behavior::kNone;
    isExcludedFromWindowsMenu = true;
    isOpaque = false;
    backgroundColor = ui::Color::clear();
    hasShadow = false;

    glass_->style = ui::GlassStyle::regular;
    glass_->cornerRadius = cornerRadius;
    setContentView(glass_);
    strip_->autoresizingMask = ui::autoresizing::kWidthSizable | ui::autoresizing::kHeightSizable;
    glass_->setContentView(strip_);
}

void MissionControlApplicationPanel::show(const MissionControlApplicationPresentation& presentation, const Rect& frame) {
    if (presentation.applications != applications_ || presentation.iconSize != iconSize_) {
        applications_ = presentation.applications;
        iconSize_ = presentation.iconSize;
        strip_->row().configure(applications_, BannerApplicationLayout::IconSize{iconSize_});
    }
    setAccessibilityLabel(presentation.accessibilityLabel);
    {
        ui::Transaction transaction;
        transaction.setDisableActions(true);
        setFrame(frame, true, false);
        if (const auto& content = contentView()) content->layoutSubtreeIfNeeded();
        transaction.commit();
    }
    if (!isVisible()) orderFrontRegardless();
}

void MissionControlApplicationPanel::releasePresentation() {
    orderOut();
    applications_.clear();
    strip_->row().configure({}, BannerApplicationLayout::IconSize{iconSize_});
    setAccessibilityLabel(std::nullopt);
}

}  // namespace tarnwick
