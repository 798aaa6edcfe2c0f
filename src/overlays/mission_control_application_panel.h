#pragma once

#include <memory>
#include <vector>

#include "applications/application_icon_cache.h"
#include "applications/space_application.h"
#include "overlays/banner_application_row_view.h"
#include "overlays/mission_control_application_presentation.h"
#include "platform/ui/effect_views.h"
#include "platform/ui/panel.h"

namespace tarnwick {

// The content of a strip: one row of app icons inset from the glass's edges.
class MissionControlApplicationContent : public platform::ui::View {
public:
    explicit MissionControlApplicationContent(Rect frame = {}, ApplicationIconCache* icons = nullptr);

    BannerApplicationRowView& row() const { return *row_; }
    void layout() override;

    static constexpr double horizontalInset = 6;
    static constexpr double verticalInset = 5;

private:
    std::shared_ptr<BannerApplicationRowView> row_;
};

// One strip of app icons over an expanded desktop preview: a clear, shadowless, non-activating
// panel above Mission Control on every desktop, which the mouse passes through and which never
// becomes key or main. It is shown and re-filled while its desktop is presented, and ordered out
// and emptied for reuse when released. Main loop only.
class MissionControlApplicationPanel : public platform::ui::Panel {
public:
    static constexpr const char* panelTitle = "Mission Control apps";
    static constexpr double cornerRadius = 8;

    // Icons come from the given cache (the program's shared one when none is given).
    explicit MissionControlApplicationPanel(ApplicationIconCache* icons = nullptr);

    // Shows the strip at a frame in screen coordinates; the row is filled again only when the
    // apps or the icon size changed.
    virtual void show(const MissionControlApplicationPresentation& presentation, const Rect& frame);
    // Orders the panel out and empties it.
    virtual void releasePresentation();

    bool canBecomeKey() const override { return false; }
    bool canBecomeMain() const override { return false; }

    // ---- reading the panel
    MissionControlApplicationContent& strip() const { return *strip_; }
    const platform::ui::GlassEffectView& glass() const { return *glass_; }
    const std::vector<SpaceApplication>& applications() const { return applications_; }
    double iconSize() const { return iconSize_; }

private:
    std::shared_ptr<MissionControlApplicationContent> strip_;
    std::vector<SpaceApplication> applications_;
    double iconSize_ = 16;
    std::shared_ptr<platform::ui::GlassEffectView> glass_;
};

}  // namespace tarnwick
