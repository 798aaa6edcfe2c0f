#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ui/color.h"
#include "platform/ui/declarative/any_value.h"
#include "platform/ui/declarative/vocabulary.h"
#include "support/geometry.h"
#include "support/observable.h"

namespace tarnwick::platform::ui {

class Node;
class Layout;
struct Modifiers;
class ComponentContentBase;
class BridgedContentBase;
class ButtonContent;

// What a node asks of its size: a width and a height, or nothing for "its ideal size".
struct Proposal {
    std::optional<double> width;
    std::optional<double> height;
    friend bool operator==(const Proposal&, const Proposal&) = default;
};

// What a node of one kind is and how it lays out its children. Each kind (text, stack, button,
// form, ...) is a subclass, so new kinds join without touching the others.
class NodeContent {
public:
    virtual ~NodeContent() = default;
    // The kind's name, for reading the tree ("text", "stack", ...).
    virtual std::string_view kind() const = 0;
    // The size of the content (inside the node's padding and frame) for a proposal. The
    // default lays the children over one another, each at the proposal.
    virtual Size sizeThatFits(Node& node, Proposal proposal, Layout& layout);
    // Gives each child its frame within the content rectangle; `proposal` is what the content
    // was offered when it was measured at that size.
    virtual void placeChildren(Node& node, Rect content, Proposal proposal, Layout& layout);
    // From the top of the content to the first line's baseline, if it shows text.
    virtual std::optional<double> firstBaseline(Node& node, Proposal proposal, Layout& layout);
    // Draws something that takes clicks (text, images, shapes), beyond what its children draw.
    virtual bool isHitTestable() const { return false; }
    // Shows its children only within its own frame (it scrolls them).
    virtual bool clipsChildren() const { return false; }
    // Whether its child at the index shows now (a closed menu shows only its label, a closed
    // pop-up only its chosen option). What does not show is neither drawn nor read or found as
    // text, though a control may still reach it (a picker chooses any of its options).
    virtual bool showsChild(std::size_t) const { return true; }
    // The text it shows itself, not counting its children.
    virtual void collectText(std::vector<std::string>&) const {}
    // The kinds the host treats apart, without a cast per node.
    virtual ComponentContentBase* asComponent() { return nullptr; }
    virtual BridgedContentBase* asBridged() { return nullptr; }
    virtual ButtonContent* asButton() { return nullptr; }
};

// Asks a binding's value to hold focus, or checks whether it does.
class FocusBindingBase {
public:
    virtual ~FocusBindingBase() = default;
    // Which binding (nodes bound to one binding share it).
    virtual const void* binding() const = 0;
    virtual bool isFocused() const = 0;
    virtual bool bindingHasValue() const = 0;
    virtual void focus() const = 0;
    virtual void clear() const = 0;
    virtual AnyValue value() const = 0;
};

template <typename T>
class FocusBinding final : public FocusBindingBase {
public:
    FocusBinding(Published<std::optional<T>>& binding, T value) : binding_(&binding), value_(std::move(value)) {}
    const void* binding() const override { return binding_; }
    bool isFocused() const override { return binding_->get() == value_; }
    bool bindingHasValue() const override { return binding_->get().has_value(); }
    void focus() const override { binding_->setIfChanged(value_); }
    void clear() const override { binding_->setIfChanged(std::nullopt); }
    AnyValue value() const override { return AnyValue(value_); }

private:
    Published<std::optional<T>>* binding_;
    T value_;
};

// A signal a node listens to while it is in the tree; its action is the one of the latest render.
class ReceiverBase {
public:
    virtual ~ReceiverBase() = default;
    virtual const void* source() const = 0;
    // Subscribes to the signal; each value goes to the receiver `current` holds at that time.
    virtual Subscription subscribe(std::shared_ptr<std::shared_ptr<ReceiverBase>> current) = 0;
};

template <typename T>
class Receiver final : public ReceiverBase {
public:
    Receiver(Signal<T>& signal, std::function<void(const T&)> action) : signal_(&signal), action_(std::move(action)) {}
    const void* source() const override { return signal_; }
    Subscription subscribe(std::shared_ptr<std::shared_ptr<ReceiverBase>> current) override {
        return signal_->subscribe([current](const T& value) {
            // Hold the receiver: the action may lead to a render that replaces it.
            const auto receiver = std::static_pointer_cast<Receiver>(*current);
            if (receiver && receiver->action_) receiver->action_(value);
        });
    }

private:
    Signal<T>* signal_;
    std::function<void(const T&)> action_;
};

struct ChangeReaction {
    AnyValue value;
    // Given the value of the render before and the new one.
    std::function<void(const AnyValue& previous, const AnyValue& current)> action;
};

struct KeyHandler {
    std::vector<std::uint16_t> keys;  // virtual key codes
    KeyPhases phases = static_cast<KeyPhases>(KeyPhase::down);
    std::function<KeyPressResult(const KeyPress&)> action;
};

struct AnimationSpec {
    std::optional<Animation> animation;  // nothing: the change is not animated
    AnyValue value;
};

// A frame modifier: fixed sizes, or bounds within which the node takes the proposed size.
struct FrameSpec {
    static constexpr double infinity = std::numeric_limits<double>::infinity();
    std::optional<double> width;
    std::optional<double> height;
    std::optional<double> minWidth;
    std::optional<double> maxWidth;
    std::optional<double> minHeight;
    std::optional<double> maxHeight;
    Alignment alignment;
};

// One node of a declarative view tree: its kind's content, its children and its modifiers. A
// view function builds a tree of nodes; the host expands it, lays it out and keeps it until the
// next render. Nodes move, never copy.
class Node {
public:
    // Nothing: an empty group.
    Node();
    explicit Node(std::unique_ptr<NodeContent> content, std::vector<Node> children = {});
    Node(Node&&) noexcept;
    Node& operator=(Node&&) noexcept;
    ~Node();

