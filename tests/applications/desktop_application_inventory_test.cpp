#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "applications/desktop_application_inventory.h"
#include "applications/native_application_window_focus.h"
#include "applications/running_application_record.h"
#include "model/desktop_names_model.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

using testkit::TestEnvironment;
using Inventory = DesktopApplicationInventory;
using Status = Inventory::Status;
using Entries = Inventory::Entries;
using Scheduler = InventoryRefreshScheduler;

struct FakeTimers {
    std::vector<Scheduler::FireAction> fires;
    int stops = 0;
    Scheduler::Schedule schedule() {
        return [this](Scheduler::FireAction fire, double) {
            fires.push_back(std::move(fire));
            return [this] { ++stops; };
        };
    }
};

// The default session's ordinary desktops.
std::vector<DesktopMonitor> defaultCatalog() {
    return {
        DesktopMonitor{"A", "Built-in", Rect(0, 0, 1512, 982),
                       {{"D1", 1, "Desktop 1", true}, {"D3", 3, "Desktop 2", false}, {"D5", 5, "Desktop 3", false}}},
        DesktopMonitor{"B", "Studio", Rect(1512, -200, 2560, 1440),
                       {{"D4", 4, "Desktop 4", true}, {"D6", 6, "Desktop 5", false}, {"D8", 8, "Desktop 6", false}}},
    };
}

std::vector<std::string> names(const Inventory::Entry& entry) {
    std::vector<std::string> out;
    for (const auto& a : entry.apps) out.push_back(a.name);
    return out;
}

std::map<std::string, Status> statuses(const Entries& entries) {
    std::map<std::string, Status> out;
    for (const auto& [id, entry] : entries) out[id] = entry.status;
    return out;
}

std::map<std::string, Status> allRows(Status status, std::vector<std::string> ids = {"D1", "D3", "D4", "D5", "D6", "D8"}) {
    std::map<std::string, Status> out;
    for (auto& id : ids) out[id] = status;
    return out;
}

class InventoryTest : public ::testing::Test {
protected:
    InventoryTest() {
        env.session.loadDefaultSession();
        inventory = make();
        subscription = inventory->entries.subscribe([this](const Entries& e) { published.push_back(e); });
    }

    std::unique_ptr<Inventory> make() {
        Inventory::Services services;
        services.loader = &loader;
        services.icons = &icons;
        services.openWindow = [this](std::string appID, std::string desktopID, DesktopCatalogFunction catalog) {
            return fakeOpen(std::move(appID), std::move(desktopID), std::move(catalog));
        };
        return std::make_unique<Inventory>([this] { return catalog; }, [this] { ++catalogRefreshes; }, &scheduler,
                                           services);
    }

    // Lets posted work run, then the pending reads, then their results; returns the reads.
    std::size_t finishReads() {
        env.settle();
        const std::size_t reads = executor->runAll();
        env.settle();
        return reads;
    }
    const Entries& entries() { return inventory->entries.get(); }

    // An activation that takes a second and then fails with `failure` (if set).
    struct OpenCall {
        std::string appID;
        std::string desktopID;
        bool ended = false;
        bool cancelled = false;
    };
    Task<void> fakeOpen(std::string appID, std::string desktopID, DesktopCatalogFunction catalogAction) {
        const std::size_t index = opens.size();
        opens.push_back({appID, desktopID});
        EXPECT_EQ(catalogAction().size(), 2u);
        try {
            co_await sleepFor(1.0);
        } catch (const CancellationError&) {
            opens[index].cancelled = true;
        }
        if (opens[index].cancelled && !failLate) throw CancellationError();
        opens[index].ended = true;
        if (failure) throw Error(*failure);
    }

    TestEnvironment env;
    std::shared_ptr<ManualExecutor> executor = std::make_shared<ManualExecutor>();
    SpaceApplicationReader reader{executor};
    int resolutions = 0;
    SpaceApplicationSnapshotLoader loader{[this] { return env.clock.uptime(); },
                                          [this](std::int32_t pid) {
                                              ++resolutions;
                                              return runningApplicationRecord(pid);
                                          },
                                          &reader};
    ApplicationIconCache icons{[this] { return env.clock.uptime(); }, ApplicationIconCache::workspaceResolver};
    FakeTimers timers;
    Scheduler scheduler{timers.schedule()};
    std::vector<DesktopMonitor> catalog = defaultCatalog();
    int catalogRefreshes = 0;
    std::vector<OpenCall> opens;
    std::optional<std::string> failure;
    bool failLate = false;
    std::unique_ptr<Inventory> inventory;
    std::vector<Entries> published;
    Subscription subscription;
};

