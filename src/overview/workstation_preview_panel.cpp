#include "overview/workstation_preview_panel.h"

namespace tarnwick {

namespace ui = platform::ui;

WorkstationPreviewPanel::WorkstationPreviewPanel()
    : Panel(Rect(0, 0, kContentWidth, kContentHeight), ui::style_mask::kNonactivatingPanel, ui::BackingStore::buffered,
            false) {
    setTitle(kTitle);
    setLevel(ui::window_level::kPopUpMenu);
    collectionBehavior = kHoverCollectionBehavior;
    hidesOnDeactivate = false;
    animationBehavior = ui::animation_behavior::kNone;
    isExcludedFromWindowsMenu = true;
    isReleasedWhenClosed = false;
    isOpaque = false;
    backgroundColor = ui::Color::clear();
    hasShadow = true;
}

void WorkstationPreviewPanel::setAcceptsKeyboard(bool accepts) {
    acceptsKeyboard_ = accepts;
    collectionBehavior = accepts ? kKeyboardCollectionBehavior : kHoverCollectionBehavior;
}

void WorkstationPreviewPanel::cancelOperation() {
    // The handler may replace itself; run a copy.
    if (auto handler = escapeRequested) handler();
}

}  // namespace tarnwick
