// The status item in the menu bar, its menu, the current event while its action runs, the
// pointer's tracking areas and the mouse monitors.

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/events.h"
#include "platform/sim/ui/sim_events.h"
#include "platform/sim/ui/sim_menus.h"
#include "platform/sim/ui/sim_status_bar.h"
#include "platform/sim/ui/sim_window_system.h"
#include "platform/ui/menu.h"
#include "platform/ui/panel.h"
#include "platform/ui/status_item.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
namespace flags = platform::modifier_flags;
namespace types = ui::event_type;
namespace mask = platform::event_mask;
using testkit::TestEnvironment;

class StatusItemTest : public ::testing::Test {
protected:
    StatusItemTest() {
        env.session.loadDefaultSession();
        item = std::make_unique<ui::StatusItem>();
        item->button()->action = [this] { seen.push_back(platform::current().events->currentEvent()); };
    }
    Point centre() { return env.session.statusBar().buttonCentre(*item); }

    TestEnvironment env;
    std::unique_ptr<ui::StatusItem> item;
    std::vector<std::optional<platform::Event>> seen;
};

TEST_F(StatusItemTest, SitsAtTheRightOfThePrimaryMenuBarAndActsOnTheReleasesItWasToldOf) {
    // The built-in display (1512 wide, 982 tall) keeps a 25-point menu bar.
    EXPECT_EQ(env.session.statusBar().buttonFrame(*item), Rect(1479, 957, 25, 25));
    auto second = std::make_unique<ui::StatusItem>(30);
    EXPECT_EQ(second->window().frame(), Rect(1449, 957, 30, 25));
    EXPECT_TRUE(item->window().isVisible());
    EXPECT_EQ(item->window().level(), ui::window_level::kStatus);

    env.session.holdModifiers(flags::kOption);
    env.session.windowSystem().click(centre(), std::nullopt, 2);
    ASSERT_EQ(seen.size(), 1u);
    ASSERT_TRUE(seen[0]);
    EXPECT_EQ(seen[0]->type, types::kLeftMouseUp);
    EXPECT_EQ(seen[0]->clickCount, 2);
    EXPECT_EQ(seen[0]->modifierFlags, flags::kOption);
    EXPECT_EQ(seen[0]->windowNumber, item->window().windowNumber());
    // No event outside the action.
    EXPECT_FALSE(platform::current().events->currentEvent());

    // Right clicks count only once the button acts on them.
    env.session.windowSystem().rightClick(centre());
    EXPECT_EQ(seen.size(), 1u);
    item->button()->sendActionOn(mask::kLeftMouseUp | mask::kRightMouseUp);
    env.session.windowSystem().rightClick(centre(), 0);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1]->type, types::kRightMouseUp);

    // From the keyboard: a key event, or none at all.
    env.session.statusBar().pressFromKeyboard(*item);
    env.session.statusBar().pressFromKeyboard(*item, std::nullopt);
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[2]->type, types::kKeyDown);
    EXPECT_FALSE(seen[3]);
}

TEST_F(StatusItemTest, TheButtonMayLoseItsWindowOrGoAway) {
    std::weak_ptr<ui::StatusBarButton> button = item->button();
    item->takeButtonOutOfWindow();
    ASSERT_TRUE(button.lock());
    EXPECT_EQ(button.lock()->window(), nullptr);
    EXPECT_FALSE(env.session.statusBar().buttonFrame(*item));
    item->discardButton();
    EXPECT_FALSE(button.lock());
    // A click where it was reaches nothing.
    env.session.windowSystem().click(env.session.statusBar().buttonCentre(*item));
    EXPECT_TRUE(seen.empty());
}

struct MenuWatcher final : ui::MenuDelegate {
    std::vector<std::string> heard;
    void menuWillOpen(ui::Menu& menu) override { heard.push_back("open " + std::to_string(menu.isOpen())); }
    void menuDidClose(ui::Menu& menu) override { heard.push_back("close " + std::to_string(menu.isOpen())); }
};

