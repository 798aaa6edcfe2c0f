#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "banner/space_name_banner.h"
#include "testkit/printing.h"
#include "testkit/scripted_text_metrics.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
using testkit::TestEnvironment;

const Rect kVisible(0, 0, 1440, 875);

struct Event {
    std::string name;
    Dictionary fields;
};

std::vector<SpaceApplication> apps(int count) {
    std::vector<SpaceApplication> list;
    for (int i = 0; i < count; ++i) list.push_back({"app" + std::to_string(i), "App " + std::to_string(i), std::nullopt});
    return list;
}

class SpaceNameBannerTest : public ::testing::Test {
protected:
    SpaceNameBannerTest() {
        env.session.loadDefaultSession();
        metrics.widths["Work"] = 100.4;
        banner = std::make_unique<SpaceNameBanner>(&icons);
        banner->report = [this](const std::string& name, Dictionary fields) { events.push_back({name, std::move(fields)}); };
    }
    std::vector<std::string> eventNames() const {
        std::vector<std::string> names;
        for (const auto& e : events) names.push_back(e.name);
        return names;
    }
    ui::Panel& panel() { return banner->panel(); }

    TestEnvironment env;
    testkit::ScriptedTextMetrics metrics;
    testkit::TextMetricsScope metricsScope{env.session.platform(), metrics};
    ApplicationIconCache icons{[] { return 0.0; }, [](const std::string&) { return std::nullopt; }};
    std::unique_ptr<SpaceNameBanner> banner;
    std::vector<Event> events;
    AppPreferences preferences;
    ui::SystemFontMetrics& systemModel = ui::systemFontMetrics();
};

TEST_F(SpaceNameBannerTest, ThePanelIsANonActivatingClickThroughShadowlessFloatingPanel) {
    EXPECT_EQ(panel().title(), "Space Name");
    EXPECT_EQ(panel().styleMask(), 128u);
    EXPECT_EQ(panel().backing(), ui::BackingStore::buffered);
    EXPECT_FALSE(panel().isDeferred());
    EXPECT_EQ(panel().level(), 3);
    EXPECT_EQ(panel().collectionBehavior, 337u);
    EXPECT_TRUE(panel().ignoresMouseEvents());
    EXPECT_FALSE(panel().hidesOnDeactivate);
    EXPECT_EQ(panel().animationBehavior, 2);
    EXPECT_TRUE(panel().isExcludedFromWindowsMenu);
    EXPECT_FALSE(panel().isOpaque);
    EXPECT_EQ(panel().backgroundColor, ui::Color::clear());
    EXPECT_FALSE(panel().hasShadow);
    EXPECT_EQ(panel().frame(), Rect(0, 0, 120, 44));
    EXPECT_EQ(panel().contentView().get(), &banner->content());
    EXPECT_EQ(banner->content().containerShape(), FrostedLabelView::ContainerShape::banner);
    EXPECT_FALSE(banner->isVisible());
}

TEST_F(SpaceNameBannerTest, AShowingIsScheduledBeforeItIsPlacedThenFadesInStaysAndFadesOut) {
    banner->report = [this](const std::string& name, Dictionary fields) {
        // Reported before the panel is configured.
        if (events.empty()) {
            EXPECT_EQ(panel().frame(), Rect(0, 0, 120, 44));
        }
        events.push_back({name, std::move(fields)});
    };
    auto token = banner->show("Work", kVisible, preferences, false);
    ASSERT_EQ(token, 1);
    ASSERT_EQ(eventNames(), std::vector<std::string>{"banner-scheduled"});
    EXPECT_EQ(events[0].fields["duration"], Value(2.0));
    EXPECT_EQ(events[0].fields["token"], Value(1));
    EXPECT_EQ(metrics.lineWidthFonts.back(), ui::Font::system(17, ui::font_weight::kMedium));

    EXPECT_EQ(panel().frame(), Rect(649.5, 32, 141, 44));
    EXPECT_EQ(panel().level(), 3);
    EXPECT_TRUE(panel().lastFrameChange().display);
    EXPECT_FALSE(panel().lastFrameChange().animate);
    EXPECT_TRUE(banner->isVisible());
    EXPECT_EQ(banner->content().label().stringValue(), "Work");
    EXPECT_EQ(banner->content().label().font.size, 17);
    EXPECT_EQ(banner->content().frame(), Rect(0, 0, 141, 44));
    ASSERT_TRUE(panel().alphaAnimation());
    EXPECT_EQ(panel().alphaAnimation()->fromValue, 0);
    EXPECT_EQ(panel().alphaAnimation()->toValue, 1);
    EXPECT_EQ(panel().alphaAnimation()->duration, 0.15);

    env.advance(1.99);
    EXPECT_EQ(events.size(), 1u);
    env.advance(0.01);
    ASSERT_EQ(eventNames(), (std::vector<std::string>{"banner-scheduled", "banner-fade-started"}));
    EXPECT_EQ(events[1].fields["visibleSeconds"], Value(2.0));
    EXPECT_FALSE(banner->applicationLease());
    EXPECT_EQ(panel().alphaAnimation()->duration, 0.2);
    EXPECT_TRUE(banner->isVisible());  // still visible while it fades
    env.advance(0.2);
    EXPECT_FALSE(banner->isVisible());
    EXPECT_EQ(eventNames().back(), "banner-finished");
    EXPECT_FALSE(banner->shownAt());

    // Hiding a finished banner reports nothing but orders it out again.
    panel().orderFrontRegardless();
    banner->hide("explicit");
    EXPECT_EQ(events.size(), 3u);
    EXPECT_FALSE(banner->isVisible());
    EXPECT_EQ(panel().alphaValue(), 0);
}

