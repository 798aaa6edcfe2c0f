#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/mission_control_geometry_reader.h"
#include "model/mission_control_geometry_traversal.h"
#include "model/native_mission_control_geometry_access.h"
#include "platform/sim/sim_accessibility.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

using testkit::TestEnvironment;
using Attribute = MissionControlGeometryAttribute;
using Node = NativeMissionControlGeometryAccess::Node;
using Kind = MissionControlGeometryRead<Node>::Kind;
namespace ax = platform::ax_error;

constexpr std::int32_t kWindowManager = 120;

sim::SimAccessibility& simAccessibility(TestEnvironment& env) {
    return dynamic_cast<sim::SimAccessibility&>(*env.session.platform().accessibility);
}

// Runs the reader's awaitable read to its end on the test's loop.
MissionControlGeometrySnapshot awaitRead(TestEnvironment& env, MissionControlGeometryReader& reader, std::int32_t pid) {
    auto handle = spawn(reader.read(pid));
    env.settle();
    EXPECT_TRUE(handle.isDone());
    return handle.result().value_or(MissionControlGeometrySnapshot{});
}

std::vector<std::string> titles(const MissionControlGeometrySnapshot& snapshot) {
    std::vector<std::string> out;
    for (const auto& node : snapshot.tree)
        if (auto* title = node.find("AXTitle")) {
            EXPECT_NE(node.find("frameAX"), nullptr);
            out.push_back(*title->asString());
        }
    return out;
}

TEST(MissionControlGeometryReaderTest, ReadsTheOpenMissionControlOfTheDefaultSession) {
    TestEnvironment env;
    env.session.loadDefaultSession();
    env.session.openMissionControl();
    MissionControlGeometryReader reader;
    auto snapshot = awaitRead(env, reader, kWindowManager);
    ASSERT_TRUE(snapshot.complete);
    EXPECT_EQ(snapshot.nodeCount, static_cast<int>(snapshot.tree.size()));

    std::vector<const Value*> displays;
    for (const auto& node : snapshot.tree)
        if (node.find("AXIdentifier") && *node.find("AXIdentifier") == Value("mc.display")) displays.push_back(&node);
    ASSERT_EQ(displays.size(), 2u);
    EXPECT_EQ(*displays[1]->find("frameAX"),
              Value(Dictionary{{"x", 1512.0}, {"y", -200.0}, {"width", 2560.0}, {"height", 1440.0}}));
    // The full-screen space's button ("Safari") carries no title.
    EXPECT_EQ(titles(snapshot),
              (std::vector<std::string>{"Desktop 1", "Desktop 2", "Desktop 3", "Desktop 4", "Desktop 5", "Desktop 6"}));
    // Every message was bounded by the per-attribute timeout.
    for (const auto& [element, timeout] : simAccessibility(env).timeouts) EXPECT_FLOAT_EQ(timeout, 0.03f);
    EXPECT_EQ(snapshot.seconds, 0);

    // Closed, Mission Control is an application without children: complete, one element.
    env.session.closeMissionControl();
    snapshot = reader.readNow(kWindowManager);
    ASSERT_TRUE(snapshot.complete);
    EXPECT_EQ(snapshot.tree.size(), 1u);
}

TEST(MissionControlGeometryReaderTest, ImpossibleProcessesAndMissingTrustGiveIncompleteReads) {
    TestEnvironment env;
    env.session.loadDefaultSession();
    env.session.openMissionControl();
    MissionControlGeometryReader reader;
    for (std::int32_t pid : {0, -1}) {
        auto snapshot = awaitRead(env, reader, pid);
        EXPECT_FALSE(snapshot.complete);
        EXPECT_TRUE(snapshot.tree.empty());
        EXPECT_EQ(snapshot.seconds, 0);
        EXPECT_EQ(snapshot.nodeCount, 0);
    }
    EXPECT_EQ(simAccessibility(env).attributeReads, 0);

    // A process the session does not know does not answer within its timeout.
    auto snapshot = reader.readNow(999);
    EXPECT_FALSE(snapshot.complete);
    EXPECT_EQ(snapshot.nodeCount, 1);
    EXPECT_NEAR(snapshot.seconds, 0.03, 1e-6);

    env.session.accessibilityTrusted = false;
    snapshot = reader.readNow(kWindowManager);
    EXPECT_FALSE(snapshot.complete);
    EXPECT_TRUE(snapshot.tree.empty());
}

