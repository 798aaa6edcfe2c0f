#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "app/desktop_names_view.h"
#include "app/glass_window.h"
#include "applications/desktop_application_inventory.h"
#include "applications/inventory_refresh_scheduler.h"
#include "model/desktop_names_model.h"
#include "model/settings_model.h"

namespace tarnwick {

// The Desktop Names window: made once and kept when closed. It has an app inventory of its own
// that runs only while the window is on screen and not in the Dock: opening and becoming key
// start it (with a catalog refresh for the user), closing and miniaturizing stop it, coming back
// from the Dock starts it again without a catalog refresh. Without a scheduler the inventory
// uses the shared refresh timer; the program passes its own scheduler and services. Main loop
// only.
class DesktopNamesWindow final : public GlassWindowController {
public:
    static constexpr const char* kTitle = "Desktop Names";
    static constexpr const char* kAutosaveName = "DesktopNames";
    static constexpr Size kContentSize{650, 650};
    static constexpr double kCornerRadius = 16;

    DesktopNamesWindow(std::shared_ptr<DesktopNamesModel> model, std::shared_ptr<SettingsModel> settings,
                       InventoryRefreshScheduler* scheduler = nullptr,
                       DesktopApplicationInventory::Services services = {});
    ~DesktopNamesWindow() override;

    // Shows the window on the display (nothing: the one the command was invoked from), after a
    // catalog refresh for the user, with the inventory started.
    void open(std::optional<std::uint32_t> displayID);

    void windowDidBecomeKey(platform::ui::Panel& window) override;
    void windowWillClose(platform::ui::Panel& window) override;
    void windowDidMiniaturize(platform::ui::Panel& window) override;
    void windowDidDeminiaturize(platform::ui::Panel& window) override;

    DesktopApplicationInventory& applications() const { return *applications_; }
    DesktopNamesView& view() const { return *view_; }

private:
    std::shared_ptr<DesktopNamesModel> model_;
    std::shared_ptr<SettingsModel> settings_;
    std::unique_ptr<DesktopApplicationInventory> applications_;
    DesktopNamesView* view_ = nullptr;
};

}  // namespace tarnwick
