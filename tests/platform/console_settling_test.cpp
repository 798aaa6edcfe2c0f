// How a command's answer waits for its work: only for the work that command set going, never
// for an earlier command's work still running, and for at most the cap, which the answer then
// names. Real time is put in by the test, so reaching the cap takes none.

#include <functional>
#include <future>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/notifications.h"
#include "platform/sim/console/command_settling.h"
#include "support/executor.h"
#include "support/run_loop.h"
#include "testkit/console_driver.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

using Settling = sim::CommandSettling;
using Lines = std::vector<std::string>;

// A worker job that runs until the test opens its gate.
struct Gate {
    std::promise<void> opened;
    std::shared_future<void> open = opened.get_future().share();
    bool isOpen = false;
    void release() {
        if (!std::exchange(isOpen, true)) opened.set_value();
    }
    std::function<void()> job() {
        return [open = open] { open.wait(); };
    }
};

// Waiting that passes the whole time asked without anything happening, counting the waits.
struct IdleWaiting {
    double now = 0;
    std::vector<double> waits;
    Settling::Waiting waiting() {
        return {[this] { return now; }, [this](RunLoop&, std::uint64_t, double seconds) {
                    waits.push_back(seconds);
                    now += seconds;
                }};
    }
};

TEST(CommandSettlingTest, AnAnswerWaitsForItsOwnWorkOnlyAndAtMostTheCap) {
    ManualClock clock(0);
    RunLoop loop(clock);
    ThreadExecutor firstWorker("test.first"), secondWorker("test.second");
    Gate first, second;
    std::vector<std::string> ran;
    const CausedWork::Cause earlier = CausedWork::newCause(), later = CausedWork::newCause();
    {
        CausedWork::Scope scope(earlier);
        firstWorker.submit(first.job());
        loop.post([&ran] { ran.push_back("earlier on the loop"); });
    }
    {
        CausedWork::Scope scope(later);
        secondWorker.submit([&loop, job = second.job()] {
            job();
            loop.post([] {});  // what the worker hands back is the same command's work
        });
    }
    // The earlier command's worker never finishes: its answer waits the cap, no longer, and says
    // its work still runs; what it posted to the loop ran meanwhile.
    IdleWaiting idle;
    EXPECT_EQ(Settling::settle(loop, earlier, false, 5, idle.waiting()), Settling::Outcome::stillRunning);
    EXPECT_EQ(idle.waits, std::vector<double>{5});
    EXPECT_EQ(ran, std::vector<std::string>{"earlier on the loop"});
    EXPECT_EQ(CausedWork::outstanding(earlier), 1u);

    // The later command's answer waits for its own worker and what it posted back, not for the
    // earlier command's worker, which still runs.
    int waits = 0;
    // Real time here: the wait ends as soon as the worker's work ends, and an answer that waited
    // for the wrong work would end at the cap instead of hanging the test.
    const Settling::Waiting releasing{Settling::realTime().now, [&](RunLoop& on, std::uint64_t seen, double seconds) {
                                          ++waits;
                                          second.release();
                                          on.waitForWork(seen, seconds);
                                      }};
    EXPECT_EQ(Settling::settle(loop, later, false, 5, releasing), Settling::Outcome::settled);
    EXPECT_GE(waits, 1);
    EXPECT_EQ(CausedWork::outstanding(later), 0u);
    EXPECT_EQ(CausedWork::outstanding(earlier), 1u);

    // On virtual time only workers are waited for: work due later on the loop is not.
    first.release();
    firstWorker.sync([] {});
    EXPECT_EQ(CausedWork::onWorkers(earlier), 0u);
    IdleWaiting none;
    EXPECT_EQ(Settling::settle(loop, earlier, true, 5, none.waiting()), Settling::Outcome::settled);
    EXPECT_TRUE(none.waits.empty());

    // A loop asked to stop ends the wait at once.
    Gate never;
    const CausedWork::Cause stopping = CausedWork::newCause();
    {
        CausedWork::Scope scope(stopping);
        firstWorker.submit(never.job());
    }
    loop.stop();
    EXPECT_EQ(Settling::settle(loop, stopping, true, 5, none.waiting()), Settling::Outcome::stopped);
    never.release();
}

// Through the console: a command whose worker outlasts the cap is answered with the sentence
// that says so; the next command's answer does not wait for that worker.
TEST(CommandSettlingTest, TheConsoleSaysWhenACommandsWorkOutlastsTheCapAndTheNextAnswerDoesNotWaitForIt) {
    testkit::TestEnvironment env;
    env.session.loadDefaultSession();
    testkit::ConsoleDriver console{env.session};
    ThreadExecutor firstWorker("test.first-switch"), secondWorker("test.second-switch");
    Gate first, second;
    int switches = 0;
    // Each desktop switch hands a job to a worker, as work of the command that switched.
    auto heard = env.session.workspaceNotificationCenter().addObserver(
        platform::notification_names::kActiveSpaceDidChange, [&](const platform::Notification&) {
            if (++switches == 1)
                firstWorker.submit(first.job());
            else
                secondWorker.submit(second.job());
        });
    IdleWaiting idle;
    console.console.setSettleWaiting(idle.waiting());
    Lines answer = console.type("switch 2");
    ASSERT_FALSE(answer.empty());
    EXPECT_EQ(answer.back(), sim::Console::kStillRunningAnswer);
    EXPECT_EQ(idle.waits, std::vector<double>{sim::Console::kLongestSettle});

    int waits = 0;
    console.console.setSettleWaiting({Settling::realTime().now, [&](RunLoop& loop, std::uint64_t seen, double seconds) {
                                          ++waits;
                                          second.release();
                                          loop.waitForWork(seen, seconds);
                                      }});
    answer = console.type("switch 1");
    ASSERT_FALSE(answer.empty());
    EXPECT_EQ(answer.back(), "ok");
    EXPECT_EQ(switches, 2);
    EXPECT_GE(waits, 1);
    EXPECT_FALSE(first.isOpen);
    first.release();
    firstWorker.sync([] {});
}

}  // namespace
}  // namespace tarnwick
