#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "applications/space_application.h"
#include "applications/space_application_catalog.h"
#include "applications/space_application_reader.h"
#include "model/desktop_monitor.h"
#include "support/observable.h"
#include "support/task.h"

namespace tarnwick {

// The one entry to the apps per desktop. Requests for the same desktops share one running
// read, a complete result is kept for a quarter of a second for callers that accept it, and
// every caller may be cancelled on its own without disturbing the others: a cancelled caller
// gets every requested desktop as unavailable. Used on the main loop only.
class SpaceApplicationSnapshotLoader {
public:
    struct Snapshot {
        std::map<std::string, std::vector<SpaceApplication>> appsByDesktop;  // by desktop UUID
        std::set<std::uint64_t> unavailable;  // space ids that cannot be read
        std::set<std::uint64_t> incomplete;   // space ids read only in part
        bool reusedCompletedSnapshot = false; // a kept result; no read took place

        friend bool operator==(const Snapshot&, const Snapshot&) = default;
    };
    using Clock = std::function<double()>;
    using ApplicationResolver = std::function<std::optional<SpaceApplicationCatalog::Application>(std::int32_t)>;

    static constexpr double reuseInterval = 0.25;
    static constexpr std::size_t maximumKept = 8;

    // Without a resolver, running applications are asked; without a reader, the shared reader
    // reads (it must outlive the loader's reads).
    explicit SpaceApplicationSnapshotLoader(Clock now, ApplicationResolver resolveApplication = nullptr,
                                            SpaceApplicationReader* reader = nullptr);
    // Cancels the running reads and answers their callers as cancelled.
    ~SpaceApplicationSnapshotLoader();
    SpaceApplicationSnapshotLoader(const SpaceApplicationSnapshotLoader&) = delete;
    SpaceApplicationSnapshotLoader& operator=(const SpaceApplicationSnapshotLoader&) = delete;

    // The program's loader: the system-uptime clock, running applications and the shared reader.
    static SpaceApplicationSnapshotLoader& shared();
    static Task<Snapshot> load(std::vector<DesktopMonitor> monitors, std::optional<std::vector<std::uint64_t>> spaceIDs,
                               double maximumAge);

    // The apps per desktop of `monitors` for `spaceIDs` (nothing: every desktop's). A kept
    // result at most `maximumAge` seconds old is reused; 0 or less never reuses one.
    Task<Snapshot> snapshot(std::vector<DesktopMonitor> monitors, std::optional<std::vector<std::uint64_t>> spaceIDs,
                            double maximumAge);

private:
    struct RequestDesktop {
        std::string monitorID;
        std::string desktopID;
        std::uint64_t spaceID = 0;
        friend auto operator<=>(const RequestDesktop&, const RequestDesktop&) = default;
    };
    // What a caller asks for; two calls share a read or a kept result only when equal.
    struct Request {
        std::vector<std::string> monitorIDs;     // ascending
        std::vector<RequestDesktop> desktops;    // by monitor, desktop, space
        std::vector<std::uint64_t> spaceIDs;     // distinct, ascending
        friend auto operator<=>(const Request&, const Request&) = default;
    };
    // Shared by one waiter and its cancellation handler, which may run on any thread.
    struct SnapshotCancellation {
        std::mutex lock;
        bool canceled = false;
        void cancel() {
            std::lock_guard guard(lock);
            canceled = true;
        }
        bool isCanceled() {
            std::lock_guard guard(lock);
            return canceled;
        }
    };
    struct Waiter {
        std::shared_ptr<SnapshotCancellation> cancellation;
        Continuation<Snapshot> continuation;  // resumed exactly once
    };
    using ReadToken = std::uint64_t;
    using WaiterID = std::uint64_t;
    struct Read {
        ReadToken token = 0;
        TaskHandle<void> task;
        std::map<WaiterID, Waiter> waiters;
    };
    struct Completed {
        Request request;
        double time = 0;
        Snapshot snapshot;
    };

    static Request makeRequest(const std::vector<DesktopMonitor>& monitors,
                               const std::optional<std::vector<std::uint64_t>>& spaceIDs);
    static Snapshot cancelledSnapshot(const Request& request);
    static bool hasLiveWaiter(const Read& read);
    static std::optional<SpaceApplicationCatalog::Application> runningApplication(std::int32_t pid);

    // Joins the running read of the request or starts one, for a waiter not yet answered.
    void enqueue(const Request& request, const std::vector<DesktopMonitor>& monitors, RunLoop& loop, WaiterID waiterID,
                 Waiter waiter);
    Task<void> runRead(LifetimeToken::Weak alive, Request request, ReadToken token,
                       std::vector<DesktopMonitor> monitors);
    Task<Snapshot> readSnapshot(LifetimeToken::Weak alive, std::vector<DesktopMonitor> monitors,
                                std::vector<std::uint64_t> requested);
    void pruneCompleted(double t);
    void complete(const Request& request, ReadToken token, const Snapshot& snapshot);
    void cancel(const Request& request, WaiterID waiterID);

    Clock now_;
    ApplicationResolver resolveApplication_;
    SpaceApplicationReader* reader_;
    std::map<Request, Read> inFlight_;
    std::vector<Completed> completed_;  // oldest first
    ReadToken nextReadToken_ = 1;
    WaiterID nextWaiterID_ = 1;
    LifetimeToken lifetime_;
};

}  // namespace tarnwick
