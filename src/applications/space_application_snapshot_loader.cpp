#include "applications/space_application_snapshot_loader.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

#include "applications/running_application_record.h"
#include "platform/platform.h"
#include "support/run_loop.h"

namespace tarnwick {

using Snapshot = SpaceApplicationSnapshotLoader::Snapshot;

SpaceApplicationSnapshotLoader::SpaceApplicationSnapshotLoader(Clock now, ApplicationResolver resolveApplication,
                                                               SpaceApplicationReader* reader)
    : now_(std::move(now)),
      resolveApplication_(resolveApplication ? std::move(resolveApplication) : ApplicationResolver(runningApplication)),
      reader_(reader ? reader : &SpaceApplicationReader::shared()) {}

SpaceApplicationSnapshotLoader::~SpaceApplicationSnapshotLoader() {
    auto reads = std::move(inFlight_);
    for (auto& [request, read] : reads) {
        read.task.cancel();
        for (auto& [id, waiter] : read.waiters) waiter.continuation.resume(cancelledSnapshot(request));
    }
}

SpaceApplicationSnapshotLoader& SpaceApplicationSnapshotLoader::shared() {
    static SpaceApplicationSnapshotLoader loader(systemUptime);
    return loader;
}

Task<Snapshot> SpaceApplicationSnapshotLoader::load(std::vector<DesktopMonitor> monitors,
                                                    std::optional<std::vector<std::uint64_t>> spaceIDs,
                                                    double maximumAge) {
    Snapshot snapshot = co_await shared().snapshot(std::move(monitors), std::move(spaceIDs), maximumAge);
    co_return snapshot;
}

std::optional<SpaceApplicationCatalog::Application> SpaceApplicationSnapshotLoader::runningApplication(std::int32_t pid) {
    return runningApplicationRecord(pid);
}

SpaceApplicationSnapshotLoader::Request SpaceApplicationSnapshotLoader::makeRequest(
    const std::vector<DesktopMonitor>& monitors, const std::optional<std::vector<std::uint64_t>>& spaceIDs) {
    Request request;
    for (const auto& monitor : monitors) {
        request.monitorIDs.push_back(monitor.id);
        for (const auto& desktop : monitor.desktops) {
            request.desktops.push_back({monitor.id, desktop.id, desktop.spaceID});
            if (!spaceIDs) request.spaceIDs.push_back(desktop.spaceID);
        }
    }
    if (spaceIDs) request.spaceIDs = *spaceIDs;
    std::sort(request.monitorIDs.begin(), request.monitorIDs.end());
    std::sort(request.desktops.begin(), request.desktops.end());
    std::sort(request.spaceIDs.begin(), request.spaceIDs.end());
    request.spaceIDs.erase(std::unique(request.spaceIDs.begin(), request.spaceIDs.end()), request.spaceIDs.end());
    return request;
}

Snapshot SpaceApplicationSnapshotLoader::cancelledSnapshot(const Request& request) {
    Snapshot snapshot;
    snapshot.unavailable.insert(request.spaceIDs.begin(), request.spaceIDs.end());
    return snapshot;
}

bool SpaceApplicationSnapshotLoader::hasLiveWaiter(const Read& read) {
    return std::any_of(read.waiters.begin(), read.waiters.end(),
                       [](const auto& entry) { return !entry.second.cancellation->isCanceled(); });
}

Task<Snapshot> SpaceApplicationSnapshotLoader::snapshot(std::vector<DesktopMonitor> monitors,
                                                        std::optional<std::vector<std::uint64_t>> spaceIDs,
                                                        double maximumAge) {
    const Request request = makeRequest(monitors, spaceIDs);
    const TaskContext context = co_await currentTaskContext();
    if (context.isCancelled()) co_return cancelledSnapshot(request);

    const double t = now_();
    pruneCompleted(t);
    if (maximumAge > 0) {
        const auto kept = std::find_if(completed_.begin(), completed_.end(),
                                       [&](const Completed& entry) { return entry.request == request; });
        if (kept != completed_.end() && t - kept->time <= maximumAge) {
            Snapshot reused = kept->snapshot;
            reused.reusedCompletedSnapshot = true;
            co_return reused;
        }
    }
    // A caller that does not reuse makes the kept result of its request obsolete.
    std::erase_if(completed_, [&](const Completed& entry) { return entry.request == request; });

    const WaiterID waiterID = nextWaiterID_++;
    auto cancellation = std::make_shared<SnapshotCancellation>();
    RunLoop& loop = *context.loop;
    const LifetimeToken::Weak alive = lifetime_.weak();
    std::uint64_t handlerID = 0;
    if (context.cancellation) {
        // Runs on the thread that cancels the caller; the loader is touched only on the loop.
        handlerID = context.cancellation->onCancel(
            [cancellation, &loop, alive, this, request, waiterID] {
                cancellation->cancel();
                loop.post([alive, this, request, waiterID] {
                    if (alive) cancel(request, waiterID);
                });
            });
    }

    auto start = [&](Continuation<Snapshot> continuation) {
        if (context.isCancelled()) {
            continuation.resume(cancelledSnapshot(request));
            return;
        }
        enqueue(request, monitors, loop, waiterID, Waiter{cancellation, std::move(continuation)});
    };
    Snapshot result = co_await withContinuation<Snapshot>(std::move(start));

    if (context.cancellation) context.cancellation->removeHandler(handlerID);
    if (context.isCancelled()) co_return cancelledSnapshot(request);
    co_return result;
}

void SpaceApplicationSnapshotLoader::enqueue(const Request& request, const std::vector<DesktopMonitor>& monitors,
                                             RunLoop& loop, WaiterID waiterID, Waiter waiter) {
    if (auto running = inFlight_.find(request); running != inFlight_.end()) {
        if (hasLiveWaiter(running->second)) {
            running->second.waiters.emplace(waiterID, std::move(waiter));
            return;
        }
        // Nobody is waiting for that read any more: end it and read anew.
        running->second.task.cancel();
        complete(request, running->second.token, cancelledSnapshot(request));
    }
    const ReadToken token = nextReadToken_++;
    Read& read = inFlight_[request];
    read.token = token;
    read.waiters.emplace(waiterID, std::move(waiter));
    // The task starts on a later turn of the loop, so the read is in place before it runs.
    read.task = spawn(loop, runRead(lifetime_.weak(), request, token, monitors));
}

Task<void> SpaceApplicationSnapshotLoader::runRead(LifetimeToken::Weak alive, Request request, ReadToken token,
                                                   std::vector<DesktopMonitor> monitors) {
    if (!alive) co_return;
    const auto running = inFlight_.find(request);
    if (running == inFlight_.end() || running->second.token != token || !hasLiveWaiter(running->second)) {
        complete(request, token, cancelledSnapshot(request));
        co_return;
    }
    Snapshot snapshot = co_await readSnapshot(alive, std::move(monitors), request.spaceIDs);
    if (!alive) co_return;
    complete(request, token, snapshot);
}

Task<Snapshot> SpaceApplicationSnapshotLoader::readSnapshot(LifetimeToken::Weak alive,
                                                            std::vector<DesktopMonitor> monitors,
                                                            std::vector<std::uint64_t> requested) {
    Snapshot cancelled;
    cancelled.unavailable.insert(requested.begin(), requested.end());
    const bool cancelledBefore = co_await taskIsCancelled();
    if (cancelledBefore) co_return cancelled;

    SpaceApplicationReader::Snapshot read = co_await reader_->read(requested);
    const bool cancelledMeanwhile = co_await taskIsCancelled();
    if (!alive || cancelledMeanwhile) co_return cancelled;

    const std::int32_t ownPID = platform::current().system->processIdentifier();
    std::vector<SpaceApplicationCatalog::Window> windows;
    windows.reserve(read.windows.size());
    std::vector<SpaceApplicationCatalog::Application> applications;
    std::unordered_set<std::int32_t> resolved;
    for (auto& window : read.windows) {
        if (!SpaceApplicationCatalog::isEligible(window, ownPID)) continue;
        if (resolved.insert(window.ownerPID).second)
            if (auto application = resolveApplication_(window.ownerPID)) applications.push_back(std::move(*application));
        windows.push_back(std::move(window));
    }

    Snapshot snapshot;
    snapshot.appsByDesktop = SpaceApplicationCatalog::group(windows, applications, monitors, ownPID);
    snapshot.unavailable = std::move(read.unavailable);
    snapshot.incomplete = std::move(read.incomplete);
    co_return snapshot;
}

void SpaceApplicationSnapshotLoader::pruneCompleted(double t) {
    std::erase_if(completed_, [t](const Completed& entry) { return t - entry.time > reuseInterval; });
}

void SpaceApplicationSnapshotLoader::complete(const Request& request, ReadToken token, const Snapshot& snapshot) {
    const auto found = inFlight_.find(request);
    if (found == inFlight_.end() || found->second.token != token) return;
    Read read = std::move(found->second);
    inFlight_.erase(found);

    if (snapshot.unavailable.empty() && snapshot.incomplete.empty() && hasLiveWaiter(read)) {
        const double t = now_();
        pruneCompleted(t);
        completed_.push_back({request, t, snapshot});
        if (completed_.size() > maximumKept) completed_.erase(completed_.begin());
    }
    // Resumptions are posted to the loop, so no caller runs while this loop still iterates.
    for (auto& [id, waiter] : read.waiters)
        waiter.continuation.resume(waiter.cancellation->isCanceled() ? cancelledSnapshot(request) : snapshot);
}

void SpaceApplicationSnapshotLoader::cancel(const Request& request, WaiterID waiterID) {
    const auto found = inFlight_.find(request);
    if (found == inFlight_.end()) return;
    const auto entry = found->second.waiters.find(waiterID);
    if (entry == found->second.waiters.end()) return;  // already answered
    Waiter waiter = std::move(entry->second);
    found->second.waiters.erase(entry);
    if (found->second.waiters.empty()) {
        TaskHandle<void> task = found->second.task;
        inFlight_.erase(found);
        task.cancel();
    }
    waiter.continuation.resume(cancelledSnapshot(request));
}

}  // namespace tarnwick
