#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <pthread.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/signal_watcher.h"

namespace tarnwick {
namespace {

// Each case runs in a child process of its own: the watcher blocks the signals for good.
class SignalWatcherTest : public ::testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(SignalWatcherTest, ASignalOnlyWakesTheMainLoopAndTheProgramEndsItsOwnWay) {
    EXPECT_EXIT(
        {
            SystemClock clock;
            RunLoop loop(clock);
            bool terminated = false;
            SignalWatcher watcher(loop, [&] {
                terminated = true;
                loop.stop();
            });
            kill(getpid(), SIGTERM);
            loop.run();
            std::exit(terminated ? 7 : 8);
        },
        ::testing::ExitedWithCode(7), "");
}

TEST_F(SignalWatcherTest, ASecondSignalWhileTheProgramEndsEndsItAtOnceWithStatusOne) {
    EXPECT_EXIT(
        {
            SystemClock clock;
            RunLoop loop(clock);
            // The termination takes its time; meanwhile the user presses Control-C again. What
            // must be put back even then (a terminal's mode) is, first.
            SignalWatcher watcher(
                loop, [] { kill(getpid(), SIGINT); }, nullptr, [] { std::fputs("put back\n", stderr); });
            kill(getpid(), SIGHUP);
            loop.run();
            std::exit(0);
        },
        ::testing::ExitedWithCode(1), "put back");
}

// Two signals that wait together, as they do for a stopped process that is then continued, are
// two signals whichever thread runs first. Here the loop would end the program the moment it hears
// of the first, and the watcher is held until it has: the second must be taken before that.
TEST_F(SignalWatcherTest, TwoSignalsThatArriveTogetherEndAtOnceHoweverTheThreadsAreScheduled) {
    EXPECT_EXIT(
        {
            sigset_t both;
            sigemptyset(&both);
            sigaddset(&both, SIGINT);
            sigaddset(&both, SIGTERM);
            pthread_sigmask(SIG_BLOCK, &both, nullptr);
            kill(getpid(), SIGINT);
            kill(getpid(), SIGTERM);
            SystemClock clock;
            RunLoop loop(clock);
            std::promise<void> heard;
            std::shared_future<void> heardFirst = heard.get_future().share();
            SignalWatcher watcher(
                loop,
                [&] {
                    heard.set_value();
                    std::_Exit(0);
                },
                [heardFirst] { heardFirst.wait(); }, [] { std::fputs("put back\n", stderr); });
            loop.run();
            std::exit(2);
        },
        ::testing::ExitedWithCode(1), "put back");
}

}  // namespace
}  // namespace tarnwick
