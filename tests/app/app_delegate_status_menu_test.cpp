#include <gtest/gtest.h>

#include "platform/sim/ui/sim_menus.h"
#include "platform/sim/ui/sim_status_bar.h"
#include "testkit/delegate_world.h"

namespace tarnwick {
namespace {

using testkit::DelegateWorld;
using platform::ui::MenuItem;
namespace flags = platform::modifier_flags;

std::vector<std::string> titles(const platform::ui::Menu& menu) {
    std::vector<std::string> shown;
    for (const auto& item : menu.items) shown.push_back(item->isSeparatorItem() ? "-" : item->title);
    return shown;
}

TEST(AppDelegateStatusMenu, TheItemAndItsRowsAreBuiltAsTheMenuShowsThem) {
    DelegateWorld world;
    auto& delegate = world.launch();
    auto* item = delegate.statusItem();
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->length(), platform::ui::StatusItem::kSquareLength);
    EXPECT_EQ(item->button()->symbolName, "tag");
    EXPECT_EQ(item->button()->accessibilityDescription, "Tarnwick");

    const auto& menu = *delegate.statusMenu();
    EXPECT_EQ(titles(menu), (std::vector<std::string>{"Running", "-", "Workstation Overview", "Desktop Names", "-",
                                                      "Settings\u2026", "-", "About Tarnwick",
                                                      "Check for Updates\u2026", "Testing", "-", "Quit Tarnwick"}));
    EXPECT_EQ(menu.item("Settings\u2026")->keyEquivalent, ",");
    EXPECT_EQ(menu.item("Quit Tarnwick")->keyEquivalent, "q");
    EXPECT_TRUE(menu.item("Testing")->isHidden);
    ASSERT_TRUE(menu.item("Testing")->submenu);
    EXPECT_EQ(titles(*menu.item("Testing")->submenu),
              (std::vector<std::string>{"Diagnostics", "-", "Start sample label: Desktop 1 \u2192 Work",
                                        "Stop sample label", "Preview desktop-change banner",
                                        "Verbose label diagnostics", "-",
                                        "Record Mission Control geometry (15 seconds)",
                                        "Locate rendered labels (after 5 seconds)", "Reveal latest diagnostic\u2026"}));
    // The overview row carries the global shortcut from launch on.
    EXPECT_EQ(delegate.overviewMenuItem()->keyEquivalent, OverviewShortcut::defaultShortcut.menuEquivalent());
    EXPECT_EQ(delegate.overviewMenuItem()->keyEquivalentModifierMask,
              OverviewShortcut::defaultShortcut.eventModifiers());
    // The menu goes to the presenter, not to the item.
    EXPECT_EQ(menu.delegate, delegate.workstationPreview());
}

TEST(AppDelegateStatusMenu, TheOverviewRowFollowsTheShortcutAndLosesItWhenOff) {
    DelegateWorld world;
    auto& delegate = world.launch();
    auto& shortcut = delegate.settings().overviewShortcut();
    ASSERT_TRUE(shortcut.use(OverviewShortcut{0, 0x1100}));  // Control-Command-A
    EXPECT_EQ(delegate.overviewMenuItem()->keyEquivalent, OverviewShortcut({0, 0x1100}).menuEquivalent());
    EXPECT_EQ(delegate.overviewMenuItem()->keyEquivalentModifierMask, flags::kControl | flags::kCommand);
    ASSERT_TRUE(shortcut.use(std::nullopt));
    EXPECT_EQ(delegate.overviewMenuItem()->keyEquivalent, "");
    EXPECT_EQ(delegate.overviewMenuItem()->keyEquivalentModifierMask, 0u);
}

TEST(AppDelegateStatusMenu, PermissionsNeededOpensThePermissionsPageAndTheTooltipFollowsHover) {
    DelegateWorld world;
    world.env.session.defaults().set(AppDelegate::kLaunchedBeforeKey, Value(true));
    world.env.session.accessibilityTrusted = false;
    auto& delegate = world.launch();
    auto* status = delegate.runStatus();
    EXPECT_EQ(status->title, AppDelegate::kPermissionsNeeded);
    EXPECT_FALSE(status->isHidden);
    EXPECT_FALSE(delegate.statusSeparator()->isHidden);
    EXPECT_FALSE(delegate.statusItem()->button()->toolTip);  // hover preview is on
    ASSERT_TRUE(status->action);
    status->action();
    ASSERT_EQ(world.opened->settings.size(), 1u);
    EXPECT_EQ(world.opened->settings[0].tab, SettingsTab::permissions);

    delegate.settings().update([](AppPreferences& p) { p.hoverPreviewEnabled = false; });
    EXPECT_EQ(delegate.statusItem()->button()->toolTip, std::string("Tarnwick \u2014 ") + AppDelegate::kPermissionsNeeded);
    delegate.settings().update([](AppPreferences& p) {
        p.labelsEnabled = false;
        p.bannersEnabled = false;
    });
    EXPECT_EQ(status->title, AppDelegate::kOverlaysOff);
    EXPECT_FALSE(status->action);
}

TEST(AppDelegateStatusMenu, TestingShowsOnlyWhenTheMenuIsOpenedWithTheRevealRequest) {
    DelegateWorld world;
    auto& delegate = world.launch();
    auto* preview = delegate.workstationPreview();
    ASSERT_TRUE(preview);
    preview->prepareMenu(true);
    EXPECT_FALSE(delegate.testingMenuItem()->isHidden);
    preview->prepareMenu(false);
    EXPECT_TRUE(delegate.testingMenuItem()->isHidden);
}

TEST(AppDelegateStatusMenu, VerboseDiagnosticsTogglesItsCheckMark) {
    DelegateWorld world;
    auto& delegate = world.launch();
    auto* verbose = delegate.testingMenuItem()->submenu->item("Verbose label diagnostics");
    ASSERT_TRUE(verbose);
    const bool before = delegate.prototype().detailedDiagnostics();
    verbose->action();
    EXPECT_EQ(delegate.prototype().detailedDiagnostics(), !before);
    EXPECT_EQ(verbose->state, before ? platform::ui::ControlState::off : platform::ui::ControlState::on);
    verbose->action();
    EXPECT_EQ(delegate.prototype().detailedDiagnostics(), before);
}

TEST(AppDelegateStatusMenu, WorkstationOverviewOpensOnTheNextTurn) {
    DelegateWorld world;
    auto& delegate = world.launch();
    delegate.statusMenu()->item("Workstation Overview")->action();
    EXPECT_FALSE(delegate.workstationPreview()->panel().isVisible());
    world.settle();
    EXPECT_TRUE(delegate.workstationPreview()->panel().isVisible());
}

}  // namespace
}  // namespace tarnwick
