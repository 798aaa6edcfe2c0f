#include "platform/sim/console/screen_views.h"

#include <algorithm>
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

// The texts a node shows itself, each in the box the node lays it out in (tree coordinates).
void nodeTexts(const ui::HostingView& hosting, const ui::Node& node, const ShownViewVisitor& visitor) {
    // The scale effects around a node (the overview's selected row) draw its texts larger, from
    // where they put the node: every box and the font grow alike, so the lines break as laid out.
    const double scale = presentedScale(node);
    ui::Font font = node.font();
    font.size *= scale;
    const auto scaled = [&](const Rect& box) { return presentedRect(hosting, node, box); };
    const Rect visible = scale == 1 ? hosting.host().visibleFrame(node) : presentedVisibleFrame(hosting, node);
    const double opacity = drawnOpacity(node);
    const bool dimmed = drawnDimmed(node);
    // A text in its box, showing within `shows` (by default the box itself).
    const auto place = [&](std::string text, const Rect& box, PlacedText how,
                           const std::optional<Rect>& shows = std::nullopt) {
        how.text = std::move(text);
        how.frame = screenFrame(hosting, scaled(box));
        how.font = font;
        how.visible = screenFrame(hosting, scaled(shows.value_or(box)).intersection(visible));
        how.colour = node.foregroundColor();
        how.opacity = opacity;
        how.disabled = dimmed;
        if (how.visible.isUsable()) visitor.text(how);
    };
    const Rect content = node.contentFrame();
    if (const auto* text = node.as<ui::TextContent>()) {
        // Wrapped within its frame up to its line limit, the rest cut short at the tail.
        place(text->text, content, PlacedText{.maximumLines = node.lineLimit(), .wraps = true});
    } else if (const auto* label = node.as<ui::LabelContent>()) {
        // After the symbol, in the laid-out box (the scale effects grow it with the rest).
        const double symbol = labelSymbolBox(node).width() + ui::LabelContent::kSymbolSpacing;
        place(label->title,
              Rect(content.minX() + symbol, content.minY(), std::max(content.width() - symbol, 0.0), content.height()),
              PlacedText{.maximumLines = node.lineLimit(), .wraps = true});
    } else if (const auto* field = node.as<ui::TextFieldContent>()) {
        // One line inside the field, after its title.
        const Rect inside = field->textFrame();
        const auto placeholder = field->shownPlaceholder();
        if (placeholder || !hosting.host().selection(node)) {
            place(placeholder ? *placeholder : field->text(), inside,
                  PlacedText{.centredVertically = true, .placeholder = placeholder.has_value()});
            return;
        }
        // Being edited, the whole line shows, never cut short: scrolled along itself so that the
        // caret shows (its start hidden past the leading edge, or in a right-to-left paragraph
        // past the trailing one), and clipped to the text's area.
        const double scroll = hosting.host().textScroll(node);
        const Rect line(inside.minX() - scroll, inside.minY(), inside.width() + 2 * scroll, inside.height());
        place(field->text(), line, PlacedText{.lineBreakMode = ui::LineBreakMode::clipping, .centredVertically = true},
              inside);
    } else if (const auto* picker = node.as<ui::PickerContent>()) {
        if (picker->titleShown()) place(picker->title, picker->titleFrame, PlacedText{.centredVertically = true});
    } else {
        std::vector<std::string> own;
        node.content()->collectText(own);
        for (auto& text : own) place(std::move(text), content, PlacedText{.centredVertically = true});
    }
}

void visitNode(const ui::HostingView& hosting, const ui::Node& node, const ShownViewVisitor& visitor) {
    if (node.hasModifiers())
        for (const auto& background : node.modifiers().backgrounds) visitNode(hosting, background, visitor);
    const Rect frame = screenFrame(hosting, hosting.host().visibleFrame(node));
    if (visitor.node) visitor.node(hosting, node, frame);
    if (frame.isUsable()) {
        if (visitor.text) nodeTexts(hosting, node, visitor);
        // Images show where the scale effects around them put them, at their scale.
        const Rect drawn = screenFrame(hosting, presentedVisibleFrame(hosting, node));
        if (const auto* image = node.as<ui::ImageContent>(); image && image->image.isValid && visitor.icon)
            visitor.icon(image->image, node.modifiers().accessibility().label, drawn);
    }
    const auto& children = node.children();
    for (std::size_t i = 0; i < children.size(); ++i)
        if (node.content()->showsChild(i)) visitNode(hosting, children[i], visitor);
}

