#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/sim/session_state.h"
#include "support/geometry.h"

namespace tarnwick::platform {
class Alert;
}  // namespace tarnwick::platform

namespace tarnwick::platform::ui {
class Menu;
class Panel;
class StatusItem;
}  // namespace tarnwick::platform::ui

namespace tarnwick::sim {

class SimulatedSession;

// The console's coordinates are global points: origin at the top left of the main display,
// y down, as display bounds are in a session file. Our panels keep screen coordinates (origin at
// the bottom left of the primary screen, y up); this converts between the two.
struct GlobalSpace {
    double primaryHeight = 0;

    static GlobalSpace of(const SimulatedSession& session);
    Rect toGlobal(const Rect& screen) const {
        return Rect(screen.minX(), primaryHeight - screen.maxY(), screen.width(), screen.height());
    }
    Rect toScreen(const Rect& global) const {
        return Rect(global.minX(), primaryHeight - global.maxY(), global.width(), global.height());
    }
    Point toGlobal(Point screen) const { return Point{screen.x, primaryHeight - screen.y}; }
    Point toScreen(Point global) const { return Point{global.x, primaryHeight - global.y}; }
};

// "Desktop N" as Mission Control numbers the ordinary desktops, or a full-screen space's title.
std::string desktopTitle(const std::map<std::uint64_t, int>& numbers, const SimSpace& space);

struct ShownDisplay {
    std::uint32_t id = 0;
    std::string name;
    Rect bounds;  // global
    std::uint64_t currentSpace = 0;
    std::string currentTitle;
    std::vector<std::string> desktops;  // titles, in order
};

// One of our windows on screen.
struct ShownWindow {
    std::uint32_t number = 0;
    std::string title;
    Rect frame;  // global
    int level = 0;
    double alpha = 1;
    bool key = false;
    std::vector<std::string> texts;
    platform::ui::Panel* panel = nullptr;  // valid while the state is fresh (main loop)
};

// One of our windows shown on a desktop that is not current on its display: it is on no screen
// until that desktop is, so what it shows is not known here.
struct WindowElsewhere {
    std::uint32_t number = 0;
    std::string title;
    std::uint32_t displayID = 0;
    std::string desktop;                  // its desktop's title, "Desktop N" or a full-screen space's
    std::optional<int> desktopNumber;     // N of "Desktop N", which `switch` takes
    platform::ui::Panel* panel = nullptr;  // valid while the state is fresh (main loop)
};

// The window as WindowElsewhere says it, when it is shown on a desktop that is not current.
std::optional<WindowElsewhere> windowElsewhere(SimulatedSession& session, platform::ui::Panel& panel);

// Our status item in the menu bar, while its button is in a shown window.
struct ShownStatusItem {
    Rect frame;  // global, the button's
    std::string toolTip;
    std::uint32_t windowNumber = 0;
    std::string symbolName;  // the system symbol its button shows; empty: none

    bool operator==(const ShownStatusItem&) const = default;
};

// A row of a menu as the user sees it: its title, the key equivalent beside it, and whether it
// can be chosen (a disabled row shows dimmed).
struct ShownMenuRow {
    std::string title;
    std::string keyEquivalent;  // as the menu shows it ("⌘Q"); empty: none
    bool enabled = true;
    bool checked = false;  // its state is on: a pop-up's chosen option, a switched-on row

    bool operator==(const ShownMenuRow&) const = default;
};

// The open menu: where it hangs from and the rows it shows (hidden ones left out).
struct ShownMenu {
    std::string title;
    Point location;  // global, its top left
    std::vector<ShownMenuRow> rows;
    // The visible rows of each visible row's submenu, by its title (`screen` lists them; they
    // show when the pointer rests on their row, enabled as they are then).
    std::vector<std::pair<std::string, std::vector<ShownMenuRow>>> submenus;

    bool operator==(const ShownMenu&) const = default;
};

// The status item the user can point at: the first of ours whose button is in a shown window.
platform::ui::StatusItem* shownStatusItem(SimulatedSession& session);

// The titles of the rows of a menu the user sees, in order.
std::vector<std::string> visibleRows(const platform::ui::Menu& menu);
// The rows of an open menu the user sees, enabled as the menu was last updated.
std::vector<ShownMenuRow> shownRows(const platform::ui::Menu& menu);
// The rows of a submenu of an open menu, enabled as they will be when it opens: the system
// validates a submenu's rows as it shows them.
std::vector<ShownMenuRow> shownSubmenuRows(const platform::ui::Menu& submenu);

// What the simulated user sees now, as far as the console reports it.
struct ScreenState {
    std::vector<ShownDisplay> displays;
    bool missionControlOpen = false;
    bool spacesBarExpanded = false;
    std::optional<ShownStatusItem> statusItem;
    std::optional<ShownMenu> menu;
    std::vector<ShownWindow> windows;  // on screen, front to back, the status item's window left out
    std::vector<WindowElsewhere> elsewhere;  // shown on desktops not current, front to back
    std::vector<std::pair<std::uint32_t, std::string>> miniaturized;  // in the Dock: number, title
    // An open alert is key, not the window behind it (while our application is active).
    bool alertKey = false;
    Point pointer;  // global
    SimLoginSession loginSession;
    // How many URLs were opened, files revealed and applications opened, ever.
    std::size_t urlsOpened = 0;
    std::size_t filesRevealed = 0;
    std::size_t applicationsOpened = 0;
};

// Reads the screen now (main loop), with the alert that is open, if any.
ScreenState readScreen(SimulatedSession& session, const platform::Alert* openAlert = nullptr);

}  // namespace tarnwick::sim
