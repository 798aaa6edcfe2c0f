#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "support/task.h"

namespace tarnwick {

// Runs navigation requests on the main loop, latest request wins: a new request cancels the
// previous one and starts its operation only after that one has ended, so two requests never
// drive Mission Control or raise windows at the same time. Main loop only.
class ApplicationNavigationQueue {
public:
    // An operation without result; its errors are its own business (the queue drops them).
    using Operation = std::function<Task<void>()>;

    ApplicationNavigationQueue();
    ApplicationNavigationQueue(const ApplicationNavigationQueue&) = delete;
    ApplicationNavigationQueue& operator=(const ApplicationNavigationQueue&) = delete;
    // Releasing the queue does not cancel its task.
    ~ApplicationNavigationQueue() = default;

    // Cancels the current request and starts this one after it; returns the started task.
    TaskHandle<void> run(Operation operation);
    // Cancels the current request (it stays current until it ends).
    void cancel();

    // The latest request's task while it runs; empty once it has ended.
    const TaskHandle<void>& current() const { return state_->current; }
    // How many requests were made.
    std::uint64_t generation() const { return state_->generation; }

private:
    struct State {
        TaskHandle<void> current;
        std::uint64_t generation = 0;
    };
    static Task<void> perform(TaskHandle<void> previous, std::weak_ptr<State> queue, std::uint64_t number,
                              Operation operation);

    std::shared_ptr<State> state_;
};

}  // namespace tarnwick