    // ---- modifiers, chained on temporaries: text("Hi").font(TextStyle::caption).padding(4)
    // Layout applies them in one order: padding inside the frame; background, scale and content
    // shape cover the framed box.
    Node&& padding(double all) &&;
    Node&& padding(EdgeInsets insets) &&;
    Node&& frame(double width, double height, Alignment alignment = {}) &&;
    Node&& frame(FrameSpec frameSpec) &&;
    // Takes the whole proposed width, its content placed by the alignment.
    Node&& fillWidth(Alignment alignment = {}) &&;
    // Takes the ideal size along the axes, whatever is proposed (never truncated).
    Node&& fixedSize(bool horizontal = true, bool vertical = true) &&;
    // Text style, colour and line limit reach every text inside.
    Node&& font(TextStyle style) &&;
    Node&& fontWeight(double weight) &&;
    // Digits take one width each, so numbers do not jiggle as they change.
    Node&& monospacedDigit() &&;
    Node&& foreground(Color color) &&;
    Node&& lineLimit(int lines) &&;
    // The accent of the controls inside (buttons, switches, selections).
    Node&& tint(Color color) &&;
    // Drawn this transparent (with everything inside); opacities set one after another multiply.
    Node&& opacity(double opacity) &&;
    Node&& controlSize(ControlSize size) &&;
    Node&& background(Node node) &&;
    Node&& scaleEffect(double scale, UnitPoint anchor = UnitPoint::center()) &&;
    // The whole box takes clicks, not only what it draws.
    Node&& contentShape() &&;
    // The node's explicit identity (a list's key); state and scrolling follow it.
    template <typename T>
    Node&& id(T value) &&;
    // Focusable; it has focus while the binding holds `value`.
    template <typename T>
    Node&& focused(Published<std::optional<T>>& binding, T value) &&;
    Node&& focusEffectDisabled() &&;
    Node&& help(std::string text) &&;
    Node&& accessibilityLabel(std::string label) &&;
    Node&& accessibilityValue(std::string value) &&;
    Node&& accessibilityIdentifier(std::string identifier) &&;
    Node&& accessibilityHeader() &&;
    // Left out for assistive technology (a filler that only keeps things lined up).
    Node&& accessibilityHidden() &&;
    // One accessibility element with a label whose children stay reachable.
    Node&& accessibilityContainer(std::string label) &&;
    Node&& onHover(std::function<void(bool inside)> action) &&;
    Node&& onAppear(std::function<void()> action) &&;
    Node&& onDisappear(std::function<void()> action) &&;
    // Runs after a render in which the value differs from the one of the render before.
    template <typename T>
    Node&& onChange(T value, std::function<void(const T&)> action) &&;
    // The same, given the value of the render before as well.
    template <typename T>
    Node&& onChangeFrom(T value, std::function<void(const T& previous, const T& current)> action) &&;
    template <typename T>
    Node&& onReceive(Signal<T>& signal, std::function<void(const T&)> action) &&;
    // Key presses of these keys in these phases while the node or one inside it has focus.
    Node&& onKeyPress(std::vector<std::uint16_t> keys, KeyPhases phases,
                      std::function<KeyPressResult(const KeyPress&)> action) &&;
    // Changes inside the node animate this way when the value changed since the last render.
    template <typename T>
    Node&& animation(std::optional<Animation> animation, T value) &&;
    Node&& disabled(bool disabled = true) &&;
    // A button's key equivalent: the key pressed in the window runs the button's action.
    Node&& keyboardShortcut(KeyboardShortcut shortcut) &&;
    // Runs when the user submits a text field inside (Return).
    Node&& onSubmit(std::function<void()> action) &&;

