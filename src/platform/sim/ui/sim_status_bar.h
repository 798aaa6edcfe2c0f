#pragma once

#include <optional>
#include <vector>

#include "platform/events.h"
#include "platform/ui/status_item.h"
#include "support/geometry.h"

namespace tarnwick::sim {

class SimulatedSession;

// The menu bar of the primary screen with our status items, right to left in order of making,
// each as wide as its length (a square one as the menu bar is thick). When the screens change,
// the menu bar and its items move to the screen that is primary now. Tests find an item's
// button on screen and act as the user and the system: hover and click it through the window
// system, work it from the keyboard, and move, cover, hide or close its window.
class SimStatusBar final : public platform::ui::StatusBar {
public:
    explicit SimStatusBar(SimulatedSession& session) : session_(session) {}
    ~SimStatusBar() override;

    Rect statusItemCreated(platform::ui::StatusItem& item) override;
    void statusItemDestroyed(platform::ui::StatusItem& item) override;
    bool givesItemsButtons() override { return itemsGetButtons; }

    // False: new items come without a button (the session file's "statusBar.buttons").
    bool itemsGetButtons = true;

    // ---- what tests see
    const std::vector<platform::ui::StatusItem*>& items() const { return items_; }
    // The button's frame in screen coordinates (the anchor the overview hangs from); nothing
    // without a button in a window.
    std::optional<Rect> buttonFrame(const platform::ui::StatusItem& item) const;
    // The middle of the button, where the user points and clicks.
    Point buttonCentre(const platform::ui::StatusItem& item) const;

    // ---- the user's side
    // Works the button from the keyboard: its action runs with a key event of that type as the
    // current event (nothing: with no current event at all).
    void pressFromKeyboard(platform::ui::StatusItem& item, std::optional<int> eventType = platform::ui::event_type::kKeyDown,
                           platform::ModifierFlags modifiers = 0);
    // ---- the system's side
    // The screens changed: every item goes to its place in the primary screen's menu bar (they
    // stay where they are while there is no screen).
    void placeItems();
    // ---- the system's side, for the item's window
    void moveWindow(platform::ui::StatusItem& item, Point origin);
    void setOccluded(platform::ui::StatusItem& item, bool occluded);
    void hideWindow(platform::ui::StatusItem& item);
    void closeWindow(platform::ui::StatusItem& item);

    // How far the first item keeps from the right end of the menu bar.
    static constexpr double kRightMargin = 8;

private:
    // The frames of the items' windows in the primary screen's menu bar, right to left.
    std::vector<Rect> menuBarFrames(const std::vector<platform::ui::StatusItem*>& items) const;

    SimulatedSession& session_;
    std::vector<platform::ui::StatusItem*> items_;
};

}  // namespace tarnwick::sim
