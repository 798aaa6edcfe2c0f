#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/desktop_catalog.h"
#include "platform/sim/ui/sim_window_system.h"
#include "platform/ui/screens.h"
#include "testkit/banner_world.h"
#include "testkit/many_displays_session.h"
#include "testkit/printing.h"

namespace tarnwick {
namespace {

namespace names = platform::notification_names;
using testkit::BannerWorld;
using Strings = std::vector<std::string>;

class SpaceBannerControllerTest : public ::testing::Test {
protected:
    BannerWorld world;
    SpaceBannerController& controller = world.controller;
    sim::SimulatedSession& session = world.env.session;
    void advance(double seconds) { world.env.advance(seconds); }
    void setPreferences(const std::function<void(AppPreferences&)>& change) { world.settings.update(change); }
    const SpaceNameBanner* banner2() { return controller.banner(BannerWorld::kDisplay2); }
    bool shownOn2() { return banner2() && banner2()->isVisible(); }
};

TEST_F(SpaceBannerControllerTest, StartObservesBothCentresAndEmptiesTheTrace) {
    files::writeAtomically(DiagnosticFiles::file(SpaceBannerController::traceFileName), "{\"event\":\"old\"}\n");
    controller.start();
    EXPECT_TRUE(controller.isRunning());
    EXPECT_EQ(session.workspaceNotificationCenter().observerCount(names::kActiveSpaceDidChange), 2u);  // model and us
    EXPECT_EQ(session.notificationCenter().observerCount(names::kScreenParametersDidChange), 2u);
    EXPECT_TRUE(world.events().empty());
    controller.start();  // a no-op while running
    controller.stop();
    EXPECT_FALSE(controller.isRunning());
    EXPECT_EQ(session.workspaceNotificationCenter().observerCount(names::kActiveSpaceDidChange), 1u);
    controller.stop();  // safe when stopped

    setPreferences([](AppPreferences& p) { p.paused = true; });
    controller.start();
    EXPECT_FALSE(controller.isRunning());
    setPreferences([](AppPreferences& p) {
        p.paused = false;
        p.bannersEnabled = false;
    });
    controller.start();
    EXPECT_FALSE(controller.isRunning());
    setPreferences([](AppPreferences& p) { p.missionControlBannerEnabled = true; });
    controller.start();
    EXPECT_TRUE(controller.isRunning());
}


TEST_F(SpaceBannerControllerTest, ASwitchShowsOneBannerOnTheDisplayThatChangedWithItsStoredName) {
    ASSERT_TRUE(world.model.rename("Work", BannerWorld::kDesktop6));
    controller.start();
    session.switchDesktop(2, 6);
    advance(0.119);
    EXPECT_FALSE(shownOn2());
    advance(0.001);
    ASSERT_TRUE(shownOn2());
    EXPECT_EQ(controller.banner(BannerWorld::kDisplay1), nullptr);
    EXPECT_EQ(banner2()->content().label().stringValue(), "Work");
    auto shown = world.records("shown");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].field("monitor"), BannerWorld::kDisplay2);
    EXPECT_EQ(shown[0].field("uuid"), BannerWorld::kDesktop6);
    // The panel's own events carry the same display and desktop.
    auto scheduled = world.records("banner-scheduled");
    ASSERT_EQ(scheduled.size(), 1u);
    EXPECT_EQ(scheduled[0].field("uuid"), BannerWorld::kDesktop6);
    world.env.settle();  // the app row arrives
    EXPECT_EQ(world.events(), (Strings{"mission-control-state", "banner-scheduled", "shown", "banner-apps-updated"}));

    // The second sample finds nothing new; an unnamed desktop shows its native title.
    advance(0.3);
    EXPECT_EQ(world.records("shown").size(), 1u);
    session.switchDesktop(2, 8);
    advance(0.12);
    EXPECT_EQ(banner2()->content().label().stringValue(), "Desktop 6");
}

TEST_F(SpaceBannerControllerTest, WithSwitchBannersOffSwitchesShowNothingAndAreNotTracked) {
    setPreferences([](AppPreferences& p) {
        p.bannersEnabled = false;
        p.missionControlBannerEnabled = true;
    });
    controller.start();
    session.switchDesktop(2, 6);
    advance(1);
    EXPECT_EQ(banner2(), nullptr);
    EXPECT_TRUE(world.events().empty());

    // A Mission Control banner whose desktop stops being current is corrected by a sample.
    session.openMissionControl();
    controller.missionControlChanged(true);
    ASSERT_TRUE(controller.banner(BannerWorld::kDisplay1));
    session.switchDesktop(1, 3);
    advance(0.12);
    auto hidden = world.records("banner-hidden");
    ASSERT_EQ(hidden.size(), 1u);
    EXPECT_EQ(hidden[0].fields["reason"], Value("destination-changed"));
    EXPECT_EQ(world.records("shown").size(), 0u);
}

