#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/task.h"

namespace tarnwick {
namespace {

class TaskTest : public ::testing::Test {
protected:
    ManualClock clock{0};
    RunLoop loop{clock};
    MainLoopScope scope{loop};
};

Task<int> addLater(int a, int b, double delay) {
    co_await sleepFor(delay);
    co_return a + b;
}

Task<std::string> outer(std::vector<std::string>& log) {
    log.push_back("start");
    int sum = co_await addLater(2, 3, 1.0);
    log.push_back("sum " + std::to_string(sum));
    co_return "done";
}

TEST_F(TaskTest, AwaitedTasksResumeOnTheLoopAfterVirtualTime) {
    std::vector<std::string> log;
    auto handle = spawn(outer(log));
    EXPECT_TRUE(log.empty());  // starts on a later turn
    loop.runReady();
    EXPECT_EQ(log, (std::vector<std::string>{"start"}));
    clock.advance(0.5);
    EXPECT_FALSE(handle.isDone());
    clock.advance(0.5);
    EXPECT_TRUE(handle.isDone());
    EXPECT_EQ(handle.result(), "done");
    EXPECT_EQ(log.back(), "sum 5");
}

Task<void> sleeper(bool& threw, bool& finished) {
    try {
        co_await sleepFor(10);
        finished = true;
    } catch (const CancellationError&) {
        threw = true;
    }
}

TEST_F(TaskTest, CancellationWakesASleepingTaskWithAnError) {
    bool threw = false, finished = false;
    auto handle = spawn(sleeper(threw, finished));
    clock.advance(1);
    handle.cancel();
    loop.runReady();
    EXPECT_TRUE(threw);
    EXPECT_FALSE(finished);
    EXPECT_TRUE(handle.isDone());
    clock.advance(20);
    EXPECT_FALSE(finished);
}

Task<int> checkLoop(int& checks) {
    for (int i = 0; i < 5; ++i) {
        if (co_await taskIsCancelled()) co_return -1;
        ++checks;
        co_await yieldToLoop();
    }
    co_return checks;
}

TEST_F(TaskTest, CooperativeCancellationIsVisibleInsideTheTask) {
    int checks = 0;
    auto handle = spawn(checkLoop(checks));
    handle.cancel();
    loop.runReady();
    ASSERT_TRUE(handle.isDone());
    EXPECT_EQ(*handle.result(), -1);
    EXPECT_EQ(checks, 0);
}

Task<int> waitForCallback(std::function<void(Continuation<int>)> start) {
    int value = co_await withContinuation<int>(std::move(start));
    co_return value * 2;
}

TEST_F(TaskTest, ContinuationResumesOnceAndOnTheLoop) {
    std::optional<Continuation<int>> saved;
    auto handle = spawn(waitForCallback([&](Continuation<int> c) { saved.emplace(c); }));
    loop.runReady();
    ASSERT_TRUE(saved);
    EXPECT_TRUE(saved->resume(21));
    EXPECT_FALSE(saved->resume(5));
    EXPECT_FALSE(handle.isDone());  // resumption is posted, not inline
    loop.runReady();
    EXPECT_EQ(*handle.result(), 42);
}

// A platform call whose completion the test delivers (or never does).
struct PendingCall {
    std::optional<Continuation<int>> completion;
    int starts = 0;
    std::function<void(Continuation<int>)> start() {
        return [this](Continuation<int> c) {
            ++starts;
            completion.emplace(c);
        };
    }
};

Task<CompletionOutcome<int>> boundedWait(std::function<void(Continuation<int>)> start, std::optional<double> deadline) {
    co_return co_await waitForCompletion<int>(std::move(start), deadline);
}

std::string endingOf(const TaskHandle<CompletionOutcome<int>>& handle) {
    if (!handle.isDone()) return "waiting";
    if (handle.error()) {
        try {
            std::rethrow_exception(handle.error());
        } catch (const CancellationError&) {
            return "cancelled";
        } catch (const std::exception& e) {
            return e.what();
        }
    }
    const auto& outcome = *handle.result();
    return outcome ? std::to_string(*outcome) : "timed out";
}

TEST_F(TaskTest, ABoundedWaitResumesWithTheCompletionOrItsError) {
    PendingCall call;
    auto handle = spawn(boundedWait(call.start(), 5.0));
    loop.runReady();
    ASSERT_TRUE(call.completion);
    EXPECT_TRUE(call.completion->resume(7));
    EXPECT_EQ(endingOf(handle), "waiting");  // posted, not inline
    loop.runReady();
    EXPECT_EQ(endingOf(handle), "7");
    clock.advance(10);  // the deadline it no longer waits for does nothing
    EXPECT_EQ(endingOf(handle), "7");

    PendingCall failing;
    auto failed = spawn(boundedWait(failing.start(), std::nullopt));
    loop.runReady();
    failing.completion->resumeThrowing(std::make_exception_ptr(Error("refused")));
    loop.runReady();
    EXPECT_EQ(endingOf(failed), "refused");

    auto thrown = spawn(boundedWait([](Continuation<int>) { throw Error("could not start"); }, 1.0));
    loop.runReady();
    EXPECT_EQ(endingOf(thrown), "could not start");
    clock.advance(2);  // its deadline must not resume the finished wait a second time
}

TEST_F(TaskTest, CancellingABoundedWaitResumesItAtOnceAndALateCompletionIsIgnored) {
    PendingCall call;
    auto handle = spawn(boundedWait(call.start(), std::nullopt));
    loop.runReady();
    handle.cancel();
    loop.runReady();  // no time passes
    EXPECT_EQ(endingOf(handle), "cancelled");
    EXPECT_FALSE(call.completion->resume(1));

    // Cancelled before it waits: the call is never made.
    PendingCall never;
    auto token = makeCancellationToken();
    token->cancel();
    auto early = spawn(boundedWait(never.start(), 5.0), token);
    loop.runReady();
    EXPECT_EQ(endingOf(early), "cancelled");
    EXPECT_EQ(never.starts, 0);
}

TEST_F(TaskTest, APassedDeadlineResumesABoundedWaitWithATimeout) {
    PendingCall call;
    auto handle = spawn(boundedWait(call.start(), 3.0));
    loop.runReady();
    clock.advance(2.999);
    EXPECT_EQ(endingOf(handle), "waiting");
    clock.advance(0.001);
    EXPECT_EQ(endingOf(handle), "timed out");
    EXPECT_FALSE(call.completion->resume(1));
    handle.cancel();  // cancelling after the end changes nothing
    loop.runReady();
    EXPECT_EQ(endingOf(handle), "timed out");

    // A call that completes while it starts wins over a deadline already past; an infinite
    // deadline never passes.
    auto ready = spawn(boundedWait([](Continuation<int> c) { c.resume(4); }, 0.0));
    PendingCall unbounded;
    auto forever = spawn(boundedWait(unbounded.start(), std::numeric_limits<double>::infinity()));
    clock.advance(1e6);
    EXPECT_EQ(endingOf(ready), "4");
    EXPECT_EQ(endingOf(forever), "waiting");
}

Task<bool> boundedVoidWait(std::optional<Continuation<void>>& saved, double deadline) {
    co_return co_await waitForCompletion<void>([&saved](Continuation<void> c) { saved.emplace(c); }, deadline);
}

TEST_F(TaskTest, ABoundedWaitWithoutValueTellsCompletionFromTimeout) {
    std::optional<Continuation<void>> first, second;
    auto completed = spawn(boundedVoidWait(first, 1.0));
    auto timedOut = spawn(boundedVoidWait(second, 1.0));
    loop.runReady();
    first->resume();
    clock.advance(1.0);
    EXPECT_EQ(completed.result(), true);
    EXPECT_EQ(timedOut.result(), false);
}

TEST_F(TaskTest, ABoundedWaitTakesItsCompletionOrCancellationFromAnyThread) {
    PendingCall completedCall, cancelledCall;
    auto completed = spawn(boundedWait(completedCall.start(), 5.0));
    auto cancelled = spawn(boundedWait(cancelledCall.start(), 5.0));
    loop.runReady();
    std::thread completing([&] { completedCall.completion->resume(9); });
    std::thread cancelling([&] { cancelled.cancel(); });
    completing.join();
    cancelling.join();
    loop.runReady();
    EXPECT_EQ(endingOf(completed), "9");
    EXPECT_EQ(endingOf(cancelled), "cancelled");
}

Task<int> hop(SerialExecutor& executor) {
    int value = co_await onExecutor(executor, [] { return 7; });
    co_return value + 1;
}

TEST_F(TaskTest, ExecutorHopReturnsToTheLoop) {
    ManualExecutor executor;
    auto handle = spawn(hop(executor));
    loop.runReady();
    EXPECT_EQ(executor.pending(), 1u);
    executor.runAll();
    EXPECT_FALSE(handle.isDone());
    loop.runReady();
    EXPECT_EQ(*handle.result(), 8);
}

Task<int> awaitOther(TaskHandle<int> other) { co_return 1 + co_await other.value(); }

TEST_F(TaskTest, SeveralTasksAwaitOneResult) {
    auto shared = spawn(addLater(1, 1, 1.0));
    auto first = spawn(awaitOther(shared));
    auto second = spawn(awaitOther(shared));
    clock.advance(1.0);
    EXPECT_EQ(*first.result(), 3);
    EXPECT_EQ(*second.result(), 3);
}

Task<void> thrower() {
    co_await yieldToLoop();
    throw Error("broken");
}

TEST_F(TaskTest, ErrorsReachTheHandle) {
    auto handle = spawn(thrower());
    loop.runReady();
    ASSERT_TRUE(handle.isDone());
    ASSERT_TRUE(handle.error());
    EXPECT_THROW(std::rethrow_exception(handle.error()), Error);
}

TEST(TaskTeardownTest, SuspendedTasksAreReleasedWithTheirLoop) {
    auto marker = std::make_shared<int>(0);
    std::weak_ptr<int> weak = marker;
    {
        ManualClock clock;
        RunLoop loop(clock);
        auto task = [](std::shared_ptr<int> keep) -> Task<void> {
            co_await sleepFor(100);
            *keep = 1;
        };
        spawn(loop, task(std::move(marker)));
        loop.runReady();
        EXPECT_FALSE(weak.expired());
    }
    EXPECT_TRUE(weak.expired());
}

TEST(TaskTeardownTest, ACompletionAfterTheLoopReleasedABoundedWaitReachesNothing) {
    std::optional<Continuation<int>> saved;
    {
        ManualClock clock;
        RunLoop loop(clock);
        auto task = [](std::optional<Continuation<int>>& out) -> Task<void> {
            co_await waitForCompletion<int>([&out](Continuation<int> c) { out.emplace(c); }, 10.0);
        };
        spawn(loop, task(saved));
        loop.runReady();
    }
    ASSERT_TRUE(saved);
    EXPECT_FALSE(saved->resume(1));
}

}  // namespace
}  // namespace tarnwick
