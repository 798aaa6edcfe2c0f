#include "platform/sim/console/screen_views.h"

#include <cmath>
#include <cstdio>

#include "platform/sim/console/command_words.h"
#include "platform/sim/sim_icons.h"
#include "platform/sim/simulated_session.h"
#include "platform/ui/declarative/controls.h"
#include "platform/ui/declarative/hosting_view.h"
#include "platform/ui/effect_views.h"
#include "platform/ui/image_view.h"
#include "platform/ui/panel.h"
#include "platform/ui/text_label.h"

namespace tarnwick::sim {

namespace ui = platform::ui;

namespace {

void visitNode(const ui::HostingView& hosting, const ui::Node& node, const ShownViewVisitor& visitor) {
    const Rect frame = screenFrame(hosting, hosting.host().visibleFrame(node));
    if (visitor.node) visitor.node(hosting, node, frame);
    if (frame.isUsable()) {
        // Texts and images show where the scale effects around them put them, at their scale.
        const Rect drawn = screenFrame(hosting, presentedVisibleFrame(hosting, node));
        if (visitor.text) {
            std::vector<std::string> own;
            node.content()->collectText(own);
            // A field's text shows inside the field, after its title.
            const auto* field = node.as<ui::TextFieldContent>();
            const Rect textFrame =
                field ? screenFrame(hosting, field->fieldFrame.intersection(hosting.host().visibleFrame(node))) : drawn;
            if (textFrame.isUsable())
                for (auto& text : own)
                    visitor.text(PlacedText{std::move(text), textFrame, node.font().size * presentedScale(node)});
        }
        if (const auto* image = node.as<ui::ImageContent>(); image && image->image.isValid && visitor.icon)
            visitor.icon(image->image, node.modifiers().accessibility().label, drawn);
    }
    for (const auto& child : node.children()) visitNode(hosting, child, visitor);
}

void visit(ui::View& view, const ShownViewVisitor& visitor) {
    if (view.isHidden()) return;
    const Rect frame = screenFrame(view);
    if (auto* glass = dynamic_cast<ui::GlassEffectView*>(&view)) {
        if (visitor.glass) visitor.glass(frame, glass->cornerRadius);
    } else if (dynamic_cast<ui::VisualEffectView*>(&view)) {
        if (visitor.glass) visitor.glass(frame, view.layer() ? view.layer()->cornerRadius : 0);
    } else if (auto* label = dynamic_cast<ui::TextLabel*>(&view)) {
        if (!label->stringValue().empty() && visitor.text)
            visitor.text(PlacedText{label->stringValue(), frame, label->font.size,
                                    label->alignment == ui::TextAlignment::center});
    } else if (auto* image = dynamic_cast<ui::ImageView*>(&view)) {
        if (image->image && image->image->isValid && frame.isUsable() && visitor.icon)
            visitor.icon(*image->image, image->accessibilityLabel, frame);
    } else if (auto* hosting = dynamic_cast<ui::HostingView*>(&view)) {
        if (const ui::Node* root = hosting->host().root()) visitNode(*hosting, *root, visitor);
    }
    for (const auto& subview : view.subviews()) visit(*subview, visitor);
}

// The texts of a node's children, as a control's label shows them.
std::string childTexts(const ui::HostingView& hosting, const ui::Node& node) {
    std::string line;
    for (const auto& child : node.children())
        for (const auto& text : hosting.host().texts(&child)) line += " " + quotedText(text);
    return line;
}

// The option a picker or list shows as chosen.
std::string selectedText(const ui::HostingView& hosting, const ui::Node& node, std::optional<std::size_t> index) {
    if (!index || *index >= node.children().size()) return " selected none";
    return " selected " + quotedText(optionText(hosting, node.children()[*index]));
}

// What a retained view bridged into the tree shows: a recorder's shortcut, a button's title.
std::string bridgedState(const ui::HostingView& hosting, const ui::Node& node) {
    const auto view = hosting.host().bridgedView(node);
    if (!view || view->isHidden()) return {};
    std::string line;
    for (const auto& text : view->shownTexts()) line += " " + quotedText(text);
    return line;
}

// What the view does to show it stands out: its scale effect, and whether it holds focus.
std::string presentationMarks(const ui::HostingView& hosting, const ui::Node& node) {
    std::string marks;
    if (node.hasModifiers() && node.modifiers().scale != 1) marks += " scale " + formatNumber(node.modifiers().scale);
    if (hosting.host().focusedNode() == &node) marks += " focused";
    return marks;
}

// What a control holds, as `set` would be given it.
std::string controlState(SimulatedSession& session, const ui::HostingView& hosting, const ui::Node& node) {
    const ui::NodeContent* content = node.content();
    if (const auto* well = dynamic_cast<const ui::ColorWellContent*>(content)) {
        const ui::ColorInSpace colour = well->color();
        if (const auto text = colourText(colour)) return " " + quotedText(*text);
        return " pattern " + quotedText(colour.patternName);
    }
    if (node.content()->asBridged()) return bridgedState(hosting, node);
    if (const auto* toggle = dynamic_cast<const ui::ToggleContent*>(content))
        return childTexts(hosting, node) + (toggle->value() ? " on" : " off");
    if (const auto* stepper = dynamic_cast<const ui::StepperContent*>(content))
        return childTexts(hosting, node) + " " + formatNumber(stepper->value());
    if (const auto* slider = dynamic_cast<const ui::SliderContent*>(content)) return " " + formatNumber(slider->value());
    if (const auto* picker = dynamic_cast<const ui::PickerContent*>(content))
        return selectedText(hosting, node, picker->selectedIndex());
    if (const auto* list = dynamic_cast<const ui::ListContent*>(content))
        return selectedText(hosting, node, list->selectedIndex());
    if (const auto* image = dynamic_cast<const ui::ImageContent*>(content)) {
        const std::string name = iconName(session, image->image, node.modifiers().accessibility().label);
        return name.empty() ? std::string() : " icon " + quotedText(name);
    }
    return {};
}

void nodeLines(SimulatedSession& session, const ui::HostingView& hosting, const ui::Node& node, int depth,
               std::vector<std::string>& lines) {
    std::string line(static_cast<std::size_t>(depth) * 2, ' ');
    line += node.kind();
    std::vector<std::string> own;
    node.content()->collectText(own);
    for (const auto& text : own) line += " " + quotedText(text);
    line += controlState(session, hosting, node);
    if (node.hasModifiers()) {
        const auto& accessibility = node.modifiers().accessibility();
        if (accessibility.value) line += " value " + quotedText(*accessibility.value);
        if (accessibility.identifier) line += " id " + quotedText(*accessibility.identifier);
        if (accessibility.label) line += " label " + quotedText(*accessibility.label);
    }
    if (node.isDisabled()) line += " disabled";
    line += presentationMarks(hosting, node);
    lines.push_back(std::move(line));
    for (const auto& child : node.children()) nodeLines(session, hosting, child, depth + 1, lines);
}

}  // namespace

std::optional<std::string> colourText(const ui::ColorInSpace& colour) {
    const auto shown = colour.convertedToSRGB();
    if (!shown) return std::nullopt;
    const auto byte = [](double component) { return static_cast<unsigned>(std::lround(component * 255)); };
    char text[16];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", byte(shown->red), byte(shown->green), byte(shown->blue));
    std::string result = text;
    if (byte(shown->alpha) != 255) {
        std::snprintf(text, sizeof text, "%02X", byte(shown->alpha));
        result += text;
    }
    return result;
}

Rect presentedVisibleFrame(const ui::HostingView& hosting, const ui::Node& node) {
    Rect clip = hosting.bounds();
    for (const ui::Node* up = node.parent(); up; up = up->parent())
        if (up->content()->clipsChildren()) clip = clip.intersection(up->frame());
    const Rect shown = hosting.host().presentedFrame(node).intersection(clip);
    return shown.isNull() ? Rect() : shown;
}

double presentedScale(const ui::Node& node) {
    double scale = 1;
    for (const ui::Node* n = &node; n; n = n->parent())
        if (n->hasModifiers()) scale *= n->modifiers().scale;
    return scale;
}

Rect screenFrame(const ui::View& view) {
    Rect frame = view.frame();
    for (const ui::View* up = view.superview(); up; up = up->superview()) {
        frame.origin.x += up->frame().minX();
        frame.origin.y += up->frame().minY();
    }
    if (const ui::Panel* panel = view.window()) {
        frame.origin.x += panel->frame().minX();
        frame.origin.y += panel->frame().minY();
    }
    return frame;
}

std::string optionText(const ui::HostingView& hosting, const ui::Node& option) {
    const auto texts = hosting.host().texts(&option);
    return texts.empty() ? std::string() : texts.front();
}

Rect screenFrame(const ui::HostingView& hosting, const Rect& treeRect) {
    const Rect host = screenFrame(hosting);
    return Rect(host.minX() + treeRect.minX(), host.maxY() - treeRect.maxY(), treeRect.width(), treeRect.height());
}

void visitShownViews(ui::Panel& panel, const ShownViewVisitor& visitor) {
    if (panel.contentView()) visit(*panel.contentView(), visitor);
}

std::vector<PlacedIcon> placedIcons(ui::Panel& panel) {
    std::vector<PlacedIcon> icons;
    ShownViewVisitor visitor;
    visitor.icon = [&](const platform::Image& image, const std::optional<std::string>& label, const Rect& frame) {
        icons.push_back(PlacedIcon{image, label, frame});
    };
    visitShownViews(panel, visitor);
    return icons;
}

std::string iconName(SimulatedSession& session, const platform::Image& image, const std::optional<std::string>& label) {
    if (auto name = session.icons().applicationName(image)) return *name;
    return label.value_or("");
}

std::vector<ui::HostingView*> hostingViews(ui::Panel& panel) {
    std::vector<ui::HostingView*> result;
    if (!panel.contentView()) return result;
    for (ui::View* view : panel.contentView()->descendants())
        if (auto* hosting = dynamic_cast<ui::HostingView*>(view)) result.push_back(hosting);
    return result;
}

std::vector<std::string> nodeLines(SimulatedSession& session, ui::HostingView& hosting) {
    std::vector<std::string> lines;
    if (const ui::Node* root = hosting.host().root()) nodeLines(session, hosting, *root, 0, lines);
    return lines;
}

}  // namespace tarnwick::sim
