#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/settings_work_coalescer.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

class SettingsWorkCoalescerTest : public ::testing::Test {
protected:
    SettingsWorkCoalescer::Work record(std::string name) {
        return [this, name] { runs.push_back(name); };
    }

    testkit::TestEnvironment env;
    std::vector<std::string> runs;
};

TEST_F(SettingsWorkCoalescerTest, ABurstRunsOnlyItsLatestWork50MillisecondsAfterItsFirstSubmission) {
    SettingsWorkCoalescer coalescer;
    coalescer.submit(record("first"));
    env.advance(0.01);
    coalescer.submit(record("second"));
    env.advance(0.01);
    coalescer.submit(record("third"));
    env.advance(0.029);
    EXPECT_TRUE(runs.empty());
    env.advance(0.002);
    EXPECT_EQ(runs, std::vector<std::string>{"third"});
    EXPECT_FALSE(coalescer.hasPendingWork());
    env.advance(1);
    EXPECT_EQ(runs.size(), 1u);
}

TEST_F(SettingsWorkCoalescerTest, ASteadyStreamRunsAboutEvery50MillisecondsWhileItLasts) {
    SettingsWorkCoalescer coalescer;
    // A submission every 1/128 s (exact in binary, so no submission ties with a run).
    constexpr double kStep = 1.0 / 128;
    for (int i = 0; i < 30; ++i) {
        coalescer.submit(record(std::to_string(i)));
        env.advance(kStep);
    }
    // Each run takes the latest work 50 ms after the first submission since the previous run.
    EXPECT_EQ(runs, (std::vector<std::string>{"6", "13", "20", "27"}));
    env.advance(0.05);
    EXPECT_EQ(runs, (std::vector<std::string>{"6", "13", "20", "27", "29"}));
}

TEST_F(SettingsWorkCoalescerTest, FlushRunsOnceNowAndCancelRunsNothing) {
    SettingsWorkCoalescer coalescer;
    coalescer.submit(record("flushed"));
    coalescer.flush();
    EXPECT_EQ(runs, std::vector<std::string>{"flushed"});
    coalescer.flush();
    env.advance(1);
    EXPECT_EQ(runs.size(), 1u);

    coalescer.submit(record("cancelled"));
    coalescer.cancel();
    env.advance(1);
    coalescer.flush();
    EXPECT_EQ(runs.size(), 1u);

    // Work submitted after a cancel gets a schedule of its own.
    coalescer.submit(record("later"));
    env.advance(0.051);
    EXPECT_EQ(runs.back(), "later");
}

TEST_F(SettingsWorkCoalescerTest, WorkMaySubmitMoreWhichRunsInTheNextBurst) {
    SettingsWorkCoalescer coalescer;
    coalescer.submit([&] {
        runs.push_back("outer");
        coalescer.submit(record("inner"));
    });
    env.advance(0.051);
    EXPECT_EQ(runs, std::vector<std::string>{"outer"});
    env.advance(0.051);
    EXPECT_EQ(runs, (std::vector<std::string>{"outer", "inner"}));
}

TEST_F(SettingsWorkCoalescerTest, TheScheduleIsInjectableAndHoldsTheCoalescerWeakly) {
    std::vector<double> delays;
    std::vector<RunLoop::Job> jobs;
    auto coalescer = std::make_unique<SettingsWorkCoalescer>([&](double delay, RunLoop::Job job) {
        delays.push_back(delay);
        jobs.push_back(job);
        return env.loop.postAfter(delay, std::move(job));
    });
    coalescer->submit(record("a"));
    coalescer->submit(record("b"));
    EXPECT_EQ(delays, std::vector<double>{0.05});

    // Run the job by hand, as a schedule that ignores cancellation might.
    jobs.front()();
    EXPECT_EQ(runs, std::vector<std::string>{"b"});

    coalescer->submit(record("dropped"));
    ASSERT_EQ(jobs.size(), 2u);
    coalescer.reset();
    jobs.back()();
    env.advance(1);
    EXPECT_EQ(runs, std::vector<std::string>{"b"});
}

}  // namespace
}  // namespace tarnwick
