// The host as tests and the hosting view read it, and the user's pointer and keys.

#include <algorithm>
#include <utility>

#include "platform/ui/declarative/controls.h"
#include "platform/ui/declarative/view_host.h"
#include "support/run_loop.h"

namespace tarnwick::platform::ui {

namespace {

template <typename Visit>
const Node* findNode(const Node& node, const Visit& matches) {
    if (matches(node)) return &node;
    for (const auto& child : node.children())
        if (const Node* found = findNode(child, matches)) return found;
    return nullptr;
}

// The first node of the subtree, among those that show, for which `matches` holds.
template <typename Visit>
const Node* findShownNode(const Node& node, const Visit& matches) {
    if (matches(node)) return &node;
    const auto& children = node.children();
    for (std::size_t i = 0; i < children.size(); ++i)
        if (node.content()->showsChild(i))
            if (const Node* found = findShownNode(children[i], matches)) return found;
    return nullptr;
}

void collectTexts(const Node& node, std::vector<std::string>& texts) {
    node.content()->collectText(texts);
    const auto& children = node.children();
    for (std::size_t i = 0; i < children.size(); ++i)
        if (node.content()->showsChild(i)) collectTexts(children[i], texts);
}

Rect intersection(const Rect& a, const Rect& b) {
    const double x0 = std::max(a.minX(), b.minX());
    const double y0 = std::max(a.minY(), b.minY());
    const double x1 = std::min(a.maxX(), b.maxX());
    const double y1 = std::min(a.maxY(), b.maxY());
    if (x1 <= x0 || y1 <= y0) return Rect(x0, y0, 0, 0);
    return Rect(x0, y0, x1 - x0, y1 - y0);
}

Point middle(const Rect& r) { return Point{r.midX(), r.midY()}; }

const Node* hitNode(const Node& node, Point point, const Rect& clip) {
    if (!clip.contains(point) || !node.frame().contains(point)) return nullptr;
    const Rect inner = node.content()->clipsChildren() ? intersection(clip, node.frame()) : clip;
    const auto& children = node.children();
    for (auto it = children.rbegin(); it != children.rend(); ++it)
        if (const Node* hit = hitNode(*it, point, inner)) return hit;
    if (node.modifiers().contentShape) return &node;
    if (node.content()->isHitTestable() && node.contentFrame().contains(point)) return &node;
    const auto& backgrounds = node.modifiers().backgrounds;
    for (auto it = backgrounds.rbegin(); it != backgrounds.rend(); ++it)
        if (const Node* hit = hitNode(*it, point, clip)) return hit;
    return nullptr;
}

void collectHovered(const Node& node, Point point, const Rect& clip, std::vector<const Node*>& inside) {
    if (!clip.contains(point)) return;
    if (node.modifiers().events().onHover && node.frame().contains(point)) inside.push_back(&node);
    const Rect inner = node.content()->clipsChildren() ? intersection(clip, node.frame()) : clip;
    for (const auto& child : node.children()) collectHovered(child, point, inner, inside);
}

}  // namespace

// ---- reading

const Node* ViewHost::find(std::string_view accessibilityIdentifier) const {
    if (!root_) return nullptr;
    return findNode(*root_, [&](const Node& node) {
        const auto& identifier = node.modifiers().accessibility().identifier;
        return identifier && *identifier == accessibilityIdentifier;
    });
}

const Node* ViewHost::findText(std::string_view text) const {
    if (!root_) return nullptr;
    std::vector<std::string> own;
    return findShownNode(*root_, [&](const Node& node) {
        own.clear();
        node.content()->collectText(own);
        return std::find(own.begin(), own.end(), text) != own.end();
    });
}

std::vector<std::string> ViewHost::texts(const Node* subtree) const {
    std::vector<std::string> result;
    if (const Node* from = subtree ? subtree : root_.get()) collectTexts(*from, result);
    return result;
}

std::optional<std::string> ViewHost::firstText(const Node& node) const {
    auto all = texts(&node);
    if (all.empty()) return std::nullopt;
    return std::move(all.front());
}

std::optional<ViewHost::AnimationInFlight> ViewHost::animationInFlight(const Node& node) const {
    const double now = systemUptime();
    for (const Node* n = &node; n; n = n->parent()) {
        auto it = records_.find(n->identity());
        if (it == records_.end() || !it->second.inFlight) continue;
        const auto& running = *it->second.inFlight;
        if (now < running.beginTime + running.animation.duration) return running;
    }
    return std::nullopt;
}

Rect ViewHost::clipOf(const Node& node) const {
    Rect clip = container_.bounds();
    for (const Node* n = node.parent(); n; n = n->parent())
        if (n->content()->clipsChildren()) clip = intersection(clip, n->frame());
    return clip;
}

Rect ViewHost::visibleFrame(const Node& node) const { return intersection(clipOf(node), node.frame()); }

Rect ViewHost::presentedFrame(const Node& node) const {
    Rect r = node.frame();
    for (const Node* n = &node; n; n = n->parent()) {
        const auto& m = n->modifiers();
        if (m.scale == 1) continue;
        const Rect& f = n->frame();
        const double ax = f.minX() + f.width() * m.scaleAnchor.x;
        const double ay = f.minY() + f.height() * m.scaleAnchor.y;
        r = Rect(ax + (r.minX() - ax) * m.scale, ay + (r.minY() - ay) * m.scale, r.width() * m.scale, r.height() * m.scale);
    }
    return r;
}

std::shared_ptr<View> ViewHost::bridgedView(const Node& node) const {
    auto it = records_.find(node.identity());
    return it == records_.end() ? nullptr : it->second.bridged;
}

const Node* ViewHost::hitTest(Point point) const {
    if (!root_) return nullptr;
    return hitNode(*root_, point, container_.bounds());
}

// ---- the pointer

const Node* ViewHost::clickTarget(const Node& node) const {
    for (const Node* n = &node; n; n = n->parent()) {
        if (n->as<ToggleContent>() || n->as<TextFieldContent>() || n->as<MenuContent>() || n->content()->asButton())
            return n;
        if (const auto* picker = n->as<PickerContent>(); picker && picker->style != PickerStyle::inline_) return n;
        if (const Node* list = n->parent(); list && list->as<ListContent>()) return n;
    }
    return nullptr;
}

const Node* ViewHost::click(Point point) {
    const Node* hit = hitTest(point);
    const Node* n = hit ? clickTarget(*hit) : nullptr;
    if (!n) return nullptr;
    if (n->as<ToggleContent>()) return toggle(*n) ? n : nullptr;
    if (n->as<TextFieldContent>()) {
        if (n->isDisabled()) return nullptr;
        beginEditing(*n);
        return n;
    }
    if (n->as<MenuContent>()) return openMenu(*n) ? n : nullptr;
    if (const auto* picker = n->as<PickerContent>()) {
        if (picker->style == PickerStyle::menu) return openMenu(*n) ? n : nullptr;
        // A segmented picker: the segment under the point, its padding included.
        const auto& options = n->children();
        for (std::size_t i = 0; i < options.size() && i < picker->tags.size(); ++i) {
            const Rect& option = options[i].frame();
            const Rect segment(option.minX() - PickerContent::kSegmentPadding, n->frame().minY(),
                               option.width() + 2 * PickerContent::kSegmentPadding, n->frame().height());
            if (segment.contains(point)) return select(*n, picker->tags[i]) ? n : nullptr;
        }
        return nullptr;
    }
    if (const Node* list = n->parent(); list && list->as<ListContent>()) {
        // A click on a list's row selects it, as the arrow keys would.
        const auto& rows = list->children();
        const auto& tags = list->as<ListContent>()->tags;
        for (std::size_t index = 0; index < rows.size() && index < tags.size(); ++index)
            if (&rows[index] == n) return select(*list, tags[index]) ? n : nullptr;
        return nullptr;
    }
    if (n->isDisabled()) return nullptr;
    // A copy: the action may change what the tree holds.
    if (auto action = n->content()->asButton()->action) action();
    return n;
}

bool ViewHost::click(const Node& node) {
    const Rect visible = visibleFrame(node);
    if (!(visible.width() > 0 && visible.height() > 0)) return false;
    return click(middle(visible)) != nullptr;
}

void ViewHost::hover(Point point) {
    if (!root_) return;
    std::vector<const Node*> inside;
    collectHovered(*root_, point, container_.bounds(), inside);
    std::vector<std::uint64_t> now;
    std::vector<std::function<void(bool)>> entered;
    for (const Node* node : inside) {
        now.push_back(node->identity());
        if (std::find(hovered_.begin(), hovered_.end(), node->identity()) == hovered_.end())
            entered.push_back(node->modifiers().events().onHover);
    }
    std::vector<std::function<void(bool)>> left;
    for (std::uint64_t identity : hovered_) {
        if (std::find(now.begin(), now.end(), identity) != now.end()) continue;
        for (const Node* node : hoverables_)
            if (node->identity() == identity) left.push_back(node->modifiers().events().onHover);
    }
    hovered_ = std::move(now);
    for (const auto& action : entered) action(true);
    for (const auto& action : left) action(false);
}

bool ViewHost::hover(const Node& node) {
    const Rect visible = visibleFrame(node);
    if (!(visible.width() > 0 && visible.height() > 0)) return false;
    hover(middle(visible));
    return true;
}

void ViewHost::unhover() {
    std::vector<std::function<void(bool)>> left;
    for (std::uint64_t identity : hovered_)
        for (const Node* node : hoverables_)
            if (node->identity() == identity) left.push_back(node->modifiers().events().onHover);
    hovered_.clear();
    for (const auto& action : left) action(false);
}

// ---- keys

const Node* ViewHost::defaultResponder() const {
    // Nothing has focus: the view as a whole, its body's outermost node.
    const Node* node = root_.get();
    while (node && node->children().size() == 1 &&
           (node->as<ComponentContentBase>() || node->as<ScrollReaderContent>()))
        node = &node->children().front();
    return node;
}

bool ViewHost::runShortcut(const KeyEvent& event) {
    constexpr ModifierFlags kRelevant =
        modifier_flags::kCommand | modifier_flags::kShift | modifier_flags::kOption | modifier_flags::kControl;
    std::string key = event.characters;
    for (char& c : key)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    for (const Node* node : shortcuts_) {
        const auto& shortcut = *node->modifiers().events().keyboardShortcut;
        if (shortcut.key != key || (event.modifierFlags & kRelevant) != (shortcut.modifiers & kRelevant)) continue;
        auto* button = node->content()->asButton();
        if (!button || node->isDisabled()) continue;
        // A copy: the action may change what the tree holds.
        if (auto action = button->action) action();
        return true;
    }
    return false;
}

bool ViewHost::keyDown(const KeyEvent& event) {
    if (!event.isRepeat && runShortcut(event)) return true;
    const KeyPress press{event, event.isRepeat ? KeyPhase::repeat : KeyPhase::down};
    // The field being edited has the keyboard, as its field editor is the first responder.
    if (const Node* field = editingField(); field && editWithKey(*field, event)) return true;
    const Node* start = focusedNode();
    if (!start) start = defaultResponder();
    for (const Node* n = start; n; n = n->parent()) {
        for (const auto& handler : n->modifiers().events().onKeyPress) {
            if (!(handler.phases & static_cast<KeyPhases>(press.phase))) continue;
            if (!handler.keys.empty() &&
                std::find(handler.keys.begin(), handler.keys.end(), event.keyCode) == handler.keys.end())
                continue;
            if (auto action = handler.action; action && action(press) == KeyPressResult::handled) return true;
        }
    }
    return false;
}

}  // namespace tarnwick::platform::ui
