#include <memory>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "applications/running_application_record.h"
#include "applications/space_application_snapshot_loader.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

using testkit::TestEnvironment;
using Loader = SpaceApplicationSnapshotLoader;
using Snapshot = Loader::Snapshot;
using SpaceIDs = std::optional<std::vector<std::uint64_t>>;

// The default session's ordinary desktops on its two displays.
std::vector<DesktopMonitor> catalog() {
    return {
        DesktopMonitor{"A", "Built-in", Rect(0, 0, 1512, 982),
                       {{"D1", 1, "Desktop 1", true}, {"D3", 3, "Desktop 2", false}, {"D5", 5, "Desktop 3", false}}},
        DesktopMonitor{"B", "Studio", Rect(1512, -200, 2560, 1440),
                       {{"D4", 4, "Desktop 4", true}, {"D6", 6, "Desktop 5", false}, {"D8", 8, "Desktop 6", false}}},
    };
}

std::vector<std::string> names(const std::vector<SpaceApplication>& apps) {
    std::vector<std::string> out;
    for (const auto& a : apps) out.push_back(a.name);
    return out;
}

Snapshot cancelledFor(std::set<std::uint64_t> spaces) {
    Snapshot s;
    s.unavailable = std::move(spaces);
    return s;
}

class SnapshotLoaderTest : public ::testing::Test {
protected:
    SnapshotLoaderTest() {
        env.session.loadDefaultSession();
        loader = std::make_unique<Loader>([this] { return env.clock.uptime(); },
                                          [this](std::int32_t pid) {
                                              ++resolutions;
                                              return runningApplicationRecord(pid);
                                          },
                                          &reader);
    }

    TaskHandle<Snapshot> load(double maximumAge, SpaceIDs spaceIDs = std::nullopt,
                              std::vector<DesktopMonitor> monitors = catalog()) {
        return spawn(loader->snapshot(std::move(monitors), std::move(spaceIDs), maximumAge));
    }
    // Lets the callers start, then lets the pending reads run; returns how many reads ran.
    std::size_t finishReads() {
        env.settle();
        const std::size_t reads = executor->runAll();
        env.settle();
        return reads;
    }
    // A complete load that waits for nothing else.
    Snapshot loadNow(double maximumAge, SpaceIDs spaceIDs = std::nullopt) {
        auto handle = load(maximumAge, std::move(spaceIDs));
        finishReads();
        EXPECT_TRUE(handle.isDone());
        return *handle.result();
    }

    TestEnvironment env;
    std::shared_ptr<ManualExecutor> executor = std::make_shared<ManualExecutor>();
    SpaceApplicationReader reader{executor};
    int resolutions = 0;
    std::unique_ptr<Loader> loader;
};

TEST_F(SnapshotLoaderTest, GroupsTheEligibleWindowsOfEveryDesktop) {
    env.session.windows.push_back({600, 4242, "tarnwick panel", 0, Rect(10, 10, 200, 100), 1, false, {1}});
    env.session.windows.push_back({601, 121, "Dock helper", 0, Rect(10, 10, 200, 100), 1, false, {1}});
    env.session.windows.push_back({602, 303, "zsh 2", 0, Rect(40, 40, 300, 200), 1, false, {1}});
    const Snapshot snapshot = loadNow(0);
    EXPECT_FALSE(snapshot.reusedCompletedSnapshot);
    EXPECT_EQ(names(snapshot.appsByDesktop.at("D1")), (std::vector<std::string>{"Finder", "Terminal"}));
    EXPECT_EQ(names(snapshot.appsByDesktop.at("D3")), std::vector<std::string>{"Notes"});
    EXPECT_EQ(names(snapshot.appsByDesktop.at("D6")), (std::vector<std::string>{"Mail", "Terminal"}));
    EXPECT_TRUE(snapshot.appsByDesktop.at("D8").empty());
    EXPECT_EQ(snapshot.appsByDesktop.size(), 6u);
    EXPECT_TRUE(snapshot.unavailable.empty() && snapshot.incomplete.empty());
    // One resolution per distinct owner (the process itself is never asked about).
    EXPECT_EQ(resolutions, 6);
}

