// The settings view's shell: the sidebar and its selection, the width rule with the compact
// page menu, the sidebar toggle, leaving the Overview page, the prominent buttons' look, and the
// pages' controls inside their forms.

#include <gtest/gtest.h>

#include "app/settings_primary_button_style.h"
#include "settings_view_fixture.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
using Columns = ui::ColumnVisibility;
using Strings = std::vector<std::string>;

class SettingsShellTest : public testkit::SettingsViewFixture {};

TEST_F(SettingsShellTest, TheSidebarListsTheFivePagesAndAnEmptySelectionKeepsThePage) {
    open();
    const Node* list = labelled<ui::ListContent>("Settings sections");
    ASSERT_TRUE(list);
    Strings identifiers;
    for (const auto& row : list->children()) identifiers.push_back(*row.modifiers().accessibility().identifier);
    EXPECT_EQ(identifiers, (Strings{"settings-page.general", "settings-page.desktopNames", "settings-page.overview",
                                    "settings-page.banner", "settings-page.permissions"}));
    EXPECT_EQ(host().texts(list), (Strings{"General", "Desktop Names", "Overview", "Banner", "Permissions"}));
    EXPECT_EQ(node("settings-page.banner").as<ui::LabelContent>()->systemImage, "rectangle.bottomthird.inset.filled");

    EXPECT_TRUE(host().select(*list, SettingsTab::banner));
    EXPECT_EQ(settings->tab.get(), SettingsTab::banner);
    // A click on the list's empty space asks for no selection: the page stays.
    EXPECT_TRUE(host().clearSelection(*labelled<ui::ListContent>("Settings sections")));
    EXPECT_EQ(settings->tab.get(), SettingsTab::banner);
    env.settle();
    EXPECT_EQ(labelled<ui::ListContent>("Settings sections")->as<ui::ListContent>()->selectedIndex(), 3u);
    EXPECT_TRUE(text("Banner"));  // the heading
}

TEST_F(SettingsShellTest, NarrowTheViewHidesTheSidebarAndTurnsTheTitleIntoAPageMenuUntilItWidensAgain) {
    open(619);
    EXPECT_EQ(view->columns.get(), Columns::detailOnly);
    ASSERT_TRUE(has(TarnwickSettingsView::kSectionMenuIdentifier));
    const Node& menu = node(TarnwickSettingsView::kSectionMenuIdentifier);
    EXPECT_EQ(menu.modifiers().accessibility().label, "Settings section");
    EXPECT_EQ(menu.modifiers().accessibility().value, "General");
    // The hidden sidebar cannot be used; the page menu reaches every page.
    EXPECT_FALSE(host().select(*labelled<ui::ListContent>("Settings sections"), SettingsTab::banner));
    const Node* picker = find(&menu, [](const Node& n) { return n.as<ui::PickerContent>() != nullptr; });
    ASSERT_TRUE(picker);
    EXPECT_EQ(picker->as<ui::PickerContent>()->title, "Settings section");
    EXPECT_TRUE(host().select(*picker, SettingsTab::banner));
    EXPECT_EQ(settings->tab.get(), SettingsTab::banner);
    env.settle();
    EXPECT_EQ(node(TarnwickSettingsView::kSectionMenuIdentifier).modifiers().accessibility().value, "Banner");

    hosted->resize(620, 560);
    env.settle();
    EXPECT_EQ(view->columns.get(), Columns::all);
    EXPECT_FALSE(has(TarnwickSettingsView::kSectionMenuIdentifier));
    EXPECT_TRUE(host().find("settings-page.general"));
    hosted->resize(600, 560);
    env.settle();
    EXPECT_EQ(view->columns.get(), Columns::detailOnly);
}

TEST_F(SettingsShellTest, TheUsersToggleStandsUntilTheWidthCrossesTheThreshold) {
    open(760);
    EXPECT_EQ(view->columns.get(), Columns::all);
    EXPECT_FALSE(has(TarnwickSettingsView::kSectionMenuIdentifier));
    ASSERT_TRUE(hosted->click(TarnwickSettingsView::kSidebarToggleIdentifier));
    env.settle();
    EXPECT_EQ(view->columns.get(), Columns::detailOnly);
    EXPECT_TRUE(has(TarnwickSettingsView::kSectionMenuIdentifier));  // compact while hidden, however wide
    EXPECT_EQ(node(TarnwickSettingsView::kSidebarToggleIdentifier).modifiers().accessibility().help,
              "Show or hide settings sections");

    hosted->resize(700, 560);
    env.settle();
    hosted->resize(650, 560);
    env.settle();
    EXPECT_EQ(view->columns.get(), Columns::detailOnly);
    hosted->resize(610, 560);
    hosted->resize(900, 560);
    env.settle();
    EXPECT_EQ(view->columns.get(), Columns::all);

    ASSERT_TRUE(hosted->click(TarnwickSettingsView::kSidebarToggleIdentifier));
    ASSERT_TRUE(hosted->click(TarnwickSettingsView::kSidebarToggleIdentifier));
    EXPECT_EQ(view->columns.get(), Columns::all);
}