TEST_F(SpaceBannerControllerTest, ADisplayArrangementChangeHidesEverythingAndDiscardsThePanels) {
    controller.start();
    session.switchDesktop(2, 6);
    advance(0.12);
    ASSERT_TRUE(shownOn2());
    // Parameters that leave every display's bounds as they were change nothing.
    session.setDisplayReserved(2, sim::SimInsets{25, 80, 0, 0});
    advance(0.01);
    EXPECT_TRUE(shownOn2());

    session.setDisplayBounds(2, Rect(-2560, 0, 2560, 1440));
    advance(0.01);
    EXPECT_EQ(banner2(), nullptr);
    EXPECT_TRUE(session.windowSystem().onScreenPanels().empty());
    auto hidden = world.records("banner-hidden");
    ASSERT_EQ(hidden.size(), 1u);
    EXPECT_EQ(hidden[0].fields["reason"], Value("display-geometry-changed"));
    // The tracker starts afresh on the new arrangement.
    session.switchDesktop(2, 4);
    advance(0.12);
    EXPECT_TRUE(shownOn2());
}

TEST_F(SpaceBannerControllerTest, AnEmptyCatalogHidesEveryBannerAndDropsPendingSwitches) {
    controller.start();
    session.switchDesktop(2, 6);
    advance(0.12);
    session.skyLight.managedDisplaySpaces = std::optional<Value>();  // the desktop data is gone
    session.switchDesktop(1, 3);
    advance(0.12);
    auto hidden = world.records("banner-hidden");
    ASSERT_EQ(hidden.size(), 1u);
    EXPECT_EQ(hidden[0].fields["reason"], Value("catalog-unavailable"));
    EXPECT_FALSE(shownOn2());
}

TEST_F(SpaceBannerControllerTest, StopHidesButKeepsThePanels) {
    controller.start();
    session.switchDesktop(2, 6);
    advance(0.12);
    controller.stop();
    ASSERT_NE(banner2(), nullptr);
    EXPECT_FALSE(banner2()->isVisible());
    EXPECT_EQ(world.records("banner-hidden").back().fields["reason"], Value("controller-stopped"));
    // Stopped: switches and Mission Control are ignored.
    session.switchDesktop(2, 8);
    controller.missionControlChanged(true);
    advance(1);
    EXPECT_EQ(world.records("shown").size(), 1u);
}

TEST_F(SpaceBannerControllerTest, AClosedDesktopIsHiddenByTheNextSampleAndNeverNamed) {
    controller.start();
    session.switchDesktop(2, 6);
    advance(0.12);
    // Closing the shown desktop makes its neighbour current: the banner moves on to it.
    ASSERT_TRUE(session.removeDesktop(2, 6));
    advance(0.12);
    auto hidden = world.records("banner-hidden");
    ASSERT_EQ(hidden.size(), 1u);
    EXPECT_EQ(hidden[0].fields["reason"], Value("destination-changed"));
    auto shown = world.records("shown");
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].field("uuid"), BannerWorld::kDesktop8);
    EXPECT_EQ(banner2()->content().label().stringValue(), "Desktop 5");
}

TEST_F(SpaceBannerControllerTest, DisplaysWithoutAScreenOrUsableVisibleFrame) {
    controller.start();
    // No screen number: the display has no screen, so no banner and no trace.
    session.display(2)->hasScreenNumber = false;
    session.switchDesktop(2, 6);
    advance(0.5);
    EXPECT_EQ(banner2(), nullptr);
    EXPECT_TRUE(world.records("shown").empty());

    // A visible frame without area: hidden "explicit", no apps, the trigger still traced.
    session.display(2)->hasScreenNumber = true;
    session.display(2)->reserved = sim::SimInsets{1440, 0, 0, 0};
    session.switchDesktop(2, 8);
    advance(1);
    ASSERT_NE(banner2(), nullptr);
    EXPECT_FALSE(banner2()->isVisible());
    // Never shown, so no "banner-hidden" either.
    EXPECT_EQ(world.events(), (Strings{"mission-control-state", "shown"}));
}

