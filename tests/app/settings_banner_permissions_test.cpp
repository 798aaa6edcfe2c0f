// The Banner page (readouts, the locale's duration, the stepper's range, the tint and its colour
// space, "Reset appearance", "Preview") and the Permissions page (rows, branches, System Settings).

#include <gtest/gtest.h>

#include "settings_view_fixture.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
using ui::ColorInSpace;

class BannerPageTest : public testkit::SettingsViewFixture {
protected:
    void openBanner() {
        settings->tab.set(SettingsTab::banner);
        open();
    }
    const Node* stepper() {
        return find(host().root(), [](const Node& n) { return n.as<ui::StepperContent>() != nullptr; });
    }
    const Node* well() { return find(host().root(), [](const Node& n) { return n.as<ui::ColorWellContent>() != nullptr; }); }
};

TEST_F(BannerPageTest, TheSizeReadsInWholePercentAndTheDurationInTheUsersLocale) {
    settings->update([](AppPreferences& p) { p.bannerScale = 0.75; });
    openBanner();
    const Node* size = labelled<ui::SliderContent>("Banner size");
    ASSERT_TRUE(size);
    EXPECT_EQ(size->modifiers().accessibility().value, "75 percent");
    EXPECT_TRUE(text("75%"));
    EXPECT_TRUE(host().slide(*size, 1.251));
    env.settle();
    EXPECT_TRUE(text("125%"));
    EXPECT_TRUE(host().slide(*labelled<ui::SliderContent>("Banner size"), 9));
    env.settle();
    EXPECT_TRUE(text("200%"));

    EXPECT_TRUE(text("Show for 2.0 seconds"));
    env.session.setLocale(platform::Locale::named("de_DE"));
    env.settle();
    EXPECT_TRUE(text("Show for 2,0 seconds"));

    // The stepper stays within half a second and six seconds.
    for (int i = 0; i < 20; ++i) host().increment(*stepper());
    EXPECT_EQ(settings->preferences->bannerDuration, 6.0);
    for (int i = 0; i < 20; ++i) host().decrement(*stepper());
    EXPECT_EQ(settings->preferences->bannerDuration, 0.5);
    env.settle();
    EXPECT_TRUE(text("Show for 0,5 seconds"));
}

TEST_F(BannerPageTest, TheColourWellIsDisabledWithoutTintKeepsItsColourAndStoresOnlyWhatConverts) {
    openBanner();
    ASSERT_TRUE(well());
    EXPECT_TRUE(well()->isDisabled());
    EXPECT_EQ(well()->as<ui::ColorWellContent>()->color(), ColorInSpace::sRGB(0.35, 0.55, 1.0));
    EXPECT_FALSE(well()->as<ui::ColorWellContent>()->options.supportsOpacity);
    EXPECT_FALSE(host().chooseColor(*well(), ColorInSpace::sRGB(1, 0, 0)));

    ASSERT_TRUE(toggleText("Tint glass"));
    env.settle();
    ASSERT_FALSE(well()->isDisabled());
    changes.clear();
    ASSERT_TRUE(host().chooseColor(*well(), ColorInSpace::displayP3(0.6, 0.5, 0.4)));
    const GlassTint stored = settings->preferences->tint;
    EXPECT_NEAR(stored.red, 0.6197, 1e-3);
    EXPECT_NEAR(stored.green, 0.4952, 1e-3);
    EXPECT_NEAR(stored.blue, 0.3854, 1e-3);
    env.settle();
    EXPECT_EQ(well()->as<ui::ColorWellContent>()->color(), ColorInSpace::sRGB(stored.red, stored.green, stored.blue));

    // A colour with no sRGB form is ignored: nothing is stored or announced.
    ASSERT_TRUE(host().chooseColor(*well(), ColorInSpace::pattern("Linen")));
    EXPECT_EQ(settings->preferences->tint, stored);
    EXPECT_EQ(changes.size(), 1u);

    // Tinting off again keeps the stored colour.
    ASSERT_TRUE(toggleText("Tint glass"));
    EXPECT_EQ(settings->preferences->tint, stored);
}

TEST_F(BannerPageTest, ResetAppearanceSetsExactlyTheSevenFieldsOfTheLookInOneChange) {
    settings->update([](AppPreferences& p) {
        p.bannerScale = 1.5;
        p.bannerDuration = 4;
        p.bannerShowsApplications = false;
        p.bannerPosition = BannerPosition::top;
        p.glassStyle = BannerGlassStyle::clear;
        p.tintEnabled = true;
        p.tint = GlassTint{1, 0, 0};
        p.bannersEnabled = false;
        p.missionControlBannerEnabled = true;
        p.missionControlApplicationsEnabled = true;
        p.applicationIconSize = 30;
        p.overviewIconSize = 20;
        p.missionControlIconSize = 36;
        p.labelsEnabled = false;
        p.hoverPreviewEnabled = false;
        p.missionControlBannerOnAllMonitors = true;
    });
    const AppPreferences before = settings->preferences.get();
    changes.clear();
    openBanner();
    ASSERT_TRUE(clickText("Reset appearance"));
    ASSERT_EQ(changes.size(), 1u);
    AppPreferences expected = before;
    expected.bannerScale = 1.0;
    expected.bannerDuration = 2.0;
    expected.bannerShowsApplications = true;
    expected.bannerPosition = BannerPosition::bottom;
    expected.glassStyle = BannerGlassStyle::regular;
    expected.tintEnabled = false;
    expected.tint = GlassTint{0.35, 0.55, 1.0};
    EXPECT_EQ(changes[0].second, expected);
}

