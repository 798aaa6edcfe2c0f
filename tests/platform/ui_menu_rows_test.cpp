// Menu rows: named actions to a target or along the responder chain, enabling by validation when
// a menu opens, submenus chosen by a path, and the main menu's key equivalents from the keyboard.

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/sim/ui/sim_menus.h"
#include "platform/sim/ui/sim_status_bar.h"
#include "platform/ui/menu.h"
#include "platform/ui/panel.h"
#include "platform/ui/status_item.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
namespace flags = platform::modifier_flags;
using testkit::TestEnvironment;

// A target that answers "showNames" and validates "check" rows by a switch.
struct Target final : ui::ActionTarget {
    std::vector<std::string> heard;
    bool canCheck = false;
    bool respondsToAction(std::string_view action) const override { return action == "showNames" || action == "check:"; }
    void performAction(std::string_view action, ui::MenuItem* sender) override {
        heard.push_back(std::string(action) + (sender ? " from " + sender->title : ""));
    }
    bool validateMenuItem(const ui::MenuItem& item) override { return item.actionName != "check:" || canCheck; }
    LifetimeToken lifetime;
};

// A focused field that answers the editing actions.
struct Field final : ui::View {
    using View::View;
    std::vector<std::string> heard;
    bool hasSelection = false;
    bool acceptsFirstResponder() const override { return true; }
    bool respondsToAction(std::string_view action) const override { return action == "copy:" || action == "selectAll:"; }
    void performAction(std::string_view action, ui::MenuItem*) override { heard.emplace_back(action); }
    bool validateMenuItem(const ui::MenuItem& item) override { return item.actionName != "copy:" || hasSelection; }
};

struct KeyPanel : ui::Panel {
    using Panel::Panel;
    bool canBecomeKey() const override { return true; }
};

class MenuRowsTest : public ::testing::Test {
protected:
    MenuRowsTest() {
        env.session.loadDefaultSession();
        item = std::make_unique<ui::StatusItem>();
    }
    void open(ui::Menu& menu) { ASSERT_TRUE(menu.popUp(nullptr, Point{0, 0}, *item->button())); }

    TestEnvironment env;
    std::unique_ptr<ui::StatusItem> item;
    Target target;
};

TEST_F(MenuRowsTest, RowsAreEnabledByTheirTargetsWhenTheMenuOpensAndChosenThroughSubmenus) {
    ui::Menu menu;
    auto& status = menu.addItem("Starting…");
    menu.addSeparator();
    auto& names = menu.addItem("Desktop Names");
    names.actionName = "showNames";
    names.setTarget(target, target.lifetime);
    auto& check = menu.addItem("Check for Updates…");
    check.actionName = "check:";
    check.setTarget(target, target.lifetime);
    auto& quit = menu.addItem("Quit Tarnwick", nullptr, "q");
    quit.actionName = "quit";  // the target answers no such action
    quit.setTarget(target, target.lifetime);
    auto testing = std::make_shared<ui::Menu>("Testing");
    auto& verbose = testing->addItem("Verbose label diagnostics");
    verbose.actionName = "showNames";
    verbose.setTarget(target, target.lifetime);
    verbose.state = ui::ControlState::on;
    menu.addItem("Testing").submenu = testing;

    open(menu);
    auto rows = sim::SimMenus::rows(menu);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_FALSE(rows[0].enabled);  // nothing to do
    EXPECT_TRUE(rows[1].separator);
    EXPECT_TRUE(rows[2].enabled);
    EXPECT_FALSE(rows[3].enabled);  // validated off
    EXPECT_FALSE(rows[4].enabled);  // its target does not answer it
    EXPECT_EQ(rows[4].keyEquivalent, "q");
    EXPECT_EQ(rows[4].modifiers, flags::kCommand);
    ASSERT_TRUE(rows[5].hasSubmenu);
    EXPECT_EQ(rows[5].submenu[0].state, ui::ControlState::on);

    auto& menus = env.session.menus();
    EXPECT_FALSE(menus.choose("Starting…"));
    EXPECT_FALSE(menus.choose("Check for Updates…"));
    EXPECT_FALSE(menus.choose("Testing"));                  // a submenu is opened, not chosen
    EXPECT_FALSE(menus.choose({"Testing", "Nothing"}));
    ASSERT_TRUE(menus.choose({"Testing", "Verbose label diagnostics"}));
    EXPECT_EQ(target.heard, (std::vector<std::string>{"showNames from Verbose label diagnostics"}));
    EXPECT_FALSE(menu.isOpen());

    // Validation is asked again at each opening; a title or action given later shows.
    target.canCheck = true;
    status.action = [&] { target.heard.push_back("status"); };
    open(menu);
    EXPECT_TRUE(check.isEnabled);
    EXPECT_TRUE(status.isEnabled);
    ASSERT_TRUE(menus.choose("Check for Updates…"));
    EXPECT_EQ(target.heard.back(), "check: from Check for Updates…");
    EXPECT_EQ(menu.item({"Testing", "Verbose label diagnostics"}), &verbose);
}

