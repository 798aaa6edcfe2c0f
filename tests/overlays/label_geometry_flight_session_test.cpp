#include <limits>
#include <memory>

#include <gtest/gtest.h>

#include "model/mission_control_geometry_reader.h"
#include "overlays/label_geometry_flight.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

constexpr std::int32_t kWindowManager = 120;
using Flight = LabelGeometryFlight<MissionControlGeometrySnapshot>;
using Answer = std::optional<LabelGeometryRead<MissionControlGeometrySnapshot>>;

Task<Answer> ask(Flight* flight, double after) { co_return co_await flight->read(kWindowManager, after); }

// The flight over the session's Accessibility tree, with the reader's executor run by hand so
// that a read stays in progress as long as the test wants.
class GeometryFlightSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        env.session.loadDefaultSession();
        env.session.openMissionControl();
        ExecutorFactoryScope scope([this](const std::string&) { return readerExecutor; });
        reader = std::make_unique<MissionControlGeometryReader>();
        flight = std::make_unique<Flight>([this](std::int32_t pid) { return reader->read(pid); });
    }
    testkit::TestEnvironment env;
    std::shared_ptr<ManualExecutor> readerExecutor = std::make_shared<ManualExecutor>();
    std::unique_ptr<MissionControlGeometryReader> reader;
    std::unique_ptr<Flight> flight;
};

TEST_F(GeometryFlightSessionTest, ThreeRequestsShareOneRead) {
    auto a = spawn(ask(flight.get(), -std::numeric_limits<double>::infinity()));
    auto b = spawn(ask(flight.get(), env.clock.uptime()));
    auto c = spawn(ask(flight.get(), 0));
    env.settle();
    EXPECT_EQ(readerExecutor->pending(), 1u);
    readerExecutor->runAll();
    env.settle();
    for (auto* handle : {&a, &b, &c}) {
        ASSERT_TRUE(handle->isDone());
        ASSERT_TRUE(*handle->result());
        EXPECT_TRUE((*handle->result())->value.complete);
        EXPECT_EQ((*handle->result())->startedAt, env.clock.uptime());
    }
    EXPECT_FALSE((*a.result())->value.tree.empty());
}

TEST_F(GeometryFlightSessionTest, AReadInvalidatedWhileRunningAnswersNobodyAndTheNextWaitsForIt) {
    auto a = spawn(ask(flight.get(), 0));
    auto b = spawn(ask(flight.get(), 0));
    env.settle();
    ASSERT_EQ(readerExecutor->pending(), 1u);
    flight->invalidate();
    auto c = spawn(ask(flight.get(), 0));
    env.settle();
    EXPECT_FALSE(*a.result());
    EXPECT_FALSE(*b.result());
    EXPECT_FALSE(c.isDone());
    // No second read while the voided one has not reported back.
    EXPECT_EQ(readerExecutor->pending(), 1u);
    readerExecutor->runAll();
    env.settle();
    EXPECT_FALSE(c.isDone());
    EXPECT_EQ(readerExecutor->pending(), 1u);  // now the next read
    readerExecutor->runAll();
    env.settle();
    ASSERT_TRUE(c.isDone());
    ASSERT_TRUE(*c.result());
    EXPECT_TRUE((*c.result())->value.complete);
}

}  // namespace
}  // namespace tarnwick
