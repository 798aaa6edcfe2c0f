// The desktop banner as the user meets it: real models and controller over the simulated
// session, on virtual time. The test wires the controller as the application delegate does and
// forwards Mission Control's visibility to it.

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/sim/ui/sim_window_system.h"
#include "platform/ui/screens.h"
#include "testkit/banner_world.h"
#include "testkit/printing.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
using testkit::BannerWorld;
using Strings = std::vector<std::string>;

class BannerRoadsTest : public ::testing::Test {
protected:
    explicit BannerRoadsTest(bool holdReads = false)
        : world(holdReads ? BannerWorld(BannerWorld::HoldReads{}) : BannerWorld()) {}

    void advance(double seconds) { world.env.advance(seconds); }
    sim::SimWindowSystem& windows() { return world.env.session.windowSystem(); }
    sim::SimulatedSession& session() { return world.env.session; }
    // Mission Control opens or closes, and the delegate passes it on.
    void missionControl(bool open) {
        open ? session().openMissionControl() : session().closeMissionControl();
        world.controller.missionControlChanged(open);
    }
    // The trace without the Mission Control state records.
    Strings bannerEvents() {
        Strings names = world.events();
        std::erase(names, "mission-control-state");
        return names;
    }
    ui::Panel* bannerOn(std::uint32_t display) {
        auto panels = windows().panelsOnDisplay(display);
        return panels.empty() ? nullptr : panels.front();
    }
    Rect visibleFrame(std::uint32_t display) {
        for (const auto& screen : ui::screens())
            if (ui::displayID(screen) == display) return screen.visibleFrame;
        return Rect();
    }
    std::string lastHideReason() { return *world.records("banner-hidden").back().fields["reason"].asString(); }

    BannerWorld world;
};

TEST_F(BannerRoadsTest, ASwitchOnTheSecondDisplayShowsItsNamedBannerWithItsAppsThenFades) {
    ASSERT_TRUE(world.model.rename("Inbox", BannerWorld::kDesktop6));
    world.controller.start();
    session().switchDesktop(2, 6);
    advance(0.11);
    EXPECT_TRUE(windows().onScreenPanels().empty());
    advance(0.01);

    // Display 2 only, at level 3, bottom centre of its visible frame, fading in.
    ASSERT_EQ(windows().onScreenPanels().size(), 1u);
    ui::Panel* panel = bannerOn(2);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(windows().panelShowing("Inbox"), panel);
    EXPECT_EQ(panel->title(), "Space Name");
    EXPECT_EQ(panel->level(), 3);
    const Rect visible = visibleFrame(2);
    EXPECT_DOUBLE_EQ(panel->frame().midX(), visible.midX());
    EXPECT_EQ(panel->frame().minY(), visible.minY() + 32);
    ASSERT_TRUE(panel->alphaAnimation());
    EXPECT_EQ(panel->alphaAnimation()->duration, 0.15);
    EXPECT_EQ(panel->alphaAnimation()->toValue, 1);

    // The app row arrives with the desktop's apps.
    world.env.settle();
    EXPECT_EQ(panel->frame().height(), 66);
    std::set<std::string> icons;
    for (auto* view : panel->contentView()->descendants())
        if (auto* image = dynamic_cast<ui::ImageView*>(view); image && !image->isHiddenOrHasHiddenAncestor())
            icons.insert(image->accessibilityLabel.value_or(""));
    EXPECT_EQ(icons, (std::set<std::string>{"Mail", "Terminal"}));

    // The click-through banner: a click on it goes past.
    EXPECT_TRUE(windows().click({panel->frame().midX(), panel->frame().midY()}).wentPastPanels());

    // 2 s after it appeared it fades out over 0.2 s and is ordered out.
    advance(1.99);
    EXPECT_FALSE(panel->alphaAnimation());
    advance(0.01);
    ASSERT_TRUE(panel->alphaAnimation());
    EXPECT_EQ(panel->alphaAnimation()->duration, 0.2);
    advance(0.1);
    EXPECT_TRUE(panel->isVisible());
    advance(0.1);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_TRUE(windows().onScreenPanels().empty());
    EXPECT_EQ(bannerEvents(), (Strings{"banner-scheduled", "shown", "banner-apps-updated", "banner-fade-started",
                                       "banner-finished"}));
}

TEST_F(BannerRoadsTest, ThreeQuickSwitchesBannerOnlyTheLastDesktop) {
    world.controller.start();
    session().switchDesktop(2, 6);
    advance(1);
    ASSERT_TRUE(windows().panelShowing("Desktop 5"));
    session().switchDesktop(2, 8);
    advance(0.1);
    session().switchDesktop(2, 4);
    advance(0.1);
    session().switchDesktop(2, 8);
    advance(0.12);
    EXPECT_EQ(lastHideReason(), "destination-changed");
    EXPECT_TRUE(windows().panelShowing("Desktop 6"));
    advance(0.5);
    auto shown = world.records("shown");
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].field("uuid"), BannerWorld::kDesktop8);
    EXPECT_EQ(windows().onScreenPanels().size(), 1u);
}

