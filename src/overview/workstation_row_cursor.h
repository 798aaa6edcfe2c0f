#pragma once

#include <memory>

#include "platform/ui/declarative/nodes.h"
#include "platform/ui/view.h"

namespace tarnwick {

// An invisible background behind each desktop button and app icon of the overview: the pointing
// hand shows over the whole control, and every click still reaches the control in front.
struct WorkstationRowCursor {
    // The retained view the background bridges in.
    class CursorRegion final : public platform::ui::View {
    public:
        explicit CursorRegion(Rect frame = {}) : View(frame) {}
        // No mouse event ever lands on the region.
        platform::ui::View* hitTest(Point) override { return nullptr; }
        // One rectangle over the whole region with the pointing hand.
        void resetCursorRects() override;
    };

    // Made with a zero frame: the layout sizes it to the control. An update changes nothing.
    std::shared_ptr<platform::ui::View> makeView() const { return std::make_shared<CursorRegion>(Rect()); }
    void updateView(platform::ui::View&) const {}

    // The background node.
    platform::ui::Node node() const { return platform::ui::bridged(*this); }
};

}  // namespace tarnwick
