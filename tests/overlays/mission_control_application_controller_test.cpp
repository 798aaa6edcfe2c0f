#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "overlays/mission_control_application_controller.h"
#include "overlays/mission_control_application_layout.h"
#include "testkit/banner_world.h"
#include "testkit/mission_control_slots.h"

namespace tarnwick {
namespace {

using testkit::BannerWorld;
using Controller = MissionControlApplicationController;
using Inventory = DesktopApplicationInventory;
using Position = MissionControlApplicationPosition;
using Presentations = std::vector<MissionControlApplicationPresentation>;
using Slots = std::vector<MissionControlApplicationSlot>;

constexpr const char* kDesktop1 = "00000000-0000-0000-0000-000000000001";
constexpr const char* kDesktop5 = "A0B1C2D3-E4F5-4A6B-8C7D-9E0F1A2B3C4D";

std::vector<std::string> desktops(const Presentations& presentations) {
    std::vector<std::string> ids;
    for (const auto& p : presentations) ids.push_back(p.target.desktopID);
    return ids;
}
std::vector<std::string> desktops(const Slots& slots) {
    std::vector<std::string> ids;
    for (const auto& s : slots) ids.push_back(s.target.desktopID);
    return ids;
}
std::vector<std::string> names(const std::vector<SpaceApplication>& apps) {
    std::vector<std::string> out;
    for (const auto& a : apps) out.push_back(a.name);
    return out;
}

// The default session with Mission Control open and its bar expanded; the app reads wait for
// the test. The controller's strips go to `renders`.
class StripControllerTest : public ::testing::Test {
protected:
    StripControllerTest() {
        world.env.session.openMissionControl();
        world.env.session.setSpacesBarExpanded(true);
        world.env.settle();
        controller = make();
    }

    std::unique_ptr<Controller> make() {
        return std::make_unique<Controller>(
            [this] { return world.model.monitors.get(); }, inventory,
            [](const SpaceNavigationTarget& target) { return "Apps on " + target.desktopID; },
            [this](const Presentations& list) { renders.push_back(list); });
    }
    Slots measured() { return testkit::simulatedSlots(world.env.session, world.model.monitors.get()); }
    const MissionControlApplicationSlot& slotOf(const Slots& slots, const std::string& desktopID) {
        for (const auto& slot : slots)
            if (slot.target.desktopID == desktopID) return slot;
        throw std::runtime_error("no slot for " + desktopID);
    }
    // Lets the inventory's app reads run and their results arrive.
    void finishReads() {
        world.env.settle();
        world.heldReads->runAll();
        world.env.settle();
    }
    void showStrips() {
        controller->setEnabled(true);
        controller->update(measured());
        finishReads();
        ASSERT_EQ(renders.size(), 1u);
    }