TEST_F(SpaceBannerControllerTest, PreviewsShowTheMainScreensDesktopAlsoWhileStopped) {
    controller.preview();
    auto previewed = world.records("previewed");
    ASSERT_EQ(previewed.size(), 1u);
    EXPECT_EQ(previewed[0].field("monitor"), BannerWorld::kDisplay1);
    EXPECT_EQ(previewed[0].field("uuid"), DesktopCatalog::kFirstSpaceIdentity);
    // While stopped the app row never comes (kept as the system does it).
    advance(0.5);
    EXPECT_TRUE(world.records("banner-apps-updated").empty());

    // A given screen; nothing while paused or with both banner switches off.
    controller.preview(platform::ui::screens()[1]);
    EXPECT_EQ(world.records("previewed").back().field("monitor"), BannerWorld::kDisplay2);
    setPreferences([](AppPreferences& p) { p.paused = true; });
    controller.preview();
    setPreferences([](AppPreferences& p) {
        p.paused = false;
        p.bannersEnabled = false;
    });
    controller.preview();
    EXPECT_EQ(world.records("previewed").size(), 2u);
}

TEST_F(SpaceBannerControllerTest, TheAppRowComesWithTheDesktopsAppsAndLateLoadsChangeNothing) {
    controller.start();
    session.switchDesktop(2, 6);
    advance(0.12);
    world.env.settle();
    auto updated = world.records("banner-apps-updated");
    ASSERT_EQ(updated.size(), 1u);
    EXPECT_EQ(updated[0].fields["count"], Value(2));  // Mail and Terminal
    EXPECT_EQ(banner2()->panel().frame().height(), 66);

    // An app load overtaken by a switch changes nothing; neither does one after stop().
    session.switchDesktop(2, 8);
    advance(0.12);
    controller.stop();
    world.env.settle();
    EXPECT_EQ(world.records("banner-apps-updated").size(), 1u);
}

TEST_F(SpaceBannerControllerTest, AnUnreadableDesktopShowsNoAppsAnIncompleteOneShowsWhatWasFound) {
    controller.start();
    session.skyLight.windowsForSpace[6] = std::nullopt;
    session.switchDesktop(2, 6);
    advance(0.2);
    EXPECT_TRUE(shownOn2());
    EXPECT_TRUE(world.records("banner-apps-updated").empty());

    // Desktop 8's second window has no description: incomplete, its one app still shows.
    session.skyLight.windowsForSpace[8] = Value(Array{Value(505), Value(9999)});
    session.switchDesktop(2, 8);
    advance(0.2);
    auto updated = world.records("banner-apps-updated");
    ASSERT_EQ(updated.size(), 1u);
    EXPECT_EQ(updated[0].fields["count"], Value(1));
}

TEST_F(SpaceBannerControllerTest, MissionControlStateIsTracedOnlyWhenItChanges) {
    controller.start();
    session.switchDesktop(2, 6);
    advance(0.12);
    advance(0.25);  // ticks with Mission Control closed
    session.openMissionControl();
    advance(0.125);
    advance(0.5);
    auto states = world.records("mission-control-state");
    ASSERT_EQ(states.size(), 2u);
    EXPECT_EQ(states[0].fields["visible"], Value(false));
    EXPECT_EQ(states[1].fields["visible"], Value(true));
    const auto& windows = *states[1].fields["windows"].asArray();
    ASSERT_EQ(windows.size(), 4u);  // a Spaces Bar and a backdrop per display
    EXPECT_EQ(*windows[0].find("name"), Value("Spaces Bar"));
    EXPECT_EQ(*windows[1].find("name"), Value(""));  // the backdrop has no name
    EXPECT_TRUE(windows[0].find("bounds")->asDictionary());
    EXPECT_EQ(world.records("banner-hidden").back().fields["reason"], Value("mission-control-visible"));
    // The timer stopped with the banner: nothing more is sampled.
    session.closeMissionControl();
    advance(1);
    EXPECT_EQ(world.records("mission-control-state").size(), 2u);
}

