#pragma once

// Coroutine tasks that stand in for the platform's structured concurrency: a Task<T> runs on the
// run loop, awaits other tasks (which share its cancellation), sleeps on the loop's clock, hops to
// serial executors and waits for one-shot continuations (optionally bounded by a deadline and cut
// short by cancellation). Every resumption is posted to the loop, never run inline, so a resumed
// caller cannot re-enter code that is still iterating its waiters.

#include <coroutine>
#include <exception>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

#include "support/cancellation.h"
#include "support/caused_work.h"
#include "support/error.h"
#include "support/executor.h"
#include "support/run_loop.h"

namespace tarnwick {

struct TaskContext {
    RunLoop* loop = nullptr;
    CancellationToken cancellation;
    bool isCancelled() const { return cancellation && cancellation->isCancelled(); }
};

namespace detail {

struct PromiseBase {
    TaskContext context;
    std::coroutine_handle<> continuation;
    std::exception_ptr error;

    std::suspend_always initial_suspend() noexcept { return {}; }
    struct FinalAwaiter {
        bool await_ready() noexcept { return false; }
        template <typename P>
        std::coroutine_handle<> await_suspend(std::coroutine_handle<P> h) noexcept {
            auto next = h.promise().continuation;
            return next ? next : std::noop_coroutine();
        }
        void await_resume() noexcept {}
    };
    FinalAwaiter final_suspend() noexcept { return {}; }
    void unhandled_exception() { error = std::current_exception(); }
};

template <typename T>
struct ValuePromise : PromiseBase {
    std::optional<T> value;
    template <typename U>
    void return_value(U&& v) {
        value.emplace(std::forward<U>(v));
    }
    T take() {
        if (error) std::rethrow_exception(error);
        return std::move(*value);
    }
};

struct VoidPromise : PromiseBase {
    void return_void() {}
    void take() {
        if (error) std::rethrow_exception(error);
    }
};

}  // namespace detail

template <typename T = void>
class [[nodiscard]] Task {
public:
    struct promise_type : std::conditional_t<std::is_void_v<T>, detail::VoidPromise, detail::ValuePromise<T>> {
        Task get_return_object() { return Task(std::coroutine_handle<promise_type>::from_promise(*this)); }
    };
    using Handle = std::coroutine_handle<promise_type>;

    Task() = default;
    explicit Task(Handle h) : handle_(h) {}
    Task(Task&& other) noexcept : handle_(std::exchange(other.handle_, {})) {}
    Task& operator=(Task&& other) noexcept {
        if (this != &other) {
            if (handle_) handle_.destroy();
            handle_ = std::exchange(other.handle_, {});
        }
        return *this;
    }
    Task(const Task&) = delete;
    Task& operator=(const Task&) = delete;
    ~Task() {
        if (handle_) handle_.destroy();
    }

    struct Awaiter {
        Handle child;
        bool await_ready() const noexcept { return false; }
        template <typename P>
        std::coroutine_handle<> await_suspend(std::coroutine_handle<P> parent) noexcept {
            child.promise().context = parent.promise().context;
            child.promise().continuation = parent;
            return child;
        }
        decltype(auto) await_resume() { return child.promise().take(); }
    };
    // Awaiting a task runs it in the awaiting task's context (loop and cancellation).
    Awaiter operator co_await() && noexcept { return Awaiter{handle_}; }
    Awaiter operator co_await() & noexcept { return Awaiter{handle_}; }

    explicit operator bool() const { return static_cast<bool>(handle_); }

private:
    Handle handle_;
};

// ---- awaitables that read the current task's context ----

// co_await currentTaskContext() gives the running task's loop and cancellation token.
struct ContextAwaiter {
    TaskContext context;
    bool await_ready() const noexcept { return false; }
    template <typename P>
    bool await_suspend(std::coroutine_handle<P> h) noexcept {
        context = h.promise().context;
        return false;  // never actually suspends
    }
    TaskContext await_resume() noexcept { return context; }
};
inline ContextAwaiter currentTaskContext() { return {}; }

// co_await taskIsCancelled() tells whether the running task was cancelled.
struct CancelledAwaiter {
    bool cancelled = false;
    bool await_ready() const noexcept { return false; }
    template <typename P>
    bool await_suspend(std::coroutine_handle<P> h) noexcept {
        cancelled = h.promise().context.isCancelled();
        return false;
    }
    bool await_resume() noexcept { return cancelled; }
};
inline CancelledAwaiter taskIsCancelled() { return {}; }

// co_await checkCancellation() throws CancellationError when the running task was cancelled.
struct CheckCancellationAwaiter : CancelledAwaiter {
    void await_resume() {
        if (cancelled) throw CancellationError();
    }
};
inline CheckCancellationAwaiter checkCancellation() { return {}; }

namespace detail {

// Shared by an awaiter that suspends and whoever resumes it. The frame may be destroyed while
// suspended (its loop went away); then `alive` is false and late resumptions do nothing.
struct ResumeSlot {
    std::mutex mutex;
    std::coroutine_handle<> handle;
    RunLoop* loop = nullptr;
    bool alive = true;
    bool resumed = false;
    // A completion that caused work waits for is caused work until the task has resumed: a
    // worker or a platform call that resolves it need not be caused work itself.
    std::shared_ptr<CausedWork::Hold> caused;