TEST_F(SnapshotLoaderTest, IdenticalRequestsAtOnceShareOneRead) {
    auto first = load(Loader::reuseInterval);
    // The same desktops, listed in another order and with repeats.
    auto second = load(0, std::vector<std::uint64_t>{8, 6, 4, 5, 3, 1, 3});
    auto third = load(Loader::reuseInterval, std::vector<std::uint64_t>{1, 3});  // another request
    EXPECT_EQ(finishReads(), 2u);
    ASSERT_TRUE(first.isDone() && second.isDone() && third.isDone());
    EXPECT_EQ(*first.result(), *second.result());
    EXPECT_FALSE(first.result()->reusedCompletedSnapshot);
    EXPECT_FALSE(second.result()->reusedCompletedSnapshot);
    EXPECT_EQ(names(third.result()->appsByDesktop.at("D3")), std::vector<std::string>{"Notes"});

    // Another catalog is another request, even for the same space ids.
    auto monitors = catalog();
    monitors[1].desktops[2].id = "D8-renamed";
    auto other = load(Loader::reuseInterval, std::nullopt, monitors);
    auto same = load(Loader::reuseInterval);
    EXPECT_EQ(finishReads(), 1u);
    EXPECT_FALSE(other.result()->reusedCompletedSnapshot);
    EXPECT_TRUE(same.result()->reusedCompletedSnapshot);
}

TEST_F(SnapshotLoaderTest, CompleteResultsAreReusedWithinTheCallersMaximumAgeAndAQuarterSecond) {
    const Snapshot fresh = loadNow(Loader::reuseInterval);

    env.advance(0.05);
    auto reused = load(0.1);
    EXPECT_EQ(finishReads(), 0u);
    Snapshot expected = fresh;
    expected.reusedCompletedSnapshot = true;
    EXPECT_EQ(*reused.result(), expected);

    env.advance(0.1);  // 0.15 s old: too old for 0.1, fine for 0.25
    auto tooOld = load(0.1);
    EXPECT_EQ(finishReads(), 1u);
    EXPECT_FALSE(tooOld.result()->reusedCompletedSnapshot);

    // That read replaced the kept result; it is usable up to 0.25 s and not after.
    env.advance(0.25);
    EXPECT_TRUE(loadNow(Loader::reuseInterval).reusedCompletedSnapshot);
    env.advance(0.01);
    auto expired = load(10);
    EXPECT_EQ(finishReads(), 1u);
    EXPECT_FALSE(expired.result()->reusedCompletedSnapshot);
}

TEST_F(SnapshotLoaderTest, AForcedReadDiscardsTheKeptResultButJoinsARunningRead) {
    loadNow(Loader::reuseInterval);
    auto forced = load(0);
    env.settle();
    auto joining = load(0);
    EXPECT_EQ(finishReads(), 1u);
    EXPECT_FALSE(forced.result()->reusedCompletedSnapshot);
    EXPECT_EQ(*forced.result(), *joining.result());

    // A forced read that is cancelled leaves nothing kept: the next caller reads.
    auto cancelled = load(0);
    env.settle();
    cancelled.cancel();
    env.settle();
    auto next = load(Loader::reuseInterval);
    EXPECT_EQ(finishReads(), 2u);
    EXPECT_FALSE(next.result()->reusedCompletedSnapshot);
}

TEST_F(SnapshotLoaderTest, ACancelledCallerIsAnsweredAtOnceWithoutStoppingTheOthersRead) {
    auto leaving = load(Loader::reuseInterval, std::vector<std::uint64_t>{1, 4});
    auto staying = load(Loader::reuseInterval, std::vector<std::uint64_t>{4, 1});
    env.settle();
    leaving.cancel();
    env.settle();
    ASSERT_TRUE(leaving.isDone());
    EXPECT_EQ(*leaving.result(), cancelledFor({1, 4}));
    EXPECT_FALSE(staying.isDone());

    EXPECT_EQ(finishReads(), 1u);
    ASSERT_TRUE(staying.isDone());
    EXPECT_EQ(names(staying.result()->appsByDesktop.at("D4")), std::vector<std::string>{"Safari"});
    // The live caller's complete result is kept.
    EXPECT_TRUE(loadNow(Loader::reuseInterval, std::vector<std::uint64_t>{1, 4}).reusedCompletedSnapshot);
}

