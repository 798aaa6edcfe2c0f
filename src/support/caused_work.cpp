#include "support/caused_work.h"

#include <map>
#include <mutex>

namespace tarnwick {

namespace {

thread_local bool tMarked = false;
// Caused jobs running on this thread's stack (a modal run nests them).
thread_local std::size_t tRunningHere = 0;

struct Tally {
    std::mutex mutex;
    std::size_t outstanding = 0;
    std::size_t onWorkers = 0;
    std::uint64_t nextWatch = 1;
    std::map<std::uint64_t, std::function<void()>> watches;
};

// Never destroyed: worker threads may still end their work while the program's statics go.
Tally& tally() {
    static Tally* const instance = new Tally;
    return *instance;
}

}  // namespace

bool CausedWork::isMarked() { return tMarked; }

CausedWork::Scope::Scope(bool marked) : previous_(tMarked) { tMarked = marked; }
CausedWork::Scope::~Scope() { tMarked = previous_; }

CausedWork::Hold::Hold(Where where) : where_(where) {
    Tally& counts = tally();
    std::lock_guard lock(counts.mutex);
    ++counts.outstanding;
    if (where_ == Where::worker) ++counts.onWorkers;
}

CausedWork::Hold::~Hold() {
    Tally& counts = tally();
    std::lock_guard lock(counts.mutex);
    --counts.outstanding;
    if (where_ == Where::worker) --counts.onWorkers;
    // Under the lock, so that a watch that has gone is never called.
    for (const auto& [id, ended] : counts.watches) ended();
}

std::shared_ptr<CausedWork::Hold> CausedWork::holdIfMarked(Where where) {
    if (!tMarked) return nullptr;
    return std::make_shared<Hold>(where);
}

std::function<void()> CausedWork::adopt(std::function<void()> job, Where where) {
    if (!tMarked || !job) return job;
    return carry(std::make_shared<Hold>(where), std::move(job));
}

std::function<void()> CausedWork::carry(std::shared_ptr<Hold> hold, std::function<void()> job) {
    return [hold = std::move(hold), job = std::move(job)] {
        struct OnStack {
            Scope marked{true};
            OnStack() { ++tRunningHere; }
            ~OnStack() { --tRunningHere; }
        } onStack;
        job();
    };
}

std::size_t CausedWork::outstanding() {
    Tally& counts = tally();
    std::lock_guard lock(counts.mutex);
    return counts.outstanding > tRunningHere ? counts.outstanding - tRunningHere : 0;
}

std::size_t CausedWork::onWorkers() {
    Tally& counts = tally();
    std::lock_guard lock(counts.mutex);
    return counts.onWorkers;
}

CausedWork::Watch::Watch(std::function<void()> ended) {
    Tally& counts = tally();
    std::lock_guard lock(counts.mutex);
    id_ = counts.nextWatch++;
    counts.watches.emplace(id_, std::move(ended));
}

CausedWork::Watch::~Watch() {
    Tally& counts = tally();
    std::lock_guard lock(counts.mutex);
    counts.watches.erase(id_);
}

}  // namespace tarnwick
