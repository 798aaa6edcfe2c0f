// Identifying a display: the state's generations and stale tokens, the panel's size rule, and the
// panel shown on the simulated screens for two seconds of virtual time.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/display_identification_controller.h"
#include "platform/sim/ui/sim_window_system.h"
#include "platform/ui/effect_views.h"
#include "testkit/printing.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
using State = DisplayIdentificationState;
using Strings = std::vector<std::string>;

constexpr const char* kBuiltIn = "37D8832A-2D66-02CA-B9F7-8F30A301B230";
constexpr const char* kStudio = "9C4E1F7A-5B2D-4E8F-A1C3-6D9B2E4F7A18";

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

TEST(DisplayIdentificationStateTest, BeginAcceptsExactlyOneConnectedMatchAndAlwaysStartsANewGeneration) {
    State state;
    const auto shown = state.begin(lower(kStudio), {kBuiltIn, lower(kStudio), "not a uuid"}, 10);
    ASSERT_TRUE(shown);
    EXPECT_EQ(*shown, (State::Presentation{kStudio, 1, 12}));
    EXPECT_EQ(state.current, shown);

    // Whatever follows, begin first clears what was shown and moves the generation on.
    EXPECT_FALSE(state.begin(kStudio, {kStudio, lower(kStudio)}, 11));  // two screens with one UUID
    EXPECT_EQ(state.generation, 2);
    EXPECT_FALSE(state.current);
    EXPECT_FALSE(state.begin(kStudio, {kBuiltIn}, 11));
    EXPECT_FALSE(state.begin("display-2", {"display-2"}, 11));
    EXPECT_FALSE(state.begin(kStudio, {kStudio}, std::nan("")));
    EXPECT_FALSE(state.begin(kStudio, {kStudio}, INFINITY));
    EXPECT_EQ(state.generation, 6);
    EXPECT_FALSE(state.current);
}

TEST(DisplayIdentificationStateTest, OnlyTheCurrentTokenAtItsDeadlineExpiresAndFailedExpiriesChangeNothing) {
    State state;
    const auto first = state.begin(kBuiltIn, {kBuiltIn}, 100);
    const auto second = state.begin(kBuiltIn, {kBuiltIn}, 101);
    ASSERT_TRUE(first && second);
    const State before = state;
    EXPECT_FALSE(state.expire(first->token, 200));   // a stale token
    EXPECT_FALSE(state.expire(second->token, 102.9));  // too early
    EXPECT_FALSE(state.expire(second->token, std::nan("")));
    EXPECT_EQ(state.generation, before.generation);
    EXPECT_EQ(state.current, before.current);

    EXPECT_TRUE(state.expire(second->token, 103));
    EXPECT_FALSE(state.current);
    EXPECT_EQ(state.generation, before.generation + 1);
    EXPECT_FALSE(state.expire(second->token, 104));  // once only

    state.cancel();
    EXPECT_EQ(state.generation, before.generation + 2);
    EXPECT_EQ(State(State::Presentation{kBuiltIn, 0, 1}).generation, 0);
}

TEST(DisplayIdentificationStateTest, ThePanelSizeLeavesTwelvePointsEachSideUpToItsMaximum) {
    using Controller = DisplayIdentificationController;
    EXPECT_EQ(Controller::panelSize(Rect(0, 0, 1440, 875)), (Size{340, 104}));
    EXPECT_EQ(Controller::panelSize(Rect(0, 0, 300, 100)), (Size{276, 76}));
    // A difference that is not a number leaves the maximum.
    EXPECT_EQ(Controller::panelSize(Rect(0, 0, std::nan(""), 100)), (Size{340, 76}));
    EXPECT_EQ(Controller::panelSize(Rect(0, 0, 300, INFINITY)), (Size{276, 104}));
    EXPECT_FALSE(Controller::panelSize(Rect(0, 0, 24, 500)));
    EXPECT_FALSE(Controller::panelSize(Rect(0, 0, 500, 10)));
    // Widths and heights are read standardised, as the platform reads a rectangle's.
    EXPECT_EQ(Controller::panelSize(Rect(300, 100, -300, -100)), (Size{276, 76}));
}

class DisplayIdentificationTest : public ::testing::Test {
protected:
    DisplayIdentificationTest() { env.session.loadDefaultSession(); }
    sim::SimWindowSystem& windows() { return env.session.windowSystem(); }
    std::vector<ui::Panel*> shownPanels() {
        std::vector<ui::Panel*> shown;
        for (auto* panel : windows().onScreenPanels())
            if (panel->title() == DisplayIdentificationController::kPanelTitle) shown.push_back(panel);
        return shown;
    }

    testkit::TestEnvironment env;
};

