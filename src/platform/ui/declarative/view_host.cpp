#include "platform/ui/declarative/view_host.h"

#include <algorithm>
#include <typeinfo>
#include <utility>

#include "platform/platform.h"
#include "platform/ui/declarative/controls.h"
#include "platform/ui/declarative/layout.h"
#include "platform/ui/panel.h"
#include "support/run_loop.h"

namespace tarnwick::platform::ui {

namespace {

constexpr std::uint64_t kRootIdentity = 0x5EED0F7EE5ull;
constexpr std::uint64_t kExplicitSalt = 0xE1;
constexpr std::uint64_t kBackgroundSalt = 0xBA;
constexpr std::uint64_t kDuplicateSalt = 0xD0;

std::uint64_t mix(std::uint64_t seed, std::uint64_t value) {
    std::uint64_t x = seed ^ (value + 0x9e3779b97f4a7c15ull + (seed << 6) + (seed >> 2));
    x ^= x >> 30;
    x *= 0xbf58476d1ce4e5b9ull;
    x ^= x >> 27;
    x *= 0x94d049bb133111ebull;
    return x ^ (x >> 31);
}

// A child's identity under its parent: its explicit id when it has one (so a list keeps each
// item's state when items move), else its place and kind.
std::uint64_t childIdentity(std::uint64_t parent, const Node& child, std::size_t index) {
    const auto& id = child.modifiers().id;
    if (id.hasValue()) return mix(parent, mix(kExplicitSalt, id.hash()));
    // Named first: typeid of a call's result would evaluate the call inside typeid.
    const NodeContent& content = *child.content();
    const auto kind = reinterpret_cast<std::uintptr_t>(&typeid(content));
    return mix(parent, mix(index, kind));
}

bool isSplicedGroup(const Node& node) { return !node.hasModifiers() && node.as<GroupContent>(); }

template <typename Visit>
void eachNode(const Node& node, const Visit& visit) {
    visit(node);
    for (const auto& child : node.children()) eachNode(child, visit);
    for (const auto& background : node.modifiers().backgrounds) eachNode(background, visit);
}

// The root view as the tree's outermost component.
class RootContent final : public ComponentContentBase {
public:
    explicit RootContent(DeclarativeView& view) : view_(view) {}
    Node body(ViewContext& context) override { return view_.body(context); }

private:
    DeclarativeView& view_;
};

}  // namespace

void StateBoxBase::changed() {
    if (host) host->invalidate();
}

void ScrollProxy::scrollTo(const AnyValue& id, UnitPoint anchor) const {
    if (host_) host_->scrollTo(id, anchor);
}

ViewHost::ViewHost(DeclarativeView& root, View& container) : rootView_(root), container_(container) {
    if (auto* center = current().workspaceNotificationCenter)
        reduceMotionObserver_ = center->addObserver(notification_names::kAccessibilityDisplayOptionsDidChange,
                                                    [this](const Notification&) { invalidate(); });
    if (auto* center = current().notificationCenter)
        localeObserver_ = center->addObserver(notification_names::kCurrentLocaleDidChange,
                                              [this](const Notification&) { invalidate(); });
    rootView_.observe(*this);
}

ViewHost::~ViewHost() {
    scheduledRender_.cancel();
    for (auto& [identity, record] : records_) {
        for (auto& state : record.states) state->host = nullptr;
        if (!record.bridged) continue;
        if (auto* bridge = record.node ? record.node->content()->asBridged() : nullptr)
            bridge->dismantleView(*record.bridged);
        record.bridged->removeFromSuperview();
    }
}

void ViewHost::invalidate() {
    // A window that lays its content out before it shows (or before the next turn) renders then.
    container_.setNeedsLayout();
    if (renderPending_) return;
    renderPending_ = true;
    scheduledRender_ = RunLoop::main().postAfter(0, [this, alive = lifetime_.weak()] {
        if (alive) renderIfNeeded();
    });
}

bool ViewHost::needsRender() const {
    return renderPending_ || !root_ || (readsContainerSize_ && container_.bounds().size != renderedContainerSize_);
}

Size ViewHost::readContainerSize() {
    readsContainerSize_ = true;
    return renderedContainerSize_;
}

Size ViewContext::containerSize() const { return host_.readContainerSize(); }

void ViewHost::windowKeyStateChanged() {
    const Panel* window = container_.window();
    const bool active = window && window->isKeyWindow();
    if (active != environment_.appearsActive) invalidate();
}

void ViewHost::renderIfNeeded() {
    if (needsRender()) render();
}

void ViewHost::render() {
    if (rendering_) {
        invalidate();
        return;
    }
    rendering_ = true;
    // Ends the render however it ends, so a body that throws does not stop the host for good.
    struct Rendering {
        bool& flag;
        ~Rendering() { flag = false; }
    } rendering{rendering_};
    renderPending_ = false;
    scheduledRender_.cancel();
    ++generation_;
    ++renderCount_;
    environment_.reduceMotion = current().workspace->accessibilityDisplayShouldReduceMotion();
    if (auto* system = current().system) environment_.locale = system->currentLocale();
    const Panel* window = container_.window();
    environment_.appearsActive = window && window->isKeyWindow();
    readsContainerSize_ = false;
    renderedContainerSize_ = container_.bounds().size;
    focusables_.clear();
    textFields_.clear();
    hoverables_.clear();
    bridgedNodes_.clear();
    shortcuts_.clear();
    appearing_.clear();
    changes_.clear();

    auto tree = std::make_unique<Node>(std::make_unique<RootContent>(rootView_));
    tree->setIdentity(kRootIdentity);
    tree->inherit(nullptr);
    try {
        expand(*tree);
    } catch (...) {
        keepShownTree();
        throw;
    }
    auto previous = std::exchange(root_, std::move(tree));
    layOut();

    // What left the tree: its bridged views are dismantled and its disappear actions run.
    std::vector<std::function<void()>> disappearing;
    for (auto it = records_.begin(); it != records_.end();) {
        if (it->second.generation == generation_) {
            ++it;
            continue;
        }
        Record& gone = it->second;
        for (auto& state : gone.states) state->host = nullptr;
        if (gone.bridged) {
            if (auto* bridge = gone.node->content()->asBridged()) bridge->dismantleView(*gone.bridged);
            gone.bridged->removeFromSuperview();
            cursorsStale_ = true;
        }
        if (onScreen_)
            for (const auto& action : gone.node->modifiers().events().onDisappear) disappearing.push_back(action);
        std::erase(hovered_, it->first);
        it = records_.erase(it);
    }
    previous.reset();

    placeBridgedViews();
    checkFocus();
    dropLeftHistories();
    for (const Node* node : appearing_)
        for (const auto& action : node->modifiers().events().onAppear)
            if (action) action();
    for (const auto& action : disappearing)
        if (action) action();
    for (const auto& change : changes_)
        if (change.reaction->action) change.reaction->action(change.previous, change.reaction->value);
    refreshCursorRects();
}

void ViewHost::keepShownTree() {
    // What the half-built tree touched may point into it: the records of the tree still shown
    // point at its nodes again, and the rest go.
    ++generation_;
    focusables_.clear();
    textFields_.clear();
    hoverables_.clear();
    bridgedNodes_.clear();
    shortcuts_.clear();
    appearing_.clear();
    changes_.clear();
    if (root_)
        eachNode(*root_, [&](const Node& shown) {
            auto& node = const_cast<Node&>(shown);
            if (auto it = records_.find(node.identity()); it != records_.end()) {
                it->second.generation = generation_;
                it->second.node = &node;
            }
            if (node.modifiers().focus) focusables_.push_back(&node);
            if (node.as<TextFieldContent>()) textFields_.push_back(&node);
            if (node.modifiers().events().onHover) hoverables_.push_back(&node);
            if (node.modifiers().events().keyboardShortcut) shortcuts_.push_back(&node);
            if (node.content()->asBridged()) bridgedNodes_.push_back(&node);
        });
    for (auto it = records_.begin(); it != records_.end();) {
        if (it->second.generation == generation_) {
            ++it;
            continue;
        }
        for (auto& state : it->second.states) state->host = nullptr;
        if (it->second.bridged) it->second.bridged->removeFromSuperview();
        it = records_.erase(it);
    }
}

void ViewHost::expandChildren(std::vector<Node>& children, std::uint64_t identity, std::vector<Node>& into) {
    for (std::size_t i = 0; i < children.size(); ++i) {
        Node& child = children[i];
        const std::uint64_t id = childIdentity(identity, child, i);
        if (isSplicedGroup(child)) {
            expandChildren(child.mutableChildren(), id, into);
            continue;
        }
        child.setIdentity(id);
        into.push_back(std::move(child));
    }
}

ViewHost::Record& ViewHost::touch(Node& node) {
    auto [it, inserted] = records_.try_emplace(node.identity());
    // A second node with the same identity in one tree (a list with a repeated key) gets an
    // identity of its own, so the two never share state or views.
    while (!inserted && it->second.generation == generation_) {
        node.setIdentity(mix(node.identity(), kDuplicateSalt));
        std::tie(it, inserted) = records_.try_emplace(node.identity());
    }
    Record& record = it->second;
    const bool isNew = record.generation == 0;
    record.generation = generation_;
    record.node = &node;
    reconcile(record, node, isNew);
    return record;
}

void ViewHost::expand(Node& node) {
    NodeContent* content = node.content();
    auto* component = content->asComponent();
    if (component || content->asBridged() || (node.hasModifiers() && node.modifiers().needsRecord())) {
        Record& record = touch(node);
        if (component) {
            ViewContext context(*this, record.states, environment_);
            Node body = component->body(context);
            node.mutableChildren().clear();
            node.mutableChildren().push_back(std::move(body));
        }
    }
    // A button of a style of the app's own shows the body the style makes of its label.
    if (node.as<TextFieldContent>()) textFields_.push_back(&node);
    if (auto* button = content->asButton(); button && button->customStyle && !node.children().empty()) {
        ButtonStyleConfiguration configuration{std::move(node.mutableChildren().front()),
                                               pressed_ && *pressed_ == node.identity(), !node.isDisabled(),
                                               environment_.appearsActive};
        Node body = button->customStyle->makeBody(std::move(configuration));
        node.mutableChildren().clear();
        node.mutableChildren().push_back(std::move(body));
    }

    auto& children = node.mutableChildren();
    if (!children.empty()) {
        bool splice = false;
        for (const auto& child : children) splice = splice || isSplicedGroup(child);
        if (splice) {
            std::vector<Node> flat;
            flat.reserve(children.size());
            expandChildren(children, node.identity(), flat);
            children = std::move(flat);
        } else {
            for (std::size_t i = 0; i < children.size(); ++i) children[i].setIdentity(childIdentity(node.identity(), children[i], i));
        }
        for (auto& child : children) {
            child.setParent(&node);
            child.inherit(&node);
            expand(child);
        }
    }
    if (!node.hasModifiers()) return;
    auto& modifiers = node.mutableModifiers();
    for (std::size_t k = 0; k < modifiers.backgrounds.size(); ++k) {
        Node& background = modifiers.backgrounds[k];
        background.setIdentity(mix(node.identity(), mix(kBackgroundSalt, k)));
        background.setParent(&node);
        background.inherit(&node);
        expand(background);
    }
    if (modifiers.focus) focusables_.push_back(&node);
    if (modifiers.events().onHover) hoverables_.push_back(&node);
    if (modifiers.events().keyboardShortcut) shortcuts_.push_back(&node);
}

void ViewHost::reconcile(Record& record, Node& node, bool isNew) {
    if (auto* bridge = node.content()->asBridged()) {
        if (!record.bridged) {
            record.bridged = bridge->makeView();
            if (record.bridged) container_.addSubview(record.bridged);
            cursorsStale_ = true;
        }
        if (record.bridged) bridge->updateView(*record.bridged);
        bridgedNodes_.push_back(&node);
    }
    if (!node.hasModifiers() || !node.modifiers().eventPart) return;
    const EventModifiers& m = node.modifiers().events();

    // Signals: one subscription per signal for as long as the node stays; values go to the
    // action of the latest render.
    if (record.receivers.size() > m.onReceive.size()) record.receivers.resize(m.onReceive.size());
    for (std::size_t i = 0; i < m.onReceive.size(); ++i) {
        const auto& receiver = m.onReceive[i];
        if (i < record.receivers.size() && record.receivers[i].source == receiver->source()) {
            *record.receivers[i].current = receiver;
            continue;
        }
        ReceiverSlot slot;
        slot.source = receiver->source();
        slot.current = std::make_shared<std::shared_ptr<ReceiverBase>>(receiver);
        slot.subscription = receiver->subscribe(slot.current);
        if (i < record.receivers.size())
            record.receivers[i] = std::move(slot);
        else
            record.receivers.push_back(std::move(slot));
    }

    // Animations: a watched value that changed starts the node's animation, or ends it when the
    // change is not animated. A node's first values animate nothing.
    if (record.animationValues.size() != m.animations.size()) {
        record.animationValues.clear();
        for (const auto& animated : m.animations) record.animationValues.push_back(animated.value);
    } else {
        for (std::size_t i = 0; i < m.animations.size(); ++i) {
            const auto& animated = m.animations[i];
            if (record.animationValues[i] == animated.value) continue;
            record.animationValues[i] = animated.value;
            if (animated.animation)
                record.inFlight = AnimationInFlight{*animated.animation, systemUptime()};
            else
                record.inFlight.reset();
        }
    }

    // Change reactions: run after the render, for values that differ from the last render's.
    if (record.changeValues.size() != m.onChange.size()) {
        record.changeValues.clear();
        for (const auto& change : m.onChange) record.changeValues.push_back(change.value);
    } else {
        for (std::size_t i = 0; i < m.onChange.size(); ++i) {
            if (record.changeValues[i] == m.onChange[i].value) continue;
            AnyValue previous = std::exchange(record.changeValues[i], m.onChange[i].value);
            changes_.push_back(PendingChange{&m.onChange[i], std::move(previous)});
        }
    }

    if (isNew && onScreen_ && !m.onAppear.empty()) appearing_.push_back(&node);
}

void ViewHost::layOut() {
    const Size size = container_.bounds().size;
    Layout layout(textMetrics(), scrollOffsets_);
    layout.measure(*root_, Proposal{size.width, size.height});
    layout.place(*root_, Rect(0, 0, size.width, size.height));
}

void ViewHost::layoutNow() {
    if (!root_) return;
    layOut();
    placeBridgedViews();
    refreshCursorRects();
}

void ViewHost::placeBridgedViews() {
    const double height = container_.bounds().height();
    for (Node* node : bridgedNodes_) {
        auto it = records_.find(node->identity());
        if (it == records_.end() || !it->second.bridged) continue;
        const Rect& f = node->frame();
        View& view = *it->second.bridged;
        // The container's coordinates have their origin at the bottom left.
        const Rect frame(f.minX(), height - f.maxY(), f.width(), f.height());
        const Rect visible = visibleFrame(*node);
        const bool hidden = !(visible.width() > 0 && visible.height() > 0);
        if (view.frame() == frame && view.isHidden() == hidden) continue;
        view.setFrame(frame);
        view.setHidden(hidden);
        cursorsStale_ = true;
    }
}

void ViewHost::refreshCursorRects() {
    if (!cursorsStale_) return;
    if (Panel* window = container_.window()) {
        window->invalidateCursorRects(container_);
        cursorsStale_ = false;
    }
}

// ---- focus

void ViewHost::checkFocus() {
    for (const Node* node : focusables_) {
        const auto& focus = node->modifiers().focus;
        focusBindings_[focus->binding()] = focus;
    }
    // A bound value that no node of the tree carries gives no focus.
    for (const auto& [binding, representative] : focusBindings_) {
        if (!representative->bindingHasValue()) continue;
        const bool carried = std::any_of(focusables_.begin(), focusables_.end(), [&, b = binding](const Node* node) {
            const auto& focus = node->modifiers().focus;
            return focus->binding() == b && focus->isFocused();
        });
        if (!carried) representative->clear();
    }
}

const Node* ViewHost::focusedNode() const {
    for (const Node* node : focusables_)
        if (node->modifiers().focus->isFocused()) return node;
    return nullptr;
}

const Node* ViewHost::keyFocusNode() const {
    if (const Node* focused = focusedNode()) return focused;
    return editingField();
}

void ViewHost::moveFocus(const Node& node) {
    const auto& focus = node.modifiers().focus;
    if (!focus) return;
    // The field being edited lets go of the keyboard too.
    if (editing_ && *editing_ != node.identity()) forgetEditing();
    // One node of a window holds focus: whatever other binding held it lets go.
    for (const auto& [binding, representative] : focusBindings_)
        if (binding != focus->binding()) representative->clear();
    focus->focus();
}

void ViewHost::dropFocus() {
    for (const auto& [binding, representative] : focusBindings_) representative->clear();
}

// ---- the window

void ViewHost::setOnScreen(bool onScreen) {
    if (onScreen == onScreen_) return;
    onScreen_ = onScreen;
    if (onScreen) {
        renderIfNeeded();
        appearAll();
    } else {
        hovered_.clear();
        disappearAll();
    }
}

void ViewHost::appearAll() {
    if (!root_) return;
    std::vector<std::function<void()>> actions;
    eachNode(*root_, [&](const Node& node) {
        for (const auto& action : node.modifiers().events().onAppear) actions.push_back(action);
    });
    for (const auto& action : actions)
        if (action) action();
}

void ViewHost::disappearAll() {
    if (!root_) return;
    std::vector<std::function<void()>> actions;
    eachNode(*root_, [&](const Node& node) {
        for (const auto& action : node.modifiers().events().onDisappear) actions.push_back(action);
    });
    for (const auto& action : actions)
        if (action) action();
}

// ---- scrolling

void ViewHost::scrollTo(const AnyValue& id, UnitPoint anchor) {
    lastScrollTarget_ = ScrollRequest{id, anchor};
    if (!root_) return;
    const Node* target = nullptr;
    eachNode(*root_, [&](const Node& node) {
        if (!target && node.hasModifiers() && node.modifiers().id.hasValue() && node.modifiers().id == id) target = &node;
    });
    if (!target) return;
    const Node* scroller = target->parent();
    while (scroller && !scroller->content()->clipsChildren()) scroller = scroller->parent();
    if (!scroller) return;
    const auto* form = scroller->as<FormContent>();
    const double viewport = form ? form->viewportHeight : scroller->frame().height();
    const double offset = scrollOffset(*scroller);
    const double inContent = target->frame().minY() - scroller->frame().minY() + offset;
    scrollOffsets_[scroller->identity()] = inContent + target->frame().height() * anchor.y - viewport * anchor.y;
    layoutNow();
}

double ViewHost::scrollOffset(const Node& scroller) const {
    auto it = scrollOffsets_.find(scroller.identity());
    return it == scrollOffsets_.end() ? 0 : it->second;
}

}  // namespace tarnwick::platform::ui