TEST(MissionControlGeometryReaderTest, NativeAccessConvertsValuesAndTellsAbsentFromFailed) {
    TestEnvironment env;
    env.session.load(R"({
      "applications": [{"pid": 7}],
      "accessibility": {"trees": [{"pid": 7, "root": {
          "attributes": {"AXRole": "AXApplication", "AXIdentifier": 5, "AXTitle": "Desktop 1",
                         "AXPosition": {"$point": [10, 20]}, "AXSize": {"$point": [1, 2]},
                         "AXChildren": [{"$node": {"name": "a", "attributes": {"AXRole": "AXImage"}}}, 3],
                         "AXWindows": [{"$ref": "a"}, {"$ref": "a"}]},
          "errors": {"AXTitle": -25212, "AXChildren": 0}}}]}
    })");
    auto& accessibility = *env.session.platform().accessibility;
    const Node app{accessibility.createApplication(7)};
    NativeMissionControlGeometryAccess access(accessibility, 2);

    auto role = access.read(Attribute::role, app, 0.03);
    ASSERT_EQ(role.kind, Kind::value);
    EXPECT_EQ(*role.value->asString(), "AXApplication");
    EXPECT_EQ(access.read(Attribute::identifier, app, 0.03).kind, Kind::failure);    // a number
    EXPECT_EQ(access.read(Attribute::title, app, 0.03).kind, Kind::unavailable);     // kAXErrorNoValue
    auto position = access.read(Attribute::position, app, 0.03);
    ASSERT_EQ(position.kind, Kind::value);
    EXPECT_EQ(*position.value->asPoint(), (Point{10, 20}));
    EXPECT_EQ(access.read(Attribute::size, app, 0.03).kind, Kind::failure);          // a point
    EXPECT_EQ(access.read(Attribute::children, app, 0.03).kind, Kind::failure);      // holds a number
    auto windows = access.read(Attribute::windows, app, 0.03);
    ASSERT_EQ(windows.kind, Kind::value);
    ASSERT_EQ(windows.value->asNodes()->size(), 2u);
    EXPECT_EQ(windows.value->asNodes()->at(0), windows.value->asNodes()->at(1));

    // A list longer than the element limit is refused.
    NativeMissionControlGeometryAccess strict(accessibility, 1);
    EXPECT_EQ(strict.read(Attribute::windows, app, 0.03).kind, Kind::failure);

    // The timeout is set on the element before each message.
    auto& sim = simAccessibility(env);
    access.read(Attribute::role, app, 0.0125);
    EXPECT_FLOAT_EQ(sim.timeouts[app.element.id], 0.0125f);

    // An unsupported attribute is absent; any other error is a failure.
    env.session.node(app.element.id).attributes.erase("AXTitle");
    EXPECT_EQ(access.read(Attribute::title, app, 0.03).kind, Kind::unavailable);
    env.session.node(app.element.id).attributes["AXTitle"].error = ax::kAttributeUnsupported;
    EXPECT_EQ(access.read(Attribute::title, app, 0.03).kind, Kind::unavailable);
    env.session.node(app.element.id).attributes["AXTitle"].error = ax::kCannotComplete;
    EXPECT_EQ(access.read(Attribute::title, app, 0.03).kind, Kind::failure);
    // A timeout the platform refuses fails the read before any message is sent.
    const int reads = sim.attributeReads;
    EXPECT_EQ(access.read(Attribute::role, Node{ElementRef{987654}}, 0.03).kind, Kind::failure);
    EXPECT_EQ(sim.attributeReads, reads);

    // Cancellation fails the read before the message, and while converting a list.
    bool cancelled = true;
    NativeMissionControlGeometryAccess cancellable(accessibility, 10, [&] { return cancelled; });
    EXPECT_EQ(cancellable.read(Attribute::role, app, 0.03).kind, Kind::failure);
    EXPECT_EQ(sim.attributeReads, reads);
    int checks = 0;
    NativeMissionControlGeometryAccess late(accessibility, 10, [&] { return ++checks > 2; });
    EXPECT_EQ(late.read(Attribute::windows, app, 0.03).kind, Kind::failure);
    EXPECT_EQ(sim.attributeReads, reads + 1);
}

