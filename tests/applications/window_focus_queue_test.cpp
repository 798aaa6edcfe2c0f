#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "applications/application_navigation_queue.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

// An operation that pauses like a verification poll and logs how it ended.
ApplicationNavigationQueue::Operation pausing(std::vector<std::string>& log, std::string name, double seconds) {
    return [&log, name, seconds]() -> Task<void> {
        log.push_back(name + " started");
        try {
            co_await sleepFor(seconds);
            co_await checkCancellation();
            log.push_back(name + " finished");
        } catch (const CancellationError&) {
            log.push_back(name + " cancelled");
            throw;
        }
    };
}

TEST(ApplicationNavigationQueueTest, ANewRequestCancelsThePreviousAndStartsAfterItEnds) {
    testkit::TestEnvironment env;
    ApplicationNavigationQueue queue;
    std::vector<std::string> log;
    auto first = queue.run(pausing(log, "first", 1.0));
    env.advance(0.5);
    auto second = queue.run(pausing(log, "second", 1.0));
    EXPECT_TRUE(first.isCancelled());
    EXPECT_EQ(queue.generation(), 2u);
    env.settle();
    EXPECT_EQ(log, (std::vector<std::string>{"first started", "first cancelled", "second started"}));
    EXPECT_TRUE(first.isDone());
    EXPECT_TRUE(queue.current());
    env.advance(1.0);
    EXPECT_EQ(log.back(), "second finished");
    EXPECT_TRUE(second.isDone());
    EXPECT_FALSE(second.error());  // the queue's tasks cannot fail
    EXPECT_FALSE(first.error());
    EXPECT_FALSE(queue.current());
}

TEST(ApplicationNavigationQueueTest, AnEndingRequestLeavesANewerCurrentRequestInPlace) {
    testkit::TestEnvironment env;
    ApplicationNavigationQueue queue;
    std::vector<std::string> log;
    // The first ignores cancellation until the test lets it go: the second and third wait.
    std::optional<Continuation<void>> release;
    auto stubborn = [&log, &release]() -> Task<void> {
        log.push_back("first started");
        co_await withContinuation<void>([&release](Continuation<void> c) { release.emplace(c); });
        log.push_back("first finished");
    };
    queue.run(stubborn);
    env.settle();
    auto second = queue.run(pausing(log, "second", 1.0));
    auto third = queue.run(pausing(log, "third", 1.0));
    env.settle();
    EXPECT_FALSE(second.isDone());
    release->resume();
    env.settle();
    EXPECT_TRUE(second.isDone());
    EXPECT_TRUE(second.isCancelled());
    // The second never started its operation; ending it did not clear the third.
    EXPECT_EQ(log, (std::vector<std::string>{"first started", "first finished", "third started"}));
    EXPECT_TRUE(queue.current());
    env.advance(1.0);
    EXPECT_FALSE(queue.current());
}

TEST(ApplicationNavigationQueueTest, CancelStopsTheCurrentRequestAndReleasingTheQueueDoesNot) {
    testkit::TestEnvironment env;
    std::vector<std::string> log;
    auto queue = std::make_unique<ApplicationNavigationQueue>();
    queue->run(pausing(log, "first", 1.0));
    env.settle();
    queue->cancel();
    EXPECT_TRUE(queue->current());  // it stays current until it ends
    env.settle();
    EXPECT_EQ(log.back(), "first cancelled");
    EXPECT_FALSE(queue->current());

    auto kept = queue->run(pausing(log, "second", 1.0));
    env.settle();
    queue.reset();
    env.advance(1.0);
    EXPECT_EQ(log.back(), "second finished");
    EXPECT_TRUE(kept.isDone());
}

}  // namespace
}  // namespace tarnwick
