#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "overlays/mission_control_application_panels.h"
#include "platform/sim/ui/sim_window_system.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
using Panels = MissionControlApplicationPanels;
using Presentation = MissionControlApplicationPresentation;

// The default session: the built-in display (1512 x 982) is primary, the studio display lies
// to its right and 200 points higher.
constexpr const char* kBuiltIn = "37D8832A-2D66-02CA-B9F7-8F30A301B230";
constexpr const char* kStudio = "9C4E1F7A-5B2D-4E8F-A1C3-6D9B2E4F7A18";

std::vector<SpaceApplication> apps(std::vector<std::string> names) {
    std::vector<SpaceApplication> out;
    for (auto& name : names) out.push_back({"com.example." + name, name, std::nullopt});
    return out;
}

Presentation strip(const std::string& monitor, const std::string& desktop, std::uint64_t space, Rect frame,
                   std::vector<std::string> names = {"Mail", "Notes"}, double iconSize = 16) {
    return {{desktop, monitor, space}, frame, apps(std::move(names)), iconSize, "Apps on " + desktop};
}

class StripPanelsTest : public ::testing::Test {
protected:
    StripPanelsTest() { env.session.loadDefaultSession(); }

    Panels make(Panels::ScreenList screens = nullptr) {
        return Panels(std::move(screens), [this] {
            ++made;
            return std::make_unique<MissionControlApplicationPanel>(&icons);
        });
    }
    std::vector<ui::Panel*> stripPanels(bool shownOnly) {
        std::vector<ui::Panel*> found;
        auto& system = env.session.windowSystem();
        for (auto* panel : shownOnly ? system.onScreenPanels() : system.panels())
            if (panel->title() == MissionControlApplicationPanel::panelTitle) found.push_back(panel);
        return found;
    }

    testkit::TestEnvironment env;
    ApplicationIconCache icons{[] { return 0.0; }, [](const std::string&) { return std::nullopt; }};
    int made = 0;
};

TEST_F(StripPanelsTest, APanelIsAClearClickThroughStripOverMissionControlThatIsNeverKey) {
    MissionControlApplicationPanel panel(&icons);
    EXPECT_EQ(panel.title(), "Mission Control apps");
    EXPECT_EQ(panel.frame(), Rect(0, 0, 1, 1));
    EXPECT_EQ(panel.styleMask(), ui::style_mask::kNonactivatingPanel);
    EXPECT_EQ(panel.backing(), ui::BackingStore::buffered);
    EXPECT_FALSE(panel.isDeferred());
    EXPECT_EQ(panel.level(), 1000);
    EXPECT_EQ(panel.collectionBehavior, 337u);
    EXPECT_TRUE(panel.ignoresMouseEvents());
    EXPECT_FALSE(panel.hidesOnDeactivate);
    EXPECT_EQ(panel.animationBehavior, ui::animation_behavior::kNone);
    EXPECT_TRUE(panel.isExcludedFromWindowsMenu);
    EXPECT_FALSE(panel.isOpaque);
    EXPECT_EQ(panel.backgroundColor, ui::Color::clear());
    EXPECT_FALSE(panel.hasShadow);
    EXPECT_EQ(panel.contentView().get(), &panel.glass());
    EXPECT_EQ(panel.glass().style, ui::GlassStyle::regular);
    EXPECT_EQ(panel.glass().cornerRadius, 8);
    EXPECT_EQ(panel.glass().contentView().get(), &panel.strip());
    EXPECT_EQ(panel.strip().subviews().size(), 1u);

    panel.makeKeyAndOrderFront();
    EXPECT_TRUE(panel.isVisible());
    EXPECT_FALSE(panel.isKeyWindow());
    EXPECT_FALSE(panel.canBecomeMain());
}

TEST_F(StripPanelsTest, EachStripShowsOnItsDisplayInScreenCoordinatesWithItsApps) {
    Panels panels = make();
    // The display ids as the label controller may spell them: the case does not matter.
    const Presentation onBuiltIn = strip("37d8832a-2d66-02ca-b9f7-8f30a301b230", "D1", 1, Rect(100, 700, 90, 26));
    const Presentation onStudio = strip(kStudio, "D4", 4, Rect(1600, -100, 60, 26), {"Safari"}, 24);
    panels.render({onBuiltIn, onStudio});
    ASSERT_EQ(panels.panelCount(), 2u);
    EXPECT_EQ(made, 2);

    const auto* first = panels.panel(onBuiltIn.target);
    ASSERT_TRUE(first);
    EXPECT_EQ(first, panels.panel({"D1", kBuiltIn, 1}));
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->frame(), Rect(100, 982 - 726, 90, 26));
    EXPECT_EQ(first->lastFrameChange().display, true);
    EXPECT_EQ(first->lastFrameChange().animate, false);
    EXPECT_EQ(first->accessibilityLabel(), "Apps on D1");
    // The row fills the strip inside its insets.
    EXPECT_EQ(first->strip().frame(), Rect(0, 0, 90, 26));
    EXPECT_EQ(first->strip().row().frame(), Rect(6, 5, 78, 16));
    EXPECT_EQ(first->strip().row().applicationCount(), 2);
    EXPECT_EQ(first->strip().row().iconViews()[1]->accessibilityLabel, "Notes");
    EXPECT_FALSE(first->strip().row().iconViews()[1]->isHidden());

    const auto* second = panels.panel(onStudio.target);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->frame(), Rect(1600, 982 - (-74), 60, 26));
    EXPECT_EQ(second->strip().row().iconSize(), 24);
    // The window server lists both on their displays.
    EXPECT_EQ(stripPanels(true).size(), 2u);
    EXPECT_EQ(env.session.windowSystem().panelsOnDisplay(1).size(), 1u);
    EXPECT_EQ(env.session.windowSystem().panelsOnDisplay(2).size(), 1u);
}

