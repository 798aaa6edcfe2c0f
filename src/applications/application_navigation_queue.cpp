#include "applications/application_navigation_queue.h"

namespace tarnwick {

ApplicationNavigationQueue::ApplicationNavigationQueue() : state_(std::make_shared<State>()) {}

TaskHandle<void> ApplicationNavigationQueue::run(Operation operation) {
    TaskHandle<void> previous = state_->current;
    previous.cancel();
    const std::uint64_t number = ++state_->generation;
    // The task refers to the queue weakly: it may outlive it.
    std::weak_ptr<State> queue = state_;
    Task<void> task = perform(std::move(previous), std::move(queue), number, std::move(operation));
    state_->current = spawn(RunLoop::main(), std::move(task));
    return state_->current;
}

void ApplicationNavigationQueue::cancel() { state_->current.cancel(); }

Task<void> ApplicationNavigationQueue::perform(TaskHandle<void> previous, std::weak_ptr<State> queue,
                                               std::uint64_t number, Operation operation) {
    if (previous) {
        try {
            co_await previous.value();
        } catch (...) {
        }
    }
    const bool cancelled = co_await taskIsCancelled();
    if (!queue.expired() && !cancelled && operation) {
        try {
            co_await operation();
        } catch (...) {
        }
    }
    if (auto state = queue.lock(); state && state->generation == number) state->current = TaskHandle<void>();
}

}  // namespace tarnwick
