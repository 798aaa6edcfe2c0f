#include "platform/sim/console/screen_state.h"

#include <algorithm>

#include "platform/sim/capture/mission_control_layout.h"
#include "platform/sim/simulated_session.h"
#include "platform/sim/ui/sim_menu_layout.h"
#include "platform/sim/ui/sim_menus.h"
#include "platform/sim/ui/sim_status_bar.h"
#include "platform/sim/ui/sim_window_system.h"
#include "platform/ui/menu.h"
#include "platform/ui/status_item.h"

namespace tarnwick::sim {

GlobalSpace GlobalSpace::of(const SimulatedSession& session) {
    return GlobalSpace{session.primaryHeight()};
}

std::string desktopTitle(const std::map<std::uint64_t, int>& numbers, const SimSpace& space) {
    if (auto number = numbers.find(space.id64); number != numbers.end()) return "Desktop " + std::to_string(number->second);
    return space.fullScreenTitle;
}

platform::ui::StatusItem* shownStatusItem(SimulatedSession& session) {
    auto& bar = session.statusBar();
    for (auto* item : bar.items())
        if (bar.buttonFrame(*item) && item->window().isVisible()) return item;
    return nullptr;
}

std::vector<std::string> visibleRows(const platform::ui::Menu& menu) {
    std::vector<std::string> rows;
    for (const auto& item : menu.items)
        if (item && !item->isHidden && !item->isSeparatorItem()) rows.push_back(item->title);
    return rows;
}

namespace {
ShownMenuRow shownRow(const platform::ui::MenuItem& item, bool enabled) {
    return {item.title, SimMenuLayout::shownKeyEquivalent(item), enabled, item.state == platform::ui::ControlState::on};
}
}  // namespace

std::vector<ShownMenuRow> shownRows(const platform::ui::Menu& menu) {
    std::vector<ShownMenuRow> rows;
    for (const auto& item : menu.items)
        if (item && !item->isHidden && !item->isSeparatorItem()) rows.push_back(shownRow(*item, item->isEnabled));
    return rows;
}

std::vector<ShownMenuRow> shownSubmenuRows(const platform::ui::Menu& submenu) {
    std::vector<ShownMenuRow> rows;
    for (const auto& item : submenu.items)
        if (item && !item->isHidden && !item->isSeparatorItem())
            rows.push_back(shownRow(*item, SimMenuLayout::enabledWhenOpened(submenu, *item)));
    return rows;
}

std::optional<WindowElsewhere> windowElsewhere(SimulatedSession& session, platform::ui::Panel& panel) {
    auto guard = session.lock();
    const auto desktop = session.windowSystem().desktopElsewhere(panel);
    if (!desktop) return std::nullopt;
    WindowElsewhere away{panel.windowNumber(), panel.title(), desktop->first, {}, std::nullopt, &panel};
    const auto numbers = MissionControlLayout::desktopNumbers(session);
    if (const SimDisplay* d = session.display(desktop->first))
        for (const auto& s : d->spaces)
            if (s.id64 == desktop->second) away.desktop = desktopTitle(numbers, s);
    if (auto number = numbers.find(desktop->second); number != numbers.end()) away.desktopNumber = number->second;
    return away;
}

ScreenState readScreen(SimulatedSession& session, const platform::Alert* openAlert) {
    auto guard = session.lock();
    ScreenState state;
    const auto numbers = MissionControlLayout::desktopNumbers(session);
    const GlobalSpace space = GlobalSpace::of(session);
    for (std::uint32_t id : session.orderedScreens()) {
        const SimDisplay* d = session.display(id);
        if (!d) continue;
        ShownDisplay shown{d->id, d->name, d->bounds, d->currentSpace, {}, {}};
        for (const auto& s : d->spaces) {
            shown.desktops.push_back(desktopTitle(numbers, s));
            if (s.id64 == d->currentSpace) shown.currentTitle = shown.desktops.back();
        }
        state.displays.push_back(std::move(shown));
    }
    state.missionControlOpen = session.missionControlOpen;
    state.spacesBarExpanded = session.spacesBarExpanded;
    auto& windows = session.windowSystem();
    // The status item's window is the item, reported on its own.
    std::vector<const platform::ui::Panel*> statusWindows;
    for (auto* item : session.statusBar().items()) statusWindows.push_back(&item->window());
    if (auto* item = shownStatusItem(session)) {
        const auto button = item->button();
        state.statusItem = ShownStatusItem{space.toGlobal(*session.statusBar().buttonFrame(*item)),
                                           button->toolTip.value_or(""), item->window().windowNumber(),
                                           button->symbolName.value_or("")};
    }
    if (const platform::ui::Menu* menu = session.menus().openMenu()) {
        // Where the system shows it, which may lie left of or above where it was popped up.
        const Rect frame = space.toGlobal(session.menus().openFrame().value_or(Rect()));
        state.menu = ShownMenu{menu->title, frame.origin, shownRows(*menu), {}};
        for (const auto& item : menu->items)
            if (item && !item->isHidden && item->submenu)
                state.menu->submenus.emplace_back(item->title, shownSubmenuRows(*item->submenu));
    }
    // A modal alert takes the keyboard from the window behind it.
    state.alertKey = openAlert && session.ownApplicationActive();
    const platform::ui::Panel* key = openAlert ? nullptr : windows.keyPanel();
    for (auto* panel : windows.panels()) {
        if (std::find(statusWindows.begin(), statusWindows.end(), panel) != statusWindows.end()) continue;
        if (windows.isMiniaturized(*panel)) state.miniaturized.emplace_back(panel->windowNumber(), panel->title());
        if (!panel->isVisible()) continue;
        if (auto away = windowElsewhere(session, *panel)) {
            state.elsewhere.push_back(std::move(*away));
            continue;
        }
        state.windows.push_back(ShownWindow{panel->windowNumber(), panel->title(), space.toGlobal(panel->frame()),
                                            panel->level(), panel->alphaValue(), panel == key, panel->shownTexts(),
                                            panel});
    }
    state.pointer = space.toGlobal(windows.pointerLocation());
    state.loginSession = session.loginSession;
    state.urlsOpened = session.openedURLs.total();
    state.filesRevealed = session.launchServices.revealedInFinder.total();
    state.applicationsOpened = session.launchServices.requests.total();
    return state;
}

}  // namespace tarnwick::sim
