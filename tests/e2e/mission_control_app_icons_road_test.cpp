// App icons in Mission Control's expanded previews: the label controller measures the previews,
// the strip controller picks and lays out the strips, the shell's panels show them.

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "applications/desktop_application_inventory.h"
#include "applications/inventory_refresh_scheduler.h"
#include "applications/space_application_reader.h"
#include "applications/space_application_snapshot_loader.h"
#include "overlays/mission_control_application_controller.h"
#include "overlays/mission_control_application_layout.h"
#include "testkit/label_world.h"

namespace tarnwick {
namespace {

using testkit::LabelWorld;
using Presentations = std::vector<MissionControlApplicationPresentation>;

class AppIconsRoadTest : public ::testing::Test {
protected:
    AppIconsRoadTest() {
        world.controller.applicationsChanged = [this](const std::vector<MissionControlApplicationSlot>& slots) {
            strips.update(slots);
        };
        world.controller.setOptions(MissionControlOverlayOptions{true, true});
        strips.setEnabled(true);
    }

    // Our strip panels on screen, by accessibility label.
    std::map<std::string, platform::ui::Panel*> shownStrips() {
        std::map<std::string, platform::ui::Panel*> found;
        for (auto* panel : world.env.session.windowSystem().onScreenPanels())
            if (panel->title() == MissionControlApplicationPanel::panelTitle)
                found[panel->accessibilityLabel().value_or("")] = panel;
        return found;
    }
    std::vector<std::string> appsIn(platform::ui::Panel* panel) {
        std::vector<std::string> names;
        for (const auto& app : static_cast<MissionControlApplicationPanel*>(panel)->applications()) names.push_back(app.name);
        return names;
    }
    std::map<std::string, Rect> frames() {
        std::map<std::string, Rect> result;
        for (const auto& [label, panel] : shownStrips()) result[label] = panel->frame();
        return result;
    }
    std::size_t emptyRenders() const {
        return static_cast<std::size_t>(std::count_if(renders.begin(), renders.end(), [](const auto& r) { return r.empty(); }));
    }

    LabelWorld world{LabelWorld::Names{{LabelWorld::kDesktop2, "Write"}, {LabelWorld::kDesktop4, "Code"}}};
    SpaceApplicationReader reader{std::make_shared<LoopExecutor>(world.env.loop)};
    SpaceApplicationSnapshotLoader loader{systemUptime, nullptr, &reader};
    InventoryRefreshScheduler scheduler{[](auto, double) { return [] {}; }};
    std::shared_ptr<DesktopApplicationInventory> inventory = std::make_shared<DesktopApplicationInventory>(
        world.services.monitors, world.services.refreshCatalog, &scheduler,
        DesktopApplicationInventory::Services{&loader, &world.icons, {}, {}});
    std::vector<Presentations> renders;
    MissionControlApplicationController strips{world.services.monitors, inventory, world.services.describe,
                                               [this](const Presentations& list) {
                                                   renders.push_back(list);
                                                   world.services.render(list);
                                               }};
};

TEST_F(AppIconsRoadTest, ExpandedPreviewsGetTheirDesktopsAppsAndCollapsingPoolsThem) {
    world.controller.start(false);
    world.env.session.openMissionControl();
    world.env.advance(0.5);
    EXPECT_TRUE(shownStrips().empty());  // collapsed: no preview to put a strip in
    world.env.session.setSpacesBarExpanded(true);
    world.runUntil([&] { return shownStrips().size() == 5; });

    // Every desktop with apps has one strip with exactly its apps; the sixth desktop has none.
    const auto shown = shownStrips();
    ASSERT_EQ(shown.size(), 5u);
    const std::string builtIn = "Built-in Retina Display", studio = "Studio Display";
    EXPECT_EQ(appsIn(shown.at("Apps on Desktop 1, " + builtIn)), (std::vector<std::string>{"Finder", "Terminal"}));
    EXPECT_EQ(appsIn(shown.at("Apps on Write, " + builtIn)), std::vector<std::string>{"Notes"});
    EXPECT_EQ(appsIn(shown.at("Apps on Desktop 3, " + builtIn)), std::vector<std::string>{"Finder"});
    EXPECT_EQ(appsIn(shown.at("Apps on Code, " + studio)), std::vector<std::string>{"Safari"});
    EXPECT_EQ(appsIn(shown.at("Apps on Desktop 5, " + studio)), (std::vector<std::string>{"Mail", "Terminal"}));
    // The strips' inventory reads exactly the measured desktops.
    EXPECT_EQ(inventory->spaceIDs(), (std::vector<std::uint64_t>{1, 3, 4, 5, 6, 8}));
    EXPECT_TRUE(inventory->isActive());
    for (const auto& [label, panel] : shown) {
        EXPECT_EQ(panel->level(), 1000) << label;
        EXPECT_TRUE(panel->ignoresMouseEvents()) << label;
    }

    // Each strip sits where the layout puts it over its measured preview, in screen coordinates.
    const double primaryTop = world.env.session.displays.front().bounds.height();
    for (const auto& slot : world.controller.publishedApplicationSlots()) {
        if (slot.target.desktopID != LabelWorld::kDesktop4) continue;
        const auto frame = MissionControlApplicationLayout::frame(slot, 1, 16, MissionControlApplicationPosition::center);
        ASSERT_TRUE(frame);
        EXPECT_EQ(shown.at("Apps on Code, " + studio)->frame(), *MissionControlApplicationLayout::appKitFrame(*frame, primaryTop));
    }

    // A new icon size or position moves them.
    const auto before = frames();
    strips.setIconSize(24);
    world.env.advance(0.1);
    const auto larger = frames();
    ASSERT_EQ(larger.size(), 5u);
    for (const auto& [label, frame] : larger) EXPECT_NE(frame, before.at(label)) << label;
    strips.setPosition(MissionControlApplicationPosition::top);
    world.env.advance(0.1);
    for (const auto& [label, frame] : frames()) EXPECT_GT(frame.minY(), larger.at(label).minY()) << label;

    // Collapsing the bar orders every strip out with one empty list, keeping the panels.
    std::set<std::uint32_t> numbers;
    for (const auto& [label, panel] : shownStrips()) numbers.insert(panel->windowNumber());
    world.env.session.setSpacesBarExpanded(false);
    world.runUntil([&] { return shownStrips().empty(); });
    EXPECT_TRUE(shownStrips().empty());
    world.env.advance(1.0);
    EXPECT_EQ(emptyRenders(), 1u);
    EXPECT_EQ(world.shell->panels->idleCount(), 5u);
    EXPECT_FALSE(inventory->isActive());

    // Expanded again, they come back in the same panels.
    world.env.session.setSpacesBarExpanded(true);
    world.runUntil([&] { return shownStrips().size() == 5; });
    std::set<std::uint32_t> again;
    for (const auto& [label, panel] : shownStrips()) again.insert(panel->windowNumber());
    EXPECT_EQ(again, numbers);
    EXPECT_EQ(world.shell->panels->idleCount(), 0u);
}

}  // namespace
}  // namespace tarnwick
