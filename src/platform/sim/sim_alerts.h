#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/alerts.h"
#include "platform/ui/text_lines.h"

namespace tarnwick::sim {

class SimulatedSession;

// Modal alerts answered from the session's script: a button, and text typed into the alert's
// field first. An alert whose window its owner has not made key and ordered front is laid out and
// centred on the main screen when it runs. Every alert shown is recorded with its answer, its
// window frame and its screen.
class SimAlerts : public platform::Alerts {
public:
    explicit SimAlerts(SimulatedSession& session) : session_(session) {}
    platform::ModalResponse runModal(platform::Alert& alert) override;
    // A fixed width (wider for a wide field) and a height that grows with the lines of the texts and
    // with the field.
    Size layoutSize(const platform::Alert& alert) override;
    // The texts of an alert as its window lays them out: the app's icon at the top left, and
    // beside it the message in the bold system font, then the informative text, each wrapped
    // within the text column (its own line breaks kept, lines too long broken where the text
    // system breaks them). Baselines are from the window's top: the message's from
    // kMessageBaseline, kMessageLineHeight apart; the informative text's from
    // kInformativeBaseline, lower by the message's extra lines, kLineHeight apart.
    struct TextLayout {
        std::vector<platform::ui::ShownLine> message;
        std::vector<platform::ui::ShownLine> informative;
        double informativeBaseline = kInformativeBaseline;
        // The last line's baseline; the message's first one when there is no text at all.
        double lastBaseline = kMessageBaseline;
    };
    static TextLayout textLayout(const platform::Alert& alert, double windowWidth);
    // The width of the text column in a window this wide: from kTextLeading to kTextInset from
    // the trailing edge.
    static double textWidth(double windowWidth);
    // The lines an alert's informative text shows within the width, measured in the system font.
    static std::vector<platform::ui::ShownLine> informativeLines(const std::string& text, double width);
    // Where the app's icon shows, in the window's coordinates with the origin at its top left.
    static Rect iconFrame() { return Rect(kTextInset, kIconTop, kIconSize, kIconSize); }
    // Where the alert's text field shows as its window lays it out now: at its own size (narrowed
    // to the window's text width), under the texts, in the text column. In the window's
    // coordinates with the origin at its top left, y down; nothing without a field.
    static std::optional<Rect> textFieldFrame(const platform::Alert& alert);

    // Where the alert's buttons show as its window lays them out now, one per button in order:
    // in a row along the bottom from the trailing edge, the first button rightmost, each as wide
    // as its title in the system font with room on either side (at least kButtonMinimumWidth).
    // In the window's coordinates with the origin at its top left, y down.
    static std::vector<Rect> buttonFrames(const platform::Alert& alert);
    // The button Return chooses: the one whose key equivalent is Return, else the first when it
    // has no key equivalent of its own; nothing when there is neither.
    static std::optional<std::size_t> defaultButton(const platform::Alert& alert);

    static constexpr double kWidth = 420;
    static constexpr double kBaseHeight = 140;
    static constexpr double kLineHeight = 16;
    // The icon's side, its distance from the window's top, and the room between it and the texts.
    static constexpr double kIconSize = 64;
    static constexpr double kIconTop = 16;
    static constexpr double kIconSpacing = 16;
    static constexpr double kTextInset = 20;  // before the icon, and after the texts
    static constexpr double kTextLeading = kTextInset + kIconSize + kIconSpacing;  // before the texts
    static constexpr double kMessageFontSize = 13;
    static constexpr double kMessageLineHeight = 17;
    static constexpr double kInformativeFontSize = 11;
    // From the window's top: the message's baseline and the informative text's first baseline.
    static constexpr double kMessageBaseline = 28;
    static constexpr double kInformativeBaseline = 48;
    // Between the last baseline of the texts and the text field.
    static constexpr double kFieldSpacing = 12;
    // Between the field's edges and its text, in the system font of this size.
    static constexpr double kFieldTextInset = 4;
    static constexpr double kFieldFontSize = 13;
    // The buttons: their title's font size, height, room either side of the title, least width,
    // the gap between two, and their distance from the window's trailing and bottom edges.
    static constexpr double kButtonFontSize = 13;
    static constexpr double kButtonHeight = 24;
    static constexpr double kButtonPadding = 14;
    static constexpr double kButtonMinimumWidth = 72;
    static constexpr double kButtonSpacing = 8;
    static constexpr double kButtonTrailingInset = 20;
    static constexpr double kButtonBottomInset = 16;

private:
    void record(platform::Alert& alert, std::string answer);
    SimulatedSession& session_;
};

}  // namespace tarnwick::sim
