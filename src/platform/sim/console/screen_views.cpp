#include "platform/sim/console/screen_views.h"

#include "platform/sim/console/command_words.h"
#include "platform/ui/declarative/hosting_view.h"
#include "platform/ui/panel.h"
#include "platform/ui/text_label.h"

namespace tarnwick::sim {

namespace ui = platform::ui;

namespace {

void collect(ui::View& view, std::vector<PlacedText>& texts) {
    if (view.isHidden()) return;
    if (auto* label = dynamic_cast<ui::TextLabel*>(&view)) {
        if (!label->stringValue().empty()) texts.push_back(PlacedText{label->stringValue(), screenFrame(*label)});
    } else if (auto* hosting = dynamic_cast<ui::HostingView*>(&view)) {
        const Rect host = screenFrame(*hosting);
        // Tree frames have their origin at the top left of the hosting view, y down.
        std::vector<const ui::Node*> pending;
        if (const ui::Node* root = hosting->host().root()) pending.push_back(root);
        while (!pending.empty()) {
            const ui::Node* node = pending.back();
            pending.pop_back();
            std::vector<std::string> own;
            node->content()->collectText(own);
            const Rect frame = hosting->host().visibleFrame(*node);
            for (auto& text : own)
                if (frame.isUsable())
                    texts.push_back(PlacedText{std::move(text), Rect(host.minX() + frame.minX(), host.maxY() - frame.maxY(),
                                                                     frame.width(), frame.height())});
            for (auto child = node->children().rbegin(); child != node->children().rend(); ++child)
                pending.push_back(&*child);
        }
    }
    for (const auto& subview : view.subviews()) collect(*subview, texts);
}

void nodeLines(const ui::Node& node, int depth, std::vector<std::string>& lines) {
    std::string line(static_cast<std::size_t>(depth) * 2, ' ');
    line += node.kind();
    std::vector<std::string> own;
    node.content()->collectText(own);
    for (const auto& text : own) line += " " + quotedText(text);
    if (node.hasModifiers()) {
        const auto& accessibility = node.modifiers().accessibility();
        if (accessibility.value) line += " value " + quotedText(*accessibility.value);
        if (accessibility.identifier) line += " id " + quotedText(*accessibility.identifier);
        if (accessibility.label) line += " label " + quotedText(*accessibility.label);
    }
    if (node.isDisabled()) line += " disabled";
    lines.push_back(std::move(line));
    for (const auto& child : node.children()) nodeLines(child, depth + 1, lines);
}

}  // namespace

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

std::vector<PlacedText> placedTexts(ui::Panel& panel) {
    std::vector<PlacedText> texts;
    if (panel.contentView()) collect(*panel.contentView(), texts);
    return texts;
}

std::vector<ui::HostingView*> hostingViews(ui::Panel& panel) {
    std::vector<ui::HostingView*> result;
    if (!panel.contentView()) return result;
    for (ui::View* view : panel.contentView()->descendants())
        if (auto* hosting = dynamic_cast<ui::HostingView*>(view)) result.push_back(hosting);
    return result;
}

std::vector<std::string> nodeLines(const ui::Node& root) {
    std::vector<std::string> lines;
    nodeLines(root, 0, lines);
    return lines;
}

}  // namespace tarnwick::sim