TEST_F(SettingsShellTest, LeavingTheOverviewPageEndsAShortcutRecordingAndOtherPageChangesLeaveIt) {
    open();
    auto& shortcut = settings->overviewShortcut();
    shortcut.beginRecording();
    showPage(SettingsTab::banner);
    showPage(SettingsTab::permissions);
    EXPECT_TRUE(shortcut.isRecording.get());
    shortcut.cancelRecording();

    // A recording begun on the Overview page (its recorder is in the window by then).
    showPage(SettingsTab::overview);
    shortcut.beginRecording();
    EXPECT_TRUE(shortcut.isRecording.get());
    showPage(SettingsTab::general);
    EXPECT_FALSE(shortcut.isRecording.get());
    EXPECT_TRUE(text("General"));
}

TEST_F(SettingsShellTest, PageHeadingAndPrimaryButtonsLookAsTheirWindowIs) {
    open();
    const Node* heading = text("General");
    ASSERT_TRUE(heading);
    // The sidebar's row comes first; the heading is the one marked as a header.
    heading = find(host().root(), [](const Node& n) {
        return n.modifiers().accessibility().header && n.as<ui::TextContent>();
    });
    ASSERT_TRUE(heading);
    EXPECT_EQ(heading->as<ui::TextContent>()->text, "General");
    EXPECT_EQ(heading->font().weight, ui::font_weight::kSemibold);
    EXPECT_EQ(heading->textStyle(), ui::TextStyle::title2);

    // The key window's buttons are filled with the accent; pressed, they dim.
    const Node* check = buttonShowing("Check for Updates\u2026");
    ASSERT_TRUE(check);
    EXPECT_EQ(check->controlSize(), ui::ControlSize::large);
    const auto fillOf = [](const Node& button) {
        const Node& body = button.children().front();
        return body.modifiers().backgrounds.front().as<ui::ShapeContent>()->fill;
    };
    EXPECT_EQ(fillOf(*check), SettingsPrimaryButtonStyle::accent());
    // The updater has not started: the button cannot check and draws at half opacity.
    EXPECT_TRUE(check->isDisabled());
    EXPECT_DOUBLE_EQ(check->children().front().modifiers().style().opacity, 0.5);

    ui::Panel other(Rect(0, 0, 50, 50), ui::style_mask::kTitled);
    other.makeKeyAndOrderFront();
    env.settle();
    EXPECT_EQ(fillOf(*buttonShowing("Check for Updates\u2026")), SettingsPrimaryButtonStyle::inactiveFill());

    hosted->show();
    showPage(SettingsTab::banner);
    const Node* reset = buttonShowing("Reset appearance");
    ASSERT_TRUE(reset && host().press(*reset));
    env.settle();
    EXPECT_DOUBLE_EQ(buttonShowing("Reset appearance")->children().front().modifiers().style().opacity, 0.85);
    host().release();
}

// Every page's controls stand inside its form's rows: a row outside any section (the Banner
// page's "Reset appearance" and "Preview") is inset as a section's rows are, not at the form's
// own edges.
TEST_F(SettingsShellTest, EveryPagesControlsStayWithinTheRowsOfItsForm) {
    using Form = ui::FormContent;
    open();
    for (const SettingsTab tab : {SettingsTab::general, SettingsTab::desktopNames, SettingsTab::overview,
                                  SettingsTab::banner, SettingsTab::permissions}) {
        showPage(tab);
        hosted->renderNow();
        const Node* form = find(host().root(), [](const Node& n) { return n.as<ui::FormContent>() != nullptr; });
        ASSERT_TRUE(form);
        const double leading = form->frame().minX() + Form::kInset + Form::kBoxInsetX;
        const double trailing = form->frame().maxX() - Form::kInset - Form::kBoxInsetX;
        int controls = 0;
        const auto check = [&](const auto& self, const Node& node) -> void {
            if (node.as<ui::ButtonContent>() || node.as<ui::ToggleContent>() || node.as<ui::SliderContent>() ||
                node.as<ui::StepperContent>() || node.as<ui::PickerContent>() || node.as<ui::TextFieldContent>()) {
                ++controls;
                EXPECT_GE(node.frame().minX(), leading - 1e-9) << node.kind() << " on page " << static_cast<int>(tab);
                EXPECT_LE(node.frame().maxX(), trailing + 1e-9) << node.kind() << " on page " << static_cast<int>(tab);
            }
            for (const auto& child : node.children()) self(self, child);
        };
        check(check, *form);
        EXPECT_GT(controls, 0) << static_cast<int>(tab);
        if (tab != SettingsTab::banner) continue;
        // The Banner page's two buttons meet the rows' two edges.
        const Node* reset = buttonShowing("Reset appearance");
        const Node* preview = buttonShowing("Preview");
        ASSERT_TRUE(reset && preview);
        EXPECT_DOUBLE_EQ(reset->frame().minX(), leading);
        EXPECT_DOUBLE_EQ(preview->frame().maxX(), trailing);
    }
}

}  // namespace
}  // namespace tarnwick