TEST_F(MenuRowsTest, ARowWhoseTargetWentAwayTurnsToTheResponderChain) {
    ui::Menu menu;
    auto gone = std::make_unique<Target>();
    auto& copy = menu.addItem("Copy", nullptr, "c");
    copy.actionName = "copy:";
    copy.setTarget(*gone, gone->lifetime);
    gone.reset();
    EXPECT_EQ(copy.target(), nullptr);

    // No one along the chain answers: disabled.
    open(menu);
    EXPECT_FALSE(copy.isEnabled);
    menu.cancelTracking();

    KeyPanel panel(Rect(100, 100, 300, 200), ui::style_mask::kTitled);
    auto field = std::make_shared<Field>(Rect(10, 10, 100, 20));
    panel.contentView()->addSubview(field);
    panel.makeKeyAndOrderFront();
    ASSERT_TRUE(panel.makeFirstResponder(field.get()));
    open(menu);
    EXPECT_FALSE(copy.isEnabled);  // the field has nothing selected
    menu.cancelTracking();
    field->hasSelection = true;
    open(menu);
    ASSERT_TRUE(env.session.menus().choose("Copy"));
    EXPECT_EQ(field->heard, (std::vector<std::string>{"copy:"}));
}

TEST_F(MenuRowsTest, TheMainMenuTakesCommandKeysNoViewTookWithTheirExactModifiers) {
    auto main = std::make_shared<ui::Menu>();
    auto app = std::make_shared<ui::Menu>("Tarnwick");
    auto& quit = app->addItem("Quit Tarnwick", nullptr, "q");
    quit.actionName = "terminate:";
    quit.setTarget(ui::applicationTarget(), ui::applicationTargetLifetime());
    main->addItem("Tarnwick").submenu = app;
    auto edit = std::make_shared<ui::Menu>("Edit");
    std::vector<std::string> heard;
    edit->addItem("Undo", [&] { heard.push_back("undo"); }, "z");
    auto& redo = edit->addItem("Redo", [&] { heard.push_back("redo"); }, "z");
    redo.keyEquivalentModifierMask = flags::kCommand | flags::kShift;
    auto& all = edit->addItem("Select All", nullptr, "a");
    all.actionName = "selectAll:";
    main->addItem("Edit").submenu = edit;
    ui::setMainMenu(main);
    EXPECT_EQ(ui::mainMenu(), main);

    KeyPanel panel(Rect(100, 100, 300, 200), ui::style_mask::kTitled);
    auto field = std::make_shared<Field>(Rect(10, 10, 100, 20));
    panel.contentView()->addSubview(field);
    env.session.activateApplication(env.session.system().processID);
    panel.makeKeyAndOrderFront();
    panel.makeFirstResponder(field.get());

    env.session.pressKeys(6, flags::kCommand, "z");
    env.session.pressKeys(6, flags::kCommand | flags::kShift, "Z");
    env.session.pressKeys(6, flags::kCommand | flags::kOption, "z");  // no row has these modifiers
    env.session.pressKeys(0, flags::kCommand, "a");
    env.settle();
    EXPECT_EQ(heard, (std::vector<std::string>{"undo", "redo"}));
    EXPECT_EQ(field->heard, (std::vector<std::string>{"selectAll:"}));
    const auto& presses = env.session.keyPresses;
    ASSERT_EQ(presses.size(), 4u);
    EXPECT_TRUE(presses[0].consumed);
    EXPECT_FALSE(presses[2].consumed);

    // Without a key window, the active application's main menu still takes its equivalents.
    panel.orderOut();
    env.session.pressKeys(12, flags::kCommand, "q");
    env.settle();
    EXPECT_TRUE(env.session.keyPresses.back().consumed);
    EXPECT_EQ(env.session.applicationState.terminations, 1);

    // The menu bar is worked with the pointer as well.
    EXPECT_TRUE(env.session.menus().chooseFromMenuBar({"Edit", "Undo"}));
    EXPECT_FALSE(env.session.menus().chooseFromMenuBar({"Edit", "Select All"}));  // no field has focus
    EXPECT_EQ(heard.back(), "undo");
}

}  // namespace
}  // namespace tarnwick