TEST_F(SpaceNameBannerTest, ShowingAgainDuringTheFadeOutDoesNotFlashAndVoidsTheOldFade) {
    banner->show("Work", kVisible, preferences, false);
    env.advance(2.1);  // half way through the fade-out
    const double alpha = panel().alphaValue();
    EXPECT_GT(alpha, 0);
    EXPECT_LT(alpha, 1);
    auto token = banner->show("Mail", kVisible, preferences, true);
    EXPECT_EQ(token, 2);
    EXPECT_EQ(panel().level(), 1000);
    EXPECT_EQ(panel().alphaAnimation()->fromValue, alpha);  // not reset to 0
    EXPECT_EQ(panel().alphaAnimation()->duration, 0);
    env.advance(0.2);  // the old fade's end: its completion finds another showing
    EXPECT_TRUE(banner->isVisible());
    EXPECT_EQ(panel().alphaValue(), 1);
    EXPECT_NE(eventNames().back(), "banner-finished");
    env.advance(1.8);  // the new duration counts from the new show
    EXPECT_EQ(eventNames().back(), "banner-fade-started");
}

TEST_F(SpaceNameBannerTest, ReduceMotionMakesBothFadesInstant) {
    env.session.setReduceMotion(true);
    banner->show("Work", kVisible, preferences, false);
    EXPECT_EQ(panel().alphaAnimation()->duration, 0);
    env.advance(2.0);
    EXPECT_FALSE(banner->isVisible());  // ordered out exactly at the banner duration
    EXPECT_EQ(eventNames().back(), "banner-finished");
}

TEST_F(SpaceNameBannerTest, OutOfRangePreferencesAreNormalised) {
    // Durations outside 0.5...6 s are not only reported but kept as the normalised ones.
    preferences.bannerDuration = 0.1;
    banner->show("Work", kVisible, preferences, false);
    EXPECT_EQ(events[0].fields["duration"], Value(0.5));
    env.advance(0.49);
    EXPECT_EQ(eventNames().back(), "banner-scheduled");
    env.advance(0.01);
    EXPECT_EQ(eventNames().back(), "banner-fade-started");
    events.clear();

    preferences.bannerDuration = 10;
    preferences.bannerScale = 3;
    banner->show("Work", kVisible, preferences, false);
    EXPECT_EQ(events[0].fields["duration"], Value(6.0));
    EXPECT_EQ(banner->content().label().font.size, 34);
    env.advance(5.99);
    EXPECT_EQ(eventNames().back(), "banner-scheduled");
    env.advance(0.01);
    EXPECT_EQ(eventNames().back(), "banner-fade-started");
    preferences.bannerDuration = std::numeric_limits<double>::quiet_NaN();
    preferences.bannerScale = std::numeric_limits<double>::infinity();
    banner->show("Work", kVisible, preferences, false);
    EXPECT_EQ(events.back().fields["duration"], Value(2.0));
    EXPECT_EQ(banner->content().label().font.size, 17);
}

TEST_F(SpaceNameBannerTest, TintOnlyWhenEnabledAndAReusedPanelLosesItsRow) {
    preferences.tintEnabled = false;
    preferences.glassStyle = BannerGlassStyle::clear;
    auto token = banner->show("Work", kVisible, preferences, false);
    EXPECT_FALSE(banner->content().glass().tintColor);
    EXPECT_EQ(banner->content().glass().style, ui::GlassStyle::clear);
    banner->updateApplications(apps(3), *token);
    EXPECT_EQ(banner->content().applicationRow().applicationCount(), 3);
    preferences.tintEnabled = true;
    banner->show("Work", kVisible, preferences, false);
    EXPECT_EQ(banner->content().glass().tintColor, ui::Color::sRGB(0.35, 0.55, 1.0, 0.22));
    EXPECT_EQ(banner->content().applicationRow().applicationCount(), 0);
    EXPECT_EQ(panel().frame().height(), 44);
}

