#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "applications/desktop_application_inventory.h"
#include "applications/space_navigation_target.h"
#include "model/desktop_monitor.h"
#include "model/preference_enums.h"
#include "model/preference_limits.h"
#include "overlays/mission_control_application_presentation.h"
#include "overlays/mission_control_application_slot.h"
#include "support/observable.h"

namespace tarnwick {

// Decides which expanded desktop previews in Mission Control get a strip of their apps' icons.
// It takes the measured previews from the label controller, keeps those that still describe the
// current catalog and have room for a strip, limits its own inventory to their desktops while
// any is shown, and hands every changed list of strips to `render`. Off until enabled. Main loop
// only.
class MissionControlApplicationController {
public:
    using Describe = std::function<std::string(const SpaceNavigationTarget&)>;
    using Render = std::function<void(const std::vector<MissionControlApplicationPresentation>&)>;

    // What a strip is called without a `describe`.
    static constexpr const char* defaultDescription = "Desktop applications";

    // Hears the inventory's later changes of its entries (never its current value).
    MissionControlApplicationController(DesktopCatalogFunction monitors,
                                        std::shared_ptr<DesktopApplicationInventory> inventory,
                                        Describe describe = nullptr, Render render = nullptr);
    // Stops the inventory when this controller started it.
    ~MissionControlApplicationController();
    MissionControlApplicationController(const MissionControlApplicationController&) = delete;
    MissionControlApplicationController& operator=(const MissionControlApplicationController&) = delete;

    // Turning off removes every strip; turning on waits for the next measured previews.
    void setEnabled(bool enabled);
    // Limited to 12...40 points (16 when not finite).
    void setIconSize(double size);
    void setPosition(MissionControlApplicationPosition position);
    // The label controller's latest measurements; an empty list removes every strip.
    void update(std::vector<MissionControlApplicationSlot> slots);

    // ---- reading the controller
    bool isEnabled() const { return enabled_; }
    // The inventory was started by this controller and strips may show.
    bool isRunning() const { return running_; }
    double iconSize() const { return iconSize_; }
    MissionControlApplicationPosition position() const { return position_; }
    // The usable measurements, by desktop id.
    const std::vector<MissionControlApplicationSlot>& measuredSlots() const { return measuredSlots_; }
    // Those with room for a strip at the current size and position.
    const std::vector<MissionControlApplicationSlot>& slots() const { return slots_; }
    // The catalog the slots belong to.
    const std::vector<std::string>& scope() const { return scope_; }
    const std::vector<MissionControlApplicationPresentation>& lastPresentations() const { return lastPresentations_; }
    DesktopApplicationInventory& inventory() const { return *inventory_; }

    // The catalog key of the inventory ("monitor id|desktop UUID|space id" per desktop), sorted
    // ascending, so that only the desktops and their places count, not their order.
    static std::vector<std::string> identity(const std::vector<DesktopMonitor>& monitors);

private:
    void refreshSlots();
    void present(const DesktopApplicationInventory::Entries& entries);
    void clear();
    void render(std::vector<MissionControlApplicationPresentation> presentations);

    DesktopCatalogFunction monitors_;
    std::shared_ptr<DesktopApplicationInventory> inventory_;
    Describe describe_;
    Render render_;
    Subscription subscription_;
    bool enabled_ = false;
    bool running_ = false;
    double iconSize_ = ApplicationIconSize::defaultSize;
    MissionControlApplicationPosition position_ = MissionControlApplicationPosition::center;
    std::vector<MissionControlApplicationSlot> measuredSlots_;
    std::vector<MissionControlApplicationSlot> slots_;
    std::vector<std::string> scope_;
    std::vector<DesktopMonitor> checkedCatalog_;  // the catalog `slots_` and `scope_` were checked against
    std::vector<MissionControlApplicationPresentation> lastPresentations_;
    LifetimeToken lifetime_;
};

}  // namespace tarnwick
