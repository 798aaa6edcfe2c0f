#include "platform/ui/view.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/panel.h"

namespace tarnwick::platform::ui {

View::View(Rect frame) : frame_(frame) {}

View::~View() {
    for (auto& sub : subviews_) sub->superview_ = nullptr;
    for (auto& area : trackingAreas_) area->view_ = nullptr;
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

void View::movedWindow(View& subtree, Panel* from) {
    if (from == subtree.window()) return;
    if (from) from->subtreeLeft(subtree);
    for (View* v : subtree.descendants()) v->viewDidMoveToWindow();
}

void View::addSubview(std::shared_ptr<View> view) {
    if (!view || view.get() == this) return;
    Panel* from = view->window();
    view->detach();
    view->superview_ = this;
    View& added = *view;
    subviews_.push_back(std::move(view));
    movedWindow(added, from);
}

void View::addSubview(std::shared_ptr<View> view, const View& above) {
    if (!view || view.get() == this) return;
    Panel* from = view->window();
    view->detach();
    auto it = std::find_if(subviews_.begin(), subviews_.end(), [&](const auto& v) { return v.get() == &above; });
    view->superview_ = this;
    View& added = *view;
    if (it == subviews_.end())
        subviews_.push_back(std::move(view));
    else
        subviews_.insert(it + 1, std::move(view));
    movedWindow(added, from);
}

void View::removeFromSuperview() {
    // Keep the view alive while it leaves its superview's list.
    auto self = shared_from_this();
    Panel* from = window();
    detach();
    movedWindow(*this, from);
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

void View::mouseUp(const MouseEvent& event) {
    if (superview_) superview_->mouseUp(event);
}

void View::rightMouseDown(const MouseEvent& event) {
    if (superview_) superview_->rightMouseDown(event);
}

void View::rightMouseUp(const MouseEvent& event) {
    if (superview_) superview_->rightMouseUp(event);
}

bool View::keyDown(const KeyEvent& event) { return superview_ ? superview_->keyDown(event) : false; }

bool View::performKeyEquivalent(const KeyEvent& event) {
    // Views may leave while they answer; walk a copy.
    auto children = subviews_;
    for (auto& child : children)
        if (!child->isHidden() && child->performKeyEquivalent(event)) return true;
    return false;
}

bool View::selectKeyViewAtEdge(bool last) {
    auto children = subviews_;
    if (last) std::reverse(children.begin(), children.end());
    for (auto& child : children)
        if (!child->isHidden() && child->selectKeyViewAtEdge(last)) return true;
    return false;
}

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

Rect View::convertToWindow(const Rect& rect) const {
    Rect result = rect;
    for (const View* v = this; v; v = v->superview_) {
        result.origin.x += v->frame_.origin.x;
        result.origin.y += v->frame_.origin.y;
    }
    return result;
}

Rect View::visibleRect() const {
    // Clipped by each superview's bounds, all in window coordinates, then back.
    Rect visible = convertToWindow(bounds());
    for (const View* v = superview_; v; v = v->superview_) {
        const Rect clip = v->convertToWindow(v->bounds());
        const double minX = std::max(visible.minX(), clip.minX()), maxX = std::min(visible.maxX(), clip.maxX());
        const double minY = std::max(visible.minY(), clip.minY()), maxY = std::min(visible.maxY(), clip.maxY());
        if (!(maxX > minX) || !(maxY > minY)) return Rect();
        visible = Rect(minX, minY, maxX - minX, maxY - minY);
    }
    const Rect origin = convertToWindow(Rect());
    return Rect(visible.minX() - origin.minX(), visible.minY() - origin.minY(), visible.width(), visible.height());
}

void View::addTrackingArea(std::shared_ptr<TrackingArea> area) {
    if (!area || area->view_ == this) return;
    if (area->view_) area->view_->removeTrackingArea(*area);
    area->view_ = this;
    area->pointerInside = false;
    trackingAreas_.push_back(std::move(area));
}

void View::removeTrackingArea(const TrackingArea& area) {
    auto it = std::find_if(trackingAreas_.begin(), trackingAreas_.end(), [&](const auto& a) { return a.get() == &area; });
    if (it == trackingAreas_.end()) return;
    (*it)->view_ = nullptr;
    (*it)->pointerInside = false;
    trackingAreas_.erase(it);
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