TEST_F(DisplayIdentificationTest, ThePanelShowsTheNameInTheMiddleOfTheDisplayWithoutTakingTheKeyboard) {
    DisplayIdentificationController controller;
    ASSERT_TRUE(controller.identify(lower(kStudio), "Desk"));
    ui::Panel* panel = controller.panel();
    ASSERT_TRUE(panel);
    EXPECT_EQ(shownPanels(), std::vector<ui::Panel*>{panel});
    // Studio Display: 2560 x 1440 at (1512, -200) in window-server space; its visible frame is
    // (1512, -258, 2560, 1415) below its menu bar, with the built-in display's 982 points as the
    // primary height.
    EXPECT_EQ(panel->frame(), Rect(1512 + 1280 - 170, -258 + 707.5 - 52, 340, 104));
    EXPECT_EQ(panel->styleMask(), ui::style_mask::kNonactivatingPanel);
    EXPECT_EQ(panel->level(), ui::window_level::kFloating);
    EXPECT_EQ(panel->collectionBehavior, 0x151u);
    EXPECT_TRUE(panel->ignoresMouseEvents());
    EXPECT_FALSE(panel->hidesOnDeactivate);
    EXPECT_TRUE(panel->isExcludedFromWindowsMenu);
    EXPECT_FALSE(panel->isOpaque);
    EXPECT_EQ(panel->backgroundColor, ui::Color::clear());
    EXPECT_EQ(panel->animationBehavior, ui::animation_behavior::kNone);
    EXPECT_FALSE(panel->isKeyWindow());
    auto glass = std::dynamic_pointer_cast<ui::GlassEffectView>(panel->contentView());
    ASSERT_TRUE(glass);
    EXPECT_EQ(glass->cornerRadius, 16);
    EXPECT_EQ(glass->style, ui::GlassStyle::regular);
    env.settle();
    EXPECT_EQ(panel->shownTexts(), (Strings{"Desk", "Studio Display"}));

    // The display's own name is not repeated under a title that says it already.
    ASSERT_TRUE(controller.identify(kBuiltIn, "Built-in Retina Display"));
    env.settle();
    EXPECT_EQ(controller.panel()->shownTexts(), Strings{"Built-in Retina Display"});
}

TEST_F(DisplayIdentificationTest, ASecondRequestReplacesTheFirstPanelAndTheFirstExpiryLeavesTheSecondAlone) {
    DisplayIdentificationController controller;
    ASSERT_TRUE(controller.identify(kStudio, "Desk"));
    env.advance(1.0);
    ASSERT_TRUE(controller.identify(kBuiltIn, "Laptop"));
    ASSERT_EQ(shownPanels().size(), 1u);
    ui::Panel* second = controller.panel();
    EXPECT_EQ(second->screen()->localizedName, "Built-in Retina Display");

    env.advance(1.0);  // the first panel's expiry time
    EXPECT_EQ(shownPanels(), std::vector<ui::Panel*>{second});
    env.advance(0.999);
    EXPECT_EQ(shownPanels().size(), 1u);
    env.advance(0.001);  // 2.0 s after the second came
    EXPECT_TRUE(shownPanels().empty());
    EXPECT_FALSE(controller.panel());
    EXPECT_FALSE(controller.state().current);
}

TEST_F(DisplayIdentificationTest, AnExpiryThatComesBeforeTheDeadlineWaitsForTheRestInsteadOfLeavingThePanelUp) {
    // The uptime falls behind the loop's timers: the expiry finds the deadline still ahead.
    double uptime = 50;
    DisplayIdentificationController controller([&uptime] { return uptime; });
    ASSERT_TRUE(controller.identify(kBuiltIn, "Laptop"));
    uptime = 51.5;
    env.advance(2.0);
    EXPECT_EQ(shownPanels().size(), 1u);
    uptime = 52;
    env.advance(0.5);
    EXPECT_TRUE(shownPanels().empty());
    EXPECT_FALSE(controller.state().current);
}

TEST_F(DisplayIdentificationTest, RequestsThatCannotBeShownLeaveNothingOnScreen) {
    DisplayIdentificationController controller;
    ASSERT_TRUE(controller.identify(kBuiltIn, "Laptop"));
    EXPECT_FALSE(controller.identify("00000000-0000-4000-8000-000000000000", "Gone"));
    EXPECT_TRUE(shownPanels().empty());  // the request took the earlier panel down first
    EXPECT_FALSE(controller.identify("Studio Display", "Desk"));

    // A display whose visible frame leaves no room.
    env.session.setDisplayReserved(2, sim::SimInsets{1420, 0, 0, 0});
    EXPECT_FALSE(controller.identify(kStudio, "Desk"));
    EXPECT_TRUE(shownPanels().empty());

    // Two screens that report one UUID: no way to tell which is meant.
    env.session.setDisplayReserved(2, sim::SimInsets{});
    env.session.displays[1].uuid = kBuiltIn;
    EXPECT_FALSE(controller.identify(kBuiltIn, "Laptop"));
    // A screen without a display number is left out of the list.
    env.session.displays[0].hasScreenNumber = false;
    EXPECT_TRUE(controller.identify(kBuiltIn, "Desk"));
    EXPECT_EQ(controller.panel()->screen()->localizedName, "Studio Display");
}

TEST_F(DisplayIdentificationTest, HideAndTheControllerGoingAwayTakeThePanelDownAndItsExpiryDoesNothing) {
    auto controller = std::make_unique<DisplayIdentificationController>();
    ASSERT_TRUE(controller->identify(kStudio, "Desk"));
    controller->hide();
    EXPECT_TRUE(shownPanels().empty());
    ASSERT_TRUE(controller->identify(kStudio, "Desk"));
    controller.reset();
    EXPECT_TRUE(windows().panelTitled(DisplayIdentificationController::kPanelTitle) == nullptr);
    env.advance(3);  // the cancelled expiry never runs on a controller that is gone
}

}  // namespace
}  // namespace tarnwick
