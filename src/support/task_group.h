#pragma once

// A group of child tasks that run side by side on the loop of the task that owns the group: at
// most `width` at once, the next waiting child starting as soon as a running one ends, results
// handed out in the order the children finish.

#include <cstddef>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <type_traits>
#include <utility>

#include "support/task.h"

namespace tarnwick {

// Children are tasks of the owning task: cancelling it cancels them. A child that throws (a
// cancelled one included) cancels the others and drops those not started yet; next() then waits
// until the running ones have ended and rethrows that first error. The group must be made and
// awaited inside the owning task, with its context:
//
//     TaskGroup<int> group(co_await currentTaskContext(), 2);
//     group.add(work(1));
//     while (auto result = co_await group.next()) ...
template <typename T>
class TaskGroup {
    static_assert(!std::is_void_v<T>, "children of a task group return a value");

public:
    TaskGroup(const TaskContext& owner, std::size_t width) : state_(std::make_shared<State>()) {
        state_->loop = owner.loop;
        state_->width = width == 0 ? 1 : width;
        state_->children = makeCancellationToken();
        if (owner.cancellation) {
            owner_ = owner.cancellation;
            // Runs at once when the owner is already cancelled.
            ownerHandler_ = owner_->onCancel([children = state_->children] { children->cancel(); });
        }
    }
    // Children still running are cancelled and end on their own; nothing waits for them.
    ~TaskGroup() {
        if (owner_) owner_->removeHandler(ownerHandler_);
        cancelAll();
    }
    TaskGroup(const TaskGroup&) = delete;
    TaskGroup& operator=(const TaskGroup&) = delete;

    // Starts the child now when fewer than `width` run, else when its turn comes (in the order
    // added). A child added after a failure or cancellation is dropped.
    void add(Task<T> child) {
        {
            std::lock_guard lock(state_->mutex);
            if (state_->failed || state_->children->isCancelled()) return;
            if (state_->running >= state_->width) {
                state_->waiting.push_back(std::move(child));
                return;
            }
            ++state_->running;
        }
        start(state_, std::move(child));
    }

    // The next result in finishing order; nothing once every child has ended. Rethrows the first
    // error of a child after the others have ended.
    Task<std::optional<T>> next() {
        const std::shared_ptr<State> state = state_;
        NextAwaiter first(state);
        std::optional<Outcome> outcome = co_await first;
        if (!outcome) co_return std::nullopt;
        if (outcome->error) {
            for (;;) {
                NextAwaiter another(state);
                if (!co_await another) break;
            }
            std::rethrow_exception(outcome->error);
        }
        co_return std::move(outcome->value);
    }

    // Cancels every child and drops those not started yet.
    void cancelAll() {
        {
            std::lock_guard lock(state_->mutex);
            state_->waiting.clear();
        }
        state_->children->cancel();
    }

    // How many children run now, and how many wait for their turn.
    std::size_t runningCount() const {
        std::lock_guard lock(state_->mutex);
        return state_->running;
    }
    std::size_t waitingCount() const {
        std::lock_guard lock(state_->mutex);
        return state_->waiting.size();
    }

private:
    struct Outcome {
        std::optional<T> value;
        std::exception_ptr error;
    };
    struct State {
        std::mutex mutex;
        RunLoop* loop = nullptr;
        std::size_t width = 1;
        CancellationToken children;
        std::size_t running = 0;
        bool failed = false;
        std::deque<Task<T>> waiting;
        std::deque<Outcome> finished;
        std::shared_ptr<detail::ResumeSlot> receiver;  // a suspended next()
    };

    static void start(const std::shared_ptr<State>& state, Task<T> child) {
        spawn(*state->loop, runChild(state, std::move(child)), state->children);
    }

    static Task<void> runChild(std::shared_ptr<State> state, Task<T> child) {
        Outcome outcome;
        try {
            outcome.value.emplace(co_await std::move(child));
        } catch (...) {
            outcome.error = std::current_exception();
        }
        childEnded(state, std::move(outcome));
    }

    static void childEnded(const std::shared_ptr<State>& state, Outcome outcome) {
        std::optional<Task<T>> nextChild;
        std::shared_ptr<detail::ResumeSlot> receiver;
        bool cancelOthers = false;
        {
            std::lock_guard lock(state->mutex);
            --state->running;
            if (outcome.error && !state->failed) {
                state->failed = true;
                state->waiting.clear();
                cancelOthers = true;
            }
            state->finished.push_back(std::move(outcome));
            if (!state->waiting.empty() && !state->children->isCancelled()) {
                nextChild.emplace(std::move(state->waiting.front()));
                state->waiting.pop_front();
                ++state->running;
            }
            receiver = std::exchange(state->receiver, nullptr);
        }
        if (cancelOthers) state->children->cancel();
        if (nextChild) start(state, std::move(*nextChild));
        if (receiver && receiver->claim()) receiver->postResume(receiver);
    }

    // Suspends until a child has ended (or gives nothing at once when none runs or waits).
    class NextAwaiter {
    public:
        explicit NextAwaiter(std::shared_ptr<State> state)
            : state_(std::move(state)), slot_(std::make_shared<detail::ResumeSlot>()) {}
        NextAwaiter(NextAwaiter&&) = default;
        ~NextAwaiter() {
            if (slot_) slot_->release();
        }
        bool await_ready() {
            std::lock_guard lock(state_->mutex);
            return ready();
        }
        template <typename P>
        bool await_suspend(std::coroutine_handle<P> h) {
            slot_->handle = h;
            slot_->loop = h.promise().context.loop;
            std::lock_guard lock(state_->mutex);
            if (ready()) return false;
            state_->receiver = slot_;
            return true;
        }
        std::optional<Outcome> await_resume() {
            std::lock_guard lock(state_->mutex);
            if (state_->finished.empty()) return std::nullopt;
            Outcome outcome = std::move(state_->finished.front());
            state_->finished.pop_front();
            return outcome;
        }

    private:
        bool ready() const {
            return !state_->finished.empty() || (state_->running == 0 && state_->waiting.empty());
        }
        std::shared_ptr<State> state_;
        std::shared_ptr<detail::ResumeSlot> slot_;
    };

    std::shared_ptr<State> state_;
    CancellationToken owner_;
    std::uint64_t ownerHandler_ = 0;
};

}  // namespace tarnwick
