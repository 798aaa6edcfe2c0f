#include "platform/ui/panel.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <utility>

#include "platform/platform.h"
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
    if (contentView_) {
        contentView_->hostWindow_ = nullptr;
        for (View* v : contentView_->descendants()) v->viewDidMoveToWindow();
    }
    if (system_) system_->panelDestroyed(*this);
}

void Panel::changed() {
    if (system_) system_->panelChanged(*this);
}

void Panel::post(const char* name) {
    if (!system_) return;
    if (auto* center = current().notificationCenter) center->post(Notification{name, {}, this});
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
        auto old = std::move(contentView_);
        old->hostWindow_ = nullptr;
        if (visible_) old->windowVisibilityChanged(false);
        subtreeLeft(*old);
        for (View* v : old->descendants()) v->viewDidMoveToWindow();
    }
    contentView_ = std::move(view);
    if (!contentView_) return;
    contentView_->removeFromSuperview();
    Panel* from = contentView_->window();
    if (from && from != this) from->setContentView(nullptr);
    contentView_->hostWindow_ = this;
    contentView_->setFrame(Rect(0, 0, frame_.width(), frame_.height()));
    for (View* v : contentView_->descendants()) v->viewDidMoveToWindow();
    if (visible_) contentView_->windowVisibilityChanged(true);
}

void Panel::setFrame(const Rect& frame, bool display, bool animate) {
    lastFrameChange_ = FrameChange{display, animate};
    // Where it already is: the window server has nothing to learn.
    if (frame == frame_) return;
    const Rect old = frame_;
    frame_ = frame;
    if (contentView_) contentView_->setFrame(Rect(0, 0, frame.width(), frame.height()));
    changed();
    if (visible_) {
        saveFrame();
        // A shown window lays out its views at their new size before it draws again.
        if (old.size != frame.size) displayContent();
    }
    if (!system_) return;
    if (old.size != frame.size) post(notification_names::kWindowDidResize);
    if (old.origin != frame.origin) post(notification_names::kWindowDidMove);
    const auto before = screenContaining(old), after = screenContaining(frame);
    const auto displayOf = [](const std::optional<ScreenDescription>& screen) {
        return screen ? displayID(*screen) : std::nullopt;
    };
    if (before.has_value() != after.has_value() || displayOf(before) != displayOf(after))
        post(notification_names::kWindowDidChangeScreen);
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
    const unsigned occlusion = occlusionState();
    // Coming in, it lays out what needs it before it draws: first of all, so that the content
    // declares its minimum size before a restored frame is held to it.
    if (!visible_) displayContent();
    // Coming in for the first time, it takes the frame it was last shown with (which may be on
    // another display), laid out again at that size; later it stays where the app or the user
    // put it.
    if (!visible_ && !std::exchange(frameRestored_, true)) {
        restoreFrame();
        displayContent();
    }
    // A titled window coming in where no screen is any more (its display was unplugged while it
    // was closed or in the Dock) is brought onto the first screen, as the system constrains it.
    if (!visible_ && (styleMask_ & style_mask::kTitled))
        if (auto onScreen = constrainedToScreens(frame_, minimumContentSize())) setFrame(*onScreen, false);
    const bool wasVisible = std::exchange(visible_, true);
    if (system_) system_->orderFront(*this);
    if (!wasVisible && contentView_) contentView_->windowVisibilityChanged(true);
    if (occlusionState() != occlusion) post(notification_names::kWindowDidChangeOcclusionState);
    if (std::exchange(miniaturized_, false)) {
        post(notification_names::kWindowDidDeminiaturize);
        if (auto* d = delegate()) d->windowDidDeminiaturize(*this);
    }
}

void Panel::orderOut() {
    const unsigned occlusion = occlusionState();
    if (visible_) saveFrame();
    const bool wasVisible = std::exchange(visible_, false);
    if (system_) system_->orderOut(*this);
    if (wasVisible && contentView_) contentView_->windowVisibilityChanged(false);
    if (occlusionState() != occlusion) post(notification_names::kWindowDidChangeOcclusionState);
}

void Panel::close() {
    post(notification_names::kWindowWillClose);
    if (auto* d = delegate()) d->windowWillClose(*this);
    miniaturized_ = false;
    orderOut();
}

void Panel::miniaturizedBySystem() {
    if (miniaturized_) return;
    orderOut();
    miniaturized_ = true;
    post(notification_names::kWindowDidMiniaturize);
    if (auto* d = delegate()) d->windowDidMiniaturize(*this);
}