    BannerWorld world{BannerWorld::HoldReads{}};
    InventoryRefreshScheduler scheduler{[](auto, double) { return [] {}; }};
    std::shared_ptr<Inventory> inventory = std::make_shared<Inventory>(
        [this] { return world.model.monitors.get(); }, [this] { world.model.refresh(true); }, &scheduler, services());
    Inventory::Services services() {
        Inventory::Services services;
        services.loader = &world.loader;
        services.icons = &world.icons;
        return services;
    }
    std::vector<Presentations> renders;
    std::unique_ptr<Controller> controller;
};

TEST_F(StripControllerTest, EachExpandedPreviewWithAppsGetsAStripOnceItsAppsAreRead) {
    const Slots slots = measured();
    ASSERT_EQ(slots.size(), 6u);
    controller->setEnabled(true);
    controller->update(slots);
    EXPECT_TRUE(controller->isRunning());
    EXPECT_TRUE(inventory->isActive());
    EXPECT_EQ(inventory->spaceIDs(), (std::vector<std::uint64_t>{1, 3, 4, 5, 6, 8}));
    // Every row is still loading: nothing to show, and nothing was shown before.
    EXPECT_TRUE(renders.empty());

    finishReads();
    ASSERT_EQ(renders.size(), 1u);
    const Presentations& shown = renders[0];
    // Desktop 8 has no apps; the list follows the desktop ids.
    EXPECT_EQ(desktops(shown), (std::vector<std::string>{kDesktop1, BannerWorld::kDesktop4, BannerWorld::kDesktop6,
                                                         BannerWorld::kDesktop3, kDesktop5}));
    EXPECT_EQ(desktops(controller->measuredSlots()), desktops(controller->slots()));
    for (const auto& strip : shown) {
        const auto& entry = inventory->entries->at(strip.target.desktopID);
        EXPECT_EQ(strip.applications, entry.apps);
        EXPECT_EQ(strip.iconSize, 16);
        EXPECT_EQ(strip.accessibilityLabel, "Apps on " + strip.target.desktopID);
        EXPECT_EQ(strip.frame, MissionControlApplicationLayout::frame(slotOf(slots, strip.target.desktopID),
                                                                      int(entry.apps.size()), 16, Position::center));
    }
    EXPECT_EQ(names(shown[2].applications), (std::vector<std::string>{"Mail", "Terminal"}));

    // The same measurements again, and a refresh with the same result: nothing new to render.
    controller->update(measured());
    inventory->refresh();
    finishReads();
    EXPECT_EQ(renders.size(), 1u);

    // A new window shows on the next read.
    world.env.session.windows.push_back({.id = 600, .pid = 305, .title = "Drafts", .bounds = Rect(40, 60, 800, 600), .spaces = {8}});
    inventory->refresh();
    finishReads();
    ASSERT_EQ(renders.size(), 2u);
    EXPECT_EQ(renders[1].size(), 6u);
}

TEST_F(StripControllerTest, RowsLoadingOrNotReadShowNoStripAndIncompleteOnesDo) {
    world.env.session.skyLight.windowsForSpace[3] = std::nullopt;
    world.env.session.skyLight.windowsForSpace[6] = Value(Array{Value(505), Value(999)});
    showStrips();
    EXPECT_EQ(inventory->entries->at(BannerWorld::kDesktop3).status, Inventory::Status::unavailable);
    const auto shown = desktops(renders[0]);
    EXPECT_EQ(std::count(shown.begin(), shown.end(), BannerWorld::kDesktop3), 0);
    ASSERT_EQ(std::count(shown.begin(), shown.end(), BannerWorld::kDesktop6), 1);
    EXPECT_EQ(names(renders[0][2].applications), std::vector<std::string>{"Mail"});

    // Back to loading (the desktop moved to another space id in the inventory's eyes) hides it.
    Inventory::Entries entries = inventory->entries.get();
    entries[BannerWorld::kDesktop6].status = Inventory::Status::loading;
    inventory->entries.set(entries);
    ASSERT_EQ(renders.size(), 2u);
    EXPECT_EQ(renders[1].size(), renders[0].size() - 1);
    // The last strip goes too: the rest stay as they were.
    entries[kDesktop5].status = Inventory::Status::loading;
    inventory->entries.set(entries);
    ASSERT_EQ(renders.size(), 3u);
    EXPECT_EQ(renders[2], Presentations(renders[1].begin(), renders[1].end() - 1));
}

TEST_F(StripControllerTest, AmbiguousAndMisplacedMeasurementsAreDropped) {
    Slots slots = measured();
    const Slots original = slots;
    slots.push_back(slotOf(original, BannerWorld::kDesktop4));  // measured twice
    for (auto& slot : slots) {
        if (slot.target.desktopID == BannerWorld::kDesktop6) slot.display.origin.x += 0.25;  // another display's bounds
        if (slot.target.desktopID == BannerWorld::kDesktop8) slot.target.spaceID = 99;      // not that desktop
    }
    MissionControlApplicationSlot cramped = slotOf(original, BannerWorld::kDesktop3);
    cramped.horizontalLimit = 20;  // no room even for one small icon
    std::erase_if(slots, [](const auto& s) { return s.target.desktopID == BannerWorld::kDesktop3; });
    slots.push_back(cramped);

    controller->setEnabled(true);
    controller->update(slots);
    EXPECT_EQ(desktops(controller->measuredSlots()),
              (std::vector<std::string>{kDesktop1, kDesktop5}));
    EXPECT_EQ(inventory->spaceIDs(), (std::vector<std::uint64_t>{1, 5}));
    finishReads();
    ASSERT_EQ(renders.size(), 1u);
    EXPECT_EQ(renders[0].size(), 2u);

    // A collapsed bar has no previews to hold a strip.
    world.env.session.setSpacesBarExpanded(false);
    controller->update(measured());
    EXPECT_TRUE(controller->measuredSlots().empty());
    EXPECT_FALSE(inventory->isActive());
    ASSERT_EQ(renders.size(), 2u);
    EXPECT_TRUE(renders[1].empty());
}

TEST_F(StripControllerTest, StripsShowOnlyWhileOnAndGoAllAtOnceWithTheirMeasurements) {
    controller->update(measured());
    EXPECT_TRUE(controller->measuredSlots().empty());
    // Entries from someone else's use of the inventory never reach the panels.
    inventory->start();
    finishReads();
    inventory->stop();
    // Turning on waits for the next measurements.
    controller->setEnabled(true);
    EXPECT_TRUE(renders.empty());
    controller->update(measured());
    finishReads();
    ASSERT_EQ(renders.size(), 1u);

    controller->update({});
    ASSERT_EQ(renders.size(), 2u);
    EXPECT_TRUE(renders[1].empty());
    EXPECT_FALSE(controller->isRunning());
    EXPECT_FALSE(inventory->isActive());
    controller->update({});
    EXPECT_EQ(renders.size(), 2u);

    controller->update(measured());
    finishReads();
    controller->setEnabled(false);
    ASSERT_EQ(renders.size(), 4u);
    EXPECT_TRUE(renders[3].empty());
    EXPECT_TRUE(controller->measuredSlots().empty());
    EXPECT_FALSE(inventory->isActive());
    controller->update(measured());
    EXPECT_EQ(renders.size(), 4u);
}

TEST_F(StripControllerTest, IconSizeAndPositionResizeAndMoveTheStrips) {
    showStrips();
    const Slots slots = measured();
    controller->setIconSize(50);
    EXPECT_EQ(controller->iconSize(), 40);
    ASSERT_EQ(renders.size(), 2u);
    for (const auto& strip : renders[1]) {
        EXPECT_EQ(strip.iconSize, 40);
        EXPECT_EQ(strip.frame.height(), 50);
    }
    controller->setIconSize(40);
    EXPECT_EQ(renders.size(), 2u);

    controller->setPosition(Position::top);
    ASSERT_EQ(renders.size(), 3u);
    for (size_t i = 0; i < renders[2].size(); ++i) EXPECT_LE(renders[2][i].frame.minY(), renders[1][i].frame.minY());
    const auto& first = renders[2][0];
    EXPECT_EQ(first.frame, MissionControlApplicationLayout::frame(slotOf(slots, first.target.desktopID),
                                                                  int(first.applications.size()), 40, Position::top));

    controller->setIconSize(std::nan(""));
    EXPECT_EQ(controller->iconSize(), 16);
    ASSERT_EQ(renders.size(), 4u);
    EXPECT_EQ(renders[3][0].iconSize, 16);
}

TEST_F(StripControllerTest, ACatalogChangeWhileStripsShowClearsThemUntilFreshMeasurementsArrive) {
    showStrips();
    // Desktop 6 is closed: the catalog no longer matches what was measured.
    ASSERT_TRUE(world.env.session.removeDesktop(2, 6));
    world.model.refresh(true);
    inventory->refresh();  // its rows change, and the controller hears of it
    ASSERT_EQ(renders.size(), 2u);
    EXPECT_TRUE(renders[1].empty());
    EXPECT_FALSE(controller->isRunning());
    EXPECT_FALSE(inventory->isActive());
    EXPECT_TRUE(controller->measuredSlots().empty());

    // Rebuilt at once from the rows the inventory still holds, then from a fresh read: the
    // closed desktop's windows went to desktop 8.
    controller->update(measured());
    ASSERT_EQ(renders.size(), 3u);
    EXPECT_EQ(desktops(renders[2]),
              (std::vector<std::string>{kDesktop1, BannerWorld::kDesktop4, BannerWorld::kDesktop3, kDesktop5}));
    finishReads();
    ASSERT_EQ(renders.size(), 4u);
    ASSERT_EQ(renders[3].size(), 5u);
    EXPECT_EQ(renders[3][2].target.desktopID, BannerWorld::kDesktop8);
    EXPECT_EQ(names(renders[3][2].applications), (std::vector<std::string>{"Mail", "Terminal"}));
}

TEST_F(StripControllerTest, StripsStayThroughADesktopSwitchButNotThroughAMovedDisplay) {
    showStrips();
    auto addWindow = [this](std::uint32_t id, std::uint64_t space) {
        world.env.session.windows.push_back(
            {.id = id, .pid = 304, .title = "Note", .bounds = Rect(40, 60, 800, 600), .spaces = {space}});
        inventory->refresh();
        finishReads();
    };
    world.env.session.switchDesktop(2, 6);
    world.env.settle();
    addWindow(700, 4);
    ASSERT_EQ(renders.size(), 2u);
    EXPECT_EQ(renders[1].size(), 5u);
    EXPECT_TRUE(controller->isRunning());

    // The studio display moves by half a point: what was measured on it no longer holds.
    world.env.session.setDisplayBounds(2, Rect(1512.5, -200, 2560, 1440));
    world.env.settle();
    addWindow(701, 1);
    ASSERT_EQ(renders.size(), 3u);
    EXPECT_TRUE(renders[2].empty());
    EXPECT_FALSE(controller->isRunning());
}

TEST_F(StripControllerTest, FreshMeasurementsOfAChangedCatalogClearTheOldStripsFirst) {
    showStrips();
    sim::SimSpace added;
    added.id64 = 9;
    added.uuid = "5C6B7A8F-9EAD-4BCC-9BEA-F9A8B7C6D505";
    world.env.session.addDesktop(1, added);
    world.model.refresh(true);
    controller->update(measured());
    ASSERT_EQ(renders.size(), 3u);
    EXPECT_TRUE(renders[1].empty());
    EXPECT_TRUE(controller->isRunning());
    // The rows that kept their places show again at once, in their new previews; the new
    // desktop has no apps.
    EXPECT_EQ(desktops(renders[2]), desktops(renders[0]));
    EXPECT_NE(renders[2][0].frame, renders[0][0].frame);
    finishReads();
    EXPECT_EQ(renders.size(), 3u);
    EXPECT_EQ(controller->scope(), Controller::identity(world.model.monitors.get()));
}

TEST_F(StripControllerTest, TheCatalogIdentityIgnoresOrderAndNamesButNotPlaces) {
    const auto monitors = world.model.monitors.get();
    auto reordered = monitors;
    std::swap(reordered[0], reordered[1]);
    reordered[0].name = "Elsewhere";
    EXPECT_EQ(Controller::identity(reordered), Controller::identity(monitors));
    auto moved = monitors;
    moved[1].desktops.push_back(moved[0].desktops.back());
    moved[0].desktops.pop_back();
    EXPECT_NE(Controller::identity(moved), Controller::identity(monitors));
}

TEST_F(StripControllerTest, AControllerHearsOnlyLaterEntriesAndNothingOnceGone) {
    inventory->start();
    finishReads();
    auto second = make();  // the inventory already has entries: nothing is presented
    EXPECT_TRUE(renders.empty());

    second->setEnabled(true);
    second->update(measured());
    finishReads();
    ASSERT_EQ(renders.size(), 1u);
    second.reset();  // the inventory it started stops with it
    EXPECT_FALSE(inventory->isActive());
    inventory->start();
    finishReads();
    EXPECT_EQ(renders.size(), 1u);

    // Without a describe, a strip has the generic label.
    auto plain = std::make_unique<Controller>([this] { return world.model.monitors.get(); }, inventory, nullptr,
                                              [this](const Presentations& list) { renders.push_back(list); });
    plain->setEnabled(true);
    plain->update(measured());
    finishReads();
    ASSERT_EQ(renders.size(), 2u);
    EXPECT_EQ(renders[1][0].accessibilityLabel, "Desktop applications");
}

}  // namespace
}  // namespace tarnwick
