#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ui/panel.h"
#include "platform/ui/window_system.h"
#include "support/value.h"

namespace tarnwick::sim {

class SimulatedSession;

// Where a click of the simulated user went.
struct SimClick {
    Point location;  // screen coordinates, y up
    platform::ModifierFlags modifierFlags = 0;
    int clickCount = 1;
    platform::ui::Panel* panel = nullptr;  // the panel that took it; nothing: it went past our panels
    platform::ui::View* view = nullptr;    // the view that received the mouse-down, if any
    // A click past our panels on a desktop's button in Mission Control presses it.
    std::optional<std::pair<std::uint32_t, std::uint64_t>> pressedDesktop;  // display id, space id
    bool wentPastPanels() const { return panel == nullptr; }
};

// Our panels as the simulated window server keeps them: listed in the window list (our
// process, level, frame, alpha) front to back from creation until destruction, ordered by
// level and then by the latest order-front, with the key window and the pointer. Tests find
// panels here by title, accessibility label or shown text, and click as the user.
class SimWindowSystem final : public platform::ui::WindowSystem {
public:
    explicit SimWindowSystem(SimulatedSession& session) : session_(session) {}
    ~SimWindowSystem() override;

    std::uint32_t panelCreated(platform::ui::Panel& panel) override;
    void panelDestroyed(platform::ui::Panel& panel) override;
    void panelChanged(platform::ui::Panel& panel) override;
    void orderFront(platform::ui::Panel& panel) override;
    void orderOut(platform::ui::Panel& panel) override;
    void makeKey(platform::ui::Panel& panel) override;
    platform::ui::Panel* keyPanel() override;
    Point pointerLocation() override;

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

    // ---- the user's side
    void movePointer(Point location);
    // A mouse-down at a screen point with the modifiers given (nothing: those the user holds):
    // the frontmost shown panel there that does not ignore the mouse takes it, at the view its
    // hit test names; otherwise it goes past our panels to what lies below, where a first click
    // on a desktop's button in an open Mission Control presses the button.
    SimClick click(Point location, std::optional<platform::ModifierFlags> modifierFlags = std::nullopt,
                   int clickCount = 1);
    // Two clicks at the point within the double-click interval, with the held modifiers: the
    // second one's click count is 2.
    std::pair<SimClick, SimClick> doubleClick(Point location);
    // The clicks that went past our panels, oldest first.
    const std::vector<SimClick>& clicksPastPanels() const { return clicksPast_; }

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
        std::uint64_t order = 0;  // larger: ordered front later
    };
    Record* record(const platform::ui::Panel& panel);
    std::optional<std::pair<std::uint32_t, std::uint64_t>> desktopButtonAt(Point location) const;
    // Records front to back.
    std::vector<const Record*> ordered() const;

    SimulatedSession& session_;
    std::vector<Record> records_;
    std::uint32_t nextNumber_ = kFirstWindowNumber;
    std::uint64_t nextOrder_ = 1;
    std::optional<std::uint32_t> key_;
    Point pointer_;
    std::vector<SimClick> clicksPast_;

    friend class SimulatedSession;  // reads the pointer from the session file
};

}  // namespace tarnwick::sim
