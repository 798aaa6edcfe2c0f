#include "overlays/mission_control_application_controller.h"

#include <algorithm>
#include <limits>
#include <map>
#include <utility>

#include "overlays/mission_control_application_layout.h"

namespace tarnwick {

namespace {

using Status = DesktopApplicationInventory::Status;

// The slot still describes the catalog: its desktop is where it says, on a display whose bounds
// are exactly the ones measured.
bool describesCatalog(const MissionControlApplicationSlot& slot, const std::vector<DesktopMonitor>& monitors) {
    if (!slot.target.isValid(monitors)) return false;
    return std::any_of(monitors.begin(), monitors.end(), [&](const DesktopMonitor& monitor) {
        return monitor.id == slot.target.monitorID && monitor.bounds == slot.display;
    });
}

// The same displays at exactly the same bounds with the same desktops: what the slots were
// checked against still holds. Display names do not matter.
bool sameCatalog(const std::vector<DesktopMonitor>& a, const std::vector<DesktopMonitor>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const DesktopMonitor& x, const DesktopMonitor& y) {
        return x.id == y.id && x.bounds == y.bounds && x.desktops == y.desktops;
    });
}

int clampedCount(std::size_t count) {
    return static_cast<int>(std::min<std::size_t>(count, std::numeric_limits<int>::max()));
}

}  // namespace

MissionControlApplicationController::MissionControlApplicationController(
    DesktopCatalogFunction monitors, std::shared_ptr<DesktopApplicationInventory> inventory, Describe describe,
    Render render)
    : monitors_(std::move(monitors)),
      inventory_(std::move(inventory)),
      describe_(std::move(describe)),
      render_(std::move(render)) {
    // The inventory publishes on the main loop, as this controller runs.
    subscription_ = inventory_->entries.subscribe(
        [this, alive = lifetime_.weak()](const DesktopApplicationInventory::Entries& entries) {
            if (alive) present(entries);
        });
}

MissionControlApplicationController::~MissionControlApplicationController() {
    subscription_.reset();
    if (running_) inventory_->stop();
}

std::vector<std::string> MissionControlApplicationController::identity(const std::vector<DesktopMonitor>& monitors) {
    auto key = DesktopApplicationInventory::identity(monitors);
    std::sort(key.begin(), key.end());
    return key;
}

void MissionControlApplicationController::setEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (!enabled) {
        measuredSlots_.clear();
        clear();
    }
}

void MissionControlApplicationController::setIconSize(double size) {
    size = ApplicationIconSize::clamped(size);
    if (size == iconSize_) return;
    iconSize_ = size;
    refreshSlots();
}

void MissionControlApplicationController::setPosition(MissionControlApplicationPosition position) {
    if (position == position_) return;
    position_ = position;
    refreshSlots();
}

void MissionControlApplicationController::update(std::vector<MissionControlApplicationSlot> slots) {
    measuredSlots_ = std::move(slots);
    refreshSlots();
}

void MissionControlApplicationController::refreshSlots() {
    if (!enabled_) {
        measuredSlots_.clear();
        clear();
        return;
    }
    const std::vector<DesktopMonitor> monitors = monitors_();

    // A desktop measured twice is ambiguous: neither measurement is trusted.
    std::map<std::string, int> measurements;
    for (const auto& slot : measuredSlots_) ++measurements[slot.target.desktopID];
    std::vector<MissionControlApplicationSlot> usable;
    for (auto& slot : measuredSlots_) {
        if (measurements[slot.target.desktopID] != 1 || !describesCatalog(slot, monitors)) continue;
        // Room for the smallest strip at all.
        if (!MissionControlApplicationLayout::frame(slot, 1, ApplicationIconSize::range.lowerBound,
                                                    MissionControlApplicationPosition::bottom))
            continue;
        usable.push_back(std::move(slot));
    }
    std::stable_sort(usable.begin(), usable.end(), [](const auto& a, const auto& b) {
        return a.target.desktopID < b.target.desktopID;
    });
    measuredSlots_ = std::move(usable);

    std::vector<MissionControlApplicationSlot> candidates;
    for (const auto& slot : measuredSlots_)
        if (MissionControlApplicationLayout::frame(slot, 1, iconSize_, position_)) candidates.push_back(slot);
    if (candidates.empty()) {
        clear();
        return;
    }

    auto scope = identity(monitors);
    // Strips of another catalog must not outlive it, not even until the next list is rendered.
    if (running_ && scope != scope_) clear();
    slots_ = std::move(candidates);
    scope_ = std::move(scope);
    checkedCatalog_ = monitors;

    std::vector<std::uint64_t> spaceIDs;
    spaceIDs.reserve(slots_.size());
    for (const auto& slot : slots_) spaceIDs.push_back(slot.target.spaceID);
    inventory_->setSpaceIDs(std::move(spaceIDs));
    if (!running_) {
        running_ = true;
        inventory_->start();
    }
    present(inventory_->entries.get());
}