    void holdIfCaused() {
        auto hold = CausedWork::holdIfMarked();
        std::lock_guard lock(mutex);
        caused = std::move(hold);
    }
    // The hold goes after the lock is released: its end may wake a loop.
    std::shared_ptr<CausedWork::Hold> takeHold() {
        std::lock_guard lock(mutex);
        return std::move(caused);
    }

    // Posts the resumption once; returns false when it was already claimed.
    bool claim() {
        std::lock_guard lock(mutex);
        if (resumed || !alive) return false;
        resumed = true;
        return true;
    }
    void postResume(const std::shared_ptr<ResumeSlot>& self) {
        RunLoop* target;
        std::shared_ptr<CausedWork::Hold> hold;
        {
            std::lock_guard lock(mutex);
            target = loop;
            hold = std::move(caused);
        }
        std::function<void()> resumption = [self] {
            std::coroutine_handle<> h;
            {
                std::lock_guard lock(self->mutex);
                if (!self->alive) return;
                h = self->handle;
            }
            h.resume();
        };
        if (hold) resumption = CausedWork::carry(std::move(hold), std::move(resumption));
        target->post(std::move(resumption));
    }
    void release() {
        std::shared_ptr<CausedWork::Hold> hold;
        {
            std::lock_guard lock(mutex);
            alive = false;
            hold = std::move(caused);
        }
    }
};

}  // namespace detail

// co_await sleepFor(seconds): resumes after that much time on the loop's clock; throws
// CancellationError when the task is cancelled before or while it sleeps.
class SleepAwaiter {
public:
    explicit SleepAwaiter(double seconds) : seconds_(seconds), slot_(std::make_shared<detail::ResumeSlot>()) {}
    SleepAwaiter(SleepAwaiter&&) = default;
    ~SleepAwaiter() {
        if (!slot_) return;
        slot_->release();
        item_.cancel();
        if (token_) token_->removeHandler(handlerId_);
    }

    bool await_ready() const noexcept { return false; }
    template <typename P>
    bool await_suspend(std::coroutine_handle<P> h) {
        const auto& context = h.promise().context;
        if (context.isCancelled()) {
            cancelled_ = true;
            return false;
        }
        slot_->handle = h;
        slot_->loop = context.loop;
        auto slot = slot_;
        item_ = context.loop->postAfter(seconds_, [slot] {
            if (!slot->claim()) return;
            std::coroutine_handle<> handle;
            {
                std::lock_guard lock(slot->mutex);
                handle = slot->handle;
            }
            handle.resume();
        });
        if (context.cancellation) {
            token_ = context.cancellation;
            auto cancelledFlag = std::make_shared<bool>(false);
            cancelledByToken_ = cancelledFlag;
            handlerId_ = token_->onCancel([slot, cancelledFlag] {
                if (!slot->claim()) return;
                *cancelledFlag = true;
                slot->postResume(slot);
            });
        }
        return true;
    }
    void await_resume() {
        if (token_) {
            token_->removeHandler(handlerId_);
            handlerId_ = 0;
        }
        item_.cancel();
        if (cancelled_ || (cancelledByToken_ && *cancelledByToken_)) throw CancellationError();
    }

private:
    double seconds_;
    std::shared_ptr<detail::ResumeSlot> slot_;
    WorkItem item_;
    CancellationToken token_;
    std::uint64_t handlerId_ = 0;
    bool cancelled_ = false;
    std::shared_ptr<bool> cancelledByToken_;
};
inline SleepAwaiter sleepFor(double seconds) { return SleepAwaiter(seconds); }

// co_await yieldToLoop(): resumes on a later turn of the loop.
struct YieldAwaiter {
    bool await_ready() const noexcept { return false; }
    template <typename P>
    void await_suspend(std::coroutine_handle<P> h) {
        h.promise().context.loop->post([h] { h.resume(); });
    }
    void await_resume() noexcept {}
};
inline YieldAwaiter yieldToLoop() { return {}; }

// A one-shot continuation: the task suspends until someone resumes it exactly once (from any
// thread). Later calls, and calls after the awaiting frame is gone, do nothing.
template <typename T>
class Continuation {
public:
    struct State {
        std::shared_ptr<detail::ResumeSlot> slot = std::make_shared<detail::ResumeSlot>();
        std::optional<T> value;
        std::exception_ptr error;
    };
    explicit Continuation(std::shared_ptr<State> state) : state_(std::move(state)) {}

