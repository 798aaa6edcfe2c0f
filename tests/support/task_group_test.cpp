#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/task_group.h"

namespace tarnwick {
namespace {

class TaskGroupTest : public ::testing::Test {
protected:
    ManualClock clock{0};
    RunLoop loop{clock};
    MainLoopScope scope{loop};
};

struct Log {
    std::vector<std::string> events;
};

Task<int> child(std::shared_ptr<Log> log, int id, double delay, bool fails = false) {
    log->events.push_back("start " + std::to_string(id));
    try {
        co_await sleepFor(delay);
    } catch (const CancellationError&) {
        log->events.push_back("cancelled " + std::to_string(id));
        throw;
    }
    if (fails) throw Error("child " + std::to_string(id) + " failed");
    log->events.push_back("end " + std::to_string(id));
    co_return id;
}

Task<std::vector<int>> runGroup(std::shared_ptr<Log> log, std::vector<double> delays, std::size_t width,
                                int failing = -1) {
    TaskGroup<int> group(co_await currentTaskContext(), width);
    for (size_t i = 0; i < delays.size(); ++i)
        group.add(child(log, static_cast<int>(i), delays[i], static_cast<int>(i) == failing));
    std::vector<int> results;
    while (auto result = co_await group.next()) results.push_back(*result);
    co_return results;
}

TEST_F(TaskGroupTest, RunsAtMostWidthChildrenAndHandsOutResultsAsTheyFinish) {
    auto log = std::make_shared<Log>();
    auto handle = spawn(runGroup(log, {3.0, 1.0, 1.0}, 2));
    loop.runReady();
    EXPECT_EQ(log->events, (std::vector<std::string>{"start 0", "start 1"}));
    clock.advance(1.0);  // child 1 ends; child 2 takes its place
    EXPECT_EQ(log->events.back(), "start 2");
    clock.advance(1.0);  // child 2 ends at 2.0, child 0 at 3.0
    clock.advance(1.0);
    ASSERT_TRUE(handle.isDone());
    EXPECT_EQ(*handle.result(), (std::vector<int>{1, 2, 0}));
}

TEST_F(TaskGroupTest, AGroupWithoutChildrenEndsAtOnce) {
    auto log = std::make_shared<Log>();
    auto handle = spawn(runGroup(log, {}, 2));
    loop.runReady();
    ASSERT_TRUE(handle.isDone());
    EXPECT_TRUE(handle.result()->empty());
}

TEST_F(TaskGroupTest, AFailingChildCancelsTheOthersAndItsErrorIsRethrownAfterThemOnly) {
    auto log = std::make_shared<Log>();
    auto handle = spawn(runGroup(log, {5.0, 1.0, 1.0}, 2, 1));
    loop.runReady();
    clock.advance(1.0);
    loop.runReady();
    ASSERT_TRUE(handle.isDone());
    // Child 0 was cancelled, child 2 never started.
    EXPECT_EQ(log->events, (std::vector<std::string>{"start 0", "start 1", "cancelled 0"}));
    ASSERT_TRUE(handle.error());
    try {
        std::rethrow_exception(handle.error());
    } catch (const CancellationError&) {
        FAIL() << "the first error is the one rethrown";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "child 1 failed");
    }
}

TEST_F(TaskGroupTest, CancellingTheOwnerCancelsEveryChild) {
    auto log = std::make_shared<Log>();
    auto handle = spawn(runGroup(log, {5.0, 5.0, 5.0}, 2));
    clock.advance(1.0);
    handle.cancel();
    loop.runReady();
    ASSERT_TRUE(handle.isDone());
    EXPECT_EQ(log->events, (std::vector<std::string>{"start 0", "start 1", "cancelled 0", "cancelled 1"}));
    EXPECT_THROW(std::rethrow_exception(handle.error()), CancellationError);
    clock.advance(10);
    EXPECT_EQ(log->events.size(), 4u);
}

Task<int> abandon(std::shared_ptr<Log> log) {
    TaskGroup<int> group(co_await currentTaskContext(), 1);
    group.add(child(log, 0, 5.0));
    group.add(child(log, 1, 5.0));
    co_await yieldToLoop();
    co_return static_cast<int>(group.runningCount() * 10 + group.waitingCount());
}

TEST_F(TaskGroupTest, AGroupLeftBehindCancelsWhatStillRuns) {
    auto log = std::make_shared<Log>();
    auto handle = spawn(abandon(log));
    loop.runReady();
    ASSERT_TRUE(handle.isDone());
    EXPECT_EQ(*handle.result(), 11);
    EXPECT_EQ(log->events, (std::vector<std::string>{"start 0", "cancelled 0"}));
}

}  // namespace
}  // namespace tarnwick
