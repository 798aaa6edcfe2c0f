#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "platform/ui/menu.h"

namespace tarnwick::sim {

class SimulatedSession;

// Open menus as the simulated system tracks them: at most one at a time. Popping one up opens
// it and returns; the user then chooses a row or dismisses it. Tests see which menu is open and
// where, and may make the system lose an open menu without it ever reporting that it closed.
class SimMenus final : public platform::ui::MenuTracking {
public:
    explicit SimMenus(SimulatedSession& session) : session_(session) {}
    ~SimMenus() override;

    void menuCreated(platform::ui::Menu& menu) override;
    void popUp(platform::ui::Menu& menu, Point location) override;
    void cancelTracking(platform::ui::Menu& menu) override;
    void menuDestroyed(platform::ui::Menu& menu) override;

    // ---- what tests see
    platform::ui::Menu* openMenu() const { return open_; }
    int popUps() const { return popUps_; }
    int cancelledTrackings() const { return cancels_; }

    // ---- the user's side
    // Chooses the open menu's visible, enabled row with the title: the menu closes, then the
    // row's action runs. False when no menu is open or it shows no such row (a separator or a
    // disabled row cannot be chosen).
    bool choose(std::string_view title);
    // The same for a row of a submenu: the open menu's row leading to the submenu (visible and
    // enabled) opens it, which enables its rows, and the row is chosen there.
    bool choose(std::string_view submenuTitle, std::string_view title);
    // Closes the open menu without choosing anything (a click elsewhere, Escape).
    void dismiss();
    // ---- the system's side
    // The open menu goes away without reporting that it closed (as when it is removed while open).
    void loseTracking();

private:
    void close(platform::ui::Menu& menu);
    // The menu's visible, enabled row with the title, or nothing.
    static std::shared_ptr<platform::ui::MenuItem> choosable(const platform::ui::Menu& menu, std::string_view title);

    SimulatedSession& session_;
    std::vector<platform::ui::Menu*> menus_;
    platform::ui::Menu* open_ = nullptr;
    int popUps_ = 0;
    int cancels_ = 0;
};

}  // namespace tarnwick::sim