// A Mission Control tree whose display answers its AXChildren after `latency` seconds.
std::string slowSession(double latency, int buttons) {
    std::string list;
    for (int i = 1; i <= buttons; ++i) {
        if (i > 1) list += ",";
        list += R"({"attributes": {"AXRole": "AXButton", "AXTitle": "Desktop )" + std::to_string(i) +
                R"(", "AXPosition": {"$point": [0, 0]}, "AXSize": {"$size": [100, 30]}},
                    "latency": {"AXRole": 0.01}})";
    }
    return R"({
      "applications": [{"pid": 7, "bundleID": "com.apple.WindowManager"}],
      "accessibility": {"trees": [{"pid": 7, "root": {
          "attributes": {"AXRole": "AXApplication"},
          "children": [{"attributes": {"AXRole": "AXGroup", "AXIdentifier": "mc.display",
                                       "AXPosition": {"$point": [0, 0]}, "AXSize": {"$size": [1512, 982]}},
                        "latency": {"AXChildren": )" +
           std::to_string(latency) + R"(},
                        "children": [)" +
           list + "]}]}}]}}";
}

TEST(MissionControlGeometryReaderTest, SlowElementsAreBoundedByTheBudgetOnTheVirtualClock) {
    {
        // One message slower than the per-attribute timeout fails after that timeout.
        TestEnvironment env(0);
        env.session.load(slowSession(0.5, 2));
        MissionControlGeometryReader reader;
        auto snapshot = awaitRead(env, reader, 7);
        EXPECT_FALSE(snapshot.complete);
        EXPECT_TRUE(snapshot.tree.empty());
        EXPECT_EQ(snapshot.nodeCount, 2);
        EXPECT_NEAR(snapshot.seconds, 0.03, 1e-6);
        EXPECT_NEAR(env.clock.uptime(), 0.03, 1e-6);
    }
    {
        // Within the timeout the message is waited for, and the read completes.
        TestEnvironment env(0);
        env.session.load(slowSession(0.025, 2));
        MissionControlGeometryReader reader;
        auto snapshot = awaitRead(env, reader, 7);
        EXPECT_TRUE(snapshot.complete);
        EXPECT_NEAR(snapshot.seconds, 0.025 + 2 * 0.01, 1e-6);
        EXPECT_EQ(titles(snapshot), (std::vector<std::string>{"Desktop 1", "Desktop 2"}));
    }
    {
        // Many answers of 10 ms each exhaust the 0.35 s budget: the read stops at the deadline,
        // and the last message waits only for what was left of it.
        TestEnvironment env(0);
        env.session.load(slowSession(0, 60));
        MissionControlGeometryReader reader;
        auto snapshot = awaitRead(env, reader, 7);
        EXPECT_FALSE(snapshot.complete);
        EXPECT_TRUE(snapshot.tree.empty());
        EXPECT_NEAR(snapshot.seconds, 0.35, 1e-6);
        EXPECT_LE(env.clock.uptime(), 0.35 + 1e-6);
        EXPECT_EQ(snapshot.nodeCount, 2 + 35);
    }
}

TEST(MissionControlGeometryReaderTest, CancellingTheAwaitingTaskStopsTheRead) {
    TestEnvironment env;
    env.session.loadDefaultSession();
    env.session.openMissionControl();
    // Hold the reader's jobs so the task can be cancelled while its read waits to run.
    auto executor = std::make_shared<ManualExecutor>();
    ExecutorFactoryScope factory([&](const std::string&) { return executor; });
    MissionControlGeometryReader reader;

    auto handle = spawn(reader.read(kWindowManager));
    env.settle();
    ASSERT_EQ(executor->pending(), 1u);
    handle.cancel();
    executor->runAll();
    env.settle();
    ASSERT_TRUE(handle.isDone());
    EXPECT_FALSE(handle.result()->complete);
    EXPECT_EQ(handle.result()->nodeCount, 0);
    EXPECT_EQ(simAccessibility(env).attributeReads, 0);

    // Cancelled in the middle of the read: nothing more is asked once the check says so.
    auto& sim = simAccessibility(env);
    int checks = 0;
    int readsWhenCancelled = -1;
    auto snapshot = reader.readNow(kWindowManager, [&] {
        if (++checks < 12) return false;
        if (readsWhenCancelled < 0) readsWhenCancelled = sim.attributeReads;
        return true;
    });
    EXPECT_FALSE(snapshot.complete);
    EXPECT_TRUE(snapshot.tree.empty());
    EXPECT_GT(snapshot.nodeCount, 0);
    EXPECT_EQ(sim.attributeReads, readsWhenCancelled);
}

}  // namespace
}  // namespace tarnwick