void MissionControlApplicationController::present(const DesktopApplicationInventory::Entries& entries) {
    if (!enabled_ || !running_) {
        if (!lastPresentations_.empty()) render({});
        return;
    }
    const std::vector<DesktopMonitor> monitors = monitors_();
    // The slots were checked against this very catalog when they were stored.
    if (!sameCatalog(monitors, checkedCatalog_)) {
        const bool stale = identity(monitors) != scope_ ||
                           std::any_of(slots_.begin(), slots_.end(),
                                       [&](const auto& slot) { return !describesCatalog(slot, monitors); });
        if (stale) {
            // The desktops moved since they were measured; wait for fresh measurements.
            measuredSlots_.clear();
            clear();
            return;
        }
        checkedCatalog_ = monitors;
    }

    // The list is compared with the last one as it is made, and only copied out once it differs:
    // most publications change nothing that is shown.
    std::vector<MissionControlApplicationPresentation> presentations;
    std::size_t unchanged = 0;  // leading strips equal to the last list's
    bool differs = false;
    for (const auto& slot : slots_) {
        const auto entry = entries.find(slot.target.desktopID);
        // Rows still loading or not read show nothing rather than a wrong or empty strip.
        if (entry == entries.end() || (entry->second.status != Status::ready && entry->second.status != Status::incomplete))
            continue;
        const auto& apps = entry->second.apps;
        const auto frame = MissionControlApplicationLayout::frame(slot, clampedCount(apps.size()), iconSize_, position_);
        if (!frame) continue;
        std::string label = describe_ ? describe_(slot.target) : defaultDescription;
        if (!differs) {
            if (unchanged < lastPresentations_.size()) {
                const auto& last = lastPresentations_[unchanged];
                if (last.target == slot.target && last.frame == *frame && last.iconSize == iconSize_ &&
                    last.accessibilityLabel == label && last.applications == apps) {
                    ++unchanged;
                    continue;
                }
            }
            differs = true;
            presentations.reserve(slots_.size());
            presentations.assign(lastPresentations_.begin(), lastPresentations_.begin() + unchanged);
        }
        presentations.push_back(
            MissionControlApplicationPresentation{slot.target, *frame, apps, iconSize_, std::move(label)});
    }
    if (!differs) {
        if (unchanged == lastPresentations_.size()) return;
        // The last list, shortened.
        presentations.assign(lastPresentations_.begin(), lastPresentations_.begin() + unchanged);
    }
    render(std::move(presentations));
}

void MissionControlApplicationController::clear() {
    if (running_) {
        inventory_->stop();
        running_ = false;
    }
    slots_.clear();
    scope_.clear();
    checkedCatalog_.clear();
    if (!lastPresentations_.empty()) render({});
}

void MissionControlApplicationController::render(std::vector<MissionControlApplicationPresentation> presentations) {
    lastPresentations_ = presentations;
    // The list handed over is a copy of our own: a renderer calling back in cannot change it.
    if (render_) render_(presentations);
}

}  // namespace tarnwick
