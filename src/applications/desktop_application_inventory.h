#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "applications/application_icon_cache.h"
#include "applications/application_navigation_queue.h"
#include "applications/application_window_focus.h"
#include "applications/inventory_refresh_scheduler.h"
#include "applications/space_application.h"
#include "applications/space_application_snapshot_loader.h"
#include "applications/space_navigation_target.h"
#include "model/desktop_monitor.h"
#include "platform/icons.h"
#include "support/observable.h"
#include "support/task.h"

namespace tarnwick {

// The collaborators of an inventory; the program's shared ones when left empty.
struct DesktopApplicationInventoryServices {
    SpaceApplicationSnapshotLoader* loader = nullptr;
    ApplicationIconCache* icons = nullptr;
    // The readers of the app-focus flow.
    ApplicationFocusServices focus;
    // Brings an app's window forward on a desktop; ApplicationWindowFocus::open with `focus`
    // when empty.
    std::function<Task<void>(std::string appID, std::string desktopID, DesktopCatalogFunction catalog)> openWindow;
};

// Which apps are on which desktop, for the user interface. While started, it keeps one entry
// per desktop row (its apps and a status), refreshes on every tick of the timer shared by all
// inventories, on demand and after every app activation, and publishes changes. Main loop only.
class DesktopApplicationInventory {
public:
    enum class Status {
        loading,      // no result yet for this row
        ready,
        incomplete,   // some windows of the desktop were not described
        unavailable,  // the desktop was not read
    };
    struct Entry {
        std::vector<SpaceApplication> apps;  // sorted as the catalog sorts them
        Status status = Status::loading;
        friend bool operator==(const Entry&, const Entry&) = default;
    };
    using Entries = std::map<std::string, Entry>;  // by desktop UUID
    using Services = DesktopApplicationInventoryServices;

    // A nil scheduler means the shared one. Creates an inactive inventory without entries.
    DesktopApplicationInventory(DesktopCatalogFunction monitors, std::function<void()> refreshCatalog,
                                InventoryRefreshScheduler* scheduler = nullptr, Services services = {});
    // Cancels the running refresh and leaves the scheduler.
    ~DesktopApplicationInventory();
    DesktopApplicationInventory(const DesktopApplicationInventory&) = delete;
    DesktopApplicationInventory& operator=(const DesktopApplicationInventory&) = delete;

    // Published only when they change.
    Published<Entries> entries;
    // The message of the last failed activation.
    Published<std::optional<std::string>> activationError;

    void start();
    // Entries stay as they are.
    void stop();
    // Always a new read.
    void refresh();
    // Restricts the rows to these space ids (nothing: every desktop).
    void setSpaceIDs(std::optional<std::vector<std::uint64_t>> spaceIDs);
    // Brings the app's window forward on that desktop; the latest activation wins.
    void activate(const SpaceApplication& app, const std::string& desktopID);
    platform::Image icon(const SpaceApplication& app);

    bool isActive() const { return active_; }
    const std::optional<std::vector<std::uint64_t>>& spaceIDs() const { return spaceIDs_; }

    // The catalog key: "monitor id|desktop UUID|space id" per desktop, in catalog order. Equal
    // keys mean the same desktops in the same places.
    static std::vector<std::string> identity(const std::vector<DesktopMonitor>& monitors);

private:
    struct RowIdentity {
        std::string monitorID;
        std::uint64_t spaceID = 0;
        friend bool operator==(const RowIdentity&, const RowIdentity&) = default;
    };
    struct Row {
        std::string desktopID;
        RowIdentity identity;
    };

    void refresh(double maximumAge);
    void cancelRefresh();
    Task<void> runRefresh(LifetimeToken::Weak alive, std::vector<DesktopMonitor> monitors,
                          std::optional<std::vector<std::uint64_t>> restriction, std::uint64_t generation,
                          std::vector<std::string> catalogKey, std::vector<Row> rows);
    Task<void> runActivation(LifetimeToken::Weak alive, std::uint64_t generation, std::string appID,
                             std::string desktopID);

    DesktopCatalogFunction monitors_;
    std::function<void()> refreshCatalog_;
    InventoryRefreshScheduler& scheduler_;
    std::string schedulerID_;
    std::optional<std::vector<std::uint64_t>> spaceIDs_;  // distinct, ascending
    TaskHandle<void> task_;
    double refreshMaximumAge_ = 0;
    std::uint64_t generation_ = 0;
    std::uint64_t activationGeneration_ = 0;
    TaskHandle<void> activationTask_;
    ApplicationNavigationQueue navigation_;
    bool active_ = false;
    std::map<std::string, RowIdentity> entryIdentities_;
    SpaceApplicationSnapshotLoader& loader_;
    ApplicationIconCache& icons_;
    std::function<Task<void>(std::string, std::string, DesktopCatalogFunction)> openWindow_;
    LifetimeToken lifetime_;
};

}  // namespace tarnwick
