#include <memory>
#include <string>
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

}  // namespace
}  // namespace tarnwick