TEST_F(InventoryTest, AStartedInventoryShowsEveryRowLoadingThenTheFirstResult) {
    inventory->start();
    ASSERT_EQ(published.size(), 1u);
    EXPECT_EQ(statuses(published[0]), allRows(Status::loading));
    for (const auto& [id, entry] : published[0]) EXPECT_TRUE(entry.apps.empty());
    EXPECT_EQ(timers.fires.size(), 1u);

    EXPECT_EQ(finishReads(), 1u);
    ASSERT_EQ(published.size(), 2u);
    EXPECT_EQ(statuses(entries()), allRows(Status::ready));
    EXPECT_EQ(names(entries().at("D1")), (std::vector<std::string>{"Finder", "Terminal"}));
    EXPECT_EQ(names(entries().at("D4")), std::vector<std::string>{"Safari"});
    EXPECT_TRUE(entries().at("D8").apps.empty());

    // Starting again registers nothing new, but refreshes.
    env.session.windows.erase(env.session.windows.begin() + 3);  // the Notes window on space 3
    env.advance(0.3);
    inventory->start();
    EXPECT_EQ(timers.fires.size(), 1u);
    EXPECT_EQ(finishReads(), 1u);
    EXPECT_TRUE(entries().at("D3").apps.empty());
    EXPECT_EQ(published.size(), 3u);

    // Stopping keeps the entries; results no longer arrive.
    inventory->stop();
    EXPECT_EQ(timers.stops, 1);
    inventory->refresh();
    EXPECT_EQ(finishReads(), 0u);
    EXPECT_EQ(statuses(entries()), allRows(Status::ready));
}

TEST_F(InventoryTest, TimerTicksShareReadsAcrossInventoriesAndReuseFreshResults) {
    auto second = make();
    inventory->start();
    second->start();
    EXPECT_EQ(timers.fires.size(), 1u);  // one timer for both
    EXPECT_EQ(finishReads(), 1u);        // and one read
    EXPECT_EQ(second->entries.get(), entries());

    // A tick within a quarter second takes the kept result; a later one reads again.
    env.session.windows.erase(env.session.windows.begin() + 3);
    timers.fires[0]();
    EXPECT_EQ(finishReads(), 0u);
    EXPECT_EQ(names(entries().at("D3")), std::vector<std::string>{"Notes"});
    env.advance(3.0);
    timers.fires[0]();
    EXPECT_EQ(finishReads(), 1u);
    EXPECT_TRUE(entries().at("D3").apps.empty());
    EXPECT_TRUE(second->entries.get().at("D3").apps.empty());

    second->stop();
    EXPECT_EQ(timers.stops, 0);
    second.reset();
    inventory->stop();
    EXPECT_EQ(timers.stops, 1);
}

TEST_F(InventoryTest, RowStatusesFollowWhatCouldBeRead) {
    env.session.skyLight.windowsForSpace[3] = std::nullopt;
    env.session.skyLight.windowsForSpace[6] = Value(Array{Value(505), Value(999)});
    inventory->start();
    finishReads();
    auto expected = allRows(Status::ready);
    expected["D3"] = Status::unavailable;
    expected["D6"] = Status::incomplete;
    EXPECT_EQ(statuses(entries()), expected);
    EXPECT_EQ(names(entries().at("D6")), std::vector<std::string>{"Mail"});

    env.session.skyLight.windowsForSpace.clear();
    inventory->refresh();
    EXPECT_EQ(finishReads(), 1u);
    EXPECT_EQ(statuses(entries()), allRows(Status::ready));
    EXPECT_EQ(names(entries().at("D6")), (std::vector<std::string>{"Mail", "Terminal"}));
}

TEST_F(InventoryTest, ARestrictionKeepsOnlyItsRowsAndIsComparedAsASet) {
    inventory->start();
    finishReads();
    const std::size_t before = published.size();
    inventory->setSpaceIDs(std::vector<std::uint64_t>{6, 4, 6});
    // The rows outside go at once; the rows inside keep their entries while the new read runs.
    ASSERT_EQ(published.size(), before + 1);
    EXPECT_EQ(statuses(entries()), allRows(Status::ready, {"D4", "D6"}));
    EXPECT_EQ(finishReads(), 1u);
    EXPECT_EQ(inventory->spaceIDs(), (std::vector<std::uint64_t>{4, 6}));

    inventory->setSpaceIDs(std::vector<std::uint64_t>{4, 6, 4});
    EXPECT_EQ(finishReads(), 0u);
    EXPECT_EQ(published.size(), before + 1);

    inventory->setSpaceIDs(std::nullopt);
    EXPECT_EQ(statuses(entries()).at("D1"), Status::loading);
    finishReads();
    EXPECT_EQ(statuses(entries()), allRows(Status::ready));
    inventory->setSpaceIDs(std::nullopt);
    EXPECT_EQ(finishReads(), 0u);
}

