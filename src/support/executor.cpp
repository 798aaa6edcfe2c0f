#include "support/executor.h"

#include <future>

#include "support/caused_work.h"
#include "support/run_loop.h"

namespace tarnwick {

ThreadExecutor::ThreadExecutor(std::string label) : label_(std::move(label)) {}

ThreadExecutor::~ThreadExecutor() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    ready_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void ThreadExecutor::submit(Job job) {
    job = CausedWork::adopt(std::move(job), CausedWork::Where::worker);
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
        // The thread starts with the first job: an executor nothing is asked of costs no thread.
        if (!thread_.joinable()) thread_ = std::thread([this] { work(); });
    }
    ready_.notify_one();
}

void ThreadExecutor::sync(Job job) {
    std::promise<void> done;
    auto finished = done.get_future();
    submit([&] {
        job();
        done.set_value();
    });
    finished.wait();
}

void ThreadExecutor::work() {
    while (true) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            ready_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (jobs_.empty()) return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        job();
    }
}

LoopExecutor::LoopExecutor(RunLoop& loop) : loop_(loop) {}

void LoopExecutor::submit(Job job) { loop_.post(std::move(job)); }

void LoopExecutor::sync(Job job) {
    auto done = std::make_shared<bool>(false);
    loop_.post([job = std::move(job), done] {
        job();
        *done = true;
    });
    while (!*done)
        if (loop_.runReady() == 0) break;
}

void ManualExecutor::submit(Job job) {
    std::lock_guard lock(mutex_);
    jobs_.push_back(std::move(job));
}

void ManualExecutor::sync(Job job) {
    runAll();
    job();
}

size_t ManualExecutor::runAll() {
    size_t count = 0;
    while (true) {
        Job job;
        {
            std::lock_guard lock(mutex_);
            if (jobs_.empty()) return count;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        job();
        ++count;
    }
}

size_t ManualExecutor::pending() const {
    std::lock_guard lock(mutex_);
    return jobs_.size();
}

namespace {
ExecutorFactory& factory() {
    static ExecutorFactory current;
    return current;
}
}  // namespace

std::shared_ptr<SerialExecutor> makeSerialExecutor(const std::string& label) {
    if (factory()) return factory()(label);
    return std::make_shared<ThreadExecutor>(label);
}

ExecutorFactoryScope::ExecutorFactoryScope(ExecutorFactory next) : previous_(std::move(factory())) {
    factory() = std::move(next);
}

ExecutorFactoryScope::~ExecutorFactoryScope() { factory() = std::move(previous_); }

}  // namespace tarnwick
