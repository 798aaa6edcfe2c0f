#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ui/panel.h"
#include "platform/ui/window_system.h"
#include "support/observable.h"
#include "support/value.h"
#include "platform/sim/recent_log.h"

namespace tarnwick::sim {

class SimulatedSession;

// Where a click of the simulated user went.
struct SimClick {
    Point location;  // screen coordinates, y up
    platform::ModifierFlags modifierFlags = 0;
    int clickCount = 1;
    bool rightButton = false;
    platform::ui::Panel* panel = nullptr;  // the panel that took it; nothing: it went past our panels
    platform::ui::View* view = nullptr;    // the view that received the mouse-down, if any
    bool swallowed = false;                // a local monitor of ours kept it from the panel
    // A click past our panels on a desktop's button in Mission Control presses it.
    std::optional<std::pair<std::uint32_t, std::uint64_t>> pressedDesktop;  // display id, space id
    bool wentPastPanels() const { return panel == nullptr; }
};

// Our panels as the simulated window server keeps them: listed in the window list (our
// process, level, frame, alpha) front to back from creation until destruction, ordered by
// level and then by the latest order-front, with the key window, the pointer and the desktop
// each panel is on. Tests find panels here by title, accessibility label or shown text, and
// move the pointer and click as the user: pointer moves feed the views' tracking areas, presses
// pass our local event monitors and go to a panel (press and release), or past our panels to
// the global monitors.
class SimWindowSystem final : public platform::ui::WindowSystem {
public:
    // A desktop: the display's id and the space's.
    using Desktop = std::pair<std::uint32_t, std::uint64_t>;

    explicit SimWindowSystem(SimulatedSession& session) : session_(session) {}
    ~SimWindowSystem() override;

    std::uint32_t panelCreated(platform::ui::Panel& panel) override;
    // A key window destroyed hands the keyboard on, as one closed does, on the next turn.
    void panelDestroyed(platform::ui::Panel& panel) override;
    void panelChanged(platform::ui::Panel& panel) override;
    void orderFront(platform::ui::Panel& panel) override;
    void orderOut(platform::ui::Panel& panel) override;
    void makeKey(platform::ui::Panel& panel) override;
    platform::ui::Panel* keyPanel() override;
    std::vector<platform::ui::Panel*> windows() override { return panels(); }
    Point pointerLocation() override;
    bool isOnActiveSpace(const platform::ui::Panel& panel) override;

    // ---- the system's side
    // Another application took the keyboard: our key window resigns.
    void resignKey();
    // Our application became active again: its last key window takes the keyboard back when it is
    // still on screen and none of ours is key (a click that activated us makes its own window key).
    void applicationActivated();
    // A display shows another desktop now: a key window left behind on the one it showed resigns,
    // and while our application is active and none of ours is key, the frontmost of ours on the
    // desktops shown now that can become key takes over.
    void activeSpaceChanged();
    // A desktop went away: our windows on it move to the one that took its place.
    void desktopRemoved(Desktop removed, std::uint64_t neighbour);
    // The desktop a shown window stays on while another desktop of its display is current: it is
    // on no screen until its desktop is current again. Nothing for a window on screen, one that
    // joins every desktop, or one not shown.
    std::optional<Desktop> desktopElsewhere(const platform::ui::Panel& panel) const;

    // ---- the window list: adds the panels to a list built front to back (each one before the
    // first entry of a lower layer); ordered-out panels only when not on-screen only
    void addToWindowList(Array& list, bool onScreenOnly) const;

    // ---- finding panels (main loop)
    // Every live panel, front to back; ordered-out ones after the shown ones.
    std::vector<platform::ui::Panel*> panels() const;
    std::vector<platform::ui::Panel*> onScreenPanels() const;
    platform::ui::Panel* panelTitled(std::string_view title) const;
    platform::ui::Panel* panelLabelled(std::string_view accessibilityLabel) const;
    // The frontmost shown panel with a visible label showing the text.
    platform::ui::Panel* panelShowing(std::string_view text) const;
    // The shown panels whose screen is the display's.
    std::vector<platform::ui::Panel*> panelsOnDisplay(std::uint32_t displayID) const;
    // The frontmost panel on screen at the point that takes the mouse, or nothing.
    platform::ui::Panel* panelAt(Point location) const;

