#include "applications/desktop_application_inventory.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "support/uuid.h"

namespace tarnwick {

DesktopApplicationInventory::DesktopApplicationInventory(DesktopCatalogFunction monitors,
                                                         std::function<void()> refreshCatalog,
                                                         InventoryRefreshScheduler* scheduler, Services services)
    : monitors_(std::move(monitors)),
      refreshCatalog_(std::move(refreshCatalog)),
      scheduler_(scheduler ? *scheduler : InventoryRefreshScheduler::shared()),
      schedulerID_(uuid::random()),
      loader_(services.loader ? *services.loader : SpaceApplicationSnapshotLoader::shared()),
      icons_(services.icons ? *services.icons : ApplicationIconCache::shared()),
      openWindow_(std::move(services.openWindow)) {
    if (!openWindow_)
        openWindow_ = [focus = services.focus](std::string appID, std::string desktopID, DesktopCatalogFunction catalog) {
            return ApplicationWindowFocus::open(std::move(appID), std::move(desktopID), std::move(catalog), focus);
        };
}

DesktopApplicationInventory::~DesktopApplicationInventory() {
    task_.cancel();
    scheduler_.remove(schedulerID_);
}

std::vector<std::string> DesktopApplicationInventory::identity(const std::vector<DesktopMonitor>& monitors) {
    std::vector<std::string> key;
    for (const auto& monitor : monitors)
        for (const auto& desktop : monitor.desktops)
            key.push_back(monitor.id + "|" + desktop.id + "|" + std::to_string(desktop.spaceID));
    return key;
}

void DesktopApplicationInventory::start() {
    if (!active_) {
        active_ = true;
        scheduler_.add(schedulerID_, [alive = lifetime_.weak(), this] {
            if (alive) refresh(SpaceApplicationSnapshotLoader::reuseInterval);
        });
    }
    refresh(SpaceApplicationSnapshotLoader::reuseInterval);
}

void DesktopApplicationInventory::stop() {
    active_ = false;
    scheduler_.remove(schedulerID_);
    cancelRefresh();
    ++activationGeneration_;
    navigation_.cancel();
    activationTask_ = TaskHandle<void>();
}

void DesktopApplicationInventory::refresh() { refresh(0); }

void DesktopApplicationInventory::cancelRefresh() {
    ++generation_;
    task_.cancel();
    task_ = TaskHandle<void>();
}

void DesktopApplicationInventory::setSpaceIDs(std::optional<std::vector<std::uint64_t>> spaceIDs) {
    if (spaceIDs) {
        std::sort(spaceIDs->begin(), spaceIDs->end());
        spaceIDs->erase(std::unique(spaceIDs->begin(), spaceIDs->end()), spaceIDs->end());
    }
    if (spaceIDs == spaceIDs_) return;
    spaceIDs_ = std::move(spaceIDs);
    cancelRefresh();
    refresh(SpaceApplicationSnapshotLoader::reuseInterval);
}

void DesktopApplicationInventory::refresh(double maximumAge) {
    if (!active_) return;
    // One refresh at a time: a request while one runs only lowers the age it accepts.
    if (task_) {
        refreshMaximumAge_ = std::min(refreshMaximumAge_, maximumAge);
        return;
    }
    refreshMaximumAge_ = maximumAge;
    const std::uint64_t generation = generation_;
    std::vector<DesktopMonitor> monitors = monitors_();
    std::vector<std::string> catalogKey = identity(monitors);

    std::vector<Row> rows;
    std::map<std::string, RowIdentity> identities;
    for (const auto& monitor : monitors)
        for (const auto& desktop : monitor.desktops) {
            if (spaceIDs_ && !std::binary_search(spaceIDs_->begin(), spaceIDs_->end(), desktop.spaceID)) continue;
            RowIdentity rowIdentity{monitor.id, desktop.spaceID};
            rows.push_back({desktop.id, rowIdentity});
            identities.insert_or_assign(desktop.id, std::move(rowIdentity));
        }

    // Rows that kept their place keep their entry; moved or new rows start again as loading.
    Entries next;
    for (const auto& [desktopID, entry] : entries.get()) {
        const auto now = identities.find(desktopID);
        const auto before = entryIdentities_.find(desktopID);
        if (now != identities.end() && before != entryIdentities_.end() && now->second == before->second)
            next.emplace(desktopID, entry);
    }
    for (const auto& row : rows) next.try_emplace(row.desktopID, Entry{{}, Status::loading});
    entryIdentities_ = std::move(identities);

    task_ = spawn(runRefresh(lifetime_.weak(), std::move(monitors), spaceIDs_, generation, std::move(catalogKey),
                             std::move(rows)));
    entries.setIfChanged(std::move(next));
}

Task<void> DesktopApplicationInventory::runRefresh(LifetimeToken::Weak alive, std::vector<DesktopMonitor> monitors,
                                                   std::optional<std::vector<std::uint64_t>> restriction,
                                                   std::uint64_t generation, std::vector<std::string> catalogKey,
                                                   std::vector<Row> rows) {
    const bool cancelledBefore = co_await taskIsCancelled();
    if (!alive || cancelledBefore) co_return;
    const double maximumAge = refreshMaximumAge_;
    SpaceApplicationSnapshotLoader::Snapshot snapshot =
        co_await loader_.snapshot(monitors, std::move(restriction), maximumAge);
    const bool cancelled = co_await taskIsCancelled();
    if (!alive || !active_ || generation_ != generation || cancelled) co_return;
    task_ = TaskHandle<void>();

    // A kept result while a new read was asked for meanwhile: read again.
    if (snapshot.reusedCompletedSnapshot && refreshMaximumAge_ == 0) {
        refresh(0);
        co_return;
    }
    if (identity(monitors_()) != catalogKey) {
        // The catalog changed during the read: its result may describe other desktops.
        refresh(refreshMaximumAge_);
        co_return;
    }
    Entries next;
    for (const auto& row : rows) {
        Entry entry;
        if (snapshot.unavailable.count(row.identity.spaceID))
            entry.status = Status::unavailable;
        else if (snapshot.incomplete.count(row.identity.spaceID))
            entry.status = Status::incomplete;
        else
            entry.status = Status::ready;
        if (const auto apps = snapshot.appsByDesktop.find(row.desktopID); apps != snapshot.appsByDesktop.end())
            entry.apps = apps->second;
        next.insert_or_assign(row.desktopID, std::move(entry));
    }
    entries.setIfChanged(std::move(next));
}

void DesktopApplicationInventory::activate(const SpaceApplication& app, const std::string& desktopID) {
    // Copied first: the app usually lives in `entries`, which observers of the message may change.
    std::string appID = app.id;
    std::string desktop = desktopID;
    const std::uint64_t generation = ++activationGeneration_;
    activationError.set(std::nullopt);
    activationTask_ = navigation_.run(
        [alive = lifetime_.weak(), this, generation, appID = std::move(appID), desktopID = std::move(desktop)]()
            -> Task<void> {
            return runActivation(alive, generation, appID, desktopID);
        });
}

Task<void> DesktopApplicationInventory::runActivation(LifetimeToken::Weak alive, std::uint64_t generation,
                                                      std::string appID, std::string desktopID) {
    const bool cancelledBefore = co_await taskIsCancelled();
    if (!alive || !active_ || activationGeneration_ != generation || cancelledBefore) co_return;

    DesktopCatalogFunction catalog = [alive, this]() -> std::vector<DesktopMonitor> {
        if (!alive) return {};
        refreshCatalog_();
        return monitors_();
    };
    std::optional<std::string> failure;
    try {
        co_await openWindow_(std::move(appID), std::move(desktopID), std::move(catalog));
    } catch (const CancellationError&) {
    } catch (const std::exception& error) {
        failure = error.what();
    }

    if (!alive || activationGeneration_ != generation) co_return;
    if (failure) activationError.set(std::move(failure));
    activationTask_ = TaskHandle<void>();
    cancelRefresh();
    refresh(0);
}

platform::Image DesktopApplicationInventory::icon(const SpaceApplication& app) { return icons_.image(app); }

}  // namespace tarnwick
