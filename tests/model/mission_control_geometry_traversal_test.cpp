#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/fake_geometry_access.h"
#include "model/mission_control_geometry_traversal.h"

namespace tarnwick {
namespace {

using Attribute = MissionControlGeometryAttribute;
using Read = FakeGeometryAccess::Read;

// Mission Control as it looks with one display and two desktops:
// 1 application > 2 "mc" > 3 "mc.display" > 4 "mc.spaces" > 5 "Desktop 1", 6 "Desktop 2".
FakeGeometryAccess missionControl() {
    FakeGeometryAccess access;
    access.add(1, "AXApplication").children({2});
    access.add(2, "AXGroup", "mc").children({3});
    access.add(3, "AXGroup", "mc.display").frame(0, 0, 1512, 982).children({4});
    access.add(4, "AXGroup", "mc.spaces").frame(0, 0, 1512, 40).children({5, 6});
    access.add(5, "AXButton").title("Desktop 1").frame(500, 4, 200, 30);
    access.add(6, "AXButton").title("Desktop 2").frame(708, 4, 200, 30);
    return access;
}

// A clock that only moves when told to.
struct FakeClock {
    double time = 50;
    std::function<double()> function() {
        return [this] { return time; };
    }
};

MissionControlGeometrySnapshot readTree(FakeGeometryAccess& access, FakeClock& clock,
                                        MissionControlGeometryLimits limits = {},
                                        std::function<bool()> cancelled = {}) {
    return MissionControlGeometryTraversal::read(1, access, limits, clock.function(), cancelled);
}

void expectIncomplete(const MissionControlGeometrySnapshot& snapshot) {
    EXPECT_FALSE(snapshot.complete);
    EXPECT_TRUE(snapshot.tree.empty());
}

const Value* key(const Value& node, const char* name) { return node.find(name); }

TEST(MissionControlGeometryAttributeTest, RawValuesRoundTripAndNothingElseIsAccepted) {
    const char* raw[] = {"AXRole", "AXIdentifier", "AXTitle", "AXPosition", "AXSize", "AXChildren", "AXWindows"};
    int i = 0;
    for (auto attribute : Attribute::allCases) {
        EXPECT_EQ(Attribute(attribute).rawValue(), raw[i++]);
        EXPECT_EQ(Attribute::fromRawValue(Attribute(attribute).rawValue()), Attribute(attribute));
    }
    for (const char* other : {"", "axrole", "AXRole ", "AXFrame", "AXTitleUIElement"})
        EXPECT_FALSE(Attribute::fromRawValue(other)) << other;
}

TEST(MissionControlGeometryTraversalTest, FlattensTheTreeInPreOrderWithTitlesAndFrames) {
    auto access = missionControl();
    FakeClock clock;
    auto snapshot = readTree(access, clock);
    ASSERT_TRUE(snapshot.complete);
    EXPECT_EQ(snapshot.nodeCount, 6);
    EXPECT_EQ(snapshot.seconds, 0);
    ASSERT_EQ(snapshot.tree.size(), 6u);

    const Value& root = snapshot.tree[0];
    EXPECT_EQ(root, Value(Dictionary{{"index", 0}, {"depth", 0}, {"AXRole", "AXApplication"}}));
    EXPECT_EQ(snapshot.tree[1], Value(Dictionary{{"index", 1},
                                                 {"depth", 1},
                                                 {"parent", 0},
                                                 {"AXRole", "AXGroup"},
                                                 {"AXIdentifier", "mc"}}));
    EXPECT_EQ(*key(snapshot.tree[2], "frameAX"),
              Value(Dictionary{{"x", 0.0}, {"y", 0.0}, {"width", 1512.0}, {"height", 982.0}}));
    EXPECT_EQ(*key(snapshot.tree[3], "AXIdentifier"), Value("mc.spaces"));
    EXPECT_EQ(*key(snapshot.tree[3], "frameAX")->find("height"), Value(40.0));
    EXPECT_EQ(snapshot.tree[5], Value(Dictionary{
                                    {"index", 5},
                                    {"depth", 4},
                                    {"parent", 3},
                                    {"AXRole", "AXButton"},
                                    {"AXTitle", "Desktop 2"},
                                    {"frameAX", Dictionary{{"x", 708.0}, {"y", 4.0}, {"width", 200.0}, {"height", 30.0}}},
                                }));
    for (size_t i = 1; i < snapshot.tree.size(); ++i)
        EXPECT_LT(*key(snapshot.tree[i], "parent")->toInt64(), static_cast<std::int64_t>(i));
    // Role, identifier and children for every element, windows for the application, titles for
    // the two buttons, frames for the display, the bar and the titled buttons.
    EXPECT_EQ(access.reads, 6 * 3 + 1 + 2 + 4 * 2);
}

TEST(MissionControlGeometryTraversalTest, AWindowListedAsChildAndAsWindowIsRecordedOnce) {
    FakeGeometryAccess access;
    access.add(1, "AXApplication").children({2, 3}).windows({3});
    access.add(2, "AXMenuBar").children({});
    access.add(3, "AXWindow").children({});
    FakeClock clock;
    auto snapshot = readTree(access, clock);
    ASSERT_TRUE(snapshot.complete);
    ASSERT_EQ(snapshot.tree.size(), 3u);
    EXPECT_EQ(*key(snapshot.tree[2], "AXRole"), Value("AXWindow"));
    EXPECT_EQ(*key(snapshot.tree[2], "parent"), Value(0));
    EXPECT_EQ(snapshot.nodeCount, 3);

    // Windows are read only for applications.
    access.add(2, "AXGroup").children({}).windows({9});
    EXPECT_TRUE(readTree(access, clock).complete);
}

TEST(MissionControlGeometryTraversalTest, AnElementUnderTwoParentsOrInsideItselfVoidsTheRead) {
    FakeClock clock;
    {
        // 4 is a child of both 2 and 3.
        FakeGeometryAccess access;
        access.add(1, "AXApplication").children({2, 3});
        access.add(2, "AXGroup").children({4});
        access.add(3, "AXGroup").children({4});
        access.add(4, "AXStaticText");
        auto snapshot = readTree(access, clock);
        expectIncomplete(snapshot);
        EXPECT_EQ(snapshot.nodeCount, 4);
    }
    {
        // 3 lists its own ancestor 2 as a child.
        FakeGeometryAccess access;
        access.add(1, "AXApplication").children({2});
        access.add(2, "AXGroup").children({3});
        access.add(3, "AXGroup").children({2});
        expectIncomplete(readTree(access, clock));
    }
    {
        // The application lists itself as its window.
        FakeGeometryAccess access;
        access.add(1, "AXApplication").children({}).windows({1});
        expectIncomplete(readTree(access, clock));
    }
}

TEST(MissionControlGeometryTraversalTest, ContainersAndBarsNeedChildListsLeavesDoNot) {
    FakeClock clock;
    auto app = [](FakeGeometryAccess& access) { access.add(1, "AXApplication").children({2}); };
    {
        FakeGeometryAccess access;
        app(access);
        access.add(2, "AXGroup");  // no AXChildren: unavailable
        expectIncomplete(readTree(access, clock));
    }
    for (const char* leaf : {"AXButton", "AXStaticText", "AXImage", "AXSeparator"}) {
        FakeGeometryAccess access;
        app(access);
        access.add(2, leaf);
        EXPECT_TRUE(readTree(access, clock).complete) << leaf;
    }
    {
        FakeGeometryAccess access;
        app(access);
        access.add(2, "AXButton", "mc.spaces").frame(0, 0, 100, 40);
        expectIncomplete(readTree(access, clock));
    }
    {
        // A leaf whose child list fails is not excused: only an absent list is.
        FakeGeometryAccess access;
        app(access);
        access.add(2, "AXStaticText").set(Attribute::children, Read::failure());
        expectIncomplete(readTree(access, clock));
    }
}

TEST(MissionControlGeometryTraversalTest, RolesAndIdentifiersMustBeStrings) {
    FakeClock clock;
    auto access = missionControl();
    access.remove(4, Attribute::role);
    expectIncomplete(readTree(access, clock));

    access = missionControl();
    access.set(4, Attribute::role, FakeGeometryAccess::text(""));
    expectIncomplete(readTree(access, clock));

    access = missionControl();
    access.set(2, Attribute::identifier, FakeGeometryAccess::point(1, 2));
    expectIncomplete(readTree(access, clock));
}

TEST(MissionControlGeometryTraversalTest, OnlyExactDesktopTitlesInsideADisplayAreKept) {
    FakeClock clock;
    auto titleOf = [&](FakeGeometryAccess& access, size_t index) -> std::string {
        auto snapshot = readTree(access, clock);
        EXPECT_TRUE(snapshot.complete);
        if (!snapshot.complete) return "<incomplete>";
        auto* title = key(snapshot.tree[index], "AXTitle");
        EXPECT_EQ(title != nullptr, key(snapshot.tree[index], "frameAX") != nullptr);
        return title ? *title->asString() : "";
    };
    for (const char* ignored : {"Desktop 1 ", "Desktop", "Desktop ", "desktop 1", "Desktop 1\n", "Desktop ١", "Desktop 2a"}) {
        auto access = missionControl();
        access.title(5, ignored);
        EXPECT_EQ(titleOf(access, 4), "") << ignored;
    }
    auto access = missionControl();
    access.title(5, "Desktop 0042");
    EXPECT_EQ(titleOf(access, 4), "Desktop 0042");

    // A button without a title, or a title-less frame, is simply untitled.
    access = missionControl();
    access.remove(5, Attribute::title).remove(5, Attribute::position).remove(5, Attribute::size);
    EXPECT_EQ(titleOf(access, 4), "");

    // A title of the wrong kind voids the read.
    access = missionControl();
    access.set(5, Attribute::title, FakeGeometryAccess::size(1, 1));
    expectIncomplete(readTree(access, clock));

    // Outside a display subtree the title is not even asked for.
    access = FakeGeometryAccess();
    access.add(1, "AXApplication").children({2, 3});
    access.add(2, "AXButton").title("Desktop 1").frame(0, 0, 10, 10);
    access.add(3, "AXGroup", "mc.spaces").frame(0, 0, 100, 40).children({4});
    access.add(4, "AXButton").title("Desktop 2").frame(0, 0, 10, 10);
    int titleReads = 0;
    access.onRead = [&](Attribute attribute, int, double) { titleReads += attribute == Attribute::title; };
    auto snapshot = readTree(access, clock);
    ASSERT_TRUE(snapshot.complete);
    EXPECT_EQ(titleReads, 0);
    EXPECT_EQ(key(snapshot.tree[1], "AXTitle"), nullptr);
    EXPECT_EQ(key(snapshot.tree[3], "AXTitle"), nullptr);
    EXPECT_NE(key(snapshot.tree[2], "frameAX"), nullptr);
}

TEST(MissionControlGeometryTraversalTest, FramesMustBeFiniteAndNonEmpty) {
    FakeClock clock;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double x, y, width, height;
    };
    for (auto c : {Case{0, 0, 0, 982}, Case{0, 0, 1512, -1}, Case{nan, 0, 1512, 982}, Case{0, inf, 1512, 982},
                   Case{0, 0, 1512, nan}}) {
        auto access = missionControl();
        access.frame(3, c.x, c.y, c.width, c.height);
        expectIncomplete(readTree(access, clock));
    }
    auto access = missionControl();
    access.frame(3, -1512, -200, 1512, 982);  // negative origins are ordinary on a second display
    EXPECT_TRUE(readTree(access, clock).complete);