    bool resume(T value) {
        if (!state_->slot->claim()) return false;
        state_->value.emplace(std::move(value));
        state_->slot->postResume(state_->slot);
        return true;
    }
    bool resumeThrowing(std::exception_ptr error) {
        if (!state_->slot->claim()) return false;
        state_->error = error;
        state_->slot->postResume(state_->slot);
        return true;
    }

private:
    std::shared_ptr<State> state_;
};

template <>
class Continuation<void> {
public:
    struct State {
        std::shared_ptr<detail::ResumeSlot> slot = std::make_shared<detail::ResumeSlot>();
        std::exception_ptr error;
    };
    explicit Continuation(std::shared_ptr<State> state) : state_(std::move(state)) {}
    bool resume() {
        if (!state_->slot->claim()) return false;
        state_->slot->postResume(state_->slot);
        return true;
    }
    bool resumeThrowing(std::exception_ptr error) {
        if (!state_->slot->claim()) return false;
        state_->error = error;
        state_->slot->postResume(state_->slot);
        return true;
    }

private:
    std::shared_ptr<State> state_;
};

template <typename T>
class ContinuationAwaiter {
public:
    using Start = std::function<void(Continuation<T>)>;
    explicit ContinuationAwaiter(Start start)
        : start_(std::move(start)), state_(std::make_shared<typename Continuation<T>::State>()) {}
    ContinuationAwaiter(ContinuationAwaiter&&) = default;
    ~ContinuationAwaiter() {
        if (state_) state_->slot->release();
    }
    bool await_ready() const noexcept { return false; }
    template <typename P>
    void await_suspend(std::coroutine_handle<P> h) {
        state_->slot->handle = h;
        state_->slot->loop = h.promise().context.loop;
        state_->slot->holdIfCaused();
        start_(Continuation<T>(state_));
    }
    T await_resume() {
        if (state_->error) std::rethrow_exception(state_->error);
        if constexpr (!std::is_void_v<T>) return std::move(*state_->value);
    }

private:
    Start start_;
    std::shared_ptr<typename Continuation<T>::State> state_;
};

// co_await withContinuation<T>([](Continuation<T> c) { ... c.resume(value); })
// With GCC 12, a start function that captures anything must be a named variable: a lambda
// temporary inside the co_await expression is destroyed twice (its captures released twice).
// The same holds for waitForCompletion below.
template <typename T>
ContinuationAwaiter<T> withContinuation(typename ContinuationAwaiter<T>::Start start) {
    return ContinuationAwaiter<T>(std::move(start));
}

// What a bounded wait gives when it does not throw: the completion's value, or nothing when the
// deadline passed first (for a completion without value: true, or false at the deadline).
template <typename T>
using CompletionOutcome = std::conditional_t<std::is_void_v<T>, bool, std::optional<T>>;

// Waits for one completion of a platform call without trusting it to ever come. Unlike
// withContinuation, the awaiting task's cancellation resumes it at once with CancellationError
// (a task cancelled before the wait never starts the call), and an optional deadline (uptime on
// the loop's clock) resumes it with an empty outcome. Whichever comes first wins; a completion
// after that is ignored (its resume() returns false).
template <typename T>
class CompletionWaitAwaiter {
public:
    using Start = std::function<void(Continuation<T>)>;

    CompletionWaitAwaiter(Start start, std::optional<double> deadline)
        : start_(std::move(start)),
          deadline_(deadline),
          state_(std::make_shared<typename Continuation<T>::State>()),
          ending_(std::make_shared<Ending>(Ending::completed)) {}
    CompletionWaitAwaiter(CompletionWaitAwaiter&&) = default;
    ~CompletionWaitAwaiter() {
        if (!state_) return;
        state_->slot->release();
        disarm();
    }

