#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "overlays/label_geometry_flight.h"

namespace tarnwick {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// A read that takes one second of virtual time and answers with its own number. When cancelled
// it still answers, at once, as the geometry reader comes back incomplete.
struct Reads {
    int started = 0;
    int running = 0;
    int mostRunning = 0;
    int cancelled = 0;
    std::vector<std::int32_t> processes;
};

Task<int> slowRead(std::shared_ptr<Reads> reads, std::int32_t processID) {
    const int number = ++reads->started;
    reads->processes.push_back(processID);
    reads->mostRunning = std::max(reads->mostRunning, ++reads->running);
    try {
        co_await sleepFor(1.0);
    } catch (const CancellationError&) {
        ++reads->cancelled;
    }
    --reads->running;
    co_return number;
}

using Answer = std::optional<LabelGeometryRead<int>>;

Task<Answer> ask(LabelGeometryFlight<int>* flight, std::int32_t processID, double after) {
    co_return co_await flight->read(processID, after);
}

class LabelGeometryFlightTest : public ::testing::Test {
protected:
    ManualClock clock{100};
    RunLoop loop{clock};
    MainLoopScope scope{loop};
    std::shared_ptr<Reads> reads = std::make_shared<Reads>();
    std::unique_ptr<LabelGeometryFlight<int>> flight = std::make_unique<LabelGeometryFlight<int>>(
        [reads = reads](std::int32_t pid) { return slowRead(reads, pid); });
};

TEST_F(LabelGeometryFlightTest, RequestsThatTheRunningReadSatisfiesShareIt) {
    auto a = spawn(ask(flight.get(), 7, 50));
    auto b = spawn(ask(flight.get(), 7, -kInfinity));
    loop.runReady();
    auto c = spawn(ask(flight.get(), 7, 100));  // arrives while the read runs; it started at 100
    clock.advance(1.0);
    for (auto* handle : {&a, &b, &c}) {
        ASSERT_TRUE(handle->isDone());
        ASSERT_TRUE(*handle->result());
        EXPECT_EQ((*handle->result())->value, 1);
        EXPECT_EQ((*handle->result())->startedAt, 100);
    }
    EXPECT_EQ(reads->started, 1);
    EXPECT_FALSE(flight->isReading());
}

// A read whose value a move leaves empty, as a tree of nodes: every request sharing the read must
// still get all of it.
Task<std::vector<std::string>> treeRead(std::int32_t) {
    co_await sleepFor(1.0);
    co_return std::vector<std::string>{"application", "mc", "mc.display", "mc.spaces", "Desktop 1"};
}

Task<std::optional<LabelGeometryRead<std::vector<std::string>>>> askTree(LabelGeometryFlight<std::vector<std::string>>* flight) {
    co_return co_await flight->read(7, -kInfinity);
}

TEST_F(LabelGeometryFlightTest, EveryRequestSharingAReadGetsTheWholeValue) {
    LabelGeometryFlight<std::vector<std::string>> trees([](std::int32_t pid) { return treeRead(pid); });
    std::vector<TaskHandle<std::optional<LabelGeometryRead<std::vector<std::string>>>>> asked;
    for (int i = 0; i < 3; ++i) asked.push_back(spawn(askTree(&trees)));
    clock.advance(1.0);
    for (auto& handle : asked) {
        ASSERT_TRUE(handle.isDone());
        ASSERT_TRUE(*handle.result());
        EXPECT_EQ((*handle.result())->value.size(), 5u);
        EXPECT_EQ((*handle.result())->value.back(), "Desktop 1");
    }
}

TEST_F(LabelGeometryFlightTest, ALaterStartOrAnotherProcessWaitsForTheNextRead) {
    auto first = spawn(ask(flight.get(), 7, 0));
    loop.runReady();
    clock.advance(0.5);
    auto later = spawn(ask(flight.get(), 7, 100.5));
    auto other = spawn(ask(flight.get(), 9, 0));
    clock.advance(0.5);  // the first read ends at 101; the next one starts at once
    ASSERT_TRUE(first.isDone());
    EXPECT_FALSE(later.isDone());
    EXPECT_FALSE(other.isDone());
    clock.advance(1.0);
    ASSERT_TRUE(later.isDone());
    EXPECT_EQ((*later.result())->startedAt, 101);
    EXPECT_EQ((*later.result())->value, 2);
    EXPECT_FALSE(other.isDone());  // the second read was for process 7
    clock.advance(1.0);
    ASSERT_TRUE(other.isDone());
    EXPECT_EQ((*other.result())->value, 3);
    EXPECT_EQ(reads->processes, (std::vector<std::int32_t>{7, 7, 9}));
    EXPECT_EQ(reads->mostRunning, 1);
}

TEST_F(LabelGeometryFlightTest, InvalidatingAnswersEveryoneAtOnceAndTheNextReadWaitsForTheVoidedOne) {
    auto a = spawn(ask(flight.get(), 7, 0));
    auto b = spawn(ask(flight.get(), 7, 0));
    loop.runReady();
    clock.advance(0.25);
    flight->invalidate();
    auto c = spawn(ask(flight.get(), 7, 0));
    loop.runReady();
    ASSERT_TRUE(a.isDone());
    ASSERT_TRUE(b.isDone());
    EXPECT_FALSE(*a.result());
    EXPECT_FALSE(*b.result());
    // The cancelled read reports back, answers nobody, and only then the next read starts.
    EXPECT_EQ(reads->cancelled, 1);
    EXPECT_EQ(reads->started, 2);
    EXPECT_EQ(reads->mostRunning, 1);
    clock.advance(1.0);
    ASSERT_TRUE(c.isDone());
    ASSERT_TRUE(*c.result());
    EXPECT_EQ((*c.result())->value, 2);
    EXPECT_EQ((*c.result())->startedAt, 100.25);
}

TEST_F(LabelGeometryFlightTest, ACancelledCallerGetsNothingAndLeavesTheOthersAlone) {
    auto a = spawn(ask(flight.get(), 7, 0));
    auto b = spawn(ask(flight.get(), 7, 0));
    loop.runReady();
    a.cancel();
    loop.runReady();
    ASSERT_TRUE(a.isDone());
    EXPECT_FALSE(*a.result());
    EXPECT_EQ(flight->waitingCount(), 1u);
    clock.advance(1.0);
    ASSERT_TRUE(b.isDone());
    EXPECT_TRUE(*b.result());

    auto early = spawn(ask(flight.get(), 7, 0));
    early.cancel();
    loop.runReady();
    EXPECT_FALSE(*early.result());
    EXPECT_EQ(reads->started, 1);
}

TEST_F(LabelGeometryFlightTest, AnUnreachableStartTimeGetsNothingWithoutARead) {
    auto never = spawn(ask(flight.get(), 7, kInfinity));
    auto nan = spawn(ask(flight.get(), 7, std::nan("")));
    loop.runReady();
    EXPECT_FALSE(*never.result());
    EXPECT_FALSE(*nan.result());
    EXPECT_EQ(reads->started, 0);
}

TEST_F(LabelGeometryFlightTest, WaitersOfAFlightThatGoesAwayGetNothing) {
    auto a = spawn(ask(flight.get(), 7, 0));
    loop.runReady();
    flight.reset();
    loop.runReady();
    ASSERT_TRUE(a.isDone());
    EXPECT_FALSE(*a.result());
    clock.advance(2.0);  // the orphaned read ends quietly
    EXPECT_EQ(reads->running, 0);
}

}  // namespace
}  // namespace tarnwick