void visit(ui::View& view, const ShownViewVisitor& visitor) {
    if (view.isHidden()) return;
    const Rect frame = screenFrame(view);
    const ui::Layer* layer = view.layer();
    const bool clips = layer && layer->masksToBounds;
    if (clips && visitor.beginClip) visitor.beginClip(frame, layer->cornerRadius);
    if (auto* glass = dynamic_cast<ui::GlassEffectView*>(&view)) {
        if (visitor.glass) visitor.glass(PlacedGlass{frame, glass->cornerRadius, glass->style, glass->tintColor});
    } else if (dynamic_cast<ui::VisualEffectView*>(&view)) {
        if (visitor.glass) visitor.glass(PlacedGlass{frame, layer ? layer->cornerRadius : 0, std::nullopt, std::nullopt});
    } else if (auto* label = dynamic_cast<ui::TextLabel*>(&view)) {
        if (!label->stringValue().empty() && visitor.text)
            visitor.text(PlacedText{label->stringValue(), frame, label->font, label->alignment,
                                    label->maximumNumberOfLines, label->wraps(), label->lineBreakMode, false, false,
                                    frame, label->textColor});
    } else if (auto* image = dynamic_cast<ui::ImageView*>(&view)) {
        if (image->image && image->image->isValid && frame.isUsable() && visitor.icon)
            visitor.icon(*image->image, image->accessibilityLabel, frame);
    } else if (auto* hosting = dynamic_cast<ui::HostingView*>(&view)) {
        if (const ui::Node* root = hosting->host().root()) visitNode(*hosting, *root, visitor);
    }
    for (const auto& subview : view.subviews()) visit(*subview, visitor);
    if (clips && visitor.endClip) visitor.endClip();
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
    if (hosting.host().keyFocusNode() == &node) marks += " focused";
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
    // A button is named by its title, as a switch by its label.
    if (node.as<ui::ButtonContent>()) return childTexts(hosting, node);
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
    if (const auto* field = node.as<ui::TextFieldContent>())
        if (auto placeholder = field->shownPlaceholder()) line += " placeholder " + quotedText(*placeholder);
    line += controlState(session, hosting, node);
    if (node.hasModifiers()) {
        const auto& accessibility = node.modifiers().accessibility();
        if (accessibility.value) line += " value " + quotedText(*accessibility.value);
        if (accessibility.identifier) line += " id " + quotedText(*accessibility.identifier);
    }
    if (const auto label = accessibleLabel(hosting, node)) line += " label " + quotedText(*label);
    if (node.isDisabled()) line += " disabled";
    line += presentationMarks(hosting, node);
    lines.push_back(std::move(line));
    const auto& children = node.children();
    for (std::size_t i = 0; i < children.size(); ++i)
        if (node.content()->showsChild(i)) nodeLines(session, hosting, children[i], depth + 1, lines);
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

namespace {

// Inside a button drawn by a style of the app's own.
bool insideCustomButton(const ui::Node& node) {
    for (const ui::Node* up = node.parent(); up; up = up->parent())
        if (const auto* button = up->as<ui::ButtonContent>(); button && button->style == ui::ButtonStyle::custom)
            return true;
    return false;
}

}  // namespace

bool drawnDimmed(const ui::Node& node) { return node.isDisabled() && !insideCustomButton(node); }

double drawnOpacity(const ui::Node& node) {
    double opacity = drawnDimmed(node) ? kDisabledOpacity : 1;
    for (const ui::Node* n = &node; n; n = n->parent())
        if (n->hasModifiers() && n->modifiers().stylePart) opacity *= n->modifiers().style().opacity;
    return std::isfinite(opacity) ? std::clamp(opacity, 0.0, 1.0) : 1.0;
}

Rect labelSymbolBox(const ui::Node& node) {
    const double side = node.font().size * ui::LabelContent::kSymbolWidth;
    const Rect& content = node.contentFrame();
    return Rect(content.minX(), content.minY(), side, std::min(side, content.height()));
}

Rect presentedRect(const ui::HostingView& hosting, const ui::Node& node, const Rect& box) {
    const double scale = presentedScale(node);
    if (scale == 1) return box;
    const Rect laidOut = node.frame();
    const Rect presented = hosting.host().presentedFrame(node);
    return Rect(presented.minX() + (box.minX() - laidOut.minX()) * scale,
                presented.minY() + (box.minY() - laidOut.minY()) * scale, box.width() * scale, box.height() * scale);
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

std::vector<std::string> ownTexts(const ui::HostingView& hosting, const ui::Node& node) {
    std::vector<std::string> texts;
    node.content()->collectText(texts);
    if (node.content()->asBridged())
        if (const auto view = hosting.host().bridgedView(node); view && !view->isHidden())
            for (auto& text : view->shownTexts()) texts.push_back(std::move(text));
    return texts;
}

std::optional<std::string> accessibleLabel(const ui::HostingView& hosting, const ui::Node& node) {
    if (node.hasModifiers())
        if (const auto& label = node.modifiers().accessibility().label) return label;
    if (node.content()->asBridged())
        if (const auto view = hosting.host().bridgedView(node); view && view->accessibilityLabel)
            return view->accessibilityLabel;
    if (const auto* well = node.as<ui::ColorWellContent>(); well && well->options.titleHidden && !well->title.empty())
        return well->title;
    if (const auto* field = node.as<ui::TextFieldContent>();
        field && field->options.titleHidden && !field->title.empty())
        return field->title;
    return std::nullopt;
}

std::string optionText(const ui::HostingView& hosting, const ui::Node& option) {
    return hosting.host().firstText(option).value_or(std::string());
}

Rect screenFrame(const ui::HostingView& hosting, const Rect& treeRect) {
    const Rect host = screenFrame(hosting);
    return Rect(host.minX() + treeRect.minX(), host.maxY() - treeRect.maxY(), treeRect.width(), treeRect.height());
}

void visitShownViews(ui::Panel& panel, const ShownViewVisitor& visitor) {
    if (panel.contentView()) visit(*panel.contentView(), visitor);
}

std::vector<PlacedGlass> placedGlasses(ui::Panel& panel) {
    std::vector<PlacedGlass> glasses;
    ShownViewVisitor visitor;
    visitor.glass = [&](const PlacedGlass& glass) { glasses.push_back(glass); };
    visitShownViews(panel, visitor);
    return glasses;
}

std::optional<std::string> glassTintText(const PlacedGlass& glass) {
    if (!glass.tint) return std::nullopt;
    const ui::Color& tint = *glass.tint;
    return colourText(ui::ColorInSpace::sRGB(tint.red, tint.green, tint.blue, tint.alpha));
}

std::string glassStyleText(const PlacedGlass& glass) {
    return !glass.style ? "frosted" : *glass.style == ui::GlassStyle::clear ? "clear" : "regular";
}

std::string glassText(const PlacedGlass& glass) {
    std::string text = glassStyleText(glass);
    if (const auto tint = glassTintText(glass)) text += " tint " + quotedText(*tint);
    return text;
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