    // ---- reading the tree (valid until the host renders again)
    std::string_view kind() const;
    template <typename C>
    const C* as() const {
        return dynamic_cast<const C*>(content_.get());
    }
    NodeContent* content() const { return content_.get(); }
    const std::vector<Node>& children() const { return children_; }
    std::vector<Node>& mutableChildren() { return children_; }
    const Node* parent() const { return parent_; }
    // Every modifier as set (defaults when none was).
    const Modifiers& modifiers() const;
    Modifiers& mutableModifiers();
    bool hasModifiers() const { return modifiers_ != nullptr; }
    // In the host's coordinates: origin at the top left of the hosting view, y down.
    const Rect& frame() const { return frame_; }
    // What the node's kind draws: the frame without padding, its content placed within.
    const Rect& contentFrame() const { return contentFrame_; }
    std::uint64_t identity() const { return identity_; }
    // What reaches the node from its ancestors.
    TextStyle textStyle() const { return textStyle_; }
    // The text style's font with the weight set around the node, its digits monospaced if asked.
    Font font() const;
    bool usesMonospacedDigits() const { return monospacedDigit_; }
    Color foregroundColor() const;
    // The accent set around the node, if any.
    const Color* tint() const { return tint_; }
    ControlSize controlSize() const { return controlSize_; }
    // 0: no limit.
    int lineLimit() const { return lineLimit_; }
    bool isDisabled() const { return disabled_; }

    // ---- set by the host and the layout
    void setFrame(const Rect& frame, const Rect& content) {
        frame_ = frame;
        contentFrame_ = content;
    }
    void setIdentity(std::uint64_t identity) { identity_ = identity; }
    void setParent(const Node* parent) { parent_ = parent; }
    void inherit(const Node* parent);
    // The last few sizes the layout asked for, by proposal.
    class MeasureCache {
    public:
        const Size* find(const Proposal& proposal) const;
        // The proposal that gave this size, if one did.
        std::optional<Proposal> proposalFor(const Size& size) const;
        void store(const Proposal& proposal, const Size& size);