TEST_F(SpaceBannerControllerTest, MissionControlBannersGoUnderThePointerElseOnTheMainScreenOrEverywhere) {
    setPreferences([](AppPreferences& p) { p.missionControlBannerEnabled = true; });
    controller.start();
    controller.missionControlChanged(true);  // the pointer at 0,0 lies on display 1
    ASSERT_NE(controller.banner(BannerWorld::kDisplay1), nullptr);
    EXPECT_EQ(controller.banner(BannerWorld::kDisplay1)->panel().level(), 1000);
    EXPECT_EQ(banner2(), nullptr);

    session.windowSystem().movePointer({2000, 100});  // on display 2
    controller.missionControlChanged(true);
    EXPECT_TRUE(shownOn2());
    EXPECT_FALSE(controller.banner(BannerWorld::kDisplay1)->isVisible());  // hidden "mission-control-visible"

    session.windowSystem().movePointer({-5000, -5000});  // on no screen: the main screen
    controller.missionControlChanged(true);
    EXPECT_TRUE(controller.banner(BannerWorld::kDisplay1)->isVisible());
    EXPECT_FALSE(shownOn2());

    // Every screen, with one request for the apps of all the desktops shown.
    setPreferences([](AppPreferences& p) { p.missionControlBannerOnAllMonitors = true; });
    session.skyLight.windowQueries.clear();
    controller.missionControlChanged(true);
    EXPECT_TRUE(shownOn2());
    EXPECT_TRUE(controller.banner(BannerWorld::kDisplay1)->isVisible());
    world.env.settle();
    EXPECT_EQ(session.skyLight.windowQueries, (std::map<std::uint64_t, int>{{1, 1}, {4, 1}}));
    EXPECT_EQ(world.records("banner-apps-updated").size(), 2u);
    EXPECT_EQ(world.records("mission-control-shown").size(), 5u);

    // Closing hides only Mission Control banners; with the option off, opening shows nothing.
    controller.missionControlChanged(false);
    EXPECT_FALSE(shownOn2());
    EXPECT_EQ(world.records("banner-hidden").back().fields["reason"], Value("mission-control-closed"));
    setPreferences([](AppPreferences& p) { p.missionControlBannerEnabled = false; });
    controller.missionControlChanged(true);
    EXPECT_FALSE(shownOn2());
}

TEST_F(SpaceBannerControllerTest, MissionControlBannersOutliveItsVisibilityTicksAndOnlyTheyGoWhenItCloses) {
    setPreferences([](AppPreferences& p) { p.missionControlBannerEnabled = true; });
    controller.start();
    auto shownOn1 = [&] {
        const SpaceNameBanner* banner = controller.banner(BannerWorld::kDisplay1);
        return banner && banner->isVisible();
    };
    // A switch banner keeps the visibility timer running into Mission Control.
    session.switchDesktop(2, 6);
    advance(0.12);
    ASSERT_TRUE(shownOn2());
    session.openMissionControl();
    controller.missionControlChanged(true);  // the pointer at 0,0 lies on display 1
    ASSERT_TRUE(shownOn1());
    advance(1.0);  // ticks that see Mission Control open
    EXPECT_TRUE(shownOn1());

    // Closed, and a switch banner up before the closing is heard: only Mission Control's goes.
    session.closeMissionControl();
    session.switchDesktop(2, 8);
    advance(0.12);
    ASSERT_TRUE(shownOn2());
    controller.missionControlChanged(false);
    EXPECT_FALSE(shownOn1());
    EXPECT_TRUE(shownOn2());
}

TEST(SpaceBannerControllerManyDisplaysTest, OnePanelPerDisplayReusedAndOneAppRequestPerOpening) {
    BannerWorld world(testkit::manyDisplaysSession(6, 16, 400));
    world.settings.update([](AppPreferences& p) {
        p.missionControlBannerEnabled = true;
        p.missionControlBannerOnAllMonitors = true;
    });
    world.controller.start();
    auto& session = world.env.session;
    auto& windows = session.windowSystem();
    session.openMissionControl();
    world.controller.missionControlChanged(true);
    world.env.settle();
    EXPECT_EQ(windows.onScreenPanels().size(), 6u);
    for (std::uint32_t display = 1; display <= 6; ++display) EXPECT_EQ(windows.panelsOnDisplay(display).size(), 1u);
    // One read for the six current desktops, shared by the six banners.
    std::map<std::uint64_t, int> once;
    for (std::uint64_t space = 1; space <= 96; space += 16) once[space] = 1;
    EXPECT_EQ(session.skyLight.windowQueries, once);
    EXPECT_EQ(world.records("banner-apps-updated").size(), 6u);

    // Closed and opened again: the same six panels.
    const auto panels = windows.panels();
    session.closeMissionControl();
    world.controller.missionControlChanged(false);
    session.openMissionControl();
    world.controller.missionControlChanged(true);
    EXPECT_EQ(windows.panels().size(), 6u);
    for (auto* panel : windows.panels()) EXPECT_NE(std::find(panels.begin(), panels.end(), panel), panels.end());
}

TEST_F(SpaceBannerControllerTest, AFullTraceQueueDropsRecordsWithoutTouchingTheBanners) {
    // Nothing drains while the loop does not turn: 200 previews queue far more than 256 records.
    for (int i = 0; i < 200; ++i) controller.preview();
    EXPECT_TRUE(controller.banner(BannerWorld::kDisplay1)->isVisible());
    auto records = world.trace();
    EXPECT_EQ(records.back().event, DiagnosticTrace::kDroppedEvent);
    advance(2.2);
    EXPECT_FALSE(controller.banner(BannerWorld::kDisplay1)->isVisible());
}

}  // namespace
}  // namespace tarnwick
