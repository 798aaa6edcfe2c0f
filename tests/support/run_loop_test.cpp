#include <future>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/caused_work.h"
#include "support/executor.h"
#include "support/run_loop.h"
#include "support/task.h"

namespace tarnwick {
namespace {

TEST(RunLoopTest, AdvanceRunsDueItemsInOrderOfDueTime) {
    ManualClock clock(100);
    RunLoop loop(clock);
    std::vector<std::string> order;
    loop.postAfter(0.3, [&] { order.push_back("0.3@" + std::to_string(clock.uptime())); });
    loop.postAfter(0.1, [&] { order.push_back("0.1"); });
    loop.post([&] { order.push_back("now"); });
    clock.advance(0.2);
    EXPECT_EQ(order, (std::vector<std::string>{"now", "0.1"}));
    clock.advance(0.2);
    ASSERT_EQ(order.size(), 3u);
    EXPECT_EQ(order[2].substr(0, 4), "0.3@");
    EXPECT_DOUBLE_EQ(clock.uptime(), 100.4);
}

TEST(RunLoopTest, CancelledWorkNeverRuns) {
    ManualClock clock;
    RunLoop loop(clock);
    int runs = 0;
    auto item = loop.postAfter(1, [&] { ++runs; });
    item.cancel();
    clock.advance(2);
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(loop.pendingCount(), 0u);
}

TEST(RunLoopTest, RepeatingTimerFiresEachIntervalUntilInvalidated) {
    ManualClock clock(0);
    RunLoop loop(clock);
    std::vector<double> firings;
    Timer timer = loop.scheduleTimer(0.5, 0.05, [&] { firings.push_back(clock.uptime()); });
    clock.advance(1.6);
    EXPECT_EQ(firings, (std::vector<double>{0.5, 1.0, 1.5}));
    EXPECT_DOUBLE_EQ(timer.tolerance(), 0.05);
    timer.invalidate();
    clock.advance(2);
    EXPECT_EQ(firings.size(), 3u);
}

TEST(RunLoopTest, ATimerFiresOnTheGridOfItsFirstDateWithoutDriftAndSkipsWhatItMissed) {
    ManualClock clock(1000);
    RunLoop loop(clock);
    std::vector<double> firings;
    Timer timer = loop.scheduleTimer(0.15, 0.015, [&] { firings.push_back(clock.uptime()); });
    // Added up 400 times, 0.15 would overshoot 60 s by rounding; on the grid it does not.
    clock.advance(60);
    EXPECT_EQ(firings.size(), 400u);
    // A loop held up for a second fires once, late, then goes on at the next date of the grid.
    clock.set(1061);
    clock.advance(0);
    ASSERT_EQ(firings.size(), 401u);
    EXPECT_EQ(firings.back(), 1061);
    clock.advance(0.1);
    ASSERT_EQ(firings.size(), 402u);
    EXPECT_DOUBLE_EQ(firings.back(), 1061.05);
}

TEST(RunLoopTest, TimerMayInvalidateItselfWhileFiring) {
    ManualClock clock(0);
    RunLoop loop(clock);
    int firings = 0;
    Timer timer;
    timer = loop.scheduleTimer(1, 0, [&] {
        if (++firings == 2) timer.invalidate();
    });
    clock.advance(10);
    EXPECT_EQ(firings, 2);
}

TEST(RunLoopTest, WorkPostedFromAnotherThreadWakesTheRealLoop) {
    SystemClock clock;
    RunLoop loop(clock);
    int value = 0;
    std::thread worker([&] {
        loop.post([&] {
            value = 42;
            loop.stop();
        });
    });
    loop.run();
    worker.join();
    EXPECT_EQ(value, 42);
}

TEST(RunLoopTest, RealLoopSleepsUntilTheNextDueItem) {
    SystemClock clock;
    RunLoop loop(clock);
    double start = clock.uptime();
    double fired = 0;
    loop.postAfter(0.05, [&] {
        fired = clock.uptime();
        loop.stop();
    });
    loop.run();
    EXPECT_GE(fired - start, 0.05);
}

TEST(RunLoopTest, AManualLoopRunsPostsAndLeavesVirtualDeadlinesToWhoeverMovesTheClock) {
    ManualClock clock(100);
    RunLoop loop(clock);
    std::vector<std::string> events;
    loop.postAfter(5, [&] { events.push_back("deadline at " + std::to_string(clock.uptime())); });
    std::thread worker([&] {
        loop.post([&] {
            events.push_back("posted");
            clock.advance(5);  // as the console's wait does
            loop.stop();
        });
    });
    loop.run();
    worker.join();
    EXPECT_EQ(events, (std::vector<std::string>{"posted", "deadline at 105.000000"}));
}

TEST(RunLoopTest, SettledObserversSeeEachInstantTheClockMovedToAndEachTurnBeforeTheLoopWaits) {
    ManualClock clock(0);
    RunLoop loop(clock);
    std::vector<std::string> seen;
    int state = 0;
    loop.postAfter(1, [&] { state = 1; });
    loop.postAfter(1, [&] { state = 2; });
    loop.postAfter(3, [&] { state = 3; });
    const auto id = loop.addSettledObserver([&] { seen.push_back(std::to_string(int(clock.uptime())) + ":" + std::to_string(state)); });
    clock.advance(4);
    // Both items of the first instant ran before the observer looked.
    EXPECT_EQ(seen, (std::vector<std::string>{"1:2", "3:3", "4:3"}));

    // run(): the observer looks once the turn's work is done, before the loop would wait.
    seen.clear();
    loop.post([&] { state = 5; });
    bool stopping = false;
    const auto stopper = loop.addSettledObserver([&] {
        if (!stopping) loop.post([&] { loop.stop(); });
        stopping = true;
    });
    loop.run();
    EXPECT_EQ(seen, (std::vector<std::string>{"4:5"}));
    loop.removeSettledObserver(stopper);

    seen.clear();
    loop.removeSettledObserver(id);
    clock.advance(1);
    EXPECT_TRUE(seen.empty());
}

// Work for now that caused work hands on is caused work, counted until it is done or dropped,
// on the loop, on a worker thread and through a completion a task awaits; delayed work and
// timers are nobody's. A job does not count while it runs: it never waits for itself.
TEST(RunLoopTest, CausedWorkIsFollowedAcrossThreadsUntilItIsDoneButTimersAreNotCausedWork) {
    ManualClock clock(0);
    RunLoop loop(clock);
    const CausedWork::Cause cause = CausedWork::newCause();
    const auto caused = [&] { return CausedWork::outstanding(cause); };
    std::vector<std::string> marked;
    const auto note = [&marked](const std::string& what) {
        return [&marked, what] { marked.push_back(what + (CausedWork::isMarked() ? " caused" : " later")); };
    };
    const auto awaiting = [](std::optional<Continuation<int>>& completion, std::vector<std::string>& marks) -> Task<void> {
        auto start = [&completion](Continuation<int> continuation) { completion.emplace(continuation); };
        const int value = co_await withContinuation<int>(std::move(start));
        marks.push_back("completion " + std::to_string(value) + (CausedWork::isMarked() ? " caused" : " later"));
    };
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    ThreadExecutor worker("test.caused-work");
    std::optional<Continuation<int>> completion;
    std::size_t seenByTheFirstJob = 0;
    WorkItem dropped;  // kept: a cancelled item's job still goes
    {
        CausedWork::Scope scope(cause);
        loop.post([&] { seenByTheFirstJob = caused(); });
        loop.postAfter(0, note("now"));
        dropped = loop.postAfter(0, note("dropped"));
        dropped.cancel();
        loop.postAfter(0.5, note("delayed"));
        Timer timer = loop.scheduleTimer(1, 0, note("timer"));
        worker.submit([&loop, released, note] {
            released.wait();
            loop.post(note("posted back"));
        });
        spawn(loop, awaiting(completion, marked));
        EXPECT_EQ(caused(), 5u);  // two posts, two for now (one cancelled), the worker's job
        EXPECT_EQ(CausedWork::onWorkers(cause), 1u);
        clock.advance(1);  // timers run unmarked, even under a marked caller
        timer.invalidate();
    }
    EXPECT_EQ(seenByTheFirstJob, 4u);  // all but itself
    EXPECT_EQ(marked, (std::vector<std::string>{"now caused", "delayed later", "timer later"}));
    ASSERT_TRUE(completion);
    EXPECT_EQ(caused(), 2u);  // the worker's job, and the completion the task awaits
    release.set_value();
    worker.sync([] {});  // unmarked, so not counted
    EXPECT_EQ(CausedWork::onWorkers(cause), 0u);
    EXPECT_EQ(caused(), 2u);  // what the worker posted back, and the completion
    completion->resume(7);    // by an unmarked caller: the task still goes on as caused work
    loop.runReady();
    EXPECT_EQ(caused(), 0u);
    EXPECT_EQ(marked, (std::vector<std::string>{"now caused", "delayed later", "timer later", "posted back caused",
                                                "completion 7 caused"}));
}

}  // namespace

// A console's wait on virtual time ends where the application stopped the loop, not later: the
// clock stays at that instant and later work stays queued.
TEST(RunLoopTest, AdvanceUntilStoppedEndsAtTheInstantThatStoppedTheLoop) {
    ManualClock clock(100);
    RunLoop loop(clock);
    std::vector<int> ran;
    loop.postAfter(1, [&] { ran.push_back(1); });
    loop.postAfter(2, [&] {
        ran.push_back(2);
        loop.stop();
    });
    loop.postAfter(3, [&] { ran.push_back(3); });
    EXPECT_DOUBLE_EQ(loop.advanceUntilStopped(110), 102);
    EXPECT_DOUBLE_EQ(clock.uptime(), 102);
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));
    // Without a stop it goes all the way, as advanceTo does.
    RunLoop other(clock);
    EXPECT_DOUBLE_EQ(other.advanceUntilStopped(105), 105);
}

}  // namespace tarnwick