    bool await_ready() const noexcept { return false; }
    template <typename P>
    bool await_suspend(std::coroutine_handle<P> h) {
        const TaskContext& context = h.promise().context;
        if (context.isCancelled()) {
            *ending_ = Ending::cancelled;
            return false;
        }
        const auto slot = state_->slot;
        slot->handle = h;
        slot->loop = context.loop;
        slot->holdIfCaused();
        const auto ending = ending_;
        // Whoever claims the slot first decides the ending and posts the one resumption.
        const auto end = [slot, ending](Ending how) {
            if (!slot->claim()) return;
            *ending = how;
            slot->postResume(slot);
        };
        // An infinite deadline never passes; any other (even NaN) is armed, passed ones at once.
        if (deadline_ && *deadline_ != std::numeric_limits<double>::infinity())
            deadlineItem_ = context.loop->postAfter(*deadline_ - context.loop->uptime(),
                                                      [end] { end(Ending::timedOut); });
        if (context.cancellation) {
            token_ = context.cancellation;
            handlerId_ = token_->onCancel([end] { end(Ending::cancelled); });
        }
        try {
            start_(Continuation<T>(state_));
        } catch (...) {
            // Another ending already posted its resumption: that one stands.
            if (!slot->claim()) return true;
            state_->error = std::current_exception();
            slot->takeHold();  // the task goes on at once: nothing is left to wait for
            return false;
        }
        return true;
    }
    CompletionOutcome<T> await_resume() {
        disarm();
        if (*ending_ == Ending::cancelled) throw CancellationError();
        if (*ending_ == Ending::timedOut) return CompletionOutcome<T>{};
        if (state_->error) std::rethrow_exception(state_->error);
        if constexpr (std::is_void_v<T>)
            return true;
        else
            return std::move(state_->value);
    }

private:
    enum class Ending { completed, cancelled, timedOut };

    void disarm() {
        deadlineItem_.cancel();
        if (token_) {
            token_->removeHandler(handlerId_);
            token_.reset();
        }
    }

    Start start_;
    std::optional<double> deadline_;
    std::shared_ptr<typename Continuation<T>::State> state_;
    std::shared_ptr<Ending> ending_;
    WorkItem deadlineItem_;
    CancellationToken token_;
    std::uint64_t handlerId_ = 0;
};

// co_await waitForCompletion<T>([](Continuation<T> c) { ...platform call that calls c.resume... },
// deadline): the completion's outcome; throws CancellationError, or the error the call resumed with.
template <typename T>
CompletionWaitAwaiter<T> waitForCompletion(typename CompletionWaitAwaiter<T>::Start start,
                                           std::optional<double> deadline = std::nullopt) {
    return CompletionWaitAwaiter<T>(std::move(start), deadline);
}

// co_await onExecutor(executor, fn): runs fn on the serial executor and resumes on the loop
// with its result (or its exception).
template <typename F>
auto onExecutor(SerialExecutor& executor, F fn) {
    using R = std::invoke_result_t<F>;
    return withContinuation<R>([&executor, fn = std::move(fn)](Continuation<R> continuation) mutable {
        executor.submit([fn = std::move(fn), continuation]() mutable {
            try {
                if constexpr (std::is_void_v<R>) {
                    fn();
                    continuation.resume();
                } else {
                    continuation.resume(fn());
                }
            } catch (...) {
                continuation.resumeThrowing(std::current_exception());
            }
        });
    });
}

// ---- spawning root tasks ----

namespace detail {

template <typename T>
struct TaskState {
    std::mutex mutex;
    bool done = false;
    std::conditional_t<std::is_void_v<T>, bool, std::optional<T>> value{};
    std::exception_ptr error;
    std::vector<std::shared_ptr<ResumeSlot>> waiters;
    std::vector<std::function<void()>> completions;
    CancellationToken cancellation;
};

struct DetachedPromise;
struct Detached {
    using promise_type = DetachedPromise;
    std::coroutine_handle<DetachedPromise> handle;
};
struct DetachedPromise {
    TaskContext context;
    RunLoop* loop = nullptr;
    std::uint64_t teardownId = 0;
    Detached get_return_object() { return Detached{std::coroutine_handle<DetachedPromise>::from_promise(*this)}; }
    std::suspend_always initial_suspend() noexcept { return {}; }
    std::suspend_never final_suspend() noexcept {
        if (loop) loop->removeTeardown(teardownId);
        return {};
    }
    void return_void() {}
    void unhandled_exception() { std::terminate(); }
};

template <typename T>
void finishTask(const std::shared_ptr<TaskState<T>>& state) {
    std::vector<std::shared_ptr<ResumeSlot>> waiters;
    std::vector<std::function<void()>> completions;
    {
        std::lock_guard lock(state->mutex);
        state->done = true;
        waiters.swap(state->waiters);
        completions.swap(state->completions);
    }
    for (auto& waiter : waiters)
        if (waiter->claim()) waiter->postResume(waiter);
    for (auto& completion : completions) completion();
}

template <typename T>
Detached runDetached(Task<T> task, std::shared_ptr<TaskState<T>> state) {
    try {
        if constexpr (std::is_void_v<T>) {
            co_await std::move(task);
            state->value = true;
        } else {
            state->value.emplace(co_await std::move(task));
        }
    } catch (...) {
        state->error = std::current_exception();
    }
    finishTask(state);
}

}  // namespace detail

// A handle to a spawned task: cancel it, ask whether it finished, or await its result from
// another task. Dropping the handle does not cancel the task.
template <typename T = void>
class TaskHandle {
public:
    TaskHandle() = default;
    explicit TaskHandle(std::shared_ptr<detail::TaskState<T>> state) : state_(std::move(state)) {}

