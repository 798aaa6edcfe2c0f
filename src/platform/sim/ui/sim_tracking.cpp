// The pointer's moves fed to the tracking areas of our views.

#include <memory>
#include <vector>

#include "platform/sim/simulated_session.h"
#include "platform/sim/ui/sim_window_system.h"

namespace tarnwick::sim {

namespace ui = platform::ui;
namespace options = ui::tracking_options;

namespace {

struct Crossing {
    std::shared_ptr<ui::TrackingArea> area;
    Point locationInWindow;
};

}  // namespace

void SimWindowSystem::updateTracking() {
    const Point pointer = pointerLocation();
    ui::Panel* front = panelAt(pointer);
    const bool ownActive = session_.frontmostPID == session_.system().processID;
    std::vector<Crossing> exits, entries;
    for (ui::Panel* panel : panels()) {
        const auto& content = panel->contentView();
        if (!content) continue;
        const bool live = panel->isOnActiveSpace();
        for (ui::View* view : content->descendants()) {
            for (const auto& area : view->trackingAreas()) {
                const unsigned o = area->options();
                const bool active = (o & options::kActiveAlways) || ((o & options::kActiveInActiveApp) && ownActive) ||
                                    ((o & options::kActiveInKeyWindow) && panel->isKeyWindow()) ||
                                    !(o & (options::kActiveAlways | options::kActiveInActiveApp | options::kActiveInKeyWindow));
                if (!live || !active || view->isHiddenOrHasHiddenAncestor()) {
                    // An area that stopped working forgets the pointer without a word.
                    area->pointerInside = false;
                    continue;
                }
                const Rect local = (o & options::kInVisibleRect) ? view->visibleRect() : area->rect();
                const Rect inScreen = panel->convertToScreen(view->convertToWindow(local));
                const bool inside = panel == front && inScreen.contains(pointer);
                if (inside == area->pointerInside) continue;
                area->pointerInside = inside;
                const Point inWindow{pointer.x - panel->frame().origin.x, pointer.y - panel->frame().origin.y};
                (inside ? entries : exits).push_back(Crossing{area, inWindow});
            }
        }
    }
    // Leaving first, so a move from one area into another ends in the second.
    const auto tell = [](const Crossing& crossing, bool entered) {
        ui::TrackingAreaOwner* owner = crossing.area->owner();
        // An owner may have removed the area while hearing an earlier one.
        if (!owner || !crossing.area->view()) return;
        ui::TrackingEvent event{entered ? ui::event_type::kMouseEntered : ui::event_type::kMouseExited,
                                crossing.locationInWindow, crossing.area};
        if (entered)
            owner->mouseEntered(event);
        else
            owner->mouseExited(event);
    };
    for (const auto& crossing : exits) tell(crossing, false);
    for (const auto& crossing : entries) tell(crossing, true);
}

}  // namespace tarnwick::sim
