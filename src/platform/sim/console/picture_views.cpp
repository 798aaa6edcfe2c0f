#include "platform/sim/console/picture_views.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <vector>

#include "platform/sim/console/command_words.h"
#include "platform/sim/console/picture_controls.h"
#include "platform/sim/console/picture_glass.h"
#include "platform/sim/console/picture_palette.h"
#include "platform/sim/console/picture_shapes.h"
#include "platform/sim/console/picture_symbols.h"
#include "platform/sim/console/picture_text.h"
#include "platform/sim/console/screen_state.h"
#include "platform/sim/console/screen_svg.h"
#include "platform/sim/console/screen_views.h"
#include "platform/sim/sim_icons.h"
#include "platform/ui/button.h"
#include "platform/ui/declarative/controls.h"
#include "platform/ui/declarative/hosting_view.h"
#include "platform/ui/declarative/text_field_line.h"
#include "platform/ui/panel.h"
#include "platform/ui/text_metrics.h"
#include "platform/ui/text_segmentation.h"
#include "support/text.h"

namespace tarnwick::sim {

namespace ui = platform::ui;

namespace {

// The first character of the name as a reader sees it (a grapheme cluster: a flag, a letter
// with its accents), in capitals where it has them.
std::string initial(const std::string& name) {
    if (name.empty()) return {};
    // An ASCII letter followed by ASCII is a cluster of its own (but for CR LF), as most names are.
    const auto lead = static_cast<unsigned char>(name[0]);
    if (lead < 0x80 && (name.size() == 1 || (static_cast<unsigned char>(name[1]) < 0x80 && lead != '\r')))
        return std::string(1, static_cast<char>(std::toupper(lead)));
    const auto clusters = ui::segmentText(name);
    const std::size_t end = clusters.empty() ? name.size() : clusters.front().to;
    return text::uppercased(std::string_view(name).substr(0, end));
}

// One of a few colours, always the same for the same app, so neighbours tell apart.
const char* iconColour(const std::string& name) {
    static constexpr const char* kColours[] = {"#5b7db1", "#5f9a55", "#b1785b", "#8a6bb1", "#b15b7d", "#4f9ea3"};
    unsigned hash = 0;
    for (unsigned char c : name) hash = hash * 31 + c;
    return kColours[hash % std::size(kColours)];
}

}  // namespace

std::string iconPicture(const Rect& frame, const std::string& name, const std::optional<std::string>& symbol) {
    const double side = std::min(frame.width(), frame.height());
    std::string out = "<g class=\"icon\" data-app=\"" + xmlEscaped(name) + "\"" +
                      (symbol ? " data-symbol=\"" + xmlEscaped(*symbol) + "\"" : std::string()) + ">\n";
    out += svgRect(frame, "icon-frame", svgRounded(side * 0.22) + "fill=\"" + iconColour(name) + "\"");
    if (!name.empty())
        out += "<text class=\"icon-initial\" x=\"" + svgNumber(frame.midX()) + "\" y=\"" +
               svgNumber(frame.midY() + side * 0.21) + "\" font-size=\"" + svgNumber(side * 0.6) +
               "\" text-anchor=\"middle\" fill=\"#ffffff\">" + xmlEscaped(initial(name)) + "</text>\n";
    return out + "</g>\n";
}

namespace {

// A push button of the retained layer brought into a tree (the shortcut recorder): its bezel and
// its title, dimmed while it is disabled.
std::string bridgedButtonPicture(const Rect& frame, const ui::Button& button, const GlobalSpace& space,
                                 PictureClips& clips) {
    if (button.isHidden() || !frame.isUsable()) return {};
    return svgOpacityGroup(bezelPicture(frame, button.title, BezelLook::plain, Paint{palette::kAccent}) +
                               textPicture(oneLineText(button.title, space.toScreen(frame), button.font,
                                                       ui::TextAlignment::center),
                                           space, clips, "button-title"),
                           button.isEnabled ? 1 : kDisabledOpacity, !button.isEnabled);
}

// A symbol of a node in the node's colour, in a box of its laid-out frame (tree coordinates)
// where the scale effects around it draw it, clipped to what shows of the node.
std::string nodeSymbolPicture(const ui::HostingView& hosting, const ui::Node& node, const Rect& box,
                              const std::string& name, const GlobalSpace& space, PictureClips& clips) {
    const Rect visible = presentedVisibleFrame(hosting, node);
    if (!visible.isUsable()) return {};
    const Rect drawn = presentedRect(hosting, node, box);
    const std::string glyph =
        symbolPicture(space.toGlobal(screenFrame(hosting, drawn)), name, paintOf(node.foregroundColor()).colour);
    constexpr double kSlack = 0.01;
    if (Rect(visible.minX() - kSlack, visible.minY() - kSlack, visible.width() + 2 * kSlack,
             visible.height() + 2 * kSlack)
            .contains(drawn))
        return glyph;
    return clips.begin(space.toGlobal(screenFrame(hosting, visible))) + glyph + PictureClips::end();
}

constexpr double kFieldCornerRadius = 4;

// The selection of the field being edited behind its text, in the selection colour of a key
// window or grey in the background, or its caret where nothing is selected (only in the key
// window, where the field has the keyboard): where its line, scrolled so that the caret shows,
// puts them (from the text area's leading edge, the trailing one where the text runs right to
// left), within the text area.
std::string fieldEditingPicture(const ui::HostingView& hosting, const ui::Node& node, const ui::TextFieldContent& field,
                                bool windowIsKey, const std::function<Rect(const Rect&)>& clipped) {
    const auto selection = hosting.host().selection(node);
    if (!selection || (selection->isCaret() && !windowIsKey)) return {};
    const std::string text = field.text();
    const Rect inside = field.textFrame();
    const ui::Font font = node.font();
    const double lineHeight = ui::textMetrics().defaultLineHeight(font);
    const double top = inside.midY() - lineHeight / 2;
    const ui::FieldTextLine line(text, font);
    const double scroll = hosting.host().textScroll(node);
    const auto edge = [&](std::size_t offset) {
        const double along = line.advance(offset) - scroll;
        return line.rightToLeft() ? inside.maxX() - along : inside.minX() + along;
    };
    const auto within = [&](const Rect& part) { return clipped(part.intersection(inside)); };
    if (selection->isCaret()) {
        const double x = std::clamp(edge(selection->start), inside.minX(),
                                    std::max(inside.maxX() - ui::kFieldCaretWidth, inside.minX()));
        return caretPicture(within(Rect(x, top, ui::kFieldCaretWidth, lineHeight)));
    }
    const double a = edge(selection->start), b = edge(selection->end);
    return textSelectionPicture(within(Rect(std::min(a, b), top, std::abs(b - a), lineHeight)),
                                text.substr(selection->start, selection->end - selection->start), windowIsKey);
}

// A button's bezel as its style draws it: a bordered button's in the control's face, or in its
// accent when it is the window's default button (the one Return presses), a prominent one's as a
// capsule in its accent; plain, borderless and the app's own styles draw none here (an own
// style's body draws its shapes itself).
std::string buttonPicture(const Rect& frame, const ui::ButtonContent& button, bool isDefault, const std::string& title,
                          const Paint& accent) {
    switch (button.style) {
        case ui::ButtonStyle::bordered:
            return bezelPicture(frame, title, isDefault ? BezelLook::accented : BezelLook::plain, accent);
        case ui::ButtonStyle::glassProminent:
            return bezelPicture(frame, title, BezelLook::accented, accent, true);
        case ui::ButtonStyle::plain:
        case ui::ButtonStyle::borderless:
        case ui::ButtonStyle::custom:
            break;
    }
    return {};
}

// A part of a node (in the tree's coordinates) in global points, cut to what shows of the node.
using ClippedPart = std::function<Rect(const Rect&)>;

// The chosen option of a picker as its style shows it.
std::string pickerPicture(const ui::HostingView& hosting, const ui::Node& node, const ui::PickerContent& picker,
                          const ClippedPart& clipped, const Paint& accent) {
    const auto index = picker.selectedIndex();
    if (!index || *index >= node.children().size()) return {};
    const ui::Node& option = node.children()[*index];
    const Rect area = node.contentFrame();
    const Rect frame = option.frame();
    switch (picker.style) {
        case ui::PickerStyle::menu: {
            const double left = frame.minX() - ui::PickerContent::kPopUpPadding;
            return popUpPicture(clipped(Rect(left, area.minY(), area.maxX() - left, area.height())),
                                optionText(hosting, option), ui::PickerContent::kIndicatorWidth,
                                ui::PickerContent::kPopUpPadding);
        }
        case ui::PickerStyle::segmented:
            return selectionPicture(clipped(Rect(frame.minX() - ui::PickerContent::kSegmentPadding, area.minY(),
                                                 frame.width() + 2 * ui::PickerContent::kSegmentPadding, area.height())),
                                    optionText(hosting, option), accent);
        case ui::PickerStyle::inline_:
            return selectionPicture(clipped(frame), optionText(hosting, option), accent);
    }
    return {};
}

// A pull-down menu's bezel (unless it is borderless) and its chevron after its label.
std::string pullDownPicture(const ui::HostingView& hosting, const ui::Node& node, const ui::MenuContent& menu,
                            const ClippedPart& clipped) {
    if (node.children().empty()) return {};
    std::string out;
    if (menu.style != ui::MenuStyle::borderlessButton)
        out += bezelPicture(clipped(node.contentFrame()), optionText(hosting, node.children().front()), BezelLook::plain,
                            Paint{palette::kAccent});
    if (!menu.showsIndicator) return out;
    const Rect content = node.contentFrame();
    const Rect label = node.children().front().frame();
    return out + pullDownIndicatorPicture(clipped(Rect(label.maxX() + ui::MenuContent::kIndicatorSpacing, content.minY(),
                                                       ui::MenuContent::kIndicatorWidth, content.height())));
}

// What a node draws beside its texts: a control with what it holds, a button's bezel, a shape,
// a symbol; within what shows of it.
std::string controlPicture(const ui::HostingView& hosting, const ui::Node& node, bool windowIsKey,
                           const GlobalSpace& space, PictureClips& clips) {
    const Rect shown = hosting.host().visibleFrame(node);
    const ClippedPart clipped = [&](const Rect& part) {
        return space.toGlobal(screenFrame(hosting, part.intersection(shown)));
    };
    // In a window in the background the system's controls draw without their accent or tint.
    const Paint accent = !windowIsKey   ? Paint{palette::kInactiveAccent}
                         : node.tint() ? paintOf(*node.tint())
                                       : Paint{palette::kAccent};
    if (const auto* button = node.as<ui::ButtonContent>()) {
        const auto& shortcut = node.modifiers().events().keyboardShortcut;
        const bool isDefault = shortcut && *shortcut == ui::KeyboardShortcut{"\r", 0};
        return buttonPicture(clipped(node.contentFrame()), *button, isDefault, optionText(hosting, node), accent);
    }
    if (const auto* shape = node.as<ui::ShapeContent>()) return shapePicture(clipped(node.contentFrame()), *shape);
    if (const auto* label = node.as<ui::LabelContent>())
        return nodeSymbolPicture(hosting, node, labelSymbolBox(node), label->systemImage, space, clips);
    if (const auto* symbol = node.as<ui::SymbolContent>())
        return nodeSymbolPicture(hosting, node, node.contentFrame(), symbol->name, space, clips);
    if (const auto* toggle = node.as<ui::ToggleContent>())
        return switchPicture(clipped(toggle->switchFrame), toggle->value(), accent);
    if (const auto* slider = node.as<ui::SliderContent>()) return sliderPicture(clipped(node.contentFrame()), *slider, accent);
    if (const auto* field = node.as<ui::TextFieldContent>()) {
        const Rect frame = clipped(field->fieldFrame);
        if (!frame.isUsable()) return {};
        const bool focused = windowIsKey && hosting.host().keyFocusNode() == &node;
        return svgRect(frame, "text-field",
                       svgRounded(kFieldCornerRadius) + "fill=\"" + palette::kField + "\" stroke=\"" + palette::kOutline +
                           "\"") +
               fieldEditingPicture(hosting, node, *field, windowIsKey, clipped) +
               (focused ? focusRingPicture(frame, kFieldCornerRadius) : std::string());
    }
    if (const auto* stepper = node.as<ui::StepperContent>())
        return stepperPicture(clipped(stepper->arrowsFrame), stepper->value(), stepper->canIncrement(),
                              stepper->canDecrement());
    if (const auto* well = node.as<ui::ColorWellContent>()) return colourWellPicture(clipped(well->wellFrame), well->color());
    if (node.content()->asBridged()) {
        const auto* button = dynamic_cast<const ui::Button*>(hosting.host().bridgedView(node).get());
        return button ? bridgedButtonPicture(clipped(node.contentFrame()), *button, space, clips) : std::string();
    }
    if (const auto* picker = node.as<ui::PickerContent>()) return pickerPicture(hosting, node, *picker, clipped, accent);
    if (const auto* menu = node.as<ui::MenuContent>()) return pullDownPicture(hosting, node, *menu, clipped);
    if (const auto* list = node.as<ui::ListContent>()) {
        const auto index = list->selectedIndex();
        if (!index || *index >= node.children().size()) return {};
        const ui::Node& row = node.children()[*index];
        const Rect frame = row.frame();
        return selectionPicture(clipped(Rect(frame.minX() - ui::ListContent::kRowInsetX, frame.minY() - 2,
                                             frame.width() + 2 * ui::ListContent::kRowInsetX, frame.height() + 4)),
                                optionText(hosting, row), windowIsKey ? accent : Paint{palette::kInactiveSelection});
    }
    return {};
}

}  // namespace

std::string windowContentPicture(SimulatedSession& session, ui::Panel& panel, bool key, const GlobalSpace& space,
                                 PictureClips& clips) {
    std::string out;
    ShownViewVisitor visitor;
    visitor.beginClip = [&](const Rect& frame, double cornerRadius) {
        out += clips.begin(space.toGlobal(frame), cornerRadius);
    };
    visitor.endClip = [&] { out += PictureClips::end(); };
    visitor.glass = [&](const PlacedGlass& glass) { out += glassPicture(glass, space.toGlobal(glass.frame)); };
    visitor.text = [&](const PlacedText& text) {
        const Paint paint = paintOf(text.colour);
        out += svgOpacityGroup(textPicture(text, space, clips, "text", paint.colour), text.opacity * paint.opacity,
                               text.disabled);
    };
    visitor.icon = [&](const platform::Image& image, const std::optional<std::string>& label, const Rect& frame) {
        out += iconPicture(space.toGlobal(frame), iconName(session, image, label), SimIcons::symbolName(image));
    };
    visitor.node = [&](const ui::HostingView& hosting, const ui::Node& node, const Rect& frame) {
        if (!frame.isUsable()) return;
        out += svgOpacityGroup(controlPicture(hosting, node, key, space, clips), drawnOpacity(node), drawnDimmed(node));
    };
    visitShownViews(panel, visitor);
    return out;
}

}  // namespace tarnwick::sim