    void cancel() const {
        if (state_) state_->cancellation->cancel();
    }
    bool isCancelled() const { return state_ && state_->cancellation->isCancelled(); }
    bool isDone() const {
        if (!state_) return false;
        std::lock_guard lock(state_->mutex);
        return state_->done;
    }
    explicit operator bool() const { return state_ != nullptr; }
    const CancellationToken& cancellation() const { return state_->cancellation; }
    std::exception_ptr error() const { return state_ ? state_->error : nullptr; }
    // The result of a finished task that returned a value.
    template <typename U = T>
        requires(!std::is_void_v<U>)
    const std::optional<U>& result() const {
        return state_->value;
    }
    // Calls `completion` when the task finishes (on the loop), or at once if it has finished.
    void onCompletion(std::function<void()> completion) const {
        {
            std::lock_guard lock(state_->mutex);
            if (!state_->done) {
                state_->completions.push_back(std::move(completion));
                return;
            }
        }
        completion();
    }

    struct ValueAwaiter {
        std::shared_ptr<detail::TaskState<T>> state;
        std::shared_ptr<detail::ResumeSlot> slot = std::make_shared<detail::ResumeSlot>();
        ValueAwaiter(std::shared_ptr<detail::TaskState<T>> s) : state(std::move(s)) {}
        ValueAwaiter(ValueAwaiter&&) = default;
        ~ValueAwaiter() {
            if (slot) slot->release();
        }
        bool await_ready() {
            std::lock_guard lock(state->mutex);
            return state->done;
        }
        template <typename P>
        bool await_suspend(std::coroutine_handle<P> h) {
            slot->handle = h;
            slot->loop = h.promise().context.loop;
            std::lock_guard lock(state->mutex);
            if (state->done) return false;
            state->waiters.push_back(slot);
            return true;
        }
        decltype(auto) await_resume() {
            if (state->error) std::rethrow_exception(state->error);
            if constexpr (!std::is_void_v<T>) return *state->value;
        }
    };
    // co_await handle.value(): the task's result; its error is rethrown. Awaiting does not tie
    // the awaiting task's cancellation to this task.
    ValueAwaiter value() const { return ValueAwaiter(state_); }

private:
    std::shared_ptr<detail::TaskState<T>> state_;
};

// Starts a root task on the loop (it begins on a later turn, as a new task does). The task
// gets its own cancellation token unless one is given.
template <typename T>
TaskHandle<T> spawn(RunLoop& loop, Task<T> task, CancellationToken cancellation = nullptr) {
    auto state = std::make_shared<detail::TaskState<T>>();
    state->cancellation = cancellation ? std::move(cancellation) : makeCancellationToken();
    auto detached = detail::runDetached<T>(std::move(task), state);
    auto handle = detached.handle;
    handle.promise().context = TaskContext{&loop, state->cancellation};
    handle.promise().loop = &loop;
    handle.promise().teardownId = loop.addTeardown([handle] { handle.destroy(); });
    loop.post([handle] { handle.resume(); });
    return TaskHandle<T>(state);
}

template <typename T>
TaskHandle<T> spawn(Task<T> task, CancellationToken cancellation = nullptr) {
    return spawn(RunLoop::main(), std::move(task), std::move(cancellation));
}

}  // namespace tarnwick