TEST_F(SnapshotLoaderTest, CancellingTheOnlyCallerCancelsTheRead) {
    auto only = load(Loader::reuseInterval);
    env.settle();
    only.cancel();
    env.settle();
    EXPECT_EQ(*only.result(), cancelledFor({1, 3, 4, 5, 6, 8}));
    EXPECT_EQ(executor->runAll(), 1u);  // the reader's job itself is not interrupted
    env.settle();
    EXPECT_EQ(resolutions, 0);  // but its result is not used
    auto next = load(Loader::reuseInterval);
    EXPECT_EQ(finishReads(), 1u);
    EXPECT_FALSE(next.result()->reusedCompletedSnapshot);

    // A caller cancelled before it asks gets the cancelled snapshot and starts nothing.
    auto early = load(Loader::reuseInterval, std::vector<std::uint64_t>{3});
    early.cancel();
    EXPECT_EQ(finishReads(), 0u);
    EXPECT_EQ(*early.result(), cancelledFor({3}));
}

TEST_F(SnapshotLoaderTest, ARequestFindingOnlyCancelledWaitersStartsANewRead) {
    auto abandoned = load(Loader::reuseInterval);
    env.settle();
    EXPECT_EQ(executor->pending(), 1u);
    // The newcomer asks before the loader has heard of the cancellation.
    auto newcomer = load(Loader::reuseInterval);
    abandoned.cancel();
    env.settle();
    EXPECT_EQ(*abandoned.result(), cancelledFor({1, 3, 4, 5, 6, 8}));
    EXPECT_EQ(executor->pending(), 2u);
    EXPECT_EQ(finishReads(), 2u);
    ASSERT_TRUE(newcomer.isDone());
    EXPECT_TRUE(newcomer.result()->unavailable.empty());
    EXPECT_EQ(names(newcomer.result()->appsByDesktop.at("D1")), (std::vector<std::string>{"Finder", "Terminal"}));
}

TEST_F(SnapshotLoaderTest, ResultsWithUnreadableDesktopsAreDeliveredButNotKept) {
    env.session.skyLight.windowsForSpace[3] = std::nullopt;
    env.session.skyLight.windowsForSpace[6] = Value(Array{Value(505), Value(999)});
    const Snapshot partial = loadNow(Loader::reuseInterval);
    EXPECT_EQ(partial.unavailable, std::set<std::uint64_t>{3});
    EXPECT_EQ(partial.incomplete, std::set<std::uint64_t>{6});
    EXPECT_EQ(names(partial.appsByDesktop.at("D6")), std::vector<std::string>{"Mail"});
    auto again = load(Loader::reuseInterval);
    EXPECT_EQ(finishReads(), 1u);
    EXPECT_FALSE(again.result()->reusedCompletedSnapshot);
}

TEST_F(SnapshotLoaderTest, TheNinthKeptResultRemovesTheOldest) {
    const std::vector<std::vector<std::uint64_t>> requests = {{1}, {3}, {4}, {5}, {6}, {8}, {1, 3}, {1, 4}, {1, 5}};
    for (const auto& spaces : requests) loadNow(Loader::reuseInterval, spaces);
    EXPECT_TRUE(loadNow(Loader::reuseInterval, std::vector<std::uint64_t>{3}).reusedCompletedSnapshot);
    EXPECT_TRUE(loadNow(Loader::reuseInterval, std::vector<std::uint64_t>{1, 5}).reusedCompletedSnapshot);
    EXPECT_FALSE(loadNow(Loader::reuseInterval, std::vector<std::uint64_t>{1}).reusedCompletedSnapshot);
}

TEST_F(SnapshotLoaderTest, ALoaderThatGoesAwayAnswersItsCallersAsCancelled) {
    auto waiting = load(Loader::reuseInterval, std::vector<std::uint64_t>{5});
    env.settle();
    loader.reset();
    env.settle();
    ASSERT_TRUE(waiting.isDone());
    EXPECT_EQ(*waiting.result(), cancelledFor({5}));
    executor->runAll();
    env.settle();  // the read's late answer finds no loader and does nothing
    EXPECT_EQ(resolutions, 0);
}

}  // namespace
}  // namespace tarnwick