TEST_F(StatusItemTest, APoppedUpMenuOpensAtOnceAndClosesOnAChoiceADismissalOrACancel) {
    ui::Menu menu;
    MenuWatcher watcher;
    menu.delegate = &watcher;
    std::vector<std::string> chosen;
    menu.addItem("Workstation Overview", [&] { chosen.push_back(watcher.heard.back()); });
    menu.addItem("Testing").isHidden = true;
    auto& menus = env.session.menus();

    ASSERT_TRUE(menu.popUp(nullptr, Point{0, 0}, *item->button()));
    EXPECT_EQ(watcher.heard, (std::vector<std::string>{"open 0"}));  // heard before it returned
    EXPECT_TRUE(menu.isOpen());
    EXPECT_EQ(menus.openMenu(), &menu);
    EXPECT_EQ(menu.location(), (Point{1479, 957}));
    EXPECT_FALSE(menus.choose("Testing"));  // hidden rows cannot be chosen
    ASSERT_TRUE(menus.choose("Workstation Overview"));
    EXPECT_EQ(chosen, (std::vector<std::string>{"close 0"}));  // closed before the action
    EXPECT_FALSE(menu.isOpen());

    menu.popUp(nullptr, Point{0, 0}, *item->button());
    menu.cancelTracking();
    EXPECT_EQ(watcher.heard.back(), "close 0");
    EXPECT_FALSE(menus.openMenu());

    // Lost by the system: it never reports closing, and cancelling finds nothing to close.
    menu.popUp(nullptr, Point{0, 0}, *item->button());
    const auto heard = watcher.heard.size();
    menus.loseTracking();
    menu.cancelTracking();
    EXPECT_EQ(watcher.heard.size(), heard);
    EXPECT_TRUE(menu.isOpen());

    // A view in no window pops up nothing.
    auto loose = std::make_shared<ui::View>(Rect(0, 0, 10, 10));
    EXPECT_FALSE(menu.popUp(nullptr, Point{}, *loose));
}

TEST_F(StatusItemTest, RowsAreEnabledByTheirValidationEachTimeTheMenuOpens) {
    ui::Menu menu;
    std::vector<std::string> chosen;
    bool canCheck = false;
    int validations = 0;
    menu.addItem("Settings\u2026", [&] { chosen.push_back("settings"); }, ",");
    menu.addSeparator();
    // The row's target answers its action and decides whether it is enabled.
    struct Checker final : ui::ActionTarget {
        std::function<bool()> validation;
        std::function<void()> perform;
        bool respondsToAction(std::string_view action) const override { return action == "checkForUpdates:"; }
        void performAction(std::string_view, ui::MenuItem*) override { perform(); }
        bool validateMenuItem(const ui::MenuItem&) override { return validation(); }
    } checker;
    checker.validation = [&] {
        ++validations;
        return canCheck;
    };
    checker.perform = [&] { chosen.push_back("check"); };
    LifetimeToken checkerLifetime;
    auto& check = menu.addItem("Check for Updates\u2026");
    check.actionName = "checkForUpdates:";
    check.setTarget(checker, checkerLifetime);
    menu.addItem("Paused");  // no action: nobody takes it
    auto testing = std::make_shared<ui::Menu>("Testing");
    testing->addItem("Diagnostics");
    auto& verbose = testing->addItem("Verbose label diagnostics", [&] { chosen.push_back("verbose"); });
    verbose.state = ui::ControlState::on;
    auto& row = menu.addSubmenu(testing);
    EXPECT_EQ(row.title, "Testing");
    auto& quit = menu.addItem("Quit Tarnwick", [&] { chosen.push_back("quit"); }, "q");
    EXPECT_EQ(quit.keyEquivalentModifierMask, flags::kCommand);
    auto& menus = env.session.menus();

    menu.popUp(nullptr, Point{0, 0}, *item->button());
    EXPECT_EQ(validations, 1);
    EXPECT_FALSE(check.isEnabled);
    EXPECT_FALSE(menu.items[1]->isEnabled);
    EXPECT_TRUE(menu.items[1]->isSeparatorItem());
    EXPECT_FALSE(menu.item("Paused")->isEnabled);
    EXPECT_TRUE(row.isEnabled);
    EXPECT_FALSE(menus.choose("Check for Updates\u2026"));
    EXPECT_FALSE(menus.choose("Paused"));
    EXPECT_FALSE(menus.choose(""));  // the separator
    EXPECT_TRUE(menu.isOpen());
    // Into the submenu: its rows are enabled as it opens.
    EXPECT_FALSE(menus.choose("Testing", "Diagnostics"));
    ASSERT_TRUE(menus.choose("Testing", "Verbose label diagnostics"));
    EXPECT_FALSE(menu.isOpen());

    canCheck = true;
    menu.popUp(nullptr, Point{0, 0}, *item->button());
    EXPECT_TRUE(check.isEnabled);
    ASSERT_TRUE(menus.choose("Check for Updates\u2026"));
    EXPECT_EQ(chosen, (std::vector<std::string>{"verbose", "check"}));

    // A menu that leaves its rows alone keeps what the program set.
    menu.autoenablesItems = false;
    check.isEnabled = false;
    menu.popUp(nullptr, Point{0, 0}, *item->button());
    EXPECT_FALSE(check.isEnabled);
    EXPECT_EQ(validations, 2);
    menus.dismiss();
}