void Panel::displayContent() {
    // Keep the views alive while they lay out.
    if (auto content = contentView_) content->layoutSubtreeIfNeeded();
}

void Panel::center() {
    const auto screen = mainScreen();
    if (!screen) return;
    const Rect& visible = screen->visibleFrame;
    setFrame(Rect(visible.origin.x + (visible.width() - frame_.width()) / 2,
                  visible.origin.y + (visible.height() - frame_.height()) / 2, frame_.width(), frame_.height()),
             false);
}

// ---- frame autosave

namespace {

bool usable(const Rect& r) {
    return std::isfinite(r.origin.x) && std::isfinite(r.origin.y) && std::isfinite(r.width()) &&
           std::isfinite(r.height()) && r.width() > 0 && r.height() > 0;
}

}  // namespace

std::string Panel::autosaveKey(const std::string& name) { return "NSWindow Frame " + name; }

std::optional<Rect> Panel::savedFrame(const std::string& name) {
    auto* defaults = current().userDefaults;
    if (name.empty() || !defaults) return std::nullopt;
    const auto text = defaults->string(autosaveKey(name));
    if (!text) return std::nullopt;
    std::istringstream in(*text);
    double x = 0, y = 0, width = 0, height = 0;
    std::string rest;
    if (!(in >> x >> y >> width >> height) || (in >> rest)) return std::nullopt;
    const Rect frame(x, y, width, height);
    if (!usable(frame)) return std::nullopt;
    return frame;
}

bool Panel::setFrameAutosaveName(std::string name) {
    if (!name.empty() && system_)
        for (Panel* other : system_->windows())
            if (other != this && other->autosaveName_ == name) return false;
    if (name != autosaveName_) frameRestored_ = false;
    autosaveName_ = std::move(name);
    return true;
}

void Panel::saveFrame() {
    auto* defaults = current().userDefaults;
    if (autosaveName_.empty() || !defaults || !usable(frame_)) return;
    std::ostringstream out;
    out.precision(17);
    out << frame_.origin.x << ' ' << frame_.origin.y << ' ' << frame_.width() << ' ' << frame_.height();
    defaults->set(autosaveKey(autosaveName_), Value(out.str()));
}

Size Panel::minimumContentSize() const {
    const Size content = contentView_ ? contentView_->minimumSize() : Size{};
    return Size{std::max(contentMinSize.width, content.width), std::max(contentMinSize.height, content.height)};
}

void Panel::restoreFrame() {
    if (auto saved = savedFrame(autosaveName_)) {
        const Size minimum = minimumContentSize();
        Rect frame = *saved;
        // A frame saved smaller than the window allows now grows to the minimum.
        frame.size.width = std::max(frame.width(), minimum.width);
        frame.size.height = std::max(frame.height(), minimum.height);
        // One saved larger than the screen it comes back on (an edited or foreign frame) shrinks
        // to that screen's visible frame, as the system reads a saved frame.
        // The screen that holds its title bar's leading end, else the one it overlaps most.
        auto screen = frame.isFinite() ? screenAt(Point{frame.minX(), frame.maxY() - 1}) : std::nullopt;
        if (!screen && frame.isFinite()) screen = screenContaining(frame);
        if (!screen) {
            const auto all = screens();
            if (!all.empty()) screen = all.front();
        }
        if (screen && screen->visibleFrame.isUsable() && frame.isFinite() &&
            (frame.width() > screen->visibleFrame.width() || frame.height() > screen->visibleFrame.height())) {
            const Rect& visible = screen->visibleFrame;
            frame = placedInside(frame, visible, minimum,
                                 Point{frame.minX() - visible.minX(), visible.maxY() - frame.maxY()});
        }
        setFrame(frame, false);
    }
}

bool Panel::isOnActiveSpace() const { return visible_ && system_ && system_->isOnActiveSpace(*this); }

unsigned Panel::occlusionState() const { return isOnActiveSpace() && !occluded_ ? occlusion_state::kVisible : 0; }

void Panel::setOccludedBySystem(bool occluded) {
    const unsigned occlusion = occlusionState();
    occluded_ = occluded;
    if (occlusionState() != occlusion) post(notification_names::kWindowDidChangeOcclusionState);
}

void Panel::makeKey() {
    if (system_ && canBecomeKey()) system_->makeKey(*this);
}

void Panel::makeKeyAndOrderFront() {
    orderFrontRegardless();
    makeKey();
}

bool Panel::isKeyWindow() const { return system_ && system_->keyPanel() == this; }

