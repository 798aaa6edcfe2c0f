#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/displays.h"
#include "support/geometry.h"

namespace tarnwick::platform {

using ModalResponse = long;
inline constexpr ModalResponse kAlertFirstButtonReturn = 1000;
inline constexpr ModalResponse kAlertSecondButtonReturn = 1001;
inline constexpr ModalResponse kAlertThirdButtonReturn = 1002;
// The modal session was aborted: no button was chosen.
inline constexpr ModalResponse kModalResponseAbort = -1001;

enum class AlertStyle { warning, informational, critical };

struct AlertButton {
    std::string title;
    std::string keyEquivalent;  // "\x1b": the Escape key chooses this button
};

// A one-line text field shown in an alert under its texts (its accessory view). Running the
// alert leaves what the user typed in `stringValue`.
struct AlertTextField {
    std::string stringValue;
    std::string placeholderString;
    std::string accessibilityLabel;
    Rect frame{0, 0, 280, 24};
    // The field takes the keyboard when the alert's window shows.
    bool isInitialFirstResponder = false;
};

// The window of an alert: sized by the alert's layout, placed by its owner. Frames are in screen
// coordinates (origin at the bottom left of the primary screen, y up).
class AlertWindow {
public:
    const Rect& frame() const { return frame_; }
    void setFrameOrigin(Point origin) { frame_.origin = origin; }
    void setContentSize(Size size) { frame_.size = size; }
    // The screen that holds most of the window; nothing when it lies on none.
    std::optional<ScreenDescription> screen() const;
    void makeKeyAndOrderFront() { keyAndFront_ = true; }
    bool isKeyAndFront() const { return keyAndFront_; }

private:
    Rect frame_;
    bool keyAndFront_ = false;
};

// A modal alert: its texts, buttons, an optional text field, and its window, which stays with the
// alert from one showing to the next. Main loop only.
class Alert {
public:
    AlertStyle style = AlertStyle::warning;
    std::string messageText;
    std::string informativeText;
    std::optional<std::filesystem::path> iconOfFile;  // the alert shows this file's icon
    std::vector<AlertButton> buttons;
    std::optional<AlertTextField> textField;

    AlertWindow& window() { return window_; }
    const AlertWindow& window() const { return window_; }
    // Sizes the window for what the alert shows now; its origin stays.
    void layout();
    // Shows the alert and waits for the user's choice (see Alerts::runModal).
    ModalResponse runModal();

private:
    AlertWindow window_;
};

// Modal alerts: running one waits for the user's choice.
class Alerts {
public:
    virtual ~Alerts() = default;
    // kAlertFirstButtonReturn plus the index of the chosen button, or kModalResponseAbort. The
    // alert's text field, if any, holds what the user typed.
    virtual ModalResponse runModal(Alert& alert) = 0;
    // The size of the alert's window for what it shows.
    virtual Size layoutSize(const Alert& alert) = 0;
};

}  // namespace tarnwick::platform