struct Tracker final : ui::TrackingAreaOwner {
    std::vector<std::string> heard;
    static std::string surface(const ui::TrackingEvent& e) { return *e.trackingArea->userInfo().at("surface").asString(); }
    void mouseEntered(const ui::TrackingEvent& e) override { heard.push_back("in " + surface(e)); }
    void mouseExited(const ui::TrackingEvent& e) override { heard.push_back("out " + surface(e)); }
};

std::shared_ptr<ui::TrackingArea> area(Tracker& owner, const std::string& surface) {
    namespace o = ui::tracking_options;
    Dictionary info;
    info["surface"] = surface;
    return std::make_shared<ui::TrackingArea>(Rect(), o::kMouseEnteredAndExited | o::kActiveAlways | o::kInVisibleRect,
                                              &owner, std::move(info));
}

TEST_F(StatusItemTest, PointerMovesTellTheOwnersOfTrackingAreasLeavingBeforeEntering) {
    Tracker tracker;
    item->button()->addTrackingArea(area(tracker, "button"));
    ui::Panel panel(Rect(1300, 700, 200, 200), ui::style_mask::kNonactivatingPanel);
    // The area follows its view's visible part: half of this view lies outside the panel.
    auto inner = std::make_shared<ui::View>(Rect(100, 0, 200, 200));
    panel.contentView()->addSubview(inner);
    inner->addTrackingArea(area(tracker, "preview"));
    panel.orderFrontRegardless();
    auto& windows = env.session.windowSystem();

    windows.movePointer(centre());
    windows.movePointer(Point{1450, 800});
    windows.movePointer(Point{1350, 800});  // in the panel, outside the inner view
    EXPECT_EQ(tracker.heard, (std::vector<std::string>{"in button", "out button", "in preview", "out preview"}));

    // A panel ordered out forgets the pointer without a word; one ordered in hears the next move.
    windows.movePointer(Point{1450, 800});
    panel.orderOut();
    windows.movePointer(Point{1460, 800});
    EXPECT_EQ(tracker.heard.back(), "in preview");
    panel.orderFrontRegardless();
    windows.movePointer(Point{1470, 800});
    EXPECT_EQ(tracker.heard.back(), "in preview");
    EXPECT_EQ(tracker.heard.size(), 6u);
    inner->removeTrackingArea(*inner->trackingAreas().front());
    windows.movePointer(Point{0, 0});
    EXPECT_EQ(tracker.heard.size(), 6u);
}

TEST_F(StatusItemTest, LocalMonitorsHearPressesOnOurWindowsFirstAndGlobalOnesThosePastThemLater) {
    auto& events = *platform::current().events;
    std::vector<int> local, global;
    bool swallow = false;
    auto localToken = events.addLocalMonitor(mask::kLeftMouseDown | mask::kRightMouseDown,
                                             [&](const platform::Event& e) -> std::optional<platform::Event> {
                                                 local.push_back(e.type);
                                                 if (swallow) return std::nullopt;
                                                 return e;
                                             });
    auto globalToken = events.addGlobalMonitor(mask::kLeftMouseDown | mask::kRightMouseDown,
                                               [&](const platform::Event& e) { global.push_back(e.type); });
    ASSERT_TRUE(localToken && globalToken);

    env.session.windowSystem().click(centre());
    EXPECT_EQ(local, (std::vector<int>{types::kLeftMouseDown}));
    EXPECT_EQ(seen.size(), 1u);
    swallow = true;
    const auto kept = env.session.windowSystem().click(centre());
    EXPECT_TRUE(kept.swallowed);
    EXPECT_EQ(seen.size(), 1u);

    env.session.windowSystem().rightClick(Point{400, 400});
    EXPECT_TRUE(global.empty());
    env.settle();
    EXPECT_EQ(global, (std::vector<int>{types::kRightMouseDown}));
    events.removeMonitor(*globalToken);
    events.removeMonitor(*localToken);
    env.session.windowSystem().click(Point{400, 400});
    env.session.windowSystem().click(centre());
    env.settle();
    EXPECT_EQ(global.size(), 1u);
    EXPECT_EQ(local.size(), 2u);
    EXPECT_EQ(env.session.events().activeMonitors(), 0u);
}

}  // namespace
}  // namespace tarnwick
