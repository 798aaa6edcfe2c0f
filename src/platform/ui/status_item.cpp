#include "platform/ui/status_item.h"

#include <stdexcept>

#include "platform/platform.h"

namespace tarnwick::platform::ui {

void StatusBarButton::sendAction() {
    ++actionsSent_;
    // The action may replace itself; run a copy.
    if (auto act = action) act();
}

void StatusBarButton::mouseUp(const MouseEvent&) {
    if (actsOn_ & event_mask::kLeftMouseUp) sendAction();
}

void StatusBarButton::rightMouseUp(const MouseEvent&) {
    if (actsOn_ & event_mask::kRightMouseUp) sendAction();
}

void StatusBarButton::performClick() { sendAction(); }

StatusBar& statusBar() {
    auto* bar = current().statusBar;
    if (!bar) throw std::logic_error("the platform has no status bar");
    return *bar;
}

StatusItem::StatusItem(double length)
    : bar_(&statusBar()),
      length_(length),
      window_(std::make_unique<Panel>(Rect(0, 0, 1, 1), style_mask::kBorderless | style_mask::kNonactivatingPanel)) {
    if (bar_->givesItemsButtons()) button_ = std::make_shared<StatusBarButton>();
    window_->setLevel(window_level::kStatus);
    window_->collectionBehavior = collection_behavior::kCanJoinAllSpaces | collection_behavior::kStationary;
    window_->isOpaque = false;
    window_->backgroundColor = Color::clear();
    window_->hasShadow = false;
    if (button_) window_->setContentView(button_);
    window_->setFrame(bar_->statusItemCreated(*this), true);
    window_->orderFrontRegardless();
}

StatusItem::~StatusItem() {
    if (bar_) bar_->statusItemDestroyed(*this);
    window_.reset();
}

void StatusItem::takeButtonOutOfWindow() {
    if (button_ && window_->contentView() == button_) window_->setContentView(nullptr);
}

void StatusItem::discardButton() {
    takeButtonOutOfWindow();
    button_.reset();
}

}  // namespace tarnwick::platform::ui
