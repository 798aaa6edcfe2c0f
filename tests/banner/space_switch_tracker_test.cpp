#include <gtest/gtest.h>

#include "banner/space_switch_tracker.h"

namespace tarnwick {
namespace {

using Change = SpaceSwitchTracker::Change;

DesktopMonitor monitor(std::string id, int current, int count = 3, std::uint64_t firstSpace = 1) {
    DesktopMonitor m{id, id + " display", Rect(0, 0, 100, 100), {}};
    for (int i = 0; i < count; ++i) {
        const std::uint64_t space = firstSpace + static_cast<std::uint64_t>(i);
        m.desktops.push_back(ManagedDesktop{id + "-D" + std::to_string(i), space, "Desktop " + std::to_string(space), i == current});
    }
    return m;
}

TEST(SpaceSwitchTrackerTest, ReportsOnlyDisplaysWhoseCurrentDesktopChanged) {
    SpaceSwitchTracker tracker;
    tracker.reset({monitor("A", 0), monitor("B", 0, 3, 10)});
    EXPECT_TRUE(tracker.observe({monitor("A", 0), monitor("B", 0, 3, 10)}).empty());

    auto changes = tracker.observe({monitor("A", 1), monitor("B", 0, 3, 10)});
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0], (Change{"A", ManagedDesktop{"A-D1", 2, "Desktop 2", true}}));
    EXPECT_TRUE(tracker.observe({monitor("A", 1), monitor("B", 0, 3, 10)}).empty());

    // Both at once, in catalog order.
    changes = tracker.observe({monitor("B", 2, 3, 10), monitor("A", 0)});
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].monitorID, "B");
    EXPECT_EQ(changes[1].monitorID, "A");
}

TEST(SpaceSwitchTrackerTest, NewDisplaysAndDisplaysWithoutACurrentDesktop) {
    SpaceSwitchTracker tracker;
    // Nothing remembered: a first observation reports nothing and remembers.
    EXPECT_TRUE(tracker.observe({monitor("A", 0)}).empty());
    // A display added since reports nothing at first, then its switches.
    EXPECT_TRUE(tracker.observe({monitor("A", 0), monitor("C", 1)}).empty());
    EXPECT_EQ(tracker.observe({monitor("A", 0), monitor("C", 2)}).size(), 1u);

    // No current desktop: nothing reported, remembered as none; a later current one is reported.
    EXPECT_TRUE(tracker.observe({monitor("A", -1), monitor("C", 2)}).empty());
    auto changes = tracker.observe({monitor("A", 0), monitor("C", 2)});
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].desktop.id, "A-D0");

    // A display that went away is forgotten.
    EXPECT_TRUE(tracker.observe({monitor("C", 2)}).empty());
    EXPECT_TRUE(tracker.observe({monitor("A", 1), monitor("C", 2)}).empty());
}

TEST(SpaceSwitchTrackerTest, OfTwoMonitorsWithOneIdTheLaterIsRemembered) {
    SpaceSwitchTracker tracker;
    tracker.reset({monitor("A", 0), monitor("A", 2)});
    // Compared with the later one's memory (desktop 2).
    auto changes = tracker.observe({monitor("A", 2)});
    EXPECT_TRUE(changes.empty());
    changes = tracker.observe({monitor("A", 0)});
    EXPECT_EQ(changes.size(), 1u);
}

TEST(SpaceSwitchTrackerTest, TheTitleIsTheStoredNameAsItStandsElseTheNativeTitle) {
    Change change{"A", ManagedDesktop{"UUID-1", 4, "Desktop 4", true}};
    EXPECT_EQ(change.title({{"UUID-1", "Work"}}), "Work");
    EXPECT_EQ(change.title({{"UUID-1", " Work "}}), " Work ");
    EXPECT_EQ(change.title({{"UUID-2", "Mail"}}), "Desktop 4");
    EXPECT_EQ(change.title({}), "Desktop 4");
}

}  // namespace
}  // namespace tarnwick
