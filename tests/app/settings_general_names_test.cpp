// The General page (conditional rows, the login item's approval rows, the update switches) and
// the Desktop Names page (friendly-name drafts committed at each of the three moments, the
// hooks, the empty and error states).

#include <gtest/gtest.h>

#include "platform/sim/sim_login_items.h"
#include "settings_view_fixture.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
using platform::LoginItemStatus;

constexpr const char* kBuiltIn = "37D8832A-2D66-02CA-B9F7-8F30A301B230";
constexpr const char* kStudio = "9C4E1F7A-5B2D-4E8F-A1C3-6D9B2E4F7A18";

class GeneralPageTest : public testkit::SettingsViewFixture {};

TEST_F(GeneralPageTest, TheIconRowsAndTheAllMonitorsSwitchFollowTheirParentSwitchesAndKeepTheirValues) {
    settings->update([](AppPreferences& p) {
        p.missionControlIconSize = 24;
        p.missionControlApplicationPosition = MissionControlApplicationPosition::bottom;
        p.missionControlBannerOnAllMonitors = true;
    });
    changes.clear();
    open();
    EXPECT_FALSE(text("Preview icon size"));
    EXPECT_FALSE(text("Show on all monitors"));

    ASSERT_TRUE(toggleText("Show app icons in expanded Mission Control previews"));
    ASSERT_TRUE(toggleText("Show name when opening Mission Control"));
    EXPECT_EQ(changes.size(), 2u);
    env.settle();
    const Node* size = labelled<ui::SliderContent>("Mission Control preview icon size");
    ASSERT_TRUE(size);
    EXPECT_EQ(size->modifiers().accessibility().value, "24 points");
    EXPECT_TRUE(text("24 pt"));
    EXPECT_EQ(text("Preview icon size")->frame().width(), 110);
    EXPECT_EQ(text("24 pt")->frame().width(), 44);
    EXPECT_TRUE(text("24 pt")->usesMonospacedDigits());
    const Node* position = control<ui::PickerContent>("Preview position");
    ASSERT_TRUE(position);
    EXPECT_EQ(position->as<ui::PickerContent>()->selectedIndex(), 2u);
    EXPECT_EQ(control<ui::ToggleContent>("Show on all monitors")->as<ui::ToggleContent>()->value(), true);
    EXPECT_EQ(control<ui::ToggleContent>("Show on all monitors")->modifiers().accessibility().help,
              "Shows each monitor's current desktop in Mission Control. When off, only the monitor under the pointer "
              "shows a banner.");

    // The slider moves in steps of 2 and the readout drops nothing but the fraction.
    EXPECT_TRUE(host().slide(*size, 29.3));
    EXPECT_EQ(settings->preferences->missionControlIconSize, 30);
    EXPECT_TRUE(host().select(*position, MissionControlApplicationPosition::top));
    EXPECT_EQ(settings->preferences->missionControlApplicationPosition, MissionControlApplicationPosition::top);

    ASSERT_TRUE(toggleText("Show app icons in expanded Mission Control previews"));
    env.settle();
    EXPECT_FALSE(text("Preview position"));
    EXPECT_EQ(settings->preferences->missionControlIconSize, 30);
    EXPECT_EQ(TarnwickSettingsView::iconSizeReadout(16.9), "16 pt");
    EXPECT_EQ(TarnwickSettingsView::iconSizeAccessibilityValue(16), "16 points");
}

TEST_F(GeneralPageTest, WhileTheLoginItemAwaitsApprovalTheSwitchReadsOffAndTheApprovalRowsShow) {
    auto& loginItem = env.session.loginItem();
    loginItem.approvalRequired = true;
    open();
    EXPECT_FALSE(text("Approve Tarnwick in Login Items to finish enabling startup."));

    ASSERT_TRUE(toggleText("Launch at login"));  // registers; the system wants approval
    env.settle();
    EXPECT_EQ(settings->loginStatus.get(), LoginItemStatus::requiresApproval);
    EXPECT_FALSE(control<ui::ToggleContent>("Launch at login")->as<ui::ToggleContent>()->value());
    EXPECT_TRUE(text("Approve Tarnwick in Login Items to finish enabling startup."));

    // On again while approval is pending opens the Login Items pane instead of registering again.
    ASSERT_TRUE(toggleText("Launch at login"));
    EXPECT_EQ(loginItem.registerCalls, 1);
    EXPECT_EQ(loginItem.settingsOpenings, 1);
    ASSERT_TRUE(clickText("Open Login Items\u2026"));
    EXPECT_EQ(loginItem.settingsOpenings, 2);

    ASSERT_TRUE(clickText("Cancel startup request"));
    EXPECT_EQ(loginItem.unregisterCalls, 1);
    env.settle();
    EXPECT_FALSE(text("Cancel startup request"));
    EXPECT_FALSE(text("Approve Tarnwick in Login Items to finish enabling startup."));

    // A failing change shows its description in red.
    loginItem.registerError = "The login item could not be registered.";
    ASSERT_TRUE(toggleText("Launch at login"));
    env.settle();
    const Node* error = text("The login item could not be registered.");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->foregroundColor(), ui::Color::systemRed());
}

