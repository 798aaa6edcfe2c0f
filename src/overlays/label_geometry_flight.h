#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "support/task.h"

namespace tarnwick {

// One answer of a geometry flight: the value a read produced and when that read started
// (system uptime).
template <typename V>
struct LabelGeometryRead {
    V value;
    double startedAt = 0;
};

// Lets the label overlay ask for Mission Control's geometry as often as it likes while at most
// one read runs at any time. A request names the process to read and the earliest start time it
// accepts; requests that the running read satisfies share its answer, the others wait for the
// next read. invalidate() voids everything on its way at once, but a cancelled read stays
// recorded until it reports back, so reads never overlap. Main loop only; only the operation
// itself may run elsewhere.
template <typename V>
class LabelGeometryFlight {
public:
    using Read = LabelGeometryRead<V>;
    using Operation = std::function<Task<V>(std::int32_t processID)>;

    explicit LabelGeometryFlight(Operation operation, RunLoop& loop = RunLoop::main())
        : core_(std::make_shared<Core>(std::move(operation), loop)) {}
    // Waiting requests get nothing; a running read finds the flight gone and stops there.
    ~LabelGeometryFlight() { core_->answerEveryone(); }
    LabelGeometryFlight(const LabelGeometryFlight&) = delete;
    LabelGeometryFlight& operator=(const LabelGeometryFlight&) = delete;

    // A read of that process that started at or after `after`; nothing when the caller is
    // cancelled (before, while or after waiting), `after` is +infinity or NaN, or the request
    // was invalidated.
    Task<std::optional<Read>> read(std::int32_t processID, double after) {
        return request(std::weak_ptr<Core>(core_), processID, after);
    }

    // Answers every waiting request with nothing and voids the running read's answer.
    void invalidate() { core_->invalidate(); }

    std::uint64_t epoch() const { return core_->epoch; }
    bool isReading() const { return core_->flight.has_value(); }
    std::size_t waitingCount() const { return core_->waiters.size(); }

private:
    struct Waiter {
        std::uint64_t id;
        std::uint64_t epoch;
        std::int32_t processID;
        double after;
        Continuation<std::optional<Read>> continuation;
    };
    struct Flight {
        std::uint64_t id;
        std::uint64_t epoch;
        std::int32_t processID;
        double startedAt;
        TaskHandle<void> task;
    };

    struct Core : std::enable_shared_from_this<Core> {
        Core(Operation op, RunLoop& l) : operation(std::move(op)), loop(&l) {}

        Operation operation;
        RunLoop* loop;
        std::uint64_t epoch = 0;
        std::vector<Waiter> waiters;
        std::optional<Flight> flight;
        std::uint64_t nextID = 0;

        void startIfIdle() {
            if (flight || waiters.empty()) return;
            const std::int32_t processID = waiters.front().processID;
            const std::uint64_t id = ++nextID;
            const double startedAt = loop->uptime();
            Task<V> read = operation(processID);
            TaskHandle<void> task = spawn(*loop, report(this->weak_from_this(), id, std::move(read)));
            flight = Flight{id, epoch, processID, startedAt, std::move(task)};
        }

        // The read's task: it never looks at its own cancellation and always reports back, so
        // the flight ends even when the read was voided.
        static Task<void> report(std::weak_ptr<Core> weak, std::uint64_t id, Task<V> read) {
            std::optional<V> value;
            try {
                value.emplace(co_await std::move(read));
            } catch (...) {
                // A read that fails answers its waiters with nothing, like a voided one.
            }
            deliver(weak, id, std::move(value));
        }

        static void deliver(const std::weak_ptr<Core>& weak, std::uint64_t id, std::optional<V> value) {
            if (auto core = weak.lock()) core->finish(id, std::move(value));
        }

