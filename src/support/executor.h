#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace tarnwick {

class RunLoop;

// A serial executor stands in for an actor or a serial dispatch queue: jobs run one at a time,
// in submission order.
class SerialExecutor {
public:
    using Job = std::function<void()>;
    virtual ~SerialExecutor() = default;
    virtual void submit(Job job) = 0;
    // Runs the job after everything submitted before it and waits for it. Must not be called
    // from a job of the same executor.
    virtual void sync(Job job) = 0;
};

// A worker thread (the program's executors). A job submitted by caused work is caused work too
// (support/caused_work.h).
class ThreadExecutor final : public SerialExecutor {
public:
    explicit ThreadExecutor(std::string label);
    ~ThreadExecutor() override;  // finishes queued jobs, then joins
    // Its thread starts with the first job submitted.
    void submit(Job job) override;
    void sync(Job job) override;
    const std::string& label() const { return label_; }

private:
    void work();
    std::string label_;
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<Job> jobs_;
    bool stopping_ = false;
    std::thread thread_;
};

// Runs jobs on a run loop (tests: the executor hops stay deterministic and on one thread).
class LoopExecutor final : public SerialExecutor {
public:
    explicit LoopExecutor(RunLoop& loop);
    void submit(Job job) override;
    // Runs the loop's ready work until this job has run.
    void sync(Job job) override;

private:
    RunLoop& loop_;
};

// Holds jobs until the test runs them; sync() runs everything queued and then the job.
class ManualExecutor final : public SerialExecutor {
public:
    void submit(Job job) override;
    void sync(Job job) override;
    // Runs queued jobs (and jobs they submit) until none is left; returns how many ran.
    size_t runAll();
    size_t pending() const;

private:
    mutable std::mutex mutex_;
    std::deque<Job> jobs_;
};

// The executor for a new actor or queue: a worker thread in the program, or the factory the
// tests install (so that every actor runs inline on the test's loop).
std::shared_ptr<SerialExecutor> makeSerialExecutor(const std::string& label);
using ExecutorFactory = std::function<std::shared_ptr<SerialExecutor>(const std::string& label)>;
// Installs a factory for the scope's lifetime.
class ExecutorFactoryScope {
public:
    explicit ExecutorFactoryScope(ExecutorFactory factory);
    ~ExecutorFactoryScope();
    ExecutorFactoryScope(const ExecutorFactoryScope&) = delete;
    ExecutorFactoryScope& operator=(const ExecutorFactoryScope&) = delete;

private:
    ExecutorFactory previous_;
};

}  // namespace tarnwick