TEST_F(GeneralPageTest, TheUpdateControlsActOnTheUpdaterAndShowWhatItReports) {
    env.session.load(R"({"updates": {"allowsAutomaticUpdates": false}})");
    updates = std::make_unique<SoftwareUpdates>();
    open();
    const Node* downloads = control<ui::ToggleContent>("Automatically download and install updates");
    ASSERT_TRUE(downloads);
    EXPECT_TRUE(downloads->isDisabled());
    EXPECT_FALSE(host().toggle(*downloads));
    EXPECT_TRUE(buttonShowing("Check for Updates\u2026")->isDisabled());

    ASSERT_TRUE(toggleText("Automatically check for updates"));
    EXPECT_TRUE(updates->updater().automaticallyChecksForUpdates());  // written to the updater only
    EXPECT_TRUE(changes.empty());
    env.settle();
    EXPECT_TRUE(control<ui::ToggleContent>("Automatically check for updates")->as<ui::ToggleContent>()->value());

    updates->start();
    env.settle();
    EXPECT_FALSE(buttonShowing("Check for Updates\u2026")->isDisabled());
    ASSERT_TRUE(clickText("Check for Updates\u2026"));
    EXPECT_EQ(env.session.updates.checkRequests, 1);
}

TEST_F(GeneralPageTest, AFailedUpdaterStartIsTheLastRowAndTheCheckStaysDisabled) {
    env.session.updates.startError = "The update feed could not be reached.";
    updates->start();
    open();
    const Node* error = text("The update feed could not be reached.");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->as<ui::LabelContent>()->systemImage, "exclamationmark.circle");
    const Node* section = error->parent();
    EXPECT_EQ(&section->children().back(), error);
    EXPECT_TRUE(buttonShowing("Check for Updates\u2026")->isDisabled());
}

TEST_F(GeneralPageTest, OverlaySwitchesWriteOneFieldThroughTheModel) {
    open();
    ASSERT_TRUE(toggleText("Pause all overlays"));
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_FALSE(changes[0].first.paused);
    EXPECT_TRUE(changes[0].second.paused);
    AppPreferences expected = changes[0].first;
    expected.paused = true;
    EXPECT_EQ(changes[0].second, expected);
    EXPECT_TRUE(settings->store().value().paused);
}

class DesktopNamesPageTest : public testkit::SettingsViewFixture {
protected:
    void openNames() {
        settings->tab.set(SettingsTab::desktopNames);
        open();
    }
    const Node& field(const std::string& display) { return node(DisplayAliasRow::identifier(display)); }
    const Node* identifyButton(const std::string& shownName) {
        return labelled<ui::ButtonContent>("Identify " + shownName);
    }
};

TEST_F(DesktopNamesPageTest, EachDisplayHasItsSymbolItsFieldAndItsIdentifyButton) {
    std::vector<std::string> identified;
    settings->identifyDisplayRequested = [&](const std::string& id) { identified.push_back(id); };
    openNames();
    const Node* builtIn = text("Built-in Retina Display");
    ASSERT_TRUE(builtIn);
    EXPECT_EQ(builtIn->as<ui::LabelContent>()->systemImage, "laptopcomputer");
    EXPECT_EQ(text("Studio Display")->as<ui::LabelContent>()->systemImage, "display");
    EXPECT_EQ(field(kStudio).modifiers().accessibility().label, "Friendly name for Studio Display");
    EXPECT_EQ(field(kStudio).modifiers().accessibility().help, "Leave blank to use Studio Display");
    EXPECT_TRUE(text("App icon size"));
    EXPECT_TRUE(text("16 pt"));

    const Node* identify = identifyButton("Studio Display");
    ASSERT_TRUE(identify);
    EXPECT_EQ(identify->modifiers().accessibility().help, "Show a label on Studio Display");
    EXPECT_TRUE(host().click(*identify));
    EXPECT_EQ(identified, std::vector<std::string>{kStudio});
}

