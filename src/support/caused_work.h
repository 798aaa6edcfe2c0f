#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace tarnwick {

// Work that one piece of work set going, followed across threads, so that whoever started it
// (the simulated user's console, with a command) can wait until all of it has run. Each starter
// opens a cause of its own, and a thread is marked with the cause whose work it runs now. What it
// hands on for now belongs to that cause and is counted until it is done: a post to a run loop, a
// job for a worker thread, the completion a task waits for. Delayed work and timers are not: they
// are later changes of their own. Causes are counted apart, so one starter never waits for
// another's work that is still running. Thread-safe throughout.
class CausedWork {
public:
    enum class Where { loop, worker };
    // Which starter the work belongs to; kNone marks no work.
    using Cause = std::uint64_t;
    static constexpr Cause kNone = 0;

    // A cause never handed out before.
    static Cause newCause();
    // The cause whose work the calling thread runs now; kNone when none.
    static Cause current();
    // Whether the calling thread runs caused work now.
    static bool isMarked() { return current() != kNone; }

    // Marks the calling thread with the cause (kNone clears its mark) for the scope's lifetime.
    class Scope {
    public:
        explicit Scope(Cause cause);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        Cause previous_;
    };

    // One piece of a cause's work: counted from its making until its destruction.
    class Hold {
    public:
        Hold(Cause cause, Where where);
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
        Cause cause() const { return cause_; }

    private:
        Cause cause_;
        Where where_;
    };

    // A hold of the calling thread's cause, or nothing when it runs no caused work.
    static std::shared_ptr<Hold> holdIfMarked(Where where = Where::loop);
    // The job as work of the calling thread's cause, or the job unchanged when it has none.
    static std::function<void()> adopt(std::function<void()> job, Where where = Where::loop);
    // The job run marked with the hold's cause; the hold ends when the closure is destroyed, so
    // a job that is dropped unrun (cancelled, or its loop gone) still ends.
    static std::function<void()> carry(std::shared_ptr<Hold> hold, std::function<void()> job);

    // The cause's work not done yet, but for its jobs on the calling thread's stack: a modal run
    // inside one of them must not wait for the job that runs it.
    static std::size_t outstanding(Cause cause);
    // The cause's jobs handed to worker threads and not done yet.
    static std::size_t onWorkers(Cause cause);

    // Calls `ended` whenever a piece of caused work ends (on the thread where it ended) for the
    // watch's lifetime.
    class Watch {
    public:
        explicit Watch(std::function<void()> ended);
        ~Watch();
        Watch(const Watch&) = delete;
        Watch& operator=(const Watch&) = delete;

    private:
        std::uint64_t id_;
    };
};

}  // namespace tarnwick
