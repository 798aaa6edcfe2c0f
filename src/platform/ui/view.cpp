#include "platform/ui/view.h"

#include <algorithm>
#include <cmath>

namespace tarnwick::platform::ui {

View::View(Rect frame) : frame_(frame) {}

View::~View() {
    for (auto& sub : subviews_) sub->superview_ = nullptr;
}

void View::setFrame(const Rect& frame) {
    const Size oldSize = frame_.size;
    frame_ = frame;
    if (frame.size == oldSize) return;
    needsLayout_ = true;
    resizeSubviews(oldSize);
}

namespace {

// The new origin and length of one axis of a subview whose superview grew by `delta`.
void followAxis(double& origin, double& length, double delta, bool minFlexible, bool lengthFlexible, bool maxFlexible) {
    const int parts = int(minFlexible) + int(lengthFlexible) + int(maxFlexible);
    if (parts == 0 || delta == 0 || !std::isfinite(delta)) return;
    const double share = delta / parts;
    if (minFlexible) origin += share;
    if (lengthFlexible) length += share;
}

}  // namespace

void View::resizeSubviews(Size oldSize) {
    const double dw = frame_.size.width - oldSize.width;
    const double dh = frame_.size.height - oldSize.height;
    // A subview may resize its own subviews in turn; walk a copy.
    auto children = subviews_;
    for (auto& child : children) {
        const unsigned mask = child->autoresizingMask;
        if (mask == autoresizing::kNotSizable) continue;
        Rect next = child->frame_;
        followAxis(next.origin.x, next.size.width, dw, mask & autoresizing::kMinXMargin,
                   mask & autoresizing::kWidthSizable, mask & autoresizing::kMaxXMargin);
        followAxis(next.origin.y, next.size.height, dh, mask & autoresizing::kMinYMargin,
                   mask & autoresizing::kHeightSizable, mask & autoresizing::kMaxYMargin);
        child->setFrame(next);
    }
}

void View::detach() {
    if (!superview_) return;
    auto& siblings = superview_->subviews_;
    std::erase_if(siblings, [this](const std::shared_ptr<View>& v) { return v.get() == this; });
    superview_ = nullptr;
}

void View::addSubview(std::shared_ptr<View> view) {
    if (!view || view.get() == this) return;
    view->detach();
    view->superview_ = this;
    subviews_.push_back(std::move(view));
}

void View::addSubview(std::shared_ptr<View> view, const View& above) {
    if (!view || view.get() == this) return;
    view->detach();
    auto it = std::find_if(subviews_.begin(), subviews_.end(), [&](const auto& v) { return v.get() == &above; });
    view->superview_ = this;
    if (it == subviews_.end())
        subviews_.push_back(std::move(view));
    else
        subviews_.insert(it + 1, std::move(view));
}

void View::removeFromSuperview() {
    // Keep the view alive while it leaves its superview's list.
    auto self = shared_from_this();
    detach();
}

Panel* View::window() const {
    const View* root = this;
    while (root->superview_) root = root->superview_;
    return root->hostWindow_;
}

bool View::isHiddenOrHasHiddenAncestor() const {
    for (const View* v = this; v; v = v->superview_)
        if (v->hidden_) return true;
    return false;
}

void View::layoutSubtreeIfNeeded() {
    if (needsLayout_) {
        needsLayout_ = false;
        layout();
    }
    // Layout may replace subviews; walk a copy.
    auto children = subviews_;
    for (auto& child : children) child->layoutSubtreeIfNeeded();
}

View* View::hitTest(Point point) {
    if (hidden_ || !frame_.contains(point)) return nullptr;
    const Point local{point.x - frame_.origin.x, point.y - frame_.origin.y};
    for (auto it = subviews_.rbegin(); it != subviews_.rend(); ++it)
        if (View* hit = (*it)->hitTest(local)) return hit;
    return this;
}

bool View::acceptsFirstMouse(const MouseEvent&) { return false; }

void View::mouseDown(const MouseEvent& event) {
    if (superview_) superview_->mouseDown(event);
}

bool View::keyDown(const KeyEvent& event) { return superview_ ? superview_->keyDown(event) : false; }

void View::windowVisibilityChanged(bool visible) {
    // Views may leave or join while they hear it; walk a copy.
    auto children = subviews_;
    for (auto& child : children) child->windowVisibilityChanged(visible);
}

void View::windowKeyStateChanged(bool key) {
    auto children = subviews_;
    for (auto& child : children) child->windowKeyStateChanged(key);
}

void View::addCursorRect(const Rect& rect, Cursor cursor) { cursorRects_.push_back(CursorRect{rect, cursor}); }

Point View::convertFromWindow(Point point) const {
    for (const View* v = this; v; v = v->superview_) {
        point.x -= v->frame_.origin.x;
        point.y -= v->frame_.origin.y;
    }
    return point;
}

void View::setWantsLayer(bool wants) {
    if (wants && !layer_) layer_ = std::make_shared<Layer>();
    if (!wants) layer_.reset();
}

std::vector<std::string> View::shownTexts() const {
    std::vector<std::string> texts;
    collectShownText(texts);
    return texts;
}

void View::collectShownText(std::vector<std::string>& texts) const {
    if (hidden_) return;
    for (const auto& sub : subviews_) sub->collectShownText(texts);
}

std::vector<View*> View::descendants() {
    std::vector<View*> all{this};
    for (size_t i = 0; i < all.size(); ++i)
        for (auto& sub : all[i]->subviews_) all.push_back(sub.get());
    return all;
}

}  // namespace tarnwick::platform::ui
