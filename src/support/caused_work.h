#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace tarnwick {

// Work that one piece of work set going, followed across threads, so that whoever started it
// (the simulated user's console, with a command) can wait until all of it has run. A thread is
// marked while it runs such work. What it hands on for now is caused too and counted until it is
// done: a post to a run loop, a job for a worker thread, the completion a task waits for. Delayed
// work and timers are not: they are later changes of their own. Thread-safe throughout.
class CausedWork {
public:
    enum class Where { loop, worker };

    // Whether the calling thread runs caused work now.
    static bool isMarked();

    // Marks the calling thread (or, with false, clears its mark) for the scope's lifetime.
    class Scope {
    public:
        explicit Scope(bool marked = true);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        bool previous_;
    };

    // One piece of caused work: counted from its making until its destruction.
    class Hold {
    public:
        explicit Hold(Where where);
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        Where where_;
    };

    // A hold while the calling thread runs caused work, else nothing.
    static std::shared_ptr<Hold> holdIfMarked(Where where = Where::loop);
    // The job as caused work when the calling thread runs caused work, else the job unchanged.
    static std::function<void()> adopt(std::function<void()> job, Where where = Where::loop);
    // The job run marked; the hold ends when the closure is destroyed, so a job that is dropped
    // unrun (cancelled, or its loop gone) still ends.
    static std::function<void()> carry(std::shared_ptr<Hold> hold, std::function<void()> job);

    // Caused work not done yet, but for the caused jobs on the calling thread's stack: a modal
    // run inside one of them must not wait for the job that runs it.
    static std::size_t outstanding();
    // Caused jobs handed to worker threads and not done yet.
    static std::size_t onWorkers();

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