TEST_F(DesktopNamesPageTest, ANameIsSavedWhenTheFieldLosesFocusNotWhenItGainsIt) {
    openNames();
    ASSERT_TRUE(host().type(field(kStudio), "Desk"));
    env.settle();
    EXPECT_EQ(view->focusedDisplayAlias.get(), std::optional<std::string>(kStudio));
    EXPECT_FALSE(names->displayAlias(kStudio));  // still a draft
    EXPECT_EQ(names->displayNameDraft(kStudio), "Desk");

    // Focus moves to the other display's field: the first one's draft is saved.
    ASSERT_TRUE(host().type(field(kBuiltIn), ""));
    env.settle();
    EXPECT_EQ(names->displayAlias(kStudio), std::optional<std::string>("Desk"));
    EXPECT_EQ(identifyButton("Desk")->modifiers().accessibility().help, "Show a label on Desk");
    EXPECT_TRUE(text("Studio Display"));  // the row still names the hardware

    // Clicking elsewhere (no field has focus) saves the second field's draft.
    host().type(field(kBuiltIn), "  Laptop ");
    host().dropFocus();
    env.settle();
    EXPECT_EQ(names->displayAlias(kBuiltIn), std::optional<std::string>("Laptop"));
}

TEST_F(DesktopNamesPageTest, ReturnSavesAndAnEmptyNameFallsBackToTheHardwareName) {
    openNames();
    host().type(field(kStudio), "Desk");
    ASSERT_TRUE(host().submit(field(kStudio)));
    EXPECT_EQ(names->displayAlias(kStudio), std::optional<std::string>("Desk"));
    env.settle();
    ASSERT_TRUE(host().clearText(field(kStudio)));
    EXPECT_TRUE(host().keyDown(platform::KeyEvent{platform::key_codes::kReturn, "\r", 0}));
    EXPECT_FALSE(names->displayAlias(kStudio));
    env.settle();
    EXPECT_EQ(identifyButton("Studio Display")->modifiers().accessibility().help, "Show a label on Studio Display");
}

TEST_F(DesktopNamesPageTest, ADraftIsSavedWhenItsRowGoesAwayWithThePageTheWindowOrTheDisplay) {
    openNames();
    host().type(field(kStudio), "Desk");
    showPage(SettingsTab::general);
    EXPECT_EQ(names->displayAlias(kStudio), std::optional<std::string>("Desk"));

    showPage(SettingsTab::desktopNames);
    host().type(field(kBuiltIn), "Laptop");
    hosted->panel->orderOut();  // the window closes
    EXPECT_EQ(names->displayAlias(kBuiltIn), std::optional<std::string>("Laptop"));

    hosted->show();
    env.settle();
    host().type(field(kStudio), " Left");
    env.session.removeDisplay(2);
    names->refresh(true);
    env.settle();
    EXPECT_FALSE(has(DisplayAliasRow::identifier(kStudio)));
    EXPECT_EQ(names->displayAlias(kStudio), std::optional<std::string>("Desk Left"));
}

TEST_F(DesktopNamesPageTest, HooksThatAreNotSetDoNothingAndTheEmptyAndErrorStatesShow) {
    openNames();
    ASSERT_TRUE(clickText("Edit Desktop Names\u2026"));
    ASSERT_TRUE(host().click(*identifyButton("Studio Display")));
    int opened = 0;
    settings->namesRequested = [&] { ++opened; };
    ASSERT_TRUE(clickText("Edit Desktop Names\u2026"));
    EXPECT_EQ(opened, 1);

    settings->displayIdentificationError.set("That display is no longer available. Refresh Desktop Names and try again.");
    names->monitors.set({});
    env.settle();
    EXPECT_TRUE(text("Connected displays will appear here."));
    const Node* error = text("That display is no longer available. Refresh Desktop Names and try again.");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->foregroundColor(), ui::Color::systemRed());
    EXPECT_EQ(error->as<ui::LabelContent>()->systemImage, "exclamationmark.circle");
    EXPECT_TRUE(text("Friendly names are saved on this Mac. Leave a name blank to use its hardware name."));
}

}  // namespace
}  // namespace tarnwick