    access = missionControl();
    access.remove(4, Attribute::size);
    expectIncomplete(readTree(access, clock));

    access = missionControl();
    access.set(4, Attribute::position, FakeGeometryAccess::size(0, 0));
    expectIncomplete(readTree(access, clock));

    access = missionControl();
    access.set(6, Attribute::size, FakeGeometryAccess::point(200, 30));
    expectIncomplete(readTree(access, clock));
}

// A chain of groups below the application, `levels` deep.
FakeGeometryAccess chain(int levels) {
    FakeGeometryAccess access;
    access.add(1, "AXApplication").children({2});
    for (int id = 2; id <= levels + 1; ++id) access.add(id, "AXGroup").children(id <= levels ? std::vector<int>{id + 1} : std::vector<int>{});
    return access;
}

TEST(MissionControlGeometryTraversalTest, DepthAndElementLimitsVoidTheRead) {
    FakeClock clock;
    auto deep = chain(17);
    auto snapshot = readTree(deep, clock);
    EXPECT_TRUE(snapshot.complete);
    EXPECT_EQ(*key(snapshot.tree.back(), "depth"), Value(17));

    deep = chain(18);
    snapshot = readTree(deep, clock);
    expectIncomplete(snapshot);
    EXPECT_EQ(snapshot.nodeCount, 18);

    // The application and 1999 children make exactly 2000 elements.
    auto wide = [](int count) {
        FakeGeometryAccess access;
        std::vector<int> ids;
        for (int id = 2; id < count + 2; ++id) {
            access.add(id, "AXImage");
            ids.push_back(id);
        }
        access.add(1, "AXApplication").children(ids);
        return access;
    };
    auto fits = wide(1999);
    snapshot = readTree(fits, clock);
    EXPECT_TRUE(snapshot.complete);
    EXPECT_EQ(snapshot.nodeCount, 2000);

    auto overflow = wide(2000);
    snapshot = readTree(overflow, clock);
    expectIncomplete(snapshot);
    EXPECT_EQ(snapshot.nodeCount, 2000);

    // A list longer than the element limit is refused before any of it is visited.
    auto refused = wide(2001);
    snapshot = readTree(refused, clock);
    expectIncomplete(snapshot);
    EXPECT_EQ(snapshot.nodeCount, 1);
}

TEST(MissionControlGeometryTraversalTest, TheBudgetBoundsTheReadAndEachAttributeWait) {
    // Every read takes 10 ms; a 400-element tree cannot be read in 0.35 s.
    FakeGeometryAccess access;
    std::vector<int> ids;
    for (int id = 2; id < 402; ++id) {
        access.add(id, "AXStaticText");
        ids.push_back(id);
    }
    access.add(1, "AXApplication").children(ids);
    FakeClock clock;
    access.onRead = [&](Attribute, int, double) { clock.time += 0.01; };
    auto snapshot = readTree(access, clock);
    expectIncomplete(snapshot);
    EXPECT_NEAR(snapshot.seconds, 0.35, 0.0101);
    // Three reads per element; the one whose answer came at the deadline registered it too.
    EXPECT_EQ(snapshot.nodeCount, (access.reads + 2) / 3);
    EXPECT_EQ(access.timeouts.front(), 0.03);
    for (double timeout : access.timeouts) EXPECT_LE(timeout, 0.03);

    // Near the end each wait is cut to what is left of the budget.
    FakeGeometryAccess slow = missionControl();
    FakeClock slowClock;
    slowClock.time = 0;
    slow.onRead = [&](Attribute, int, double) { slowClock.time += 0.025; };
    MissionControlGeometryLimits limits;
    limits.budget = 0.1;
    snapshot = readTree(slow, slowClock, limits);
    expectIncomplete(snapshot);
    ASSERT_EQ(slow.timeouts.size(), 4u);
    EXPECT_EQ(slow.timeouts[0], 0.03);
    EXPECT_NEAR(slow.timeouts[3], 0.025, 1e-12);
    EXPECT_NEAR(snapshot.seconds, 0.1, 1e-12);
}

TEST(MissionControlGeometryTraversalTest, AnAnswerAfterTheDeadlineIsDiscarded) {
    auto access = missionControl();
    FakeClock clock;
    ASSERT_TRUE(readTree(access, clock).complete);
    const int total = access.reads;
    // The very last read (the application's windows) answers at the deadline.
    access.reads = 0;
    access.onRead = [&](Attribute, int, double) {
        if (access.reads == total) clock.time += 0.35;
    };
    expectIncomplete(readTree(access, clock));
    EXPECT_EQ(access.reads, total);

    // A clock that runs backwards never yields negative seconds.
    access = missionControl();
    access.onRead = [&](Attribute, int, double) { clock.time -= 1; };
    auto snapshot = readTree(access, clock);
    EXPECT_TRUE(snapshot.complete);
    EXPECT_EQ(snapshot.seconds, 0);
}

TEST(MissionControlGeometryTraversalTest, CancellationAtAnyCheckVoidsTheRead) {
    FakeClock clock;
    auto reference = missionControl();
    int checks = 0;
    ASSERT_TRUE(readTree(reference, clock, {}, [&] {
                    ++checks;
                    return false;
                }).complete);
    // Cancelling at the n-th check, for every check the read makes (the last one is at the end).
    for (int n = 1; n <= checks; ++n) {
        auto access = missionControl();
        int seen = 0;
        auto snapshot = readTree(access, clock, {}, [&] { return ++seen >= n; });
        expectIncomplete(snapshot);
        EXPECT_EQ(seen, n) << "the read went on after cancellation at check " << n;
        if (n == 1) {
            EXPECT_EQ(snapshot.nodeCount, 0);
        }
    }
}

TEST(MissionControlGeometryTraversalTest, InvalidLimitsReadNothing) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<MissionControlGeometryLimits> invalid = {
        {2000, 18, 0, 0.03},   {2000, 18, 0.35, nan}, {2000, 18, inf, 0.03}, {2000, 18, 0.35, -0.03},
        {0, 18, 0.35, 0.03},   {2000, 0, 0.35, 0.03}, {-5, 18, 0.35, 0.03},
    };
    for (const auto& limits : invalid) {
        auto access = missionControl();
        FakeClock clock;
        auto snapshot = readTree(access, clock, limits);
        expectIncomplete(snapshot);
        EXPECT_EQ(snapshot.nodeCount, 0);
        EXPECT_EQ(snapshot.seconds, 0);
        EXPECT_EQ(access.reads, 0);
    }
    EXPECT_TRUE(MissionControlGeometryLimits().isValid());
}

}  // namespace
}  // namespace tarnwick
