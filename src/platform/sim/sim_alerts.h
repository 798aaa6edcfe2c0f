#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/alerts.h"

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
    // A fixed width (wider for a wide field) and a height that grows with the informative text's
    // lines and the field.
    Size layoutSize(const platform::Alert& alert) override;
    // The lines an alert's informative text shows within the width: its own line breaks, and
    // lines too long broken where the text system breaks them, measured in the system font.
    static std::vector<std::string> informativeLines(const std::string& text, double width);
    // Where the alert's text field shows as its window lays it out now: at its own size (narrowed
    // to the window's text width), under the texts, at the texts' leading inset. In the window's
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
    static constexpr double kTextInset = 20;  // on either side of the texts
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
