#include <string>

#include <gtest/gtest.h>

#include "platform/sim/recent_log.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

TEST(RecentLogTest, ARunOfHoursKeepsOnlyTheNewestEntriesInOrderAndCountsThemAll) {
    sim::RecentLog<int> log;
    for (int i = 0; i < 10000; ++i) log.push_back(i);
    EXPECT_EQ(log.total(), 10000u);
    EXPECT_GE(log.size(), sim::RecentLog<int>::kKept);
    EXPECT_LE(log.size(), 2 * sim::RecentLog<int>::kKept);
    EXPECT_EQ(log.back(), 9999);
    for (size_t i = 1; i < log.size(); ++i) EXPECT_EQ(log[i], log[i - 1] + 1);
    // By sequence number: the newest still there, the oldest gone.
    ASSERT_TRUE(log.entry(9999));
    EXPECT_EQ(*log.entry(9999), 9999);
    EXPECT_EQ(log.entry(0), nullptr);
    EXPECT_EQ(log.entry(10000), nullptr);
}

TEST(RecentLogTest, TheSessionsRecordsStayBoundedWhileTheUserKeepsSwitching) {
    testkit::TestEnvironment env;
    env.session.loadDefaultSession();
    for (int i = 0; i < 2000; ++i) {
        env.session.switchDesktop(1, i % 2 ? 1 : 3);
        env.session.workspaceNotificationCenter().post("tick");
    }
    env.settle();
    const auto& posted = env.session.workspaceNotificationCenter().posted();
    EXPECT_LE(posted.size(), 2 * sim::RecentLog<int>::kKept);
    EXPECT_EQ(posted.total(), 4000u);
    EXPECT_EQ(posted.back().name, "tick");
}

}  // namespace
}  // namespace tarnwick