TEST_F(SpaceNameBannerTest, TheAppRowJoinsTheShowingItsLeaseAllows) {
    auto token = banner->show("Work", kVisible, preferences, false);
    env.advance(0.5);
    banner->updateApplications({}, *token);   // empty: ignored
    banner->updateApplications(apps(3), 99);  // another showing
    EXPECT_EQ(events.size(), 1u);
    banner->updateApplications(apps(3), *token);
    EXPECT_EQ(panel().frame(), Rect(649.5, 32, 141, 66));
    EXPECT_EQ(banner->content().applicationRow().applicationCount(), 3);
    ASSERT_EQ(eventNames().back(), "banner-apps-updated");
    EXPECT_EQ(events.back().fields["count"], Value(3));
    EXPECT_EQ(events.back().fields["token"], Value(*token));
    EXPECT_EQ(events.back().fields["secondsSinceShown"], Value(0.5));
    // Neither the lease nor the dismissal moved.
    EXPECT_EQ(banner->applicationLease()->deadline, 1002.0);
    env.advance(1.5);
    EXPECT_EQ(eventNames().back(), "banner-fade-started");
    banner->updateApplications(apps(2), *token);  // the lease ended with the fade
    EXPECT_EQ(banner->content().applicationRow().applicationCount(), 3);
}

TEST_F(SpaceNameBannerTest, NoAppRowWithoutALeaseOrRoom) {
    preferences.bannerShowsApplications = false;
    auto token = banner->show("Work", kVisible, preferences, false);
    EXPECT_FALSE(banner->applicationLease());
    banner->updateApplications(apps(3), *token);
    EXPECT_EQ(events.size(), 1u);

    preferences.bannerShowsApplications = true;
    token = banner->show("Work", Rect(0, 0, 1440, 40), preferences, false);
    EXPECT_EQ(panel().frame(), Rect(649.5, 8, 141, 24));
    banner->updateApplications(apps(3), *token);
    EXPECT_EQ(eventNames().back(), "banner-scheduled");

    token = banner->show("Work", kVisible, preferences, false);
    banner->hide();
    banner->updateApplications(apps(3), *token);
    EXPECT_EQ(eventNames().back(), "banner-hidden");
}

TEST_F(SpaceNameBannerTest, AFrameThatCannotBeComputedHidesExplicitly) {
    banner->show("Work", kVisible, preferences, false);
    env.advance(0.25);
    EXPECT_FALSE(banner->show("Work", Rect(0, 0, 0, 875), preferences, false));
    ASSERT_EQ(eventNames().back(), "banner-hidden");
    EXPECT_EQ(events.back().fields["reason"], Value("explicit"));
    EXPECT_EQ(events.back().fields["visibleSeconds"], Value(0.25));
    EXPECT_FALSE(banner->isVisible());
    EXPECT_EQ(panel().alphaValue(), 0);
    // Non-finite frames and text widths are refused too, without a report once hidden.
    EXPECT_FALSE(banner->show("Work", Rect(0, 0, std::numeric_limits<double>::quiet_NaN(), 875), preferences, false));
    metrics.widths["Odd"] = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(banner->show("Odd", kVisible, preferences, false));
    EXPECT_EQ(events.size(), 2u);
}

TEST_F(SpaceNameBannerTest, HideReportsThenVoidsEveryDelayedStep) {
    auto token = banner->show("Work", kVisible, preferences, false);
    env.advance(1);
    banner->hide("switch-replaced");
    EXPECT_EQ(banner->generation(), *token + 1);
    ASSERT_EQ(eventNames().back(), "banner-hidden");
    EXPECT_EQ(events.back().fields["reason"], Value("switch-replaced"));
    EXPECT_EQ(events.back().fields["visibleSeconds"], Value(1.0));
    env.advance(5);
    EXPECT_EQ(events.size(), 2u);  // the dismissal of the old showing did nothing
    EXPECT_FALSE(banner->isVisible());
}

TEST_F(SpaceNameBannerTest, AVeryLongOrMultiLineNameStaysOneTruncatedLine) {
    testkit::TextMetricsScope model{env.session.platform(), systemModel};
    std::string name;
    for (int i = 0; i < 10000; ++i) name += i % 3 ? "a" : "é";
    banner->show(name, kVisible, preferences, false);
    EXPECT_EQ(panel().frame().width(), 360);
    EXPECT_EQ(banner->content().label().maximumNumberOfLines, 1);
    EXPECT_EQ(banner->content().label().lineBreakMode, ui::LineBreakMode::truncatingTail);
    preferences.bannerScale = 1.5;
    banner->show(name, Rect(0, 0, 300, 875), preferences, false);
    EXPECT_EQ(panel().frame().width(), 300 - 2 * 24);

    // A line break inside a name: still one line of text in a one-line banner.
    banner->show("Work\nPlay", kVisible, AppPreferences{}, false);
    EXPECT_EQ(panel().frame().height(), 44);
    EXPECT_TRUE(banner->content().label().usesSingleLineMode);
    EXPECT_EQ(banner->content().label().fittingSize().height, systemModel.defaultLineHeight(banner->content().label().font));
}

}  // namespace
}  // namespace tarnwick
