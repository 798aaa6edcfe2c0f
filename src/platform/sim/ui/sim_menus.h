#pragma once

#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/menu.h"

namespace tarnwick::sim {

class SimulatedSession;

// One row of a menu as the user sees it, for tests to compare.
struct SimMenuRow {
    std::string title;
    bool separator = false;
    bool hidden = false;
    bool enabled = true;
    std::string keyEquivalent;
    platform::ModifierFlags modifiers = 0;  // of the key equivalent
    platform::ui::ControlState state = platform::ui::ControlState::off;
    std::optional<std::string> symbolName;
    std::optional<std::string> toolTip;
    std::vector<SimMenuRow> submenu;  // the rows of its submenu, if it has one
    bool hasSubmenu = false;
};

// The system's menus: open menus as the simulated system tracks them (at most one at a time)
// and the application's main menu. Popping one up opens it and returns; the user then chooses a
// row, through submenus by a path of titles, or dismisses it. Tests see which menu is open and
// where, read every row, and may make the system lose an open menu without it ever reporting
// that it closed.
class SimMenus final : public platform::ui::MenuTracking {
public:
    explicit SimMenus(SimulatedSession& session) : session_(session) {}
    ~SimMenus() override;

    void menuCreated(platform::ui::Menu& menu) override;
    void popUp(platform::ui::Menu& menu, Point location) override;
    void cancelTracking(platform::ui::Menu& menu) override;
    void menuDestroyed(platform::ui::Menu& menu) override;
    void setMainMenu(std::shared_ptr<platform::ui::Menu> menu) override;
    std::shared_ptr<platform::ui::Menu> mainMenu() override;

    // ---- what tests see
    platform::ui::Menu* openMenu() const { return open_; }
    // Where the open menu shows (screen coordinates): laid out from its rows as they are now,
    // hanging from where it was popped up and kept on the screen that holds that point
    // (SimMenuLayout). Nothing while no menu is open.
    std::optional<Rect> openFrame() const;
    int popUps() const { return popUps_; }
    int cancelledTrackings() const { return cancels_; }
    // The rows as shown (submenus too); enabling is as it was last updated.
    static std::vector<SimMenuRow> rows(const platform::ui::Menu& menu);

    // ---- the user's side
    // Chooses the open menu's visible, enabled row with the title, or the row at the end of a
    // path of titles through submenus (each submenu is updated as it opens): the menu closes,
    // then the row's action runs. False when no menu is open or it shows no such row.
    bool choose(std::string_view title);
    bool choose(std::initializer_list<std::string_view> path);
    bool choose(const std::vector<std::string>& path);
    // A row of a submenu of the open menu.
    bool choose(std::string_view submenuTitle, std::string_view title) { return choose({submenuTitle, title}); }
    // Chooses the open menu's visible, enabled row (a submenu's too) whose key equivalent the
    // press is, as a menu being tracked takes its rows' key equivalents; false when no menu is
    // open or no row has it.
    bool chooseByKeyEquivalent(const platform::KeyEvent& press);
    // Chooses a row of the main menu from the menu bar ({"Edit", "Copy"}); false when there is
    // no main menu or no such visible, enabled row.
    bool chooseFromMenuBar(const std::vector<std::string>& path);
    // Closes the open menu without choosing anything (a click elsewhere, Escape).
    void dismiss();
    // ---- the system's side
    // The open menu goes away without reporting that it closed (as when it is removed while open).
    void loseTracking();

private:
    void close(platform::ui::Menu& menu);
    // The row at the end of the path, updating each submenu on the way; nothing when a row is
    // missing, hidden or disabled.
    static std::shared_ptr<platform::ui::MenuItem> reach(platform::ui::Menu& menu, const std::vector<std::string>& path);

    SimulatedSession& session_;
    std::vector<platform::ui::Menu*> menus_;
    platform::ui::Menu* open_ = nullptr;
    std::shared_ptr<platform::ui::Menu> mainMenu_;
    int popUps_ = 0;
    int cancels_ = 0;
};

}  // namespace tarnwick::sim
