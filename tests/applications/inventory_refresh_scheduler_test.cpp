#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "applications/inventory_refresh_scheduler.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

using Scheduler = InventoryRefreshScheduler;

// Records the timers the scheduler starts and stops; tests fire them by hand.
struct FakeTimers {
    std::vector<Scheduler::FireAction> fires;
    std::vector<double> intervals;
    int stops = 0;
    Scheduler::Schedule schedule() {
        return [this](Scheduler::FireAction fire, double interval) {
            fires.push_back(std::move(fire));
            intervals.push_back(interval);
            return [this] { ++stops; };
        };
    }
};

TEST(InventoryRefreshSchedulerTest, AllRegistrationsShareOneTimerThatStopsWithTheLast) {
    FakeTimers timers;
    Scheduler scheduler(timers.schedule());
    std::vector<std::string> calls;
    scheduler.add("a", [&] { calls.push_back("a"); });
    scheduler.add("b", [&] { calls.push_back("b"); });
    ASSERT_EQ(timers.fires.size(), 1u);
    EXPECT_EQ(timers.intervals[0], 3.0);
    timers.fires[0]();
    EXPECT_EQ(calls, (std::vector<std::string>{"a", "b"}));

    // Registering again replaces the action and starts nothing new.
    scheduler.add("a", [&] { calls.push_back("a2"); });
    scheduler.remove("b");
    scheduler.remove("unknown");
    EXPECT_EQ(timers.stops, 0);
    calls.clear();
    timers.fires[0]();
    EXPECT_EQ(calls, std::vector<std::string>{"a2"});

    scheduler.remove("a");
    EXPECT_EQ(timers.stops, 1);
    EXPECT_FALSE(scheduler.isRunning());
    // A firing of the stopped timer that was already on its way does nothing, also after a new
    // timer has started.
    scheduler.add("c", [&] { calls.push_back("c"); });
    ASSERT_EQ(timers.fires.size(), 2u);
    calls.clear();
    timers.fires[0]();
    EXPECT_TRUE(calls.empty());
    timers.fires[1]();
    EXPECT_EQ(calls, std::vector<std::string>{"c"});
}

TEST(InventoryRefreshSchedulerTest, AnActionRemovedDuringATickIsSkipped) {
    FakeTimers timers;
    Scheduler scheduler(timers.schedule());
    std::vector<std::string> calls;
    scheduler.add("a", [&] {
        calls.push_back("a");
        scheduler.remove("a");  // removes itself
        scheduler.remove("b");
    });
    scheduler.add("b", [&] { calls.push_back("b"); });
    scheduler.add("c", [&] { calls.push_back("c"); });
    timers.fires[0]();
    EXPECT_EQ(calls, (std::vector<std::string>{"a", "c"}));
}

TEST(InventoryRefreshSchedulerTest, TheProgramTimerRepeatsOnTheMainLoopUntilStopped) {
    testkit::TestEnvironment env;
    int fired = 0;
    auto stop = Scheduler::repeatingTimer([&] { ++fired; }, 3.0);
    env.advance(2.9);
    EXPECT_EQ(fired, 0);
    env.advance(0.1);
    EXPECT_EQ(fired, 1);
    env.advance(6.0);
    EXPECT_EQ(fired, 3);
    stop();
    env.advance(30);
    EXPECT_EQ(fired, 3);
}

}  // namespace
}  // namespace tarnwick