TEST_F(StripPanelsTest, StripsOffTheirDisplayOrOnAnUnknownOneAndADesktopsSecondStripAreLeftOut) {
    Panels panels = make();
    const Presentation kept = strip(kBuiltIn, "D1", 1, Rect(100, 700, 90, 26));
    panels.render({kept, strip(kBuiltIn, "D1", 1, Rect(300, 700, 90, 26), {"Other"}),
                   strip(kBuiltIn, "D3", 3, Rect(1423, 700, 90, 26)),            // 1 pt past the right edge
                   strip(kBuiltIn, "D5", 5, Rect(1422, 700, 90, 26)),            // touches it
                   strip("00000000-0000-0000-0000-00000000DEAD", "D9", 9, Rect(100, 700, 90, 26)),
                   strip(kStudio, "D4", 4, Rect(1600, -100, 0, 26))});           // no size
    EXPECT_EQ(panels.panelCount(), 2u);
    const auto* shown = panels.panel(kept.target);
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->frame().minX(), 100);
    EXPECT_EQ(shown->applications(), kept.applications);
    EXPECT_TRUE(panels.panel({"D5", kBuiltIn, 5}));
    EXPECT_FALSE(panels.panel({"D3", kBuiltIn, 3}));

    // The desktop's identity includes its space: the same UUID on another space is another strip.
    panels.render({kept, strip(kBuiltIn, "D1", 2, Rect(300, 700, 90, 26))});
    EXPECT_EQ(panels.panelCount(), 2u);

    // The studio display goes: its strip is released.
    const Presentation onStudio = strip(kStudio, "D4", 4, Rect(1600, -100, 60, 26));
    panels.render({kept, onStudio});
    EXPECT_TRUE(panels.panel(onStudio.target));
    env.session.removeDisplay(2);
    panels.render({kept, onStudio});
    EXPECT_EQ(panels.panelCount(), 1u);
    EXPECT_FALSE(panels.panel(onStudio.target));
    EXPECT_EQ(stripPanels(true).size(), 1u);

    // Without any screen nothing is planned.
    Panels blind = make([] { return std::vector<Panels::Screen>(); });
    blind.render({kept});
    EXPECT_EQ(blind.panelCount(), 0u);
}

TEST_F(StripPanelsTest, ThePoolKeepsSixteenReleasedPanelsAndDestroysTheRest) {
    Panels panels = make([] {
        return std::vector<Panels::Screen>{{"M", Rect(0, 0, 4000, 1000)}};
    });
    auto row = [](int first, int count) {
        std::vector<Presentation> list;
        for (int i = first; i < first + count; ++i)
            list.push_back(strip("M", "D" + std::to_string(i), std::uint64_t(i), Rect(i * 100 % 3900, 500, 90, 26)));
        return list;
    };
    panels.render(row(0, 20));
    EXPECT_EQ(made, 20);
    EXPECT_EQ(stripPanels(true).size(), 20u);

    panels.render({});
    EXPECT_EQ(panels.panelCount(), 0u);
    EXPECT_EQ(panels.idleCount(), 16u);
    EXPECT_EQ(stripPanels(true).size(), 0u);
    EXPECT_EQ(stripPanels(false).size(), 16u);  // four left the window list
    for (auto* panel : stripPanels(false)) {
        EXPECT_FALSE(panel->accessibilityLabel());
        auto& released = static_cast<MissionControlApplicationPanel&>(*panel);
        EXPECT_TRUE(released.applications().empty());
        EXPECT_EQ(released.strip().row().applicationCount(), 0);
    }

    panels.render(row(100, 20));
    EXPECT_EQ(made, 24);
    EXPECT_EQ(panels.idleCount(), 0u);
    EXPECT_EQ(stripPanels(true).size(), 20u);
    EXPECT_EQ(stripPanels(false).size(), 20u);
}

TEST_F(StripPanelsTest, AStripWithTheSameAppsAndSizeOnlyMoves) {
    Panels panels = make();
    Presentation presentation = strip(kBuiltIn, "D1", 1, Rect(100, 700, 90, 26));
    panels.render({presentation});
    const auto* panel = panels.panel(presentation.target);
    ASSERT_TRUE(panel);
    auto& icon = *panel->strip().row().iconViews()[0];
    icon.accessibilityLabel = "untouched";

    presentation.frame = Rect(140, 690, 90, 26);
    presentation.accessibilityLabel = "Apps on Work, Built-in";
    panels.render({presentation});
    EXPECT_EQ(panels.panel(presentation.target), panel);
    EXPECT_EQ(panel->frame(), Rect(140, 982 - 716, 90, 26));
    EXPECT_EQ(panel->accessibilityLabel(), "Apps on Work, Built-in");
    EXPECT_EQ(icon.accessibilityLabel, "untouched");

    presentation.iconSize = 20;
    panels.render({presentation});
    EXPECT_EQ(icon.accessibilityLabel, "Mail");
    EXPECT_EQ(panel->strip().row().iconSize(), 20);
    EXPECT_EQ(made, 1);
}

}  // namespace
}  // namespace tarnwick
