// The Overview page: its one section and rows in order, the hover switch and icon size writing
// the preferences, the shared shortcut, and the open request going out through its hook.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "overview/overview_shortcut_control.h"
#include "overview/shortcut_recorder.h"
#include "settings_view_fixture.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;

class OverviewPageTest : public testkit::SettingsViewFixture {
protected:
    void openOverview() {
        settings->tab.set(SettingsTab::overview);
        open();
    }
    // Every text of the page's form, in the order the page lays them out.
    std::vector<std::string> formTexts() {
        hosted->renderNow();
        const Node* form = find(host().root(), [](const Node& n) { return n.as<ui::FormContent>() != nullptr; });
        std::vector<std::string> texts;
        collect(form, texts);
        return texts;
    }
    static void collect(const Node* node, std::vector<std::string>& texts) {
        if (!node) return;
        if (const auto* t = node->as<ui::TextContent>()) texts.push_back(t->text);
        for (const auto& child : node->children()) collect(&child, texts);
    }
    // The recorder button the shortcut row brings into the window.
    ShortcutRecorderButton* recorder() {
        hosted->renderNow();
        for (ui::View* view : hosted->hosting->descendants())
            if (auto* button = dynamic_cast<ShortcutRecorderButton*>(view)) return button;
        return nullptr;
    }
    static std::size_t position(const std::vector<std::string>& texts, const std::string& text) {
        for (std::size_t i = 0; i < texts.size(); ++i)
            if (texts[i] == text) return i;
        ADD_FAILURE() << "no text \"" << text << "\"";
        return texts.size();
    }
};

TEST_F(OverviewPageTest, OneSectionWithItsFiveRowsInOrder) {
    openOverview();
    const auto texts = formTexts();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.front(), "Workstation Overview");
    const std::vector<std::string> order{"Show workstation overview on hover", OverviewShortcutControl::kLabel,
                                         "App icon size", "Adjusts app icons in Workstation Overview on every monitor.",
                                         "Open Workstation Overview"};
    for (std::size_t i = 1; i < order.size(); ++i)
        EXPECT_LT(position(texts, order[i - 1]), position(texts, order[i])) << order[i];
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Workstation Overview"), 1);
}

TEST_F(OverviewPageTest, TheHoverSwitchWritesThePreferenceAndReportsEachChangeOnce) {
    openOverview();
    ASSERT_TRUE(settings->preferences->hoverPreviewEnabled);
    ASSERT_TRUE(toggleText("Show workstation overview on hover"));
    EXPECT_FALSE(settings->preferences->hoverPreviewEnabled);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_TRUE(changes[0].first.hoverPreviewEnabled);
    EXPECT_FALSE(changes[0].second.hoverPreviewEnabled);
    env.settle();
    ASSERT_TRUE(toggleText("Show workstation overview on hover"));
    EXPECT_TRUE(settings->preferences->hoverPreviewEnabled);
    EXPECT_EQ(changes.size(), 2u);
}

TEST_F(OverviewPageTest, TheIconSizeReadsInWholePointsAndMovesInStepsOfTwoWithinItsRange) {
    openOverview();
    const Node* size = labelled<ui::SliderContent>("Workstation Overview app icon size");
    ASSERT_TRUE(size);
    EXPECT_EQ(size->modifiers().accessibility().value, "16 points");
    EXPECT_TRUE(text("16 pt"));
    EXPECT_TRUE(host().slide(*size, 29.3));
    EXPECT_EQ(settings->preferences->overviewIconSize, 30);
    env.settle();
    EXPECT_TRUE(text("30 pt"));
    size = labelled<ui::SliderContent>("Workstation Overview app icon size");
    host().slide(*size, 90);
    EXPECT_EQ(settings->preferences->overviewIconSize, 40);
    env.settle();
    size = labelled<ui::SliderContent>("Workstation Overview app icon size");
    host().slide(*size, 1);
    EXPECT_EQ(settings->preferences->overviewIconSize, 12);
    // The Desktop Names page's size is another preference.
    EXPECT_EQ(settings->preferences->applicationIconSize, AppPreferences().applicationIconSize);
}

TEST_F(OverviewPageTest, TheShortcutRowWorksTheSharedShortcut) {
    openOverview();
    auto& shortcut = settings->overviewShortcut();
    const OverviewShortcutControl control(shortcut);
    ASSERT_TRUE(shortcut.shortcut.get());
    ASSERT_TRUE(recorder());
    EXPECT_EQ(recorder()->title, control.recorderTitle());
    ASSERT_TRUE(clickText(OverviewShortcutControl::kClear));
    EXPECT_FALSE(shortcut.shortcut.get());
    env.settle();
    EXPECT_EQ(recorder()->title, OverviewShortcutControl::kEmptyTitle);
    ASSERT_TRUE(clickText(OverviewShortcutControl::kUseDefault));
    EXPECT_EQ(shortcut.shortcut.get(), OverviewShortcut::defaultShortcut);
}

TEST_F(OverviewPageTest, OpenCallsTheApplicationsHookOnlyWhenOneIsSet) {
    openOverview();
    EXPECT_TRUE(clickText("Open Workstation Overview"));  // no hook: nothing happens
    int requests = 0;
    settings->overviewRequested = [&requests] { ++requests; };
    EXPECT_TRUE(clickText("Open Workstation Overview"));
    EXPECT_EQ(requests, 1);
    EXPECT_TRUE(changes.empty());
}

}  // namespace
}  // namespace tarnwick
