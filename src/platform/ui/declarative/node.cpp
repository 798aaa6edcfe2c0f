#include "platform/ui/declarative/node.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/ui/declarative/nodes.h"

namespace tarnwick::platform::ui {

namespace {
const Modifiers& noModifiers() {
    static const Modifiers none;
    return none;
}
}  // namespace

const AccessibilityModifiers& Modifiers::accessibility() const {
    static const AccessibilityModifiers none;
    return accessibilityPart ? *accessibilityPart : none;
}

const EventModifiers& Modifiers::events() const {
    static const EventModifiers none;
    return eventPart ? *eventPart : none;
}

const StyleModifiers& Modifiers::style() const {
    static const StyleModifiers none;
    return stylePart ? *stylePart : none;
}

StyleModifiers& Modifiers::mutableStyle() {
    if (!stylePart) stylePart = std::make_unique<StyleModifiers>();
    return *stylePart;
}

AccessibilityModifiers& Modifiers::mutableAccessibility() {
    if (!accessibilityPart) accessibilityPart = std::make_unique<AccessibilityModifiers>();
    return *accessibilityPart;
}

EventModifiers& Modifiers::mutableEvents() {
    if (!eventPart) eventPart = std::make_unique<EventModifiers>();
    return *eventPart;
}

namespace {
double encode(const std::optional<double>& length) {
    return length ? *length : std::numeric_limits<double>::quiet_NaN();
}
bool sameLength(double stored, const std::optional<double>& length) {
    return length ? stored == *length : std::isnan(stored);
}
std::optional<double> decode(double stored) { return std::isnan(stored) ? std::nullopt : std::optional(stored); }
}  // namespace

const Size* Node::MeasureCache::find(const Proposal& proposal) const {
    for (const auto& entry : entries_)
        if (entry.size.width >= 0 && sameLength(entry.width, proposal.width) && sameLength(entry.height, proposal.height))
            return &entry.size;
    return nullptr;
}

std::optional<Proposal> Node::MeasureCache::proposalFor(const Size& size) const {
    for (const auto& entry : entries_)
        if (entry.size.width >= 0 && entry.size == size) return Proposal{decode(entry.width), decode(entry.height)};
    return std::nullopt;
}

void Node::MeasureCache::store(const Proposal& proposal, const Size& size) {
    std::move_backward(entries_.begin(), entries_.end() - 1, entries_.end());
    entries_[0] = Entry{encode(proposal.width), encode(proposal.height), size};
}

Node::Node() : content_(std::make_unique<GroupContent>()) {}

Node::Node(std::unique_ptr<NodeContent> content, std::vector<Node> children)
    : content_(std::move(content)), children_(std::move(children)) {}

Node::Node(Node&&) noexcept = default;
Node& Node::operator=(Node&&) noexcept = default;
Node::~Node() = default;

std::string_view Node::kind() const { return content_->kind(); }

const Modifiers& Node::modifiers() const { return modifiers_ ? *modifiers_ : noModifiers(); }

Modifiers& Node::mutableModifiers() {
    if (!modifiers_) modifiers_ = std::make_unique<Modifiers>();
    return *modifiers_;
}

Color Node::foregroundColor() const { return foreground_ ? *foreground_ : Color::label(); }

Font Node::font() const {
    Font font = fontFor(textStyle_);
    if (fontWeight_) font.weight = *fontWeight_;
    font.monospacedDigits = monospacedDigit_;
    return font;
}

void Node::inherit(const Node* parent) {
    if (parent) {
        textStyle_ = parent->textStyle_;
        foreground_ = parent->foreground_;
        tint_ = parent->tint_;
        fontWeight_ = parent->fontWeight_;
        lineLimit_ = parent->lineLimit_;
        controlSize_ = parent->controlSize_;
        disabled_ = parent->disabled_;
        monospacedDigit_ = parent->monospacedDigit_;
    }
    if (!modifiers_) return;
    if (modifiers_->font) {
        // A text style of its own brings its own weight, unless one is set here too.
        textStyle_ = *modifiers_->font;
        fontWeight_.reset();
    }
    if (modifiers_->foreground) foreground_ = &*modifiers_->foreground;
    if (modifiers_->lineLimit) lineLimit_ = *modifiers_->lineLimit;
    if (modifiers_->disabled) disabled_ = disabled_ || *modifiers_->disabled;
    if (const auto* style = modifiers_->stylePart.get()) {
        if (style->fontWeight) fontWeight_ = style->fontWeight;
        if (style->tint) tint_ = &*style->tint;
        if (style->controlSize) controlSize_ = *style->controlSize;
        monospacedDigit_ = monospacedDigit_ || style->monospacedDigit;
    }
}

// ---- modifiers

Node&& Node::padding(double all) && { return std::move(*this).padding(EdgeInsets::all(all)); }

Node&& Node::padding(EdgeInsets insets) && {
    auto& p = mutableModifiers().padding;
    p.top += insets.top;
    p.leading += insets.leading;
    p.bottom += insets.bottom;
    p.trailing += insets.trailing;
    return std::move(*this);
}

Node&& Node::frame(double width, double height, Alignment alignment) && {
    FrameSpec frameSpec;
    frameSpec.width = width;
    frameSpec.height = height;
    frameSpec.alignment = alignment;
    return std::move(*this).frame(frameSpec);
}

Node&& Node::frame(FrameSpec frameSpec) && {
    mutableModifiers().frame = frameSpec;
    return std::move(*this);
}

Node&& Node::fillWidth(Alignment alignment) && {
    FrameSpec frameSpec;
    frameSpec.maxWidth = FrameSpec::infinity;
    frameSpec.alignment = alignment;
    return std::move(*this).frame(frameSpec);
}

Node&& Node::fixedSize(bool horizontal, bool vertical) && {
    auto& m = mutableModifiers();
    m.fixedWidth = horizontal;
    m.fixedHeight = vertical;
    return std::move(*this);
}

Node&& Node::font(TextStyle style) && {
    mutableModifiers().font = style;
    return std::move(*this);
}

Node&& Node::fontWeight(double weight) && {
    mutableModifiers().mutableStyle().fontWeight = weight;
    return std::move(*this);
}

Node&& Node::monospacedDigit() && {
    mutableModifiers().mutableStyle().monospacedDigit = true;
    return std::move(*this);
}

Node&& Node::opacity(double opacity) && {
    mutableModifiers().mutableStyle().opacity *= opacity;
    return std::move(*this);
}

Node&& Node::tint(Color color) && {
    mutableModifiers().mutableStyle().tint = std::move(color);
    return std::move(*this);
}

Node&& Node::controlSize(ControlSize size) && {
    mutableModifiers().mutableStyle().controlSize = size;
    return std::move(*this);
}

Node&& Node::keyboardShortcut(KeyboardShortcut shortcut) && {
    mutableModifiers().mutableEvents().keyboardShortcut = std::move(shortcut);
    return std::move(*this);
}

Node&& Node::onSubmit(std::function<void()> action) && {
    mutableModifiers().mutableEvents().onSubmit = std::move(action);
    return std::move(*this);
}

Node&& Node::foreground(Color color) && {
    mutableModifiers().foreground = std::move(color);
    return std::move(*this);
}

Node&& Node::lineLimit(int lines) && {
    mutableModifiers().lineLimit = lines;
    return std::move(*this);
}

Node&& Node::background(Node node) && {
    mutableModifiers().backgrounds.push_back(std::move(node));
    return std::move(*this);
}

Node&& Node::scaleEffect(double scale, UnitPoint anchor) && {
    auto& m = mutableModifiers();
    m.scale = scale;
    m.scaleAnchor = anchor;
    return std::move(*this);
}

Node&& Node::contentShape() && {
    mutableModifiers().contentShape = true;
    return std::move(*this);
}

Node&& Node::focusEffectDisabled() && {
    mutableModifiers().focusEffectDisabled = true;
    return std::move(*this);
}

Node&& Node::help(std::string text) && {
    mutableModifiers().mutableAccessibility().help = std::move(text);
    return std::move(*this);
}

Node&& Node::accessibilityLabel(std::string label) && {
    mutableModifiers().mutableAccessibility().label = std::move(label);
    return std::move(*this);
}

Node&& Node::accessibilityValue(std::string value) && {
    mutableModifiers().mutableAccessibility().value = std::move(value);
    return std::move(*this);
}

Node&& Node::accessibilityIdentifier(std::string identifier) && {
    mutableModifiers().mutableAccessibility().identifier = std::move(identifier);
    return std::move(*this);
}

Node&& Node::accessibilityHeader() && {
    mutableModifiers().mutableAccessibility().header = true;
    return std::move(*this);
}

Node&& Node::accessibilityHidden() && {
    mutableModifiers().mutableAccessibility().hidden = true;
    return std::move(*this);
}

Node&& Node::accessibilityContainer(std::string label) && {
    mutableModifiers().mutableAccessibility().containerLabel = std::move(label);
    return std::move(*this);
}

Node&& Node::onHover(std::function<void(bool)> action) && {
    mutableModifiers().mutableEvents().onHover = std::move(action);
    return std::move(*this);
}

Node&& Node::onAppear(std::function<void()> action) && {
    mutableModifiers().mutableEvents().onAppear.push_back(std::move(action));
    return std::move(*this);
}

Node&& Node::onDisappear(std::function<void()> action) && {
    mutableModifiers().mutableEvents().onDisappear.push_back(std::move(action));
    return std::move(*this);
}

Node&& Node::onKeyPress(std::vector<std::uint16_t> keys, KeyPhases phases,
                        std::function<KeyPressResult(const KeyPress&)> action) && {
    mutableModifiers().mutableEvents().onKeyPress.push_back(KeyHandler{std::move(keys), phases, std::move(action)});
    return std::move(*this);
}

Node&& Node::disabled(bool disabled) && {
    mutableModifiers().disabled = disabled;
    return std::move(*this);
}

// ---- builders

Node group(std::vector<Node> children) { return Node(std::make_unique<GroupContent>(), std::move(children)); }

Node vstack(HorizontalAlignment alignment, double spacing, std::vector<Node> children) {
    return Node(std::make_unique<StackContent>(Axis::vertical, alignment, VerticalAlignment::center, spacing),
                std::move(children));
}

Node hstack(VerticalAlignment alignment, double spacing, std::vector<Node> children) {
    return Node(std::make_unique<StackContent>(Axis::horizontal, HorizontalAlignment::center, alignment, spacing),
                std::move(children));
}

Node spacer(double minLength) { return Node(std::make_unique<SpacerContent>(minLength)); }

Node text(std::string text) { return Node(std::make_unique<TextContent>(std::move(text))); }

Node label(std::string title, std::string systemImage) {
    return Node(std::make_unique<LabelContent>(std::move(title), std::move(systemImage)));
}

Node image(Image image, bool resizable, ImageInterpolation interpolation) {
    return Node(std::make_unique<ImageContent>(std::move(image), resizable, interpolation));
}

Node systemImage(std::string name) { return Node(std::make_unique<SymbolContent>(std::move(name))); }

Node button(Node label, std::function<void()> action, ButtonStyle style) {
    std::vector<Node> children;
    children.push_back(std::move(label));
    return Node(std::make_unique<ButtonContent>(std::move(action), style), std::move(children));
}

Node button(Node label, std::function<void()> action, std::shared_ptr<const CustomButtonStyle> style) {
    std::vector<Node> children;
    children.push_back(std::move(label));
    return Node(std::make_unique<ButtonContent>(std::move(action), std::move(style)), std::move(children));
}

Node shape(ShapeKind kind, double cornerRadius, CornerCurve curve, Color fill, double fillOpacity) {
    return Node(std::make_unique<ShapeContent>(kind, cornerRadius, curve, std::move(fill), fillOpacity));
}

Node form(std::vector<Node> sections, FormStyle style, bool scrollBackgroundHidden) {
    return Node(std::make_unique<FormContent>(style, scrollBackgroundHidden), std::move(sections));
}

Node section(std::optional<Node> header, std::vector<Node> rows) {
    if (header) rows.insert(rows.begin(), std::move(*header));
    return Node(std::make_unique<SectionContent>(header.has_value()), std::move(rows));
}

Node lazyVGrid(double columnMinimum, double columnMaximum, double spacing, double rowSpacing,
               HorizontalAlignment alignment, std::vector<Node> cells) {
    return Node(std::make_unique<GridContent>(columnMinimum, columnMaximum, spacing, rowSpacing, alignment),
                std::move(cells));
}

Node scrollReader(Node content) {
    std::vector<Node> children;
    children.push_back(std::move(content));
    return Node(std::make_unique<ScrollReaderContent>(), std::move(children));
}

}  // namespace tarnwick::platform::ui
