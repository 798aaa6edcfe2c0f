#pragma once

#include <limits>
#include <memory>
#include <string>

#include "applications/application_icon_cache.h"
#include "overlays/frosted_label_view.h"
#include "overlays/label_entrance.h"
#include "platform/ui/panel.h"

namespace tarnwick {

// One desktop's name label over Mission Control: a borderless, non-activating panel at Mission
// Control's level, on every desktop, clear and shadowless, ignoring the mouse until routing says
// otherwise, with a FrostedLabelView as its content. It is made once per desktop and reused.
// Times are wall-clock seconds. Main loop only.
class LabelPresentation {
public:
    static constexpr double distantPast = -std::numeric_limits<double>::infinity();
    // On every desktop, stationary, out of window cycling, beside full-screen apps: 337.
    static constexpr std::uint64_t kCollectionBehavior =
        platform::ui::collection_behavior::kCanJoinAllSpaces | platform::ui::collection_behavior::kStationary |
        platform::ui::collection_behavior::kIgnoresCycle | platform::ui::collection_behavior::kFullScreenAuxiliary;

    LabelPresentation(std::string monitorID, ApplicationIconCache* icons);
    LabelPresentation(const LabelPresentation&) = delete;
    LabelPresentation& operator=(const LabelPresentation&) = delete;

    platform::ui::Panel& panel() { return *panel_; }
    const platform::ui::Panel& panel() const { return *panel_; }
    // The panel's content while it is the label view it was made with.
    FrostedLabelView* label() const;

    // Takes the label down: click-through again, no reveal, ordered out, expired at once; with
    // `resetPlacement` its caption must also hold still again before it reappears.
    void hide(bool resetPlacement);

    std::string monitorID;  // the display UUID of the panel's display
    double expiry = distantPast;           // after it, an unrefreshed label comes down
    double clickGraceUntil = distantPast;  // until it, a label being clicked stays clickable
    LabelEntrance entrance;

private:
    std::unique_ptr<platform::ui::Panel> panel_;
    std::shared_ptr<FrostedLabelView> view_;  // the content it was made with
};

}  // namespace tarnwick