TEST_F(BannerRoadsTest, ASwitchWhileMissionControlIsOpenWaitsForItToClose) {
    world.controller.start();
    missionControl(true);
    session().switchDesktop(2, 6);
    advance(1);
    EXPECT_TRUE(windows().onScreenPanels().empty());
    missionControl(false);
    advance(0.1);
    EXPECT_TRUE(windows().panelShowing("Desktop 5"));

    // Mission Control opening hides it within 0.125 s.
    advance(0.5);
    missionControl(true);
    advance(0.125);
    EXPECT_TRUE(windows().onScreenPanels().empty());
    EXPECT_EQ(lastHideReason(), "mission-control-visible");

    // Left open for 3.5 s, the waiting switch is dropped.
    session().switchDesktop(2, 8);
    advance(3.5);
    missionControl(false);
    advance(1);
    EXPECT_TRUE(windows().onScreenPanels().empty());
    EXPECT_EQ(world.records("shown").size(), 1u);
}

TEST_F(BannerRoadsTest, MissionControlBannersStayWhileItIsOpenAndGoWhenItCloses) {
    world.settings.update([](AppPreferences& p) { p.missionControlBannerEnabled = true; });
    world.controller.start();
    windows().movePointer({2000, 100});  // on display 2
    missionControl(true);
    ui::Panel* panel = bannerOn(2);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->level(), 1000);
    EXPECT_EQ(windows().onScreenPanels().size(), 1u);
    advance(1);  // no visibility tick runs while only a Mission Control banner shows
    EXPECT_TRUE(panel->isVisible());
    missionControl(false);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(lastHideReason(), "mission-control-closed");

    // On every screen; left open past the banner duration, they fade out like any banner.
    world.settings.update([](AppPreferences& p) { p.missionControlBannerOnAllMonitors = true; });
    missionControl(true);
    EXPECT_EQ(windows().onScreenPanels().size(), 2u);
    EXPECT_EQ(world.records("mission-control-shown").size(), 3u);
    advance(2.2);
    EXPECT_TRUE(windows().onScreenPanels().empty());
    EXPECT_EQ(world.records("banner-finished").size(), 2u);
}

class BannerRoadsWithHeldReadsTest : public BannerRoadsTest {
protected:
    BannerRoadsWithHeldReadsTest() : BannerRoadsTest(true) {}
};

TEST_F(BannerRoadsWithHeldReadsTest, AnUnpluggedDisplayLosesItsBannerAndALateAppLoadChangesNothing) {
    world.controller.start();
    session().switchDesktop(2, 6);
    advance(0.12);
    ui::Panel* before = bannerOn(2);
    ASSERT_NE(before, nullptr);
    const auto oldNumber = before->windowNumber();
    const sim::SimDisplay unplugged = *session().display(2);
    session().removeDisplay(2);
    advance(0.01);
    EXPECT_EQ(lastHideReason(), "display-geometry-changed");
    EXPECT_TRUE(windows().panels().empty());  // the panels are discarded
    world.heldReads->runAll();
    world.env.settle();
    EXPECT_TRUE(world.records("banner-apps-updated").empty());

    // Plugged back, a switch gets a new panel.
    session().addDisplay(unplugged);
    advance(0.01);
    session().switchDesktop(2, 8);
    advance(0.12);
    ui::Panel* after = bannerOn(2);
    ASSERT_NE(after, nullptr);
    EXPECT_NE(after->windowNumber(), oldNumber);
    EXPECT_TRUE(windows().panelShowing("Desktop 6"));
}

TEST_F(BannerRoadsTest, UnderReduceMotionBannersComeAndGoWithoutFading) {
    session().setReduceMotion(true);
    world.controller.start();
    session().switchDesktop(2, 6);
    advance(0.12);
    ui::Panel* panel = bannerOn(2);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->alphaAnimation()->duration, 0);
    world.env.settle();
    EXPECT_EQ(panel->alphaValue(), 1);
    advance(1.99);
    EXPECT_TRUE(panel->isVisible());
    advance(0.01);
    EXPECT_FALSE(panel->isVisible());  // ordered out exactly at the banner duration
}

TEST_F(BannerRoadsTest, APreviewWithoutAScreenShowsTheMainScreensDesktopAlsoWhileStopped) {
    world.controller.preview();
    ASSERT_TRUE(bannerOn(1));
    EXPECT_TRUE(windows().panelShowing("Desktop 1"));
    EXPECT_EQ(world.records("previewed").size(), 1u);
    EXPECT_FALSE(world.controller.isRunning());
}

}  // namespace
}  // namespace tarnwick