        void finish(std::uint64_t id, std::optional<V> value) {
            if (!flight || flight->id != id) return;
            const Flight done = std::move(*flight);
            flight.reset();
            std::vector<Waiter> kept, answered;
            for (auto& waiter : waiters) {
                const bool shares = waiter.epoch == epoch && done.epoch == waiter.epoch &&
                                    waiter.processID == done.processID && done.startedAt >= waiter.after;
                (shares ? answered : kept).push_back(std::move(waiter));
            }
            waiters = std::move(kept);
            for (std::size_t i = 0; i < answered.size(); ++i) {
                auto& continuation = answered[i].continuation;
                if (!value)
                    continuation.resume(std::nullopt);
                else if (i + 1 < answered.size())
                    continuation.resume(Read{*value, done.startedAt});
                else  // the last waiter takes the read itself rather than a copy
                    continuation.resume(Read{std::move(*value), done.startedAt});
            }
            startIfIdle();
        }

        void cancelWaiter(std::uint64_t id) {
            for (auto it = waiters.begin(); it != waiters.end(); ++it) {
                if (it->id != id) continue;
                Waiter waiter = std::move(*it);
                waiters.erase(it);
                waiter.continuation.resume(std::nullopt);
                return;
            }
        }

        void invalidate() {
            ++epoch;
            std::vector<Waiter> taken = std::exchange(waiters, {});
            if (flight) flight->task.cancel();
            for (auto& waiter : taken) waiter.continuation.resume(std::nullopt);
        }

        void answerEveryone() {
            std::vector<Waiter> taken = std::exchange(waiters, {});
            for (auto& waiter : taken) waiter.continuation.resume(std::nullopt);
        }
    };

    // A request's admission: its id and epoch, and the cancellation handler that withdraws it.
    struct Ticket {
        bool admitted = false;
        std::uint64_t id = 0;
        std::uint64_t epoch = 0;
        std::uint64_t handler = 0;
    };

    // The coroutine only suspends; the rest happens in plain functions around it.
    static Task<std::optional<Read>> request(std::weak_ptr<Core> weak, std::int32_t processID, double after) {
        const TaskContext context = co_await currentTaskContext();
        const Ticket ticket = admit(weak, context, after);
        if (!ticket.admitted) co_return std::nullopt;
        // Named, not a temporary of the co_await expression: GCC 12 destroys such temporaries
        // twice.
        typename ContinuationAwaiter<std::optional<Read>>::Start start =
            [weak, ticket, processID, after, context](Continuation<std::optional<Read>> continuation) {
                wait(weak, context, ticket, processID, after, std::move(continuation));
            };
        auto suspension = withContinuation<std::optional<Read>>(std::move(start));
        std::optional<Read> answer = co_await suspension;
        co_return leave(weak, context, ticket, std::move(answer));
    }

    static Ticket admit(const std::weak_ptr<Core>& weak, const TaskContext& context, double after) {
        Ticket ticket;
        if (context.isCancelled()) return ticket;
        if (std::isnan(after) || after == std::numeric_limits<double>::infinity()) return ticket;
        const auto core = weak.lock();
        if (!core) return ticket;
        ticket.admitted = true;
        ticket.id = ++core->nextID;
        ticket.epoch = core->epoch;
        if (context.cancellation) {
            RunLoop* loop = context.loop;
            const std::uint64_t id = ticket.id;
            ticket.handler = context.cancellation->onCancel([weak, id, loop] {
                loop->post([weak, id] {
                    if (auto owner = weak.lock()) owner->cancelWaiter(id);
                });
            });
        }
        return ticket;
    }

    static void wait(const std::weak_ptr<Core>& weak, const TaskContext& context, const Ticket& ticket,
                     std::int32_t processID, double after, Continuation<std::optional<Read>> continuation) {
        const auto core = weak.lock();
        if (!core || context.isCancelled() || core->epoch != ticket.epoch) {
            continuation.resume(std::nullopt);
            return;
        }
        core->waiters.push_back(Waiter{ticket.id, ticket.epoch, processID, after, std::move(continuation)});
        core->startIfIdle();
    }

    static std::optional<Read> leave(const std::weak_ptr<Core>& weak, const TaskContext& context,
                                     const Ticket& ticket, std::optional<Read> answer) {
        if (context.cancellation) context.cancellation->removeHandler(ticket.handler);
        const auto core = weak.lock();
        if (!core || core->epoch != ticket.epoch || context.isCancelled()) return std::nullopt;
        return answer;
    }

    std::shared_ptr<Core> core_;
};

}  // namespace tarnwick
