// Showing our windows where the user invoked them, and the main menu's Edit rows reaching the
// text field being edited.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/application_editing_menu.h"
#include "app/tarnwick_window_placement.h"
#include "platform/sim/ui/sim_events.h"
#include "platform/sim/ui/sim_menus.h"
#include "platform/sim/ui/sim_window_system.h"
#include "platform/ui/declarative/controls.h"
#include "platform/ui/panel.h"
#include "platform/ui/screens.h"
#include "platform/ui/window_controller.h"
#include "testkit/hosted_view.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
namespace flags = platform::modifier_flags;
namespace placement = TarnwickWindowPlacement;
using testkit::TestEnvironment;

constexpr std::uint64_t kTitledWindow =
    ui::style_mask::kTitled | ui::style_mask::kClosable | ui::style_mask::kResizable;

class WindowShowingTest : public ::testing::Test {
protected:
    WindowShowingTest() {
        env.session.loadDefaultSession();
        const auto screens = ui::screens();
        builtIn = screens.at(0);
        studio = screens.at(1);
    }
    void pointAt(const platform::ScreenDescription& screen) {
        env.session.windowSystem().movePointer(Point{screen.frame.midX(), screen.frame.midY()});
    }
    static platform::Event keyDown(platform::ModifierFlags modifiers) {
        platform::Event event;
        event.type = ui::event_type::kKeyDown;
        event.modifierFlags = modifiers;
        return event;
    }

    TestEnvironment env;
    platform::ScreenDescription builtIn, studio;
};

TEST_F(WindowShowingTest, TheInvokingDisplayIsTheKeyWindowsOnlyForACommandKeyPress) {
    ui::Panel key(Rect(100, 100, 300, 200), kTitledWindow);
    key.makeKeyAndOrderFront();
    pointAt(studio);
    EXPECT_EQ(placement::invocationDisplayID(nullptr), 2u);  // no event: the pointer
    {
        sim::SimEvents::Handling handling(env.session.events(), keyDown(flags::kCommand | flags::kShift));
        EXPECT_EQ(placement::invocationDisplayID(nullptr), 1u);
    }
    {
        sim::SimEvents::Handling handling(env.session.events(), keyDown(flags::kOption));
        EXPECT_EQ(placement::invocationDisplayID(nullptr), 2u);
    }
    // A source counts only while it is shown; the pointer outside every display gives nothing.
    EXPECT_EQ(placement::invocationDisplayID(&key), 1u);
    key.orderOut();
    EXPECT_EQ(placement::invocationDisplayID(&key), 2u);
    env.session.windowSystem().movePointer(Point{-5000, -5000});
    EXPECT_EQ(placement::invocationDisplayID(&key), std::nullopt);
}

TEST_F(WindowShowingTest, ShowingPlacesTwiceActivatesMakesKeyAndLeavesNoFieldFocused) {
    auto window = std::make_unique<ui::Panel>(Rect(0, 0, 650, 650), kTitledWindow);
    ui::Panel* shown = window.get();
    ASSERT_TRUE(shown->setFrameAutosaveName("DesktopNames"));
    // Saved by an earlier run on the built-in display.
    env.session.defaults().set(ui::Panel::autosaveKey("DesktopNames"), Value(std::string("40 60 650 650")));
    ui::WindowController controller(std::move(window));
    env.session.activateApplication(303);

    placement::show(controller, 2);
    const Rect& visible = studio.visibleFrame;
    EXPECT_EQ(shown->frame(), Rect(visible.midX() - 325, visible.midY() - 325, 650, 650));
    EXPECT_TRUE(shown->isKeyWindow());
    EXPECT_EQ(env.session.frontmostPID, env.session.system().processID);
    EXPECT_EQ(shown->firstResponder(), nullptr);

    // Nothing requested and the pointer nowhere: the window stays on its display.
    shown->close();
    placement::show(controller, std::nullopt);
    EXPECT_EQ(ui::displayID(*shown->screen()), 2u);
    // A display that is gone: its own display again.
    placement::show(controller, 9);
    EXPECT_EQ(ui::displayID(*shown->screen()), 2u);
}