void Panel::keyStateChanged(bool key) {
    // The keys go to another window now: an accent a dead key left waiting is not typed there,
    // nor here once the keys come back.
    if (auto* context = current().textInputContext) context->discardMarkedText();
    if (contentView_) contentView_->windowKeyStateChanged(key);
    // The window draws its new look at once, as one in front or in the background, even where
    // the loop does not turn meanwhile (an alert's modal run).
    if (visible_) displayContent();
    post(key ? notification_names::kWindowDidBecomeKey : notification_names::kWindowDidResignKey);
    if (key)
        if (auto* d = delegate()) d->windowDidBecomeKey(*this);
}

View* Panel::firstResponder() const {
    auto responder = firstResponder_.lock();
    return responder && responder->window() == this ? responder.get() : nullptr;
}

bool Panel::makeFirstResponder(View* responder) {
    View* current = firstResponder();
    if (responder == current) return true;
    if (current && !current->resignFirstResponder()) return false;
    firstResponder_.reset();
    if (!responder) return true;
    if (responder->window() != this || !responder->acceptsFirstResponder() || !responder->becomeFirstResponder())
        return false;
    firstResponder_ = responder->weak_from_this();
    return true;
}

void Panel::subtreeLeft(View& subtree) {
    auto responder = firstResponder_.lock();
    if (!responder) return;
    for (View* v = responder.get(); v; v = v->superview())
        if (v == &subtree) {
            // It is no longer ours to ask; whatever it answers, it goes.
            firstResponder_.reset();
            responder->resignFirstResponder();
            return;
        }
}

bool Panel::sendKeyEvent(const KeyEvent& event) {
    // Keep the window's views alive while they answer.
    auto content = contentView_;
    if ((event.modifierFlags & modifier_flags::kCommand) && content && content->performKeyEquivalent(event)) return true;
    std::shared_ptr<View> responder = firstResponder() ? firstResponder()->shared_from_this() : nullptr;
    if (responder && responder->keyDown(event)) return true;
    // Tab that nobody took goes round the key view loop from the window itself: to its first
    // view, Shift-Tab to its last.
    constexpr ModifierFlags kNotTab = modifier_flags::kCommand | modifier_flags::kControl | modifier_flags::kOption;
    if (event.keyCode == key_codes::kTab && !(event.modifierFlags & kNotTab) && content &&
        content->selectKeyViewAtEdge(event.modifierFlags & modifier_flags::kShift))
        return true;
    if (event.keyCode == key_codes::kEscape) {
        cancelOperation();
        return true;
    }
    return false;
}

bool Panel::canBecomeKey() const { return styleMask_ & style_mask::kTitled; }

std::optional<Rect> Panel::titleFrame() const {
    if (!(styleMask_ & style_mask::kTitled)) return std::nullopt;
    const double height = std::clamp(frame_.height(), 0.0, kTitlebarHeight);
    return Rect(frame_.minX() + kWindowButtonsWidth, frame_.maxY() - height,
                std::max(frame_.width() - 2 * kWindowButtonsWidth, 0.0), height);
}

bool Panel::canBecomeMain() const { return false; }

std::optional<ScreenDescription> Panel::screen() const { return screenContaining(frame_); }

void Panel::invalidateCursorRects(View& view) {
    for (View* v : view.descendants()) {
        v->discardCursorRects();
        v->resetCursorRects();
    }
}

View* Panel::pressTarget(const MouseEvent& event) {
    pressed_.reset();
    if (!contentView_) return nullptr;
    View* hit = contentView_->hitTest(event.locationInWindow);
    if (!hit) return nullptr;
    // A click on a window that is not key reaches the view only when the view takes first clicks.
    if (!isKeyWindow() && !hit->acceptsFirstMouse(event)) return nullptr;
    pressed_ = hit->weak_from_this();
    return hit;
}

View* Panel::mouseDown(const MouseEvent& event) {
    View* hit = pressTarget(event);
    if (hit) hit->mouseDown(event);
    return hit;
}

void Panel::mouseUp(const MouseEvent& event) {
    if (auto target = std::exchange(pressed_, {}).lock()) target->mouseUp(event);
}

View* Panel::rightMouseDown(const MouseEvent& event) {
    View* hit = pressTarget(event);
    if (hit) hit->rightMouseDown(event);
    return hit;
}

void Panel::rightMouseUp(const MouseEvent& event) {
    if (auto target = std::exchange(pressed_, {}).lock()) target->rightMouseUp(event);
}

std::vector<std::string> Panel::shownTexts() const {
    return contentView_ ? contentView_->shownTexts() : std::vector<std::string>{};
}

}  // namespace tarnwick::platform::ui
