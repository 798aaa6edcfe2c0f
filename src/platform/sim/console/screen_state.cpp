#include "platform/sim/console/screen_state.h"

#include "platform/sim/capture/mission_control_layout.h"
#include "platform/sim/simulated_session.h"
#include "platform/sim/ui/sim_window_system.h"

namespace tarnwick::sim {

GlobalSpace GlobalSpace::of(const SimulatedSession& session) {
    const auto screens = session.orderedScreens();
    const SimDisplay* primary = screens.empty() ? nullptr : session.display(screens.front());
    return GlobalSpace{primary ? primary->bounds.height() : 0};
}

std::string desktopTitle(const std::map<std::uint64_t, int>& numbers, const SimSpace& space) {
    if (auto number = numbers.find(space.id64); number != numbers.end()) return "Desktop " + std::to_string(number->second);
    return space.fullScreenTitle;
}

ScreenState readScreen(SimulatedSession& session) {
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
    const platform::ui::Panel* key = windows.keyPanel();
    for (auto* panel : windows.panels()) {
        if (windows.isMiniaturized(*panel)) state.miniaturized.push_back(panel->windowNumber());
        if (!panel->isVisible()) continue;
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
