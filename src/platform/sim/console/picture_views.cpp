#include "platform/sim/console/picture_views.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "platform/sim/console/command_words.h"
#include "platform/sim/console/picture_glass.h"
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
#include "platform/ui/panel.h"

namespace tarnwick::sim {

namespace ui = platform::ui;

namespace {

constexpr const char* kAccent = "#0a84ff";
constexpr const char* kControl = "#3a3a3c";
constexpr const char* kOutline = "#8e8e93";

std::string rounded(double radius) { return "rx=\"" + svgNumber(radius) + "\" "; }

std::string valueAttribute(const std::string& value) { return "data-value=\"" + xmlEscaped(value) + "\" "; }

// The first character of the name, a capital where it has one.
std::string initial(const std::string& name) {
    if (name.empty()) return {};
    const auto lead = static_cast<unsigned char>(name[0]);
    const std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    std::string first = name.substr(0, length);
    if (length == 1) first[0] = static_cast<char>(std::toupper(lead));
    return first;
}

// One of a few colours, always the same for the same app, so neighbours tell apart.
const char* iconColour(const std::string& name) {
    static constexpr const char* kColours[] = {"#5b7db1", "#5f9a55", "#b1785b", "#8a6bb1", "#b15b7d", "#4f9ea3"};
    unsigned hash = 0;
    for (unsigned char c : name) hash = hash * 31 + c;
    return kColours[hash % std::size(kColours)];
}

std::string iconPicture(const Rect& frame, const std::string& name, const std::optional<std::string>& symbol) {
    const double side = std::min(frame.width(), frame.height());
    std::string out = "<g class=\"icon\" data-app=\"" + xmlEscaped(name) + "\"" +
                      (symbol ? " data-symbol=\"" + xmlEscaped(*symbol) + "\"" : std::string()) + ">\n";
    out += svgRect(frame, "icon-frame", rounded(side * 0.22) + "fill=\"" + iconColour(name) + "\"");
    if (!name.empty())
        out += "<text class=\"icon-initial\" x=\"" + svgNumber(frame.midX()) + "\" y=\"" +
               svgNumber(frame.midY() + side * 0.21) + "\" font-size=\"" + svgNumber(side * 0.6) +
               "\" text-anchor=\"middle\" fill=\"#ffffff\">" + xmlEscaped(initial(name)) + "</text>\n";
    return out + "</g>\n";
}

std::string switchPicture(const Rect& frame, bool on) {
    if (!frame.isUsable()) return {};
    const double radius = frame.height() / 2;
    const double knobX = on ? frame.maxX() - radius : frame.minX() + radius;
    return svgRect(frame, "switch", valueAttribute(on ? "on" : "off") + rounded(radius) + "fill=\"" +
                                        (on ? kAccent : "#636366") + "\"") +
           "<circle class=\"switch-knob\" cx=\"" + svgNumber(knobX) + "\" cy=\"" + svgNumber(frame.midY()) +
           "\" r=\"" + svgNumber(std::max(radius - 2, 1.0)) + "\" fill=\"#ffffff\"/>\n";
}

std::string sliderPicture(const Rect& frame, const ui::SliderContent& slider) {
    if (!frame.isUsable()) return {};
    const double span = slider.upper - slider.lower;
    const double fraction = span > 0 ? std::clamp((slider.value() - slider.lower) / span, 0.0, 1.0) : 0;
    const double radius = std::max(frame.height() / 2 - 2, 1.0);
    const double knobX = frame.minX() + radius + fraction * std::max(frame.width() - 2 * radius, 0.0);
    const Rect track(frame.minX(), frame.midY() - 2, frame.width(), 4);
    return svgRect(track, "slider", valueAttribute(formatNumber(slider.value())) + rounded(2) + "fill=\"#636366\"") +
           svgRect(Rect(track.minX(), track.minY(), knobX - track.minX(), 4), "slider-fill",
                   rounded(2) + "fill=\"" + kAccent + "\"") +
           "<circle class=\"slider-knob\" cx=\"" + svgNumber(knobX) + "\" cy=\"" + svgNumber(frame.midY()) + "\" r=\"" +
           svgNumber(radius) + "\" fill=\"#ffffff\"/>\n";
}

std::string stepperPicture(const Rect& frame, double value) {
    if (!frame.isUsable()) return {};
    return svgRect(frame, "stepper", valueAttribute(formatNumber(value)) + rounded(5) + "fill=\"" + kControl +
                                         "\" stroke=\"" + kOutline + "\"") +
           "<line class=\"stepper-divider\" x1=\"" + svgNumber(frame.minX()) + "\" y1=\"" + svgNumber(frame.midY()) +
           "\" x2=\"" + svgNumber(frame.maxX()) + "\" y2=\"" + svgNumber(frame.midY()) + "\" stroke=\"" + kOutline +
           "\"/>\n";
}

// A pop-up button showing the chosen option.
std::string popUpPicture(const Rect& frame, const std::string& shown) {
    if (!frame.isUsable()) return {};
    return svgRect(frame, "picker", valueAttribute(shown) + rounded(5) + "fill=\"" + kControl + "\" stroke=\"" +
                                        kOutline + "\"");
}

// The chosen option or row, behind its text.
std::string selectionPicture(const Rect& frame, const std::string& shown) {
    if (!frame.isUsable()) return {};
    return svgRect(frame, "selection", valueAttribute(shown) + rounded(5) + "fill=\"" + kAccent + "\"");
}

// A colour well: its swatch in the colour it holds (a pattern, which has no colour of its own,
// as an outline).
std::string colourWellPicture(const Rect& frame, const ui::ColorInSpace& colour) {
    if (!frame.isUsable()) return {};
    const auto shown = colour.convertedToSRGB();
    std::string out =
        svgRect(frame, "color-well-frame", rounded(5) + "fill=\"" + kControl + "\" stroke=\"" + kOutline + "\"");
    const Rect swatch(frame.minX() + 4, frame.minY() + 4, std::max(frame.width() - 8, 1.0),
                      std::max(frame.height() - 8, 1.0));
    if (!shown)
        return out + svgRect(swatch, "color-well", valueAttribute("pattern " + colour.patternName) + rounded(3) +
                                                       "fill=\"none\" stroke=\"" + kOutline + "\"");
    // The fill takes the colour without its alpha, the opacity the alpha (within 0...1, as shown).
    const std::string hex = colourText(colour).value_or("");
    return out + svgRect(swatch, "color-well", valueAttribute(hex) + rounded(3) + "fill=\"" + hex.substr(0, 7) +
                                                   "\" fill-opacity=\"" + svgNumber(shown->alpha) + "\"");
}

// A push button of the retained layer brought into a tree (the shortcut recorder): its bezel and
// its title.
std::string bridgedButtonPicture(const Rect& frame, const ui::Button& button, const GlobalSpace& space,
                                 PictureClips& clips) {
    if (button.isHidden() || !frame.isUsable()) return {};
    return svgRect(frame, "button", valueAttribute(button.title) + rounded(5) + "fill=\"" + kControl +
                                        "\" stroke=\"" + kOutline + "\"") +
           textPicture(oneLineText(button.title, space.toScreen(frame), button.font, ui::TextAlignment::center), space,
                       clips, "button-title");
}

// What a control holds, drawn within what shows of the control.
std::string controlPicture(const ui::HostingView& hosting, const ui::Node& node, const GlobalSpace& space,
                           PictureClips& clips) {
    const Rect shown = hosting.host().visibleFrame(node);
    // A part of the control (in the tree's coordinates) in global points.
    const auto clipped = [&](const Rect& part) { return space.toGlobal(screenFrame(hosting, part.intersection(shown))); };
    const ui::NodeContent* content = node.content();
    if (const auto* toggle = dynamic_cast<const ui::ToggleContent*>(content))
        return switchPicture(clipped(toggle->switchFrame), toggle->value());
    if (const auto* slider = dynamic_cast<const ui::SliderContent*>(content))
        return sliderPicture(clipped(node.contentFrame()), *slider);
    if (const auto* field = dynamic_cast<const ui::TextFieldContent*>(content)) {
        const Rect frame = clipped(field->fieldFrame);
        if (!frame.isUsable()) return {};
        return svgRect(frame, "text-field", rounded(4) + "fill=\"#1c1c1e\" stroke=\"" + kOutline + "\"");
    }
    if (const auto* stepper = dynamic_cast<const ui::StepperContent*>(content))
        return stepperPicture(clipped(stepper->arrowsFrame), stepper->value());
    if (const auto* well = dynamic_cast<const ui::ColorWellContent*>(content))
        return colourWellPicture(clipped(well->wellFrame), well->color());
    if (const auto* symbol = dynamic_cast<const ui::SymbolContent*>(content))
        return symbolPicture(clipped(node.contentFrame()), symbol->name);
    if (node.content()->asBridged()) {
        const auto* button = dynamic_cast<const ui::Button*>(hosting.host().bridgedView(node).get());
        return button ? bridgedButtonPicture(clipped(node.contentFrame()), *button, space, clips) : std::string();
    }
    if (const auto* picker = dynamic_cast<const ui::PickerContent*>(content)) {
        const auto index = picker->selectedIndex();
        if (!index || *index >= node.children().size()) return {};
        const ui::Node& option = node.children()[*index];
        const Rect area = node.contentFrame();
        const Rect frame = option.frame();
        switch (picker->style) {
            case ui::PickerStyle::menu: {
                const double left = frame.minX() - ui::PickerContent::kPopUpPadding;
                return popUpPicture(clipped(Rect(left, area.minY(), area.maxX() - left, area.height())),
                                    optionText(hosting, option));
            }
            case ui::PickerStyle::segmented:
                return selectionPicture(clipped(Rect(frame.minX() - ui::PickerContent::kSegmentPadding, area.minY(),
                                                     frame.width() + 2 * ui::PickerContent::kSegmentPadding,
                                                     area.height())),
                                        optionText(hosting, option));
            case ui::PickerStyle::inline_:
                return selectionPicture(clipped(frame), optionText(hosting, option));
        }
    }
    if (const auto* list = dynamic_cast<const ui::ListContent*>(content)) {
        const auto index = list->selectedIndex();
        if (!index || *index >= node.children().size()) return {};
        const ui::Node& row = node.children()[*index];
        const Rect frame = row.frame();
        return selectionPicture(clipped(Rect(frame.minX() - ui::ListContent::kRowInsetX, frame.minY() - 2,
                                             frame.width() + 2 * ui::ListContent::kRowInsetX, frame.height() + 4)),
                                optionText(hosting, row));
    }
    return {};
}

}  // namespace

std::string windowContentPicture(SimulatedSession& session, ui::Panel& panel, const GlobalSpace& space,
                                 PictureClips& clips) {
    std::string out;
    ShownViewVisitor visitor;
    visitor.beginClip = [&](const Rect& frame, double cornerRadius) {
        out += clips.begin(space.toGlobal(frame), cornerRadius);
    };
    visitor.endClip = [&] { out += PictureClips::end(); };
    visitor.glass = [&](const PlacedGlass& glass) { out += glassPicture(glass, space.toGlobal(glass.frame)); };
    visitor.text = [&](const PlacedText& text) { out += textPicture(text, space, clips); };
    visitor.icon = [&](const platform::Image& image, const std::optional<std::string>& label, const Rect& frame) {
        out += iconPicture(space.toGlobal(frame), iconName(session, image, label), SimIcons::symbolName(image));
    };
    visitor.node = [&](const ui::HostingView& hosting, const ui::Node& node, const Rect& frame) {
        if (!frame.isUsable()) return;
        out += controlPicture(hosting, node, space, clips);
    };
    visitShownViews(panel, visitor);
    return out;
}

}  // namespace tarnwick::sim