TEST_F(InventoryTest, AForcedRefreshDuringATicksReadLetsThatFreshReadStand) {
    inventory->start();
    finishReads();
    env.advance(3.0);
    timers.fires[0]();
    env.settle();
    EXPECT_EQ(executor->pending(), 1u);
    inventory->refresh();  // only lowers the age the running refresh accepts
    EXPECT_EQ(executor->pending(), 1u);
    EXPECT_EQ(finishReads(), 1u);
    EXPECT_EQ(executor->pending(), 0u);
    EXPECT_EQ(statuses(entries()), allRows(Status::ready));
}

TEST_F(InventoryTest, ACatalogChangeDuringAReadDropsTheResultAndReadsAgain) {
    inventory->start();
    env.settle();
    // Desktop D5 moves to the other display while the read runs.
    catalog[1].desktops.push_back(catalog[0].desktops[2]);
    catalog[0].desktops.pop_back();
    EXPECT_EQ(finishReads(), 1u);
    for (const auto& entries : published)
        for (const auto& [id, entry] : entries) EXPECT_EQ(entry.status, Status::loading) << id;
    EXPECT_EQ(finishReads(), 1u);
    EXPECT_EQ(statuses(entries()), allRows(Status::ready));
    EXPECT_EQ(names(entries().at("D5")), std::vector<std::string>{"Finder"});
}

TEST_F(InventoryTest, RowsThatMoveStartAgainAtLoading) {
    inventory->start();
    finishReads();
    catalog[0].desktops[2].spaceID = 9;  // D5 is now space 9
    inventory->refresh();
    auto expected = allRows(Status::ready);
    expected["D5"] = Status::loading;
    EXPECT_EQ(statuses(entries()), expected);
    finishReads();
    EXPECT_EQ(statuses(entries()).at("D5"), Status::unavailable);  // the window server knows no space 9
}

TEST_F(InventoryTest, OnlyTheLatestActivationRunsToTheEndAndEveryFinishedOneRefreshes) {
    inventory->start();
    finishReads();
    std::vector<std::optional<std::string>> errors;
    auto errorSubscription = inventory->activationError.subscribe([&](const auto& e) { errors.push_back(e); });
    failure = "macOS could not bring that app window forward. Try again.";

    inventory->activate(entries().at("D1").apps[0], "D1");
    env.settle();
    ASSERT_EQ(opens.size(), 1u);
    env.advance(0.5);
    inventory->activate(entries().at("D6").apps[0], "D6");
    env.settle();
    EXPECT_TRUE(opens[0].cancelled);
    EXPECT_FALSE(opens[0].ended);
    ASSERT_EQ(opens.size(), 2u);  // the second starts once the first has ended
    EXPECT_EQ(opens[1].appID, "com.apple.mail");
    EXPECT_EQ(opens[1].desktopID, "D6");
    EXPECT_EQ(errors, (std::vector<std::optional<std::string>>{std::nullopt, std::nullopt}));
    EXPECT_EQ(executor->pending(), 0u);

    env.advance(1.0);
    EXPECT_TRUE(opens[1].ended);
    EXPECT_EQ(inventory->activationError.get(), failure);
    EXPECT_EQ(catalogRefreshes, 2);
    // The refresh after the activation reads anew although a kept result would be fresh enough.
    env.settle();
    EXPECT_EQ(executor->pending(), 1u);
    finishReads();

    // A successful activation clears the message and refreshes as well.
    failure.reset();
    env.advance(0.1);
    inventory->activate(entries().at("D3").apps[0], "D3");
    EXPECT_EQ(inventory->activationError.get(), std::nullopt);
    env.advance(1.0);
    EXPECT_TRUE(opens[2].ended);
    EXPECT_EQ(inventory->activationError.get(), std::nullopt);
    EXPECT_EQ(finishReads(), 1u);
}

TEST_F(InventoryTest, TheRefreshAfterAnActivationReadsAnewEvenRightAfterARead) {
    inventory->start();
    finishReads();
    inventory->activate(entries().at("D1").apps[0], "D1");
    env.advance(0.9);
    inventory->refresh();  // a read that completes 0.1 s before the activation ends
    EXPECT_EQ(finishReads(), 1u);
    env.advance(0.1);
    ASSERT_TRUE(opens[0].ended);
    env.settle();
    // The activation may have moved windows: a result 0.1 s old is not fresh enough.
    EXPECT_EQ(executor->pending(), 1u);
}

