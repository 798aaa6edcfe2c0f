#include "applications/inventory_refresh_scheduler.h"

#include <utility>
#include <vector>

#include "support/run_loop.h"

namespace tarnwick {

InventoryRefreshScheduler::InventoryRefreshScheduler(Schedule schedule) : schedule_(std::move(schedule)) {}

InventoryRefreshScheduler::~InventoryRefreshScheduler() {
    if (auto stop = std::exchange(cancelTimer_, nullptr)) stop();
}

InventoryRefreshScheduler& InventoryRefreshScheduler::shared() {
    static InventoryRefreshScheduler scheduler(repeatingTimer);
    return scheduler;
}

InventoryRefreshScheduler::StopAction InventoryRefreshScheduler::repeatingTimer(FireAction fire, double interval) {
    RunLoop& loop = RunLoop::main();
    Timer timer = loop.scheduleTimer(interval, 0, [&loop, fire] { loop.post(fire); });
    return [timer]() mutable { timer.invalidate(); };
}

void InventoryRefreshScheduler::add(const std::string& id, std::function<void()> refresh) {
    refreshes_.insert_or_assign(id, std::move(refresh));
    if (cancelTimer_) return;
    const std::uint64_t generation = timerGeneration_;
    cancelTimer_ = schedule_(
        [alive = lifetime_.weak(), this, generation] {
            if (alive) tick(generation);
        },
        interval);
}

void InventoryRefreshScheduler::remove(const std::string& id) {
    if (!refreshes_.erase(id) || !refreshes_.empty()) return;
    ++timerGeneration_;
    if (auto stop = std::exchange(cancelTimer_, nullptr)) stop();
}

void InventoryRefreshScheduler::tick(std::uint64_t generation) {
    // A firing of a timer that has been stopped since.
    if (generation != timerGeneration_) return;
    std::vector<std::string> ids;
    for (const auto& [id, refresh] : refreshes_) ids.push_back(id);
    for (const auto& id : ids) {
        const auto found = refreshes_.find(id);
        if (found == refreshes_.end()) continue;  // removed during this tick
        auto refresh = found->second;             // the action may remove itself
        refresh();
    }
}

}  // namespace tarnwick