TEST_F(BannerPageTest, PreviewIsDisabledWhilePausedOrWithNoBannerKindOn) {
    int previews = 0;
    settings->previewRequested = [&] { ++previews; };
    openBanner();
    ASSERT_TRUE(clickText("Preview"));
    EXPECT_EQ(previews, 1);

    settings->update([](AppPreferences& p) { p.paused = true; });
    env.settle();
    EXPECT_TRUE(buttonShowing("Preview")->isDisabled());
    EXPECT_FALSE(clickText("Preview"));
    settings->update([](AppPreferences& p) {
        p.paused = false;
        p.bannersEnabled = false;
        p.missionControlBannerEnabled = false;
    });
    env.settle();
    EXPECT_TRUE(buttonShowing("Preview")->isDisabled());
    settings->update([](AppPreferences& p) { p.missionControlBannerEnabled = true; });
    env.settle();
    EXPECT_FALSE(buttonShowing("Preview")->isDisabled());
    EXPECT_EQ(previews, 1);

    // The other controls of the page write their own field.
    ASSERT_TRUE(host().select(*control<ui::PickerContent>("Position"), BannerPosition::top));
    ASSERT_TRUE(host().select(*control<ui::PickerContent>("Style"), BannerGlassStyle::clear));
    ASSERT_TRUE(toggleText("Show app icons"));
    EXPECT_EQ(settings->preferences->bannerPosition, BannerPosition::top);
    EXPECT_EQ(settings->preferences->glassStyle, BannerGlassStyle::clear);
    EXPECT_FALSE(settings->preferences->bannerShowsApplications);
    EXPECT_EQ(control<ui::PickerContent>("Style")->as<ui::PickerContent>()->style, ui::PickerStyle::segmented);
}

class PermissionsPageTest : public testkit::SettingsViewFixture {
protected:
    void openPermissions() {
        settings->tab.set(SettingsTab::permissions);
        open();
    }
    std::string stateOf(const std::string& title) {
        const Node* row = text(title)->parent();
        return row->children().back().as<ui::LabelContent>()->title;
    }
};

TEST_F(PermissionsPageTest, MissingPermissionsGetTheirSettingsButtonAndTheGrantButtonFollowsTheRequest) {
    env.session.system().screenCaptureAllowed = false;
    settings->refreshSystemStatus(false);
    int requests = 0;
    settings->permissionSetupRequested = [&] { ++requests; };
    openPermissions();
    EXPECT_EQ(stateOf("Screen Recording"), "Needs approval");
    EXPECT_EQ(stateOf("Device Control and Data Access"), "Allowed");
    EXPECT_EQ(text("Allowed")->foregroundColor(), ui::Color::named("systemGreen"));
    EXPECT_TRUE(text("Open Screen Recording Settings\u2026"));
    EXPECT_FALSE(text("Open Device Control Settings\u2026"));
    EXPECT_FALSE(text(PermissionPresentation::kRestartHint));

    ASSERT_TRUE(clickText("Open Screen Recording Settings\u2026"));
    EXPECT_EQ(env.session.openedURLs.back(),
              "x-apple.systempreferences:com.apple.preference.security?Privacy_ScreenCapture");

    ASSERT_TRUE(clickText("Grant missing access\u2026"));
    EXPECT_EQ(requests, 1);
    settings->requestingPermissions.set(true);
    env.settle();
    EXPECT_TRUE(buttonShowing("Requesting access\u2026")->isDisabled());
    EXPECT_FALSE(clickText("Requesting access\u2026"));
    settings->requestingPermissions.set(false);
    settings->hasRequestedPermissions.set(true);
    env.settle();
    EXPECT_TRUE(text(PermissionPresentation::kRestartHint));

    // Granted in System Settings: "Check again" reads it and the page turns ready.
    env.session.system().screenCaptureAllowed = true;
    int statusChanges = 0;
    settings->systemStatusChanged = [&] { ++statusChanges; };
    ASSERT_TRUE(clickText("Check again"));
    EXPECT_EQ(statusChanges, 1);
    env.settle();
    EXPECT_TRUE(text("All required access is ready"));
    EXPECT_FALSE(text(PermissionPresentation::kRestartHint));
    EXPECT_FALSE(text("Grant missing access\u2026"));
}

TEST_F(PermissionsPageTest, WhenReadyTheNamesButtonCallsItsHookAndAPaneThatMakesNoURLIsIgnored) {
    openPermissions();
    ASSERT_TRUE(clickText("Name your desktops\u2026"));  // no hook yet: nothing happens
    int names = 0;
    settings->namesRequested = [&] { ++names; };
    ASSERT_TRUE(clickText("Name your desktops\u2026"));
    EXPECT_EQ(names, 1);
    EXPECT_TRUE(text("Assign a name, then open Mission Control to see it. You can also Option-double-click a custom "
                     "label to rename it."));

    EXPECT_EQ(TarnwickSettingsView::privacySettingsURL("Privacy_Accessibility"),
              std::optional<std::string>("x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility"));
    EXPECT_FALSE(TarnwickSettingsView::privacySettingsURL("Privacy Accessibility"));
    EXPECT_FALSE(TarnwickSettingsView::privacySettingsURL("Privacy%2"));
    EXPECT_TRUE(TarnwickSettingsView::privacySettingsURL("Privacy%20Pane"));
}

}  // namespace
}  // namespace tarnwick