    // ---- the user's side
    // Moves the pointer; the tracking areas it entered or left tell their owners (those left
    // first), on the panels on screen that take the mouse where the pointer is.
    void movePointer(Point location);
    // A click (press and release) at a screen point with the modifiers given (nothing: those the
    // user holds): the frontmost panel on screen there that does not ignore the mouse takes it
    // after our local monitors passed it (made key and brought forward first, as `focus` does,
    // where it can become key), the press at the view its hit test names and the
    // release at the same view, each the application's current event while it is handled;
    // otherwise it goes past our panels to what lies below (our global monitors hear it later),
    // where a first click on a desktop's button in an open Mission Control presses the button.
    SimClick click(Point location, std::optional<platform::ModifierFlags> modifierFlags = std::nullopt,
                   int clickCount = 1);
    // The same with the right button (never pressing anything in Mission Control, never making a
    // window key).
    SimClick rightClick(Point location, std::optional<platform::ModifierFlags> modifierFlags = std::nullopt,
                        int clickCount = 1);
    // Two clicks at the point within the double-click interval, with the held modifiers: the
    // second one's click count is 2.
    std::pair<SimClick, SimClick> doubleClick(Point location);
    // The user miniaturizes a window to the Dock (it leaves the screen; its delegate and
    // observers hear it) or restores it (our application is activated, the window ordered in,
    // told it left the Dock, and made key); false when the window cannot be miniaturized, or is
    // not (or already) in the Dock.
    bool miniaturize(platform::ui::Panel& panel);
    bool restore(platform::ui::Panel& panel);
    bool isMiniaturized(const platform::ui::Panel& panel) const;
    // The user drags a shown, resizable window's corner to this size, its top left corner
    // staying: the drag stops at the visible frame of the screen that holds the window (its
    // right and bottom edges) and never goes below the window's minimum content size, which
    // wins where the two disagree. Nothing when the window cannot be resized.
    struct Resize {
        Size got;
        bool belowMinimum = false;  // the size asked was below the minimum one way or the other
        // The screen whose visible frame stopped the drag short of the size asked, if one did.
        std::optional<platform::ScreenDescription> stoppedBy;
    };
    std::optional<Resize> resize(platform::ui::Panel& panel, Size size);
    // The user clicks a shown window's close button: false when it has none.
    bool close(platform::ui::Panel& panel);
    // The user clicks into another shown window of ours: our application is activated and the
    // window ordered front and made key; false when it is not shown or cannot become key. A panel
    // that does not activate its application becomes key without activating us. Every left click
    // into a window that can become key does this before the window hears the press.
    bool focus(platform::ui::Panel& panel);
    // The clicks that went past our panels, oldest first.
    const RecentLog<SimClick>& clicksPastPanels() const { return clicksPast_; }
    // Another window covers the panel wholly, or no longer does.
    void setOccluded(platform::ui::Panel& panel, bool occluded);

    // ---- the system's side, for a change of screens
    // Screen coordinates rose by `rise` (the primary screen's height changed): every panel and
    // the pointer move with them, keeping their places on the displays.
    void screenCoordinatesRose(double rise);
    // A pointer left on no screen (its display went away) comes to the nearest point of the
    // nearest one; the tracking areas hear where it is now, among the panels where they are now.
    void keepPointerOnScreens();
    // Shown windows of ours left on no screen (their display went away) move onto the main
    // display, inside its visible frame: where they were on their display's visible frame
    // (`before`: the screens before the change, in the coordinates of now), as far as they fit,
    // keeping their size where it fits and otherwise shrinking to the visible frame (never below
    // their minimum size). The move sends what any move sends.
    void keepWindowsOnScreens(const std::vector<platform::ScreenDescription>& before);

    static constexpr std::uint32_t kFirstWindowNumber = 600000;
    static constexpr const char* kOwnerName = "Tarnwick";

private:
    struct Record {
        platform::ui::Panel* panel = nullptr;
        std::uint32_t number = 0;
        std::string title;
        int level = 0;
        Rect frame;  // screen coordinates, y up
        platform::ui::AlphaAnimation alpha;
        bool shown = false;
        bool miniaturized = false;
        std::uint64_t order = 0;  // larger: ordered front later
        // The desktop it stays on; nothing: not placed on one yet.
        std::optional<Desktop> desktop;
        bool joinsAllSpaces = false;  // as its collection behaviour said when last ordered in
    };
    Record* record(const platform::ui::Panel& panel);
    const Record* record(const platform::ui::Panel& panel) const;
    bool onActiveSpace(const Record& r) const;
    // The active desktop of the display holding most of the frame (the main one's when none does).
    std::optional<Desktop> activeDesktopAt(const Rect& frame) const;
    // The desktop to make current so that the window shows: the one it stays on, where that is
    // not current on its display; nothing when it shows already or joins every desktop.
    std::optional<Desktop> desktopToShow(const Record& r) const;
    // Makes the window's desktop current where it is not, as the system does for a window of the
    // active application brought forward: the user's switch, with its notification.
    void showDesktopOf(const platform::ui::Panel& panel);
    // Our application comes to the front for a click or the Dock that makes this window key:
    // its last key window is not given the keyboard back on the way.
    void activateFor(platform::ui::Panel& panel);
    SimClick press(Point location, std::optional<platform::ModifierFlags> modifierFlags, int clickCount, bool right);
    // Tells the owners of the tracking areas the pointer entered or left.
    void updateTracking();
    std::optional<Desktop> desktopButtonAt(Point location) const;
    // Records front to back.
    std::vector<const Record*> ordered() const;
    // The window that becomes key when the key window leaves the screen: the frontmost shown one
    // of ours on the active desktop that can become key, while our application is active.
    platform::ui::Panel* nextKeyWindow() const;

    SimulatedSession& session_;
    std::vector<Record> records_;
    std::uint32_t nextNumber_ = kFirstWindowNumber;
    std::uint64_t nextOrder_ = 1;
    std::optional<std::uint32_t> key_;
    // The window that was key last, which takes the keyboard back when our application returns.
    std::optional<std::uint32_t> lastKey_;
    bool activatingForAWindow_ = false;
    Point pointer_;
    RecentLog<SimClick> clicksPast_;
    LifetimeToken lifetime_;  // last: work posted for later ends with the window system

    friend class SimulatedSession;  // reads the pointer from the session file
};

}  // namespace tarnwick::sim
