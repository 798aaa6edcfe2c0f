#include "overlays/mission_control_application_panels.h"

#include <algorithm>
#include <functional>
#include <set>
#include <utility>

#include "overlays/mission_control_application_layout.h"
#include "platform/platform.h"
#include "platform/ui/screens.h"
#include "support/text.h"

namespace tarnwick {

MissionControlApplicationPanels::MissionControlApplicationPanels(ScreenList screens, PanelFactory makePanel)
    : screens_(screens ? std::move(screens) : ScreenList(systemScreens)),
      makePanel_(makePanel ? std::move(makePanel)
                           : PanelFactory([] { return std::make_unique<MissionControlApplicationPanel>(); })) {}

std::vector<MissionControlApplicationPanels::Screen> MissionControlApplicationPanels::systemScreens() {
    auto& displays = *platform::current().displays;
    std::vector<Screen> screens;
    for (const auto& screen : platform::ui::screens()) {
        std::optional<std::string> id;
        if (const auto number = platform::ui::displayID(screen))
            if (auto uuid = displays.uuidString(*number)) id = text::uppercased(*uuid);
        screens.push_back(Screen{std::move(id), screen.frame});
    }
    return screens;
}

MissionControlApplicationPanels::Identity MissionControlApplicationPanels::identity(const SpaceNavigationTarget& target) {
    return Identity{text::uppercased(target.monitorID), target.desktopID, target.spaceID};
}

const MissionControlApplicationPanel* MissionControlApplicationPanels::panel(const SpaceNavigationTarget& target) const {
    const auto found = panels_.find(identity(target));
    return found == panels_.end() ? nullptr : found->second.get();
}

void MissionControlApplicationPanels::render(const std::vector<MissionControlApplicationPresentation>& presentations) {
    struct Planned {
        Identity identity;
        const MissionControlApplicationPresentation* presentation;
        Rect frame;
    };
    std::vector<Planned> plan;
    // The identities of the plan, for finding them among many.
    std::set<std::reference_wrapper<const Identity>, std::less<Identity>> planned;
    const std::vector<Screen> screens = presentations.empty() ? std::vector<Screen>() : screens_();
    if (!screens.empty()) {
        const double primaryTop = screens.front().frame.maxY();
        plan.reserve(presentations.size());  // `planned` refers into it
        for (const auto& presentation : presentations) {
            Identity id = identity(presentation.target);
            const auto screen = std::find_if(screens.begin(), screens.end(),
                                             [&](const Screen& s) { return s.id == id.monitorID; });
            if (screen == screens.end()) continue;
            const auto frame = MissionControlApplicationLayout::appKitFrame(presentation.frame, primaryTop);
            // A strip that would stick out of its display is left out, as is a desktop's second one.
            if (!frame || !screen->frame.contains(*frame) || planned.count(id)) continue;
            plan.push_back(Planned{std::move(id), &presentation, *frame});
            planned.insert(plan.back().identity);
        }
    }

    for (auto it = panels_.begin(); it != panels_.end();) {
        if (planned.count(it->first)) {
            ++it;
            continue;
        }
        auto panel = std::move(it->second);
        it = panels_.erase(it);
        panel->releasePresentation();
        if (idlePanels_.size() < idleCapacity) idlePanels_.push_back(std::move(panel));
    }

    for (const auto& entry : plan) {
        auto& panel = panels_[entry.identity];
        if (!panel && !idlePanels_.empty()) {
            panel = std::move(idlePanels_.back());
            idlePanels_.pop_back();
        }
        if (!panel) panel = makePanel_();
        if (!panel) {
            panels_.erase(entry.identity);
            continue;
        }
        panel->show(*entry.presentation, entry.frame);
    }
}

}  // namespace tarnwick
