#include "platform/sim/console/picture_alert.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/alerts.h"
#include "platform/sim/console/picture_controls.h"
#include "platform/sim/console/picture_palette.h"
#include "platform/sim/console/picture_shapes.h"
#include "platform/sim/console/picture_text.h"
#include "platform/sim/console/picture_views.h"
#include "platform/sim/console/screen_state.h"
#include "platform/sim/console/screen_views.h"
#include "platform/sim/sim_alerts.h"
#include "platform/sim/sim_application_identity.h"

namespace tarnwick::sim {

namespace ui = platform::ui;

namespace {

// An alert's corners are rounded this much.
constexpr double kAlertCornerRadius = 12;

// The app whose icon the alert shows: the file's it names (an app's bundle), else the running
// app's own, as the system gives an alert its application's icon.
std::string alertIconApp(SimulatedSession& session, const platform::Alert& alert) {
    if (alert.iconOfFile)
        return iconName(session, platform::Image{0, alert.iconOfFile->string(), {}, true, {}}, std::nullopt);
    return SimApplicationIdentity::of(session).name;
}

// A rectangle of the alert's window (origin at its top left, y down) in global points.
Rect inWindow(const Rect& window, const Rect& part) {
    return Rect(window.minX() + part.minX(), window.minY() + part.minY(), part.width(), part.height());
}

std::string fieldPicture(const platform::Alert& alert, const Rect& frame, const GlobalSpace& space,
                         PictureClips& clips) {
    const auto field = SimAlerts::textFieldFrame(alert);
    if (!field) return {};
    const Rect box = inWindow(frame, *field);
    std::string out = svgRect(box, "alert-field", std::string("fill=\"") + palette::kField + "\" stroke=\"" +
                                                      palette::kOutline + "\"");
    const auto& text = *alert.textField;
    const bool placeholder = text.stringValue.empty() && !text.placeholderString.empty();
    const Rect inside = space.toScreen(Rect(box.minX() + SimAlerts::kFieldTextInset, box.minY(),
                                            std::max(box.width() - 2 * SimAlerts::kFieldTextInset, 0.0), box.height()));
    const PlacedText shown = oneLineText(placeholder ? text.placeholderString : text.stringValue, inside,
                                         ui::Font::system(SimAlerts::kFieldFontSize), ui::TextAlignment::natural,
                                         placeholder);
    // A modal alert is the key window while it shows, so the field that takes its keyboard shows
    // the ring.
    if (text.isInitialFirstResponder) out += focusRingPicture(box, 0);
    return out + textPicture(shown, space, clips, "alert-field-text");
}

std::string buttonsPicture(const platform::Alert& alert, const Rect& frame, const GlobalSpace& space,
                           PictureClips& clips) {
    const auto frames = SimAlerts::buttonFrames(alert);
    const auto chosenByReturn = SimAlerts::defaultButton(alert);
    std::string out;
    for (std::size_t i = 0; i < frames.size() && i < alert.buttons.size(); ++i) {
        const Rect box = inWindow(frame, frames[i]);
        const bool isDefault = chosenByReturn == i;
        const std::string& title = alert.buttons[i].title;
        out += bezelPicture(box, title, isDefault ? BezelLook::accented : BezelLook::plain, Paint{palette::kAccent},
                            false, "alert-button");
        out += textPicture(oneLineText(title, space.toScreen(box), ui::Font::system(SimAlerts::kButtonFontSize),
                                       ui::TextAlignment::center),
                           space, clips, "alert-button-title");
    }
    return out;
}

}  // namespace

std::string alertPicture(SimulatedSession& session, const platform::Alert& alert, const GlobalSpace& space,
                         PictureClips& clips) {
    const Rect frame = space.toGlobal(alert.window().frame());
    std::string out = "<g class=\"alert\">\n";
    out += svgRect(frame, "alert-frame",
                   svgRounded(kAlertCornerRadius) + "fill=\"" + palette::kMenuFace +
                       "\" stroke=\"#c8c8cc\" stroke-width=\"1\"");
    out += clips.begin(frame, kAlertCornerRadius);
    out += iconPicture(inWindow(frame, SimAlerts::iconFrame()), alertIconApp(session, alert), std::nullopt);
    // Each line as the alert lays them out, in the text column beside the icon.
    const auto layout = SimAlerts::textLayout(alert, frame.width());
    const Rect column(frame.minX() + SimAlerts::kTextLeading, frame.minY(), SimAlerts::textWidth(frame.width()),
                      frame.height());
    const auto linesPicture = [&](const std::vector<ui::ShownLine>& lines, double baseline, double lineHeight,
                                  const ui::Font& font, const char* cls) {
        const std::string attributes = textFontAttributes(font);
        for (const auto& line : lines) {
            if (!line.text.empty())
                out += lineElement(line, baseline, column, ui::TextAlignment::natural, attributes, cls, palette::kText);
            baseline += lineHeight;
        }
    };
    linesPicture(layout.message, frame.minY() + SimAlerts::kMessageBaseline, SimAlerts::kMessageLineHeight,
                 ui::Font::system(SimAlerts::kMessageFontSize, ui::font_weight::kBold), "alert-message");
    linesPicture(layout.informative, frame.minY() + layout.informativeBaseline, SimAlerts::kLineHeight,
                 ui::Font::system(SimAlerts::kInformativeFontSize), "alert-informative");
    out += fieldPicture(alert, frame, space, clips);
    out += buttonsPicture(alert, frame, space, clips);
    return out + PictureClips::end() + "</g>\n";
}

}  // namespace tarnwick::sim
