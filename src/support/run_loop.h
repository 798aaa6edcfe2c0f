#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <queue>
#include <vector>

#include "support/clock.h"

namespace tarnwick {

namespace detail {
struct LoopItem {
    std::function<void()> job;
    std::atomic<bool> cancelled{false};
    double interval = 0;   // > 0 for a repeating timer
    double tolerance = 0;
    double origin = 0;     // a timer's first fire date; the later ones lie on its grid
    double firings = 0;    // grid steps from the origin to the fire date scheduled last
    std::atomic<bool> fired{false};
};
}  // namespace detail

// A handle to delayed work. Cancelling is safe from any thread; it does nothing once the work ran.
class WorkItem {
public:
    WorkItem() = default;
    explicit WorkItem(std::shared_ptr<detail::LoopItem> item) : item_(std::move(item)) {}
    void cancel() {
        if (item_) item_->cancelled = true;
    }
    bool isCancelled() const { return item_ && item_->cancelled; }
    bool hasFired() const { return item_ && item_->fired; }
    explicit operator bool() const { return item_ != nullptr; }

private:
    std::shared_ptr<detail::LoopItem> item_;
};

// A handle to a repeating timer; invalidate() stops it.
class Timer {
public:
    Timer() = default;
    explicit Timer(std::shared_ptr<detail::LoopItem> item) : item_(std::move(item)) {}
    void invalidate() {
        if (item_) item_->cancelled = true;
    }
    bool isValid() const { return item_ && !item_->cancelled; }
    double interval() const { return item_ ? item_->interval : 0; }
    double tolerance() const { return item_ ? item_->tolerance : 0; }

private:
    std::shared_ptr<detail::LoopItem> item_;
};

// The main thread's loop: posted work, cancellable delayed work and repeating timers, ordered by
// due time. run() sleeps until the next due item or a post; it never spins. With a manual clock,
// advancing the clock runs what falls due instead, and run() waits for posts only: a deadline of
// virtual time comes when someone advances the clock, not when real time passes.
class RunLoop {
public:
    using Job = std::function<void()>;

    explicit RunLoop(Clock& clock);
    ~RunLoop();
    RunLoop(const RunLoop&) = delete;
    RunLoop& operator=(const RunLoop&) = delete;

    Clock& clock() const { return clock_; }
    double uptime() const { return clock_.uptime(); }

    // Thread-safe. Runs the job soon, after work posted before it. Posted by caused work, the
    // job is caused work too (support/caused_work.h).
    void post(Job job);
    // Thread-safe. Runs the job once, `seconds` from now, unless cancelled first. Only work for
    // now (0 s) is caused work; a delay makes it a later change.
    WorkItem postAfter(double seconds, Job job);
    // A repeating timer, first firing one interval from now. The tolerance lets the loop fire it
    // up to that much late to save wake-ups.
    Timer scheduleTimer(double interval, double tolerance, Job job);

    // Runs until stop(), sleeping while nothing is due.
    void run();
    // Thread-safe. Goes up with every post and every wake(); waitForWork compares it.
    std::uint64_t activity() const;
    // Thread-safe. Ends a waitForWork.
    void wake();
    // For one who runs the loop's work by hand (runReady) and waits for work of other threads:
    // sleeps until work is due, or activity() moved on from `seen`, or the seconds have passed
    // (real time, whatever the clock), or stop() was called.
    void waitForWork(std::uint64_t seen, double seconds);
    // Thread-safe.
    void stop();
    // Thread-safe. Whether stop() was called since run() last started.
    bool stopRequested() const;

    // Runs everything due at the current time, including work that it posts for now.
    size_t runReady();
    // Manual clock only: moves the clock to the target, running due items in order of due time.
    void advanceTo(double targetUptime);
    // The same, but it ends at the instant whose work asked the loop to stop (the clock stays
    // there), as a running loop would end then. Returns the uptime it reached.
    double advanceUntilStopped(double targetUptime);
    // Number of items waiting (cancelled ones included until they are dropped).
    size_t pendingCount() const;

    // Called on the loop's thread each time the loop has run everything due: before run() waits,
    // and in advanceTo after each instant the clock moved to. Observers see the state the work of
    // that instant left (the simulated user's console prints what changed).
    std::uint64_t addSettledObserver(std::function<void()> observer);
    void removeSettledObserver(std::uint64_t id);

    // Work to do when the loop goes away (tasks still suspended on it release their frames).
    std::uint64_t addTeardown(std::function<void()> teardown);
    void removeTeardown(std::uint64_t id);

    // The loop that plays the main thread's role, installed by MainLoopScope.
    static RunLoop& main();
    static RunLoop* installedMain();

private:
    struct Entry {
        double due;
        std::uint64_t sequence;
        std::shared_ptr<detail::LoopItem> item;
        bool operator>(const Entry& other) const {
            return due != other.due ? due > other.due : sequence > other.sequence;
        }
    };

    using Dropped = std::vector<std::shared_ptr<detail::LoopItem>>;
    void schedule(double due, std::shared_ptr<detail::LoopItem> item);
    // Takes cancelled items off the top of the queue (lock held); their jobs go with
    // releaseJobs once the lock is free, since a job's destruction may post.
    void dropCancelledLocked(Dropped& dropped);
    static void releaseJobs(Dropped& dropped);
    bool popDue(double now, Entry& entry);
    void runEntry(Entry& entry);
    void notifySettled();
    double advance(double target, bool endAtStop);

    Clock& clock_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> queue_;
    std::uint64_t nextSequence_ = 0;
    bool stopped_ = false;
    std::uint64_t activity_ = 0;
    std::uint64_t nextTeardown_ = 1;
    // By id, so that each of many suspended tasks leaves in logarithmic time; torn down newest first.
    std::map<std::uint64_t, std::function<void()>> teardowns_;
    // Main loop thread only.
    std::map<std::uint64_t, std::function<void()>> settledObservers_;
    std::uint64_t nextSettledObserver_ = 1;
};

// Installs a loop as the main loop for its lifetime (and restores the previous one).
class MainLoopScope {
public:
    explicit MainLoopScope(RunLoop& loop);
    ~MainLoopScope();
    MainLoopScope(const MainLoopScope&) = delete;
    MainLoopScope& operator=(const MainLoopScope&) = delete;

private:
    RunLoop* previous_;
};

// The main loop's clock, or the system's own when no main loop is installed (a worker still
// running before the program's loop exists or after it is gone). For writers that stamp what
// they record and must never fail for want of a loop.
const Clock& stampingClock();

// The system uptime as the main loop's clock reads it.
double systemUptime();
// Wall-clock seconds since 1970 from the main loop's clock.
double wallClockNow();

}  // namespace tarnwick