TEST_F(WindowShowingTest, WithoutAUsableDisplayTheWindowIsNotShown) {
    ui::WindowController controller(std::make_unique<ui::Panel>(Rect(0, 0, 650, 650), kTitledWindow));
    env.session.setDisplayBounds(1, Rect(0, 0, 0, 0));
    env.session.setDisplayBounds(2, Rect(1512, 0, 0, 0));
    placement::show(controller, 1);
    EXPECT_FALSE(controller.window()->isVisible());
    ui::WindowController empty;
    placement::show(empty, 1);  // no window: nothing happens
}

TEST_F(WindowShowingTest, TheMainMenuIsTheTableAndItsEditRowsReachTheFieldBeingEdited) {
    auto menu = ApplicationEditingMenu::install();
    EXPECT_EQ(ui::mainMenu(), menu);
    const auto rows = sim::SimMenus::rows(*menu);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].title, "Tarnwick");
    ASSERT_EQ(rows[0].submenu.size(), 1u);
    EXPECT_EQ(rows[0].submenu[0].title, "Quit Tarnwick");
    EXPECT_EQ(rows[0].submenu[0].keyEquivalent, "q");
    std::vector<std::string> edit;
    for (const auto& row : rows[1].submenu)
        edit.push_back(row.separator ? "-" : row.title + " " + row.keyEquivalent +
                                                 (row.modifiers & flags::kShift ? " shift" : ""));
    EXPECT_EQ(edit, (std::vector<std::string>{"Undo z", "Redo z shift", "-", "Cut x", "Copy c", "Paste v", "-",
                                              "Select All a"}));

    Published<std::string> name{"Work"};
    std::vector<std::string> writes;
    auto view = testkit::HostedView::function([&](ui::ViewContext&) {
        return ui::textField("Name", Binding<std::string>{[&] { return name.get(); },
                                                          [&](const std::string& v) {
                                                              writes.push_back(v);
                                                              name.set(v);
                                                          }})
            .accessibilityIdentifier("name");
    });
    env.session.activateApplication(env.session.system().processID);
    view.show();
    auto& menus = env.session.menus();
    // No field is being edited: the Edit rows have no one to go to.
    EXPECT_FALSE(menus.chooseFromMenuBar({"Edit", "Select All"}));

    ASSERT_TRUE(view.host().type(view.node("name"), "s"));
    EXPECT_FALSE(menus.chooseFromMenuBar({"Edit", "Copy"}));  // nothing selected
    env.session.pressKeys(0, flags::kCommand, "a");
    env.session.pressKeys(8, flags::kCommand, "c");
    env.settle();
    EXPECT_EQ(env.session.pasteboard.contents, "Works");
    // Typing over the selection replaces it; pasting after it appends.
    ASSERT_TRUE(view.host().type(view.node("name"), "Ho"));
    env.session.pressKeys(9, flags::kCommand, "v");
    env.settle();
    EXPECT_EQ(name.get(), "HoWorks");
    ASSERT_TRUE(menus.chooseFromMenuBar({"Edit", "Select All"}));
    ASSERT_TRUE(menus.chooseFromMenuBar({"Edit", "Cut"}));
    EXPECT_EQ(name.get(), "");
    EXPECT_EQ(env.session.pasteboard.contents, "HoWorks");
    EXPECT_EQ(writes, (std::vector<std::string>{"Works", "H", "Ho", "HoWorks", ""}));
    // Undo takes the cut back and Shift-Command-Z does it again, through the binding; then there
    // is nothing to redo. Command-Q reaches the application.
    ASSERT_TRUE(menus.chooseFromMenuBar({"Edit", "Undo"}));
    EXPECT_EQ(name.get(), "HoWorks");
    env.session.pressKeys(6, flags::kCommand | flags::kShift, "Z");
    env.settle();
    EXPECT_EQ(name.get(), "");
    EXPECT_FALSE(menus.chooseFromMenuBar({"Edit", "Redo"}));
    env.session.pressKeys(12, flags::kCommand, "q");
    env.settle();
    EXPECT_EQ(env.session.applicationState.terminations, 1);

    // Clearing the window's first responder ends the editing.
    view.panel->makeFirstResponder(nullptr);
    EXPECT_EQ(view.host().editingField(), nullptr);
}

}  // namespace
}  // namespace tarnwick
