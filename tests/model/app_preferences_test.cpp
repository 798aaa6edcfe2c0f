#include <cmath>
#include <fstream>
#include <limits>

#include <gtest/gtest.h>

#include "model/app_preferences_store.h"
#include "model/banner_preferences.h"
#include "platform/sim/memory_user_defaults.h"
#include "testkit/temp_folder.h"

namespace tarnwick {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

AppPreferences readWith(const char* key, Value stored) {
    sim::MemoryUserDefaults defaults;
    defaults.replaceAll({{key, std::move(stored)}});
    return AppPreferencesStore(defaults).value();
}

TEST(AppPreferencesStoreTest, EmptyDomainReadsAsDefaultsAndSavesEveryKeyInItsStoredForm) {
    sim::MemoryUserDefaults defaults;
    AppPreferencesStore store(defaults);
    EXPECT_EQ(store.value(), AppPreferences{});

    store.save(AppPreferences{});
    const Dictionary expected{
        {"labelsEnabled", true}, {"missionControlApplicationsEnabled", false}, {"bannersEnabled", true},
        {"missionControlBannerEnabled", false}, {"missionControlBannerOnAllMonitors", false},
        {"overlaysPaused", false}, {"hoverPreviewEnabled", true}, {"applicationIconSize", 16.0},
        {"overviewIconSize", 16.0}, {"missionControlIconSize", 16.0},
        {"missionControlApplicationPosition", "center"}, {"spaceBannerScale", 1.0}, {"bannerDuration", 2.0},
        {"bannerShowsApplications", true}, {"bannerPosition", "bottom"}, {"bannerGlassStyle", "regular"},
        {"bannerTintEnabled", false}, {"bannerTintRGB", Array{0.35, 0.55, 1.0}}};
    EXPECT_EQ(defaults.snapshot(), expected);  // strict: booleans stay booleans, sizes floating
}

TEST(AppPreferencesStoreTest, HostileStoredNumbersGiveDefaultsOrClampedValues) {
    struct Case { const char* key; Value stored; double AppPreferences::*field; double expected; };
    const Case cases[] = {
        {"applicationIconSize", 8, &AppPreferences::applicationIconSize, 12},
        {"applicationIconSize", 100, &AppPreferences::applicationIconSize, 40},
        {"applicationIconSize", "20", &AppPreferences::applicationIconSize, 16},
        {"overviewIconSize", kNaN, &AppPreferences::overviewIconSize, 16},
        {"missionControlIconSize", -kInf, &AppPreferences::missionControlIconSize, 16},
        {"missionControlIconSize", true, &AppPreferences::missionControlIconSize, 12},  // a bool reads as 1
        {"missionControlIconSize", Array{20}, &AppPreferences::missionControlIconSize, 16},
        {"bannerDuration", 0.1, &AppPreferences::bannerDuration, 0.5},
        {"bannerDuration", 10, &AppPreferences::bannerDuration, 6.0},
        {"bannerDuration", kInf, &AppPreferences::bannerDuration, 2.0},
        {"spaceBannerScale", 3, &AppPreferences::bannerScale, 2.0},
        {"spaceBannerScale", 0.5, &AppPreferences::bannerScale, 0.75},
        {"spaceBannerScale", "1.5", &AppPreferences::bannerScale, 1.0},
        {"spaceBannerScale", kNaN, &AppPreferences::bannerScale, 1.0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readWith(c.key, c.stored).*c.field, c.expected) << c.key << " = " << describe(c.stored);
}

TEST(AppPreferencesStoreTest, HostileStoredFlagsAndChoicesGiveDefaults) {
    EXPECT_FALSE(readWith("labelsEnabled", 0).labelsEnabled);
    EXPECT_TRUE(readWith("labelsEnabled", 2).labelsEnabled);         // only 0 and 1 convert
    EXPECT_TRUE(readWith("labelsEnabled", "false").labelsEnabled);   // strings never convert
    EXPECT_TRUE(readWith("overlaysPaused", 1.0).paused);
    EXPECT_FALSE(readWith("bannerTintEnabled", Dictionary{}).tintEnabled);

    EXPECT_EQ(readWith("bannerPosition", "top").bannerPosition, BannerPosition::top);
    for (Value bad : {Value("TOP"), Value("left"), Value(1)})
        EXPECT_EQ(readWith("bannerPosition", bad).bannerPosition, BannerPosition::bottom);
    EXPECT_EQ(readWith("missionControlApplicationPosition", "").missionControlApplicationPosition,
              MissionControlApplicationPosition::center);
    EXPECT_EQ(readWith("missionControlApplicationPosition", "bottom").missionControlApplicationPosition,
              MissionControlApplicationPosition::bottom);
    EXPECT_EQ(readWith("bannerGlassStyle", "clear").glassStyle, BannerGlassStyle::clear);
    EXPECT_EQ(readWith("bannerGlassStyle", Array{"clear"}).glassStyle, BannerGlassStyle::regular);
}

TEST(AppPreferencesStoreTest, TintNeedsExactlyThreeComponentsWithinRange) {
    EXPECT_EQ(readWith("bannerTintRGB", Array{0, 0, 0}).tint, (GlassTint{0, 0, 0}));
    EXPECT_EQ(readWith("bannerTintRGB", Array{1, 0.5, true}).tint, (GlassTint{1, 0.5, 1}));
    const Value bad[] = {Array{0.1, 0.2}, Array{0.1, 0.2, 0.3, 0.4}, Array{0.1, "0.2", 0.3}, Array{1.5, 0, 0},
                         Array{0, -0.1, 0}, Array{0, 0, kNaN}, Array{}, Value("0 0 0"), Value(0.5)};
    for (const auto& stored : bad) {
        auto read = readWith("bannerTintRGB", stored);
        EXPECT_EQ(read.tint, GlassTint::defaultColor) << describe(stored);
    }
    sim::MemoryUserDefaults defaults;
    defaults.replaceAll({{"bannerTintEnabled", true}, {"bannerTintRGB", Array{2, 2, 2}}});
    EXPECT_TRUE(AppPreferencesStore(defaults).value().tintEnabled);  // the switch survives a bad colour
}

TEST(AppPreferencesTest, NormalizedReplacesWhatTheViewsCannotUse) {
    AppPreferences p;
    p.bannerDuration = kNaN;
    p.bannerScale = 0.1;
    p.overviewIconSize = 41;
    p.tintEnabled = true;
    p.tint = {0.2, kInf, 0.2};
    auto n = p.normalized();
    EXPECT_EQ(n.bannerDuration, 2.0);
    EXPECT_EQ(n.bannerScale, 0.75);
    EXPECT_EQ(n.overviewIconSize, 40);
    EXPECT_EQ(n.tint, GlassTint::defaultColor);
    EXPECT_TRUE(n.tintEnabled);
    EXPECT_EQ(ApplicationIconSize::clamped(kNaN), 16);
    EXPECT_EQ(BannerSize::clamped(1.5), 1.5);
}

TEST(AppPreferencesStoreTest, SavingWritesOnlyKeysThatChanged) {
    sim::MemoryUserDefaults defaults;
    defaults.replaceAll({{"applicationIconSize", 16}, {"labelsEnabled", 1}, {"displayAliases", Dictionary{}}});
    AppPreferencesStore store(defaults);

    AppPreferences base;
    store.save(base, base);
    EXPECT_EQ(defaults.totalWrites(), 0);

    // Without a snapshot, keys whose stored object is already equal (16 == 16.0, 1 == true) stay.
    store.save(base);
    EXPECT_EQ(defaults.writeCount("applicationIconSize"), 0);
    EXPECT_EQ(defaults.writeCount("labelsEnabled"), 0);
    EXPECT_EQ(defaults.totalWrites(), 16);
    EXPECT_TRUE(defaults.object("displayAliases"));

    AppPreferences changed = base;
    changed.bannerPosition = BannerPosition::top;
    changed.bannerScale = 7;
    store.save(changed, base);
    EXPECT_EQ(defaults.totalWrites(), 18);
    EXPECT_EQ(defaults.object("bannerPosition"), Value("top"));
    EXPECT_EQ(defaults.object("spaceBannerScale"), Value(2.0));
    EXPECT_EQ(store.value(), changed.normalized());
}

TEST(AppPreferencesStoreTest, BadStoredValueIsCorrectedOnlyWhenItsKeyIsWritten) {
    sim::MemoryUserDefaults defaults;
    defaults.replaceAll({{"bannerDuration", kNaN}});
    AppPreferencesStore store(defaults);
    AppPreferences current = store.value();
    store.save(current, current);
    EXPECT_EQ(defaults.writeCount("bannerDuration"), 0);  // the snapshot says nothing changed
    store.save(current);
    EXPECT_EQ(defaults.object("bannerDuration"), Value(2.0));
}

// The warning names the file and its reason, and says the changes last only for this run.
TEST(AppPreferencesStoreTest, AnUnreadableDomainIsToldWithItsFileAndReason) {
    testkit::TempFolder home;
    const auto file = home / "local.orlenbay.Tarnwick.json";
    std::ofstream(file) << "[]";
    sim::MemoryUserDefaults unreadable(file);
    EXPECT_EQ(AppPreferencesStore(unreadable).unreadableWarning(),
              "The preferences file \u201C" + file.string() +
                  "\u201D could not be read: it holds a JSON array, not an object of settings. Changes to the "
                  "settings are kept only until Tarnwick quits, and the file is left as it is.");
    std::ofstream(file) << "{}";
    sim::MemoryUserDefaults readable(file);
    EXPECT_FALSE(AppPreferencesStore(readable).unreadableWarning());
}

TEST(BannerPreferencesTest, StoresTheClampedScale) {
    sim::MemoryUserDefaults defaults;
    BannerPreferences banner(defaults);
    EXPECT_EQ(banner.scale(), 1.0);
    banner.setScale(5);
    EXPECT_EQ(defaults.object("spaceBannerScale"), Value(2.0));
    banner.setScale(kNaN);
    EXPECT_EQ(banner.scale(), 1.0);
}

TEST(AppPreferencesTest, FeatureSelection) {
    AppPreferences p;
    p.missionControlApplicationsEnabled = true;
    p.paused = true;
    EXPECT_EQ(p.features(true, true, false, false), TarnwickFeatures::none);
    p.paused = false;
    EXPECT_EQ(p.features(true, true, true, false), TarnwickFeatures::none);
    EXPECT_EQ(p.features(true, true, false, false), (TarnwickFeatures{true, true, true}));
    EXPECT_EQ(p.features(false, true, false, true), (TarnwickFeatures{false, true, false}));
    EXPECT_EQ(p.features(true, false, false, false), (TarnwickFeatures{false, true, true}));
    EXPECT_EQ(p.features(true, false, false, true), (TarnwickFeatures{true, true, true}));

    p.bannersEnabled = false;
    EXPECT_FALSE(p.features(true, true, false, false).banners);
    p.missionControlBannerEnabled = true;
    EXPECT_TRUE(p.showsBanners());
    EXPECT_TRUE(p.features(false, false, false, false).banners);
}

TEST(TarnwickSessionStateTest, SuspendedUnlessActiveAwakeAndUnlocked) {
    for (int bits = 0; bits < 8; ++bits) {
        TarnwickSessionState state{(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0};
        EXPECT_EQ(state.suspended(), bits != 1) << bits;
    }
}

TEST(PreferenceEnumsTest, RawValuesRoundTripInDeclarationOrder) {
    constexpr auto positions = allCases<MissionControlApplicationPosition>();
    ASSERT_EQ(positions.size(), 3u);
    EXPECT_EQ(rawValue(positions[0]), "top");
    EXPECT_EQ(rawValue(positions[2]), "bottom");
    for (auto style : allCases<BannerGlassStyle>()) EXPECT_EQ(fromRawValue<BannerGlassStyle>(rawValue(style)), style);
    EXPECT_FALSE(fromRawValue<BannerPosition>("Bottom"));
}

}  // namespace
}  // namespace tarnwick
