#include "support/caused_work.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <vector>

namespace tarnwick {

namespace {

thread_local CausedWork::Cause tCause = CausedWork::kNone;
// The causes of the caused jobs running on this thread's stack (a modal run nests them).
thread_local std::vector<CausedWork::Cause> tRunningHere;

struct Counts {
    std::size_t outstanding = 0;
    std::size_t onWorkers = 0;
};

struct Tally {
    std::mutex mutex;
    // Only causes with work not done yet: an entry goes when its last piece ends.
    std::map<CausedWork::Cause, Counts> counts;
    std::uint64_t nextWatch = 1;
    std::map<std::uint64_t, std::function<void()>> watches;
};

// Never destroyed: worker threads may still end their work while the program's statics go.
Tally& tally() {
    static Tally* const instance = new Tally;
    return *instance;
}

// A cause only has to differ from every other: nothing else is ordered by taking one.
std::atomic<CausedWork::Cause> nextCause{1};

}  // namespace

CausedWork::Cause CausedWork::newCause() { return nextCause.fetch_add(1, std::memory_order_relaxed); }

CausedWork::Cause CausedWork::current() { return tCause; }

CausedWork::Scope::Scope(Cause cause) : previous_(tCause) { tCause = cause; }
CausedWork::Scope::~Scope() { tCause = previous_; }

CausedWork::Hold::Hold(Cause cause, Where where) : cause_(cause), where_(where) {
    Tally& all = tally();
    std::lock_guard lock(all.mutex);
    Counts& counts = all.counts[cause_];
    ++counts.outstanding;
    if (where_ == Where::worker) ++counts.onWorkers;
}

CausedWork::Hold::~Hold() {
    Tally& all = tally();
    std::lock_guard lock(all.mutex);
    auto entry = all.counts.find(cause_);
    if (entry != all.counts.end()) {
        Counts& counts = entry->second;
        --counts.outstanding;
        if (where_ == Where::worker) --counts.onWorkers;
        if (counts.outstanding == 0) all.counts.erase(entry);
    }
    // Under the lock, so that a watch that has gone is never called.
    for (const auto& [id, ended] : all.watches) ended();
}

std::shared_ptr<CausedWork::Hold> CausedWork::holdIfMarked(Where where) {
    if (tCause == kNone) return nullptr;
    return std::make_shared<Hold>(tCause, where);
}

std::function<void()> CausedWork::adopt(std::function<void()> job, Where where) {
    if (tCause == kNone || !job) return job;
    return carry(std::make_shared<Hold>(tCause, where), std::move(job));
}

std::function<void()> CausedWork::carry(std::shared_ptr<Hold> hold, std::function<void()> job) {
    return [hold = std::move(hold), job = std::move(job)] {
        struct OnStack {
            Scope marked;
            explicit OnStack(Cause cause) : marked(cause) { tRunningHere.push_back(cause); }
            ~OnStack() { tRunningHere.pop_back(); }
        } onStack(hold->cause());
        job();
    };
}

std::size_t CausedWork::outstanding(Cause cause) {
    const auto here = static_cast<std::size_t>(std::count(tRunningHere.begin(), tRunningHere.end(), cause));
    Tally& all = tally();
    std::lock_guard lock(all.mutex);
    auto entry = all.counts.find(cause);
    const std::size_t counted = entry == all.counts.end() ? 0 : entry->second.outstanding;
    return counted > here ? counted - here : 0;
}

std::size_t CausedWork::onWorkers(Cause cause) {
    Tally& all = tally();
    std::lock_guard lock(all.mutex);
    auto entry = all.counts.find(cause);
    return entry == all.counts.end() ? 0 : entry->second.onWorkers;
}

CausedWork::Watch::Watch(std::function<void()> ended) {
    Tally& all = tally();
    std::lock_guard lock(all.mutex);
    id_ = all.nextWatch++;
    all.watches.emplace(id_, std::move(ended));
}

CausedWork::Watch::~Watch() {
    Tally& all = tally();
    std::lock_guard lock(all.mutex);
    all.watches.erase(id_);
}

}  // namespace tarnwick
