#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "overlays/label_display_pipeline.h"

namespace tarnwick {
namespace {

class LabelDisplayPipelineTest : public ::testing::Test {
protected:
    ManualClock clock{0};
    RunLoop loop{clock};
    MainLoopScope scope{loop};
};

struct Record {
    std::vector<std::string> events;
    std::vector<std::string> published;
    int running = 0;
    int mostRunning = 0;
};

// Input: {id, seconds, what happens}; the operation publishes "id:pass" and returns "id:done".
struct Job {
    int id;
    double seconds;
    enum { succeed, fail, cancel } outcome = succeed;
};

Task<std::string> operate(std::shared_ptr<Record> record, Job job, LabelDisplayPipeline::Publish<std::string> publish) {
    record->events.push_back("start " + std::to_string(job.id));
    record->mostRunning = std::max(record->mostRunning, ++record->running);
    try {
        co_await sleepFor(job.seconds);
    } catch (...) {
        --record->running;
        throw;
    }
    --record->running;
    if (job.outcome == Job::fail) throw Error("bar " + std::to_string(job.id) + " failed");
    if (job.outcome == Job::cancel) throw CancellationError();
    co_await publish(std::to_string(job.id) + ":pass");
    co_return std::to_string(job.id) + ":done";
}

Task<void> hook(std::shared_ptr<Record> record, std::string result) {
    record->published.push_back(result);
    co_return;
}

Task<std::vector<std::string>> runJobs(std::shared_ptr<Record> record, std::vector<Job> jobs, int limit) {
    LabelDisplayPipeline::Operation<Job, std::string> operation = [record](Job job, auto publish) {
        return operate(record, job, std::move(publish));
    };
    LabelDisplayPipeline::Failure<Job, std::string> failure = [](const Job& job, const std::exception& error) {
        return std::to_string(job.id) + ":" + error.what();
    };
    LabelDisplayPipeline::ResultHook<std::string> onResult = [record](std::string r) { return hook(record, r); };
    co_return co_await LabelDisplayPipeline::run(std::move(jobs), limit, operation, failure, onResult);
}

TEST_F(LabelDisplayPipelineTest, NoInputsStartNothing) {
    auto record = std::make_shared<Record>();
    auto handle = spawn(runJobs(record, {}, 2));
    loop.runReady();
    ASSERT_TRUE(handle.isDone());
    EXPECT_TRUE(handle.result()->empty());
    EXPECT_TRUE(record->events.empty());
}

TEST_F(LabelDisplayPipelineTest, AtMostTwoRunAndTheNextStartsWhenOneEnds) {
    auto record = std::make_shared<Record>();
    auto handle = spawn(runJobs(record, {{1, 3.0}, {2, 1.0}, {3, 1.0}}, 5));
    loop.runReady();
    EXPECT_EQ(record->events, (std::vector<std::string>{"start 1", "start 2"}));
    clock.advance(1.0);
    EXPECT_EQ(record->events.back(), "start 3");
    clock.advance(2.0);
    ASSERT_TRUE(handle.isDone());
    EXPECT_EQ(record->mostRunning, 2);
    // Results in finishing order; the hook saw only what was published.
    EXPECT_EQ(*handle.result(), (std::vector<std::string>{"2:done", "3:done", "1:done"}));
    EXPECT_EQ(record->published, (std::vector<std::string>{"2:pass", "3:pass", "1:pass"}));
}

TEST_F(LabelDisplayPipelineTest, ALimitBelowOneRunsOneAtATime) {
    auto record = std::make_shared<Record>();
    auto handle = spawn(runJobs(record, {{1, 1.0}, {2, 1.0}}, 0));
    clock.advance(5);
    ASSERT_TRUE(handle.isDone());
    EXPECT_EQ(record->mostRunning, 1);
}

TEST_F(LabelDisplayPipelineTest, AnOrdinaryFailureBecomesAResultAndTheOthersGoOn) {
    auto record = std::make_shared<Record>();
    auto handle = spawn(runJobs(record, {{1, 1.0, Job::fail}, {2, 2.0}, {3, 1.0}}, 2));
    clock.advance(5);
    ASSERT_TRUE(handle.isDone());
    EXPECT_EQ(*handle.result(), (std::vector<std::string>{"1:bar 1 failed", "2:done", "3:done"}));
    EXPECT_EQ(record->published, (std::vector<std::string>{"2:pass", "3:pass"}));
}

TEST_F(LabelDisplayPipelineTest, AnOperationEndingByCancellationMakesTheRunThrow) {
    auto record = std::make_shared<Record>();
    auto handle = spawn(runJobs(record, {{1, 1.0, Job::cancel}, {2, 5.0}}, 2));
    clock.advance(1.0);
    loop.runReady();
    ASSERT_TRUE(handle.isDone());
    EXPECT_THROW(std::rethrow_exception(handle.error()), CancellationError);
    EXPECT_EQ(record->running, 0);  // the other was cancelled too
    EXPECT_TRUE(record->published.empty());
}

TEST_F(LabelDisplayPipelineTest, CancellingTheCallerThrowsAndKeepsWhatWasDelivered) {
    auto record = std::make_shared<Record>();
    auto handle = spawn(runJobs(record, {{1, 1.0}, {2, 5.0}, {3, 5.0}}, 2));
    clock.advance(2.0);
    handle.cancel();
    loop.runReady();
    ASSERT_TRUE(handle.isDone());
    EXPECT_THROW(std::rethrow_exception(handle.error()), CancellationError);
    EXPECT_EQ(record->published, (std::vector<std::string>{"1:pass"}));
    EXPECT_EQ(record->running, 0);
}

}  // namespace
}  // namespace tarnwick
