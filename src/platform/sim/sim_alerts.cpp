#include "platform/sim/sim_alerts.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>

#include "platform/sim/simulated_session.h"
#include "platform/sim/ui/sim_window_system.h"
#include "platform/ui/panel.h"
#include "platform/ui/screens.h"
#include "platform/ui/text_lines.h"
#include "platform/ui/text_metrics.h"

namespace tarnwick::sim {

namespace ui = platform::ui;

namespace {

// The lines of a text within the width, wrapped at words, in the process's text system (whatever
// measurer a test installed).
std::vector<ui::ShownLine> wrappedLines(const std::string& text, const ui::Font& font, double width) {
    return ui::shownLines(ui::systemFontMetrics(), text, font,
                          ui::TextBox{.width = width, .maximumLines = 0, .wraps = true,
                                      .lineBreakMode = ui::LineBreakMode::wordWrapping});
}

}  // namespace

double SimAlerts::textWidth(double windowWidth) {
    const double width = windowWidth - kTextLeading - kTextInset;
    return std::isfinite(width) ? std::max(width, 0.0) : 0.0;
}

std::vector<ui::ShownLine> SimAlerts::informativeLines(const std::string& text, double width) {
    return wrappedLines(text, ui::Font::system(kInformativeFontSize), width);
}

SimAlerts::TextLayout SimAlerts::textLayout(const platform::Alert& alert, double windowWidth) {
    const double width = textWidth(windowWidth);
    TextLayout layout;
    // Measured in the bold face it is drawn in, so a bold message wraps where it shows.
    layout.message = wrappedLines(alert.messageText, ui::Font::system(kMessageFontSize, ui::font_weight::kBold), width);
    layout.informative = informativeLines(alert.informativeText, width);
    const std::size_t extraMessageLines = layout.message.empty() ? 0 : layout.message.size() - 1;
    layout.informativeBaseline = kInformativeBaseline + kMessageLineHeight * static_cast<double>(extraMessageLines);
    if (!layout.informative.empty())
        layout.lastBaseline =
            layout.informativeBaseline + kLineHeight * static_cast<double>(layout.informative.size() - 1);
    else
        layout.lastBaseline = kMessageBaseline + kMessageLineHeight * static_cast<double>(extraMessageLines);
    return layout;
}

Size SimAlerts::layoutSize(const platform::Alert& alert) {
    double width = kWidth, height = kBaseHeight;
    if (alert.textField) {
        const Rect& field = alert.textField->frame;
        if (field.isFinite()) {
            width = std::max(width, field.width() + 140);
            height += std::max(field.height(), 0.0) + 8;
        }
    }
    // The base height holds a message of one line and an informative text of one.
    height += std::max(textLayout(alert, width).lastBaseline - kInformativeBaseline, 0.0);
    return Size{width, height};
}

std::optional<Rect> SimAlerts::textFieldFrame(const platform::Alert& alert) {
    if (!alert.textField) return std::nullopt;
    const Rect& field = alert.textField->frame;
    const double windowWidth = alert.window().frame().width();
    const double lastBaseline = textLayout(alert, windowWidth).lastBaseline;
    const auto length = [](double value) { return std::isfinite(value) ? std::max(value, 0.0) : 0.0; };
    return Rect(kTextLeading, lastBaseline + kFieldSpacing, std::min(length(field.width()), textWidth(windowWidth)),
                length(field.height()));
}

std::vector<Rect> SimAlerts::buttonFrames(const platform::Alert& alert) {
    auto& metrics = platform::ui::textMetrics();
    const auto font = platform::ui::Font::system(kButtonFontSize);
    const Size window = alert.window().frame().size;
    std::vector<Rect> frames;
    double trailing = window.width - kButtonTrailingInset;
    for (const auto& button : alert.buttons) {
        const double measured = metrics.lineWidth(button.title, font);
        const double width = std::max(kButtonMinimumWidth, (std::isfinite(measured) ? measured : 0) + 2 * kButtonPadding);
        frames.emplace_back(trailing - width, window.height - kButtonBottomInset - kButtonHeight, width, kButtonHeight);
        trailing -= width + kButtonSpacing;
    }
    return frames;
}

std::optional<std::size_t> SimAlerts::defaultButton(const platform::Alert& alert) {
    for (std::size_t i = 0; i < alert.buttons.size(); ++i)
        if (alert.buttons[i].keyEquivalent == "\r") return i;
    if (!alert.buttons.empty() && alert.buttons.front().keyEquivalent.empty()) return 0;
    return std::nullopt;
}

void SimAlerts::record(platform::Alert& alert, std::string answer) {
    SimShownAlert shown{alert, answer, alert.window().frame(), std::nullopt, alert.window().isKeyAndFront()};
    if (auto screen = alert.window().screen()) shown.screen = platform::ui::displayID(*screen);
    session_.alertScript.shown.push_back(std::move(shown));
    if (session_.alertScript.onClose) session_.alertScript.onClose(alert, answer);
}

platform::ModalResponse SimAlerts::runModal(platform::Alert& alert) {
    // An alert its owner did not bring up itself is application-modal: the modal run lays it out
    // and centres it on the main screen, as the system does.
    if (!alert.window().isKeyAndFront()) {
        alert.window().setContentSize(layoutSize(alert));
        if (auto screen = platform::ui::mainScreen()) {
            const Rect& visible = screen->visibleFrame;
            const Size size = alert.window().frame().size;
            alert.window().setFrameOrigin(Point{visible.midX() - size.width / 2, visible.midY() - size.height / 2});
        }
        alert.window().makeKeyAndOrderFront();
    }
    // The alert takes the keyboard from our key window, which hears that it resigned and draws as a
    // window in the background; once the alert has closed, that window is key again if it is
    // still on screen.
    struct KeyWindowBehind {
        SimWindowSystem& windows;
        ui::Panel::Weak window;
        ~KeyWindowBehind() {
            ui::Panel* panel = window.get();
            if (panel && !windows.keyPanel() && windows.isOnActiveSpace(*panel) && !windows.isMiniaturized(*panel))
                windows.makeKey(*panel);
        }
    };
    auto& windows = session_.windowSystem();
    ui::Panel* behind = windows.keyPanel();
    KeyWindowBehind giveBack{windows, behind ? behind->weak() : ui::Panel::Weak()};
    if (behind) windows.resignKey();
    auto& script = session_.alertScript;
    if (script.onShow) script.onShow(alert);
    SimAlertAnswer answer("escape");
    std::optional<int> scripted;
    if (!script.answers.empty()) {
        answer = script.answers.front();
        script.answers.pop_front();
        scripted = script.answered++;
    } else if (script.ask) {
        if (auto asked = script.ask(alert)) answer = std::move(*asked);
    }
    size_t chosen = alert.buttons.size();
    for (size_t i = 0; i < alert.buttons.size() && chosen == alert.buttons.size(); ++i) {
        const auto& button = alert.buttons[i];
        if (answer.button == "escape" ? button.keyEquivalent == "\x1b" : button.title == answer.button) chosen = i;
    }
    // Without a button of its own for Escape, the system gives Escape to the one titled "Cancel".
    for (size_t i = 0; i < alert.buttons.size() && chosen == alert.buttons.size() && answer.button == "escape"; ++i)
        if (alert.buttons[i].title == "Cancel") chosen = i;
    if (chosen == alert.buttons.size() && answer.button == "escape" && !alert.buttons.empty()) chosen = 0;
    if (chosen == alert.buttons.size()) {
        // The script cannot go on; the program learns it as an alert nobody answered.
        const std::string where = scripted ? "alertAnswers[" + std::to_string(*scripted) + "]" : "alertAnswers";
        if (!script.error)
            script.error = "The session file is not valid: " + where + " \"" + answer.button +
                           "\" names no button of the alert \"" + alert.messageText + "\".";
        record(alert, {});
        return platform::kModalResponseAbort;
    }
    // The user types first (replacing what the field held), then chooses the button.
    if (answer.text && alert.textField) alert.textField->stringValue = *answer.text;
    record(alert, alert.buttons[chosen].title);
    return platform::kAlertFirstButtonReturn + static_cast<platform::ModalResponse>(chosen);
}

}  // namespace tarnwick::sim
