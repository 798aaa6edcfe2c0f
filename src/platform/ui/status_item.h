#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/events.h"
#include "platform/ui/panel.h"
#include "platform/ui/view.h"

namespace tarnwick::platform::ui {

class StatusItem;

namespace window_level {
inline constexpr int kStatus = 25;
}  // namespace window_level

// The button of a status item, in the status item's window in the menu bar. It sends its action
// when released with a mouse button it acts on (left by default), or when worked from the
// keyboard; the event that caused it is the application's current event meanwhile.
class StatusBarButton : public View {
public:
    using View::View;

    // The target's action; nothing: the button does nothing.
    std::function<void()> action;
    // The mouse releases that send the action (event_mask bits).
    void sendActionOn(EventMask mask) { actsOn_ = mask; }
    EventMask actsOn() const { return actsOn_; }

    // ---- what it shows
    std::optional<std::string> symbolName;  // a system symbol image
    // What assistive software reads for the image.
    std::optional<std::string> accessibilityDescription;
    std::optional<std::string> toolTip;

    // The press is the status window's, never a first click refused.
    bool acceptsFirstMouse(const MouseEvent&) override { return true; }
    void mouseDown(const MouseEvent&) override {}
    void mouseUp(const MouseEvent& event) override;
    void rightMouseDown(const MouseEvent&) override {}
    void rightMouseUp(const MouseEvent& event) override;
    // Worked from the keyboard (or by assistive software): sends the action.
    void performClick();

    // How often the action was sent.
    int actionsSent() const { return actionsSent_; }

private:
    void sendAction();
    EventMask actsOn_ = event_mask::kLeftMouseUp;
    int actionsSent_ = 0;
};

// Places status items in the menu bar of the primary screen, right to left in order of making.
class StatusBar {
public:
    virtual ~StatusBar() = default;
    // A new item; returns the frame of its window (screen coordinates, y up).
    virtual Rect statusItemCreated(StatusItem& item) = 0;
    virtual void statusItemDestroyed(StatusItem& item) = 0;
    // Whether a new item gets a button; the system may give it none.
    virtual bool givesItemsButtons() = 0;
};

// One item in the menu bar: a button in a window of its own (level kStatus, on every desktop).
// The system may take the button out of its window or do away with it, so holders keep it
// weakly. Main loop only.
class StatusItem {
public:
    // A square item is as wide as the menu bar is thick.
    static constexpr double kSquareLength = -2;
    static constexpr double kVariableLength = -1;

    // An item of the length (a width in points, or one of the two above); it may come without a
    // button when the system gives none.
    explicit StatusItem(double length = kSquareLength);
    ~StatusItem();
    StatusItem(const StatusItem&) = delete;
    StatusItem& operator=(const StatusItem&) = delete;

    double length() const { return length_; }
    // Nothing once the system did away with it.
    std::shared_ptr<StatusBarButton> button() const { return button_; }
    Panel& window() const { return *window_; }

    // ---- the system's side
    // The button leaves its window (it stays, without a window).
    void takeButtonOutOfWindow();
    // The item lets go of its button.
    void discardButton();
    // The status bar forgets this item (it is going away first).
    void detachFromStatusBar() { bar_ = nullptr; }

private:
    StatusBar* bar_;
    double length_;
    std::unique_ptr<Panel> window_;
    std::shared_ptr<StatusBarButton> button_;
};

// The installed platform's status bar.
StatusBar& statusBar();

}  // namespace tarnwick::platform::ui