TEST_F(InventoryTest, StoppingDuringAnActivationIgnoresItsResult) {
    inventory->start();
    finishReads();
    failure = "late failure";
    failLate = true;  // the activation fails instead of giving up when cancelled
    inventory->activate(entries().at("D1").apps[0], "D1");
    env.advance(0.5);
    inventory->stop();
    env.advance(2.0);
    ASSERT_EQ(opens.size(), 1u);
    EXPECT_TRUE(opens[0].cancelled);
    EXPECT_TRUE(opens[0].ended);
    EXPECT_EQ(inventory->activationError.get(), std::nullopt);
    EXPECT_EQ(finishReads(), 0u);

    // An activation asked for while stopped does nothing.
    inventory->activate(entries().at("D1").apps[0], "D1");
    env.advance(2.0);
    EXPECT_EQ(opens.size(), 1u);
}

TEST_F(InventoryTest, AnActivationKeepsItsAppWhenClearingTheErrorChangesTheRows) {
    inventory->start();
    finishReads();
    // An observer that narrows the rows when the message clears replaces the entries that the
    // activated app was passed from.
    auto narrowing = inventory->activationError.subscribe(
        [this](const auto&) { inventory->setSpaceIDs(std::vector<std::uint64_t>{4}); });
    inventory->activate(entries().at("D1").apps[0], "D1");
    ASSERT_FALSE(entries().count("D1"));
    env.settle();
    ASSERT_EQ(opens.size(), 1u);
    EXPECT_EQ(opens[0].appID, "com.apple.finder");
}

TEST_F(InventoryTest, AnInventoryThatGoesAwayLeavesTheTimerAndItsReadBehindSafely) {
    inventory->start();
    env.settle();
    EXPECT_EQ(executor->pending(), 1u);
    subscription.reset();
    inventory.reset();
    EXPECT_EQ(timers.stops, 1);
    finishReads();
    timers.fires[0]();  // a firing already on its way
    env.settle();
    EXPECT_EQ(executor->pending(), 0u);
}

// The inventory with the real catalog and the real app-focus flow of the simulated session.
class InventoryNavigationTest : public ::testing::Test {
protected:
    InventoryNavigationTest() {
        env.session.loadDefaultSession();
        model = std::make_unique<DesktopNamesModel>();
        model->refresh(true);
        Inventory::Services services;
        services.loader = &loader;
        services.icons = &icons;
        services.focus = {&reader, &native};
        inventory = std::make_unique<Inventory>([this] { return model->monitors.get(); },
                                                [this] {
                                                    ++catalogRefreshes;
                                                    model->refresh(true);
                                                },
                                                &scheduler, services);
    }
    const std::string kNotesDesktop = "6F1C2B9E-0D4A-4C8E-9B3F-2A7D5E1C8B40";  // space 3, not current

    TestEnvironment env;
    std::unique_ptr<DesktopNamesModel> model;
    SpaceApplicationReader reader{std::make_shared<LoopExecutor>(env.loop)};
    NativeApplicationWindowFocus native;
    int resolutions = 0;
    SpaceApplicationSnapshotLoader loader{[this] { return env.clock.uptime(); },
                                          [this](std::int32_t pid) {
                                              ++resolutions;
                                              return runningApplicationRecord(pid);
                                          },
                                          &reader};
    ApplicationIconCache icons{[this] { return env.clock.uptime(); }, ApplicationIconCache::workspaceResolver};
    FakeTimers timers;
    Scheduler scheduler{timers.schedule()};
    int catalogRefreshes = 0;
    std::unique_ptr<Inventory> inventory;
};

TEST_F(InventoryNavigationTest, ActivatingAnAppShowsItsWindowOnItsDesktop) {
    inventory->start();
    env.settle();
    const auto& notesRow = inventory->entries.get().at(kNotesDesktop);
    ASSERT_EQ(notesRow.status, Status::ready);
    ASSERT_EQ(notesRow.apps.size(), 1u);
    const SpaceApplication notes = notesRow.apps[0];

    const int resolutionsBefore = resolutions;
    inventory->activate(notes, kNotesDesktop);
    env.advance(2.0);
    EXPECT_EQ(inventory->activationError.get(), std::nullopt);
    EXPECT_EQ(env.session.display(1)->currentSpace, 3u);
    EXPECT_EQ(env.session.frontmostPID, 304);
    EXPECT_GT(catalogRefreshes, 0);
    // The rows were read again after the activation.
    EXPECT_GT(resolutions, resolutionsBefore);
    EXPECT_EQ(inventory->entries.get().at(kNotesDesktop).status, Status::ready);

    // Without the Accessibility permission the activation fails with its sentence.
    env.session.accessibilityTrusted = false;
    inventory->activate(notes, kNotesDesktop);
    env.advance(1.0);
    EXPECT_EQ(inventory->activationError.get(),
              std::optional<std::string>("Allow Device Control access in Settings to bring app windows forward."));
}

}  // namespace
}  // namespace tarnwick
