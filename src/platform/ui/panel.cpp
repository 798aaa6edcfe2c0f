#include "platform/ui/panel.h"

#include <algorithm>
#include <utility>

#include "platform/ui/screens.h"
#include "platform/ui/window_system.h"

namespace tarnwick::platform::ui {

double AlphaAnimation::valueAt(double uptime) const {
    if (!(duration > 0) || uptime >= beginTime + duration) return toValue;
    if (uptime <= beginTime) return fromValue;
    return fromValue + (toValue - fromValue) * (uptime - beginTime) / duration;
}

Panel::Panel(Rect contentRect, std::uint64_t styleMask, BackingStore backing, bool defer)
    : system_(&windowSystem()), styleMask_(styleMask), backing_(backing), deferred_(defer), frame_(contentRect) {
    number_ = system_->panelCreated(*this);
    setContentView(std::make_shared<View>());
}

Panel::~Panel() {
    fadeEnd_.cancel();
    if (contentView_) contentView_->hostWindow_ = nullptr;
    if (system_) system_->panelDestroyed(*this);
}

void Panel::changed() {
    if (system_) system_->panelChanged(*this);
}

void Panel::setTitle(std::string title) {
    title_ = std::move(title);
    changed();
}

void Panel::setLevel(int level) {
    level_ = level;
    changed();
}

void Panel::setIgnoresMouseEvents(bool ignores) {
    ignoresMouseEvents_ = ignores;
    changed();
}

void Panel::setAccessibilityLabel(std::optional<std::string> label) {
    if (label == accessibilityLabel_) return;
    accessibilityLabel_ = std::move(label);
    changed();
}

void Panel::setContentView(std::shared_ptr<View> view) {
    if (contentView_) {
        contentView_->hostWindow_ = nullptr;
        if (visible_) contentView_->windowVisibilityChanged(false);
    }
    contentView_ = std::move(view);
    if (!contentView_) return;
    contentView_->removeFromSuperview();
    contentView_->hostWindow_ = this;
    contentView_->setFrame(Rect(0, 0, frame_.width(), frame_.height()));
    if (visible_) contentView_->windowVisibilityChanged(true);
}

void Panel::setFrame(const Rect& frame, bool display, bool animate) {
    lastFrameChange_ = FrameChange{display, animate};
    // Where it already is: the window server has nothing to learn.
    if (frame == frame_) return;
    frame_ = frame;
    if (contentView_) contentView_->setFrame(Rect(0, 0, frame.width(), frame.height()));
    changed();
}

double Panel::alphaValue() const { return fade_ ? fade_->valueAt(RunLoop::main().uptime()) : alpha_; }

void Panel::endFade() {
    fadeEnd_.cancel();
    fade_.reset();
    if (auto completion = std::exchange(fadeCompletion_, nullptr)) RunLoop::main().post(std::move(completion));
}

void Panel::setAlphaValue(double alpha) {
    endFade();
    alpha_ = alpha;
    changed();
}

void Panel::animateAlpha(double alpha, double duration, std::function<void()> completion) {
    const double from = alphaValue();
    endFade();
    alpha_ = alpha;
    const double length = duration > 0 ? duration : 0;
    fade_ = AlphaAnimation{from, alpha, length, RunLoop::main().uptime()};
    fadeCompletion_ = std::move(completion);
    fadeEnd_ = RunLoop::main().postAfter(length, [this, alive = lifetime_.weak()] {
        if (!alive) return;
        endFade();
        changed();
    });
    changed();
}

void Panel::orderFrontRegardless() {
    const bool wasVisible = std::exchange(visible_, true);
    if (system_) system_->orderFront(*this);
    if (!wasVisible && contentView_) contentView_->windowVisibilityChanged(true);
}

void Panel::orderOut() {
    const bool wasVisible = std::exchange(visible_, false);
    const bool wasKey = isKeyWindow();
    if (system_) system_->orderOut(*this);
    if (wasVisible && contentView_) contentView_->windowVisibilityChanged(false);
    if (wasKey && !isKeyWindow()) keyStateChanged(false);
}

void Panel::makeKeyAndOrderFront() {
    orderFrontRegardless();
    if (!system_ || !canBecomeKey()) return;
    Panel* previous = system_->keyPanel();
    system_->makeKey(*this);
    if (previous == this) return;
    if (previous) previous->keyStateChanged(false);
    keyStateChanged(true);
}

void Panel::keyStateChanged(bool key) {
    if (contentView_) contentView_->windowKeyStateChanged(key);
}

bool Panel::isKeyWindow() const { return system_ && system_->keyPanel() == this; }

bool Panel::canBecomeKey() const { return styleMask_ & style_mask::kTitled; }

bool Panel::canBecomeMain() const { return false; }

std::optional<ScreenDescription> Panel::screen() const { return screenContaining(frame_); }

void Panel::invalidateCursorRects(View& view) {
    for (View* v : view.descendants()) {
        v->discardCursorRects();
        v->resetCursorRects();
    }
}

View* Panel::mouseDown(const MouseEvent& event) {
    if (!contentView_) return nullptr;
    View* hit = contentView_->hitTest(event.locationInWindow);
    if (!hit) return nullptr;
    // A click on a window that is not key reaches the view only when the view takes first clicks.
    if (!isKeyWindow() && !hit->acceptsFirstMouse(event)) return nullptr;
    hit->mouseDown(event);
    return hit;
}

std::vector<std::string> Panel::shownTexts() const {
    return contentView_ ? contentView_->shownTexts() : std::vector<std::string>{};
}

}  // namespace tarnwick::platform::ui
