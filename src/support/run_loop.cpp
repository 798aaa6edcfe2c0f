#include "support/run_loop.h"

#include <algorithm>
#include <cassert>
#include <chrono>
#include <cmath>
#include <iterator>
#include <stdexcept>

#include "support/caused_work.h"

namespace tarnwick {

namespace {
RunLoop* gMainLoop = nullptr;
constexpr double kMinimumInterval = 0.0001;
}  // namespace

RunLoop::RunLoop(Clock& clock) : clock_(clock) {
    if (auto manual = dynamic_cast<ManualClock*>(&clock_))
        manual->setDriver([this](double target) { advanceTo(target); });
}

RunLoop::~RunLoop() {
    if (auto manual = dynamic_cast<ManualClock*>(&clock_)) manual->setDriver(nullptr);
    // Queued jobs may hold resumptions of the frames torn down below: drop them first.
    Dropped dropped;
    {
        std::lock_guard lock(mutex_);
        for (; !queue_.empty(); queue_.pop()) dropped.push_back(queue_.top().item);
    }
    releaseJobs(dropped);
    while (true) {
        std::function<void()> teardown;
        {
            std::lock_guard lock(mutex_);
            if (teardowns_.empty()) break;
            auto last = std::prev(teardowns_.end());
            teardown = std::move(last->second);
            teardowns_.erase(last);
        }
        teardown();
    }
}

std::uint64_t RunLoop::addTeardown(std::function<void()> teardown) {
    std::lock_guard lock(mutex_);
    auto id = nextTeardown_++;
    teardowns_.emplace(id, std::move(teardown));
    return id;
}

void RunLoop::removeTeardown(std::uint64_t id) {
    std::lock_guard lock(mutex_);
    teardowns_.erase(id);
}

void RunLoop::schedule(double due, std::shared_ptr<detail::LoopItem> item) {
    std::lock_guard lock(mutex_);
    queue_.push(Entry{due, nextSequence_++, std::move(item)});
    ++activity_;
    // Notified under the lock: a loop that wakes for this item, finishes its run and is
    // destroyed (its destructor takes the lock first) cannot tear the condition variable down
    // while a worker thread is still inside this call.
    wake_.notify_all();
}

void RunLoop::post(Job job) {
    auto item = std::make_shared<detail::LoopItem>();
    item->job = CausedWork::adopt(std::move(job));
    schedule(clock_.uptime(), std::move(item));
}

WorkItem RunLoop::postAfter(double seconds, Job job) {
    auto item = std::make_shared<detail::LoopItem>();
    if (!std::isfinite(seconds) || seconds < 0) seconds = 0;
    item->job = seconds == 0 ? CausedWork::adopt(std::move(job)) : std::move(job);
    schedule(clock_.uptime() + seconds, item);
    return WorkItem(item);
}

Timer RunLoop::scheduleTimer(double interval, double tolerance, Job job) {
    auto item = std::make_shared<detail::LoopItem>();
    item->job = std::move(job);
    item->interval = std::isfinite(interval) && interval > kMinimumInterval ? interval : kMinimumInterval;
    item->tolerance = std::isfinite(tolerance) && tolerance > 0 ? tolerance : 0;
    item->origin = clock_.uptime() + item->interval;
    schedule(item->origin, item);
    return Timer(item);
}

void RunLoop::dropCancelledLocked(Dropped& dropped) {
    while (!queue_.empty() && queue_.top().item->cancelled) {
        dropped.push_back(queue_.top().item);
        queue_.pop();
    }
}

void RunLoop::releaseJobs(Dropped& dropped) {
    // A cancelled item's holder (a WorkItem kept for later) must not keep what its job holds.
    for (auto& item : dropped) item->job = nullptr;
    dropped.clear();
}

bool RunLoop::popDue(double now, Entry& entry) {
    Dropped dropped;
    bool found = false;
    {
        std::lock_guard lock(mutex_);
        dropCancelledLocked(dropped);
        if (!queue_.empty() && queue_.top().due <= now) {
            entry = queue_.top();
            queue_.pop();
            found = true;
        }
    }
    releaseJobs(dropped);
    return found;
}

void RunLoop::runEntry(Entry& entry) {
    auto& item = *entry.item;
    item.fired = true;
    if (item.interval > 0) {
        // Reschedule before running so the job may invalidate its own timer. Fire dates lie on a
        // grid from the first one (so they do not drift by rounding), and a timer that fell
        // behind skips the firings it missed, as the platform's timers do.
        const double now = clock_.uptime();
        item.firings += 1;
        double next = item.origin + item.firings * item.interval;
        if (next <= now) {
            item.firings = std::floor((now - item.origin) / item.interval) + 1;
            next = item.origin + item.firings * item.interval;
        }
        if (next <= now) next = now + item.interval;
        schedule(next, entry.item);
        auto job = item.job;  // the job may invalidate the timer and release its state
        // A timer is nobody's caused work, whoever runs the loop (caused work marks itself).
        CausedWork::Scope unmarked(CausedWork::kNone);
        job();
    } else {
        auto job = std::move(item.job);
        item.job = nullptr;
        CausedWork::Scope unmarked(CausedWork::kNone);
        if (job) job();
    }
}

size_t RunLoop::runReady() {
    size_t count = 0;
    Entry entry;
    while (popDue(clock_.uptime(), entry)) {
        runEntry(entry);
        ++count;
    }
    return count;
}

void RunLoop::advanceTo(double target) { advance(target, false); }

double RunLoop::advanceUntilStopped(double target) { return advance(target, true); }

double RunLoop::advance(double target, bool endAtStop) {
    auto manual = dynamic_cast<ManualClock*>(&clock_);
    if (!manual) throw std::logic_error("advanceTo needs a manual clock");
    while (true) {
        runReady();
        if (endAtStop && stopRequested()) return manual->uptime();
        double next = target;
        bool empty;
        {
            Dropped dropped;
            {
                std::lock_guard lock(mutex_);
                dropCancelledLocked(dropped);
                empty = queue_.empty();
                if (!empty) next = queue_.top().due;
            }
            releaseJobs(dropped);
        }
        if (empty || next > target) break;
        manual->set(next);
        runReady();
        notifySettled();
        if (endAtStop && stopRequested()) return manual->uptime();
    }
    manual->set(target);
    runReady();
    notifySettled();
    return target;
}

size_t RunLoop::pendingCount() const {
    std::lock_guard lock(mutex_);
    return queue_.size();
}

std::uint64_t RunLoop::addSettledObserver(std::function<void()> observer) {
    const auto id = nextSettledObserver_++;
    settledObservers_.emplace(id, std::move(observer));
    return id;
}

void RunLoop::removeSettledObserver(std::uint64_t id) { settledObservers_.erase(id); }

void RunLoop::notifySettled() {
    // An observer may remove itself or others while it runs.
    for (auto it = settledObservers_.begin(); it != settledObservers_.end();) {
        const auto id = it->first;
        auto observer = it->second;
        observer();
        it = settledObservers_.upper_bound(id);
    }
}

void RunLoop::run() {
    {
        std::lock_guard lock(mutex_);
        stopped_ = false;
    }
    const bool manual = clock_.isManual();
    while (true) {
        runReady();
        {
            std::lock_guard lock(mutex_);
            if (stopped_) break;
        }
        notifySettled();
        {
            Dropped dropped;
            {
                std::lock_guard lock(mutex_);
                dropCancelledLocked(dropped);
            }
            releaseJobs(dropped);
        }
        std::unique_lock lock(mutex_);
        if (stopped_) break;
        if (queue_.empty()) {
            wake_.wait(lock);
        } else if (manual) {
            // Only a post (due at the clock's time) or a move of the clock by someone else wakes
            // the loop; the queue's deadlines are virtual.
            if (queue_.top().due > clock_.uptime()) wake_.wait(lock);
        } else {
            double wait = queue_.top().due - clock_.uptime();
            if (wait > 0) wake_.wait_for(lock, std::chrono::duration<double>(wait));
        }
        if (stopped_) break;
    }
}

std::uint64_t RunLoop::activity() const {
    std::lock_guard lock(mutex_);
    return activity_;
}

void RunLoop::wake() {
    std::lock_guard lock(mutex_);
    ++activity_;
    wake_.notify_all();
}

void RunLoop::waitForWork(std::uint64_t seen, double seconds) {
    if (!std::isfinite(seconds) || seconds <= 0) return;
    using Steady = std::chrono::steady_clock;
    const auto after = [](double seconds) {
        return Steady::now() + std::chrono::duration_cast<Steady::duration>(std::chrono::duration<double>(seconds));
    };
    const auto until = after(seconds);
    const bool manual = clock_.isManual();
    std::unique_lock lock(mutex_);
    while (activity_ == seen && !stopped_) {
        auto wakeAt = until;
        if (!queue_.empty()) {
            const double due = queue_.top().due - clock_.uptime();
            if (due <= 0) return;
            // On virtual time a deadline comes only when someone moves the clock.
            if (!manual) wakeAt = std::min(wakeAt, after(due));
        }
        if (wake_.wait_until(lock, wakeAt) == std::cv_status::timeout && wakeAt == until) return;
    }
}

void RunLoop::stop() {
    {
        std::lock_guard lock(mutex_);
        stopped_ = true;
    }
    wake_.notify_all();
}

bool RunLoop::stopRequested() const {
    std::lock_guard lock(mutex_);
    return stopped_;
}

RunLoop& RunLoop::main() {
    if (!gMainLoop) throw std::logic_error("no main run loop is installed");
    return *gMainLoop;
}

RunLoop* RunLoop::installedMain() { return gMainLoop; }

MainLoopScope::MainLoopScope(RunLoop& loop) : previous_(gMainLoop) { gMainLoop = &loop; }
MainLoopScope::~MainLoopScope() { gMainLoop = previous_; }

const Clock& stampingClock() {
    static const SystemClock systemClock;
    if (const RunLoop* loop = RunLoop::installedMain()) return loop->clock();
    return systemClock;
}

double systemUptime() { return RunLoop::main().uptime(); }
double wallClockNow() { return RunLoop::main().clock().now(); }

}  // namespace tarnwick