    private:
        // A proposal's lengths with NaN for "ideal"; an entry without a size is empty.
        struct Entry {
            double width = 0;
            double height = 0;
            Size size{-1, -1};
        };
        std::array<Entry, 4> entries_{};
    };
    MeasureCache measureCache;

private:
    std::unique_ptr<NodeContent> content_;
    std::vector<Node> children_;
    std::unique_ptr<Modifiers> modifiers_;
    Rect frame_;
    Rect contentFrame_;
    std::uint64_t identity_ = 0;
    const Node* parent_ = nullptr;
    TextStyle textStyle_ = TextStyle::body;
    const Color* foreground_ = nullptr;  // held by an ancestor's modifiers
    const Color* tint_ = nullptr;        // likewise
    std::optional<double> fontWeight_;
    int lineLimit_ = 0;
    ControlSize controlSize_ = ControlSize::regular;
    bool disabled_ = false;
    bool monospacedDigit_ = false;
};

// Who the node is for assistive technology, and its tooltip.
struct AccessibilityModifiers {
    std::optional<std::string> help;
    std::optional<std::string> label;
    std::optional<std::string> value;
    std::optional<std::string> identifier;
    bool header = false;
    bool hidden = false;
    // One element with this label whose children stay reachable.
    std::optional<std::string> containerLabel;
};

// What the node does when the pointer, the window, a watched value, a signal or a key moves.
struct EventModifiers {
    std::function<void(bool)> onHover;
    std::vector<std::function<void()>> onAppear;
    std::vector<std::function<void()>> onDisappear;
    std::vector<ChangeReaction> onChange;
    std::vector<std::shared_ptr<ReceiverBase>> onReceive;
    std::vector<KeyHandler> onKeyPress;
    std::vector<AnimationSpec> animations;
    std::optional<KeyboardShortcut> keyboardShortcut;
    std::function<void()> onSubmit;
};

// How the controls and texts inside look beyond font and colour; made when first set.
struct StyleModifiers {
    std::optional<double> fontWeight;
    std::optional<Color> tint;
    std::optional<ControlSize> controlSize;
    bool monospacedDigit = false;
    double opacity = 1;  // of the node itself, not inherited
};

// A node's modifiers: the layout's and the look's here, accessibility and events in parts of
// their own made when first set (most nodes have neither).
struct Modifiers {
    EdgeInsets padding;
    std::optional<FrameSpec> frame;
    bool fixedWidth = false;
    bool fixedHeight = false;
    bool contentShape = false;
    bool focusEffectDisabled = false;
    std::optional<TextStyle> font;
    std::optional<int> lineLimit;
    std::optional<bool> disabled;
    std::optional<Color> foreground;
    double scale = 1;
    UnitPoint scaleAnchor;
    AnyValue id;
    std::shared_ptr<FocusBindingBase> focus;
    std::vector<Node> backgrounds;
    std::unique_ptr<AccessibilityModifiers> accessibilityPart;
    std::unique_ptr<EventModifiers> eventPart;
    std::unique_ptr<StyleModifiers> stylePart;

    const AccessibilityModifiers& accessibility() const;
    const EventModifiers& events() const;
    const StyleModifiers& style() const;
    AccessibilityModifiers& mutableAccessibility();
    EventModifiers& mutableEvents();
    StyleModifiers& mutableStyle();

    // Whether the host keeps anything for the node from one render to the next.
    bool needsRecord() const {
        if (focus) return true;
        if (!eventPart) return false;
        const auto& e = *eventPart;
        return !e.onAppear.empty() || !e.onDisappear.empty() || !e.onChange.empty() || !e.onReceive.empty() ||
               !e.animations.empty();
    }
};

template <typename T>
Node&& Node::id(T value) && {
    mutableModifiers().id = AnyValue(std::move(value));
    return std::move(*this);
}

template <typename T>
Node&& Node::focused(Published<std::optional<T>>& binding, T value) && {
    mutableModifiers().focus = std::make_shared<FocusBinding<T>>(binding, std::move(value));
    return std::move(*this);
}

template <typename T>
Node&& Node::onChange(T value, std::function<void(const T&)> action) && {
    mutableModifiers().mutableEvents().onChange.push_back(ChangeReaction{
        AnyValue(std::move(value)), [action = std::move(action)](const AnyValue&, const AnyValue& changed) {
            if (const T* v = changed.get<T>(); v && action) action(*v);
        }});
    return std::move(*this);
}

template <typename T>
Node&& Node::onChangeFrom(T value, std::function<void(const T&, const T&)> action) && {
    mutableModifiers().mutableEvents().onChange.push_back(ChangeReaction{
        AnyValue(std::move(value)), [action = std::move(action)](const AnyValue& previous, const AnyValue& changed) {
            const T* before = previous.get<T>();
            const T* now = changed.get<T>();
            if (before && now && action) action(*before, *now);
        }});
    return std::move(*this);
}

template <typename T>
Node&& Node::onReceive(Signal<T>& signal, std::function<void(const T&)> action) && {
    mutableModifiers().mutableEvents().onReceive.push_back(std::make_shared<Receiver<T>>(signal, std::move(action)));
    return std::move(*this);
}

template <typename T>
Node&& Node::animation(std::optional<Animation> animation, T value) && {
    auto& animations = mutableModifiers().mutableEvents().animations;
    if (animations.empty()) animations.reserve(2);  // a node usually watches one or two values
    animations.push_back(AnimationSpec{animation, AnyValue(std::move(value))});
    return std::move(*this);
}

}  // namespace tarnwick::platform::ui
