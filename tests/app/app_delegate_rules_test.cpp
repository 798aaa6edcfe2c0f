#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "app/app_delegate.h"

namespace tarnwick {
namespace {

DesktopMonitor monitor(std::string id, std::vector<std::string> desktops, int current = 0) {
    DesktopMonitor m;
    m.id = std::move(id);
    m.name = "Display";
    m.bounds = Rect(0, 0, 100, 100);
    for (std::size_t i = 0; i < desktops.size(); ++i) {
        ManagedDesktop d;
        d.id = desktops[i];
        d.spaceID = i + 1;
        d.nativeTitle = "Desktop " + std::to_string(i + 1);
        d.isCurrent = static_cast<int>(i) == current;
        m.desktops.push_back(d);
    }
    return m;
}

TEST(AppDelegateRules, NamesCountOnlyForDesktopsOfTheCatalogCurrentOrNot) {
    const std::vector<DesktopMonitor> catalog{monitor("A", {"D1", "D2"}), monitor("B", {"D3"})};
    EXPECT_TRUE(AppDelegate::namesAvailable({{"D2", "Mail"}}, catalog));  // not the current desktop
    EXPECT_TRUE(AppDelegate::namesAvailable({{"D3", ""}}, catalog));      // the text is not inspected
    EXPECT_FALSE(AppDelegate::namesAvailable({{"GONE", "Old"}}, catalog));
    EXPECT_FALSE(AppDelegate::namesAvailable({}, catalog));
    EXPECT_FALSE(AppDelegate::namesAvailable({{"D1", "Work"}}, {}));
}

TEST(AppDelegateRules, StatusLineTakesTheFirstRuleThatApplies) {
    const TarnwickFeatures none;
    const TarnwickFeatures banners{false, true, false};
    const TarnwickFeatures icons{false, false, true};
    AppPreferences everything;
    everything.labelsEnabled = everything.bannersEnabled = everything.missionControlApplicationsEnabled = true;

    AppPreferences paused = everything;
    paused.paused = true;
    EXPECT_EQ(AppDelegate::statusTitle(paused, false, true, banners, true), AppDelegate::kPaused);
    EXPECT_EQ(AppDelegate::statusTitle(everything, true, true, banners, true), AppDelegate::kPaused);

    EXPECT_EQ(AppDelegate::statusTitle(everything, false, false, banners, true), AppDelegate::kPermissionsNeeded);
    AppPreferences iconsOnly;
    iconsOnly.labelsEnabled = iconsOnly.bannersEnabled = false;
    iconsOnly.missionControlApplicationsEnabled = true;
    EXPECT_EQ(AppDelegate::statusTitle(iconsOnly, false, false, none, false), AppDelegate::kPermissionsNeeded);

    // Banners need no permission.
    AppPreferences bannersOnly;
    bannersOnly.labelsEnabled = false;
    EXPECT_EQ(AppDelegate::statusTitle(bannersOnly, false, false, banners, false), AppDelegate::kRunning);

    AppPreferences labelsOnly;
    labelsOnly.bannersEnabled = false;
    EXPECT_EQ(AppDelegate::statusTitle(labelsOnly, false, true, none, false), AppDelegate::kAddNames);
    EXPECT_EQ(AppDelegate::statusTitle(labelsOnly, false, true, none, true), AppDelegate::kRunning);
    EXPECT_EQ(AppDelegate::statusTitle(iconsOnly, false, true, icons, false), AppDelegate::kRunning);

    AppPreferences off;
    off.labelsEnabled = off.bannersEnabled = false;
    EXPECT_EQ(AppDelegate::statusTitle(off, false, false, none, true), AppDelegate::kOverlaysOff);
    AppPreferences missionControlBanner = off;
    missionControlBanner.missionControlBannerEnabled = true;
    EXPECT_EQ(AppDelegate::statusTitle(missionControlBanner, false, false, none, false), AppDelegate::kAddNames);
}

TEST(AppDelegateRules, LabelControllerPollsForLabelsIconsOrTheMissionControlBanner) {
    AppPreferences preferences;
    const TarnwickFeatures labels{true, false, false};
    const TarnwickFeatures icons{false, false, true};
    const TarnwickFeatures banners{false, true, false};
    EXPECT_TRUE(AppDelegate::labelControllerMustPoll(labels, preferences, 0));
    EXPECT_TRUE(AppDelegate::labelControllerMustPoll(icons, preferences, 0));
    // Desktop-switch banners alone do not need Mission Control watched.
    preferences.missionControlBannerEnabled = false;
    EXPECT_FALSE(AppDelegate::labelControllerMustPoll(banners, preferences, 2));
    preferences.missionControlBannerEnabled = true;
    EXPECT_TRUE(AppDelegate::labelControllerMustPoll(banners, preferences, 2));
    // Without display data there is nothing to show a banner on.
    EXPECT_FALSE(AppDelegate::labelControllerMustPoll(banners, preferences, 0));
    EXPECT_FALSE(AppDelegate::labelControllerMustPoll(TarnwickFeatures{}, preferences, 2));
}

Value session(Value onConsole, Value loginDone, Value user, std::optional<Value> locked = std::nullopt) {
    Dictionary entries{{"kCGSSessionOnConsoleKey", std::move(onConsole)},
                       {"kCGSessionLoginDoneKey", std::move(loginDone)},
                       {"kCGSSessionUserIDKey", std::move(user)}};
    if (locked) entries["CGSSessionScreenIsLocked"] = std::move(*locked);
    return Value(std::move(entries));
}

TEST(AppDelegateRules, SessionIsActiveOnlyOnTheConsoleLoggedInAsThisUser) {
    const TarnwickSessionState start;
    EXPECT_TRUE(AppDelegate::readSession(session(true, true, 501), 501, start).active);
    EXPECT_TRUE(AppDelegate::readSession(session(true, true, 501.0), 501, start).active);
    EXPECT_FALSE(AppDelegate::readSession(session(false, true, 501), 501, start).active);
    EXPECT_FALSE(AppDelegate::readSession(session(true, Value(1), 501), 501, start).active);  // not a Boolean
    EXPECT_FALSE(AppDelegate::readSession(session(true, true, 502), 501, start).active);
    EXPECT_FALSE(AppDelegate::readSession(session(true, true, "501"), 501, start).active);
    EXPECT_FALSE(AppDelegate::readSession(session(true, true, true), 1, start).active);
}

TEST(AppDelegateRules, UserIdOutsideThirtyTwoBitsIsNeverThisUser) {
    const TarnwickSessionState start;
    // Truncated to 32 bits each of these would read as user 501.
    EXPECT_FALSE(AppDelegate::readSession(session(true, true, Value(std::int64_t{501} + (std::int64_t{1} << 32))), 501,
                                          start)
                     .active);
    EXPECT_FALSE(AppDelegate::readSession(session(true, true, 501.5), 501, start).active);
    EXPECT_FALSE(AppDelegate::readSession(session(true, true, -4294966795.0), 501, start).active);
    EXPECT_FALSE(
        AppDelegate::readSession(session(true, true, std::numeric_limits<double>::quiet_NaN()), 0, start).active);
    EXPECT_FALSE(
        AppDelegate::readSession(session(true, true, std::numeric_limits<double>::infinity()), 0, start).active);
    EXPECT_FALSE(AppDelegate::readSession(session(true, true, Value(std::int64_t{-1})), 4294967295u, start).active);
}

TEST(AppDelegateRules, MissingOrMalformedDictionaryReadsInactiveAndKeepsTheRest) {
    TarnwickSessionState previous;
    previous.active = true;
    previous.locked = true;
    previous.sleeping = true;
    auto state = AppDelegate::readSession(std::nullopt, 501, previous);
    EXPECT_FALSE(state.active);
    EXPECT_TRUE(state.locked);
    EXPECT_TRUE(state.sleeping);
    state = AppDelegate::readSession(Value(Array{}), 501, previous);
    EXPECT_FALSE(state.active);

    // The lock changes only when the key holds a Boolean; sleeping never changes here.
    state = AppDelegate::readSession(session(true, true, 501, Value(false)), 501, previous);
    EXPECT_FALSE(state.locked);
    EXPECT_TRUE(state.sleeping);
    EXPECT_TRUE(AppDelegate::readSession(session(true, true, 501, Value(0)), 501, previous).locked);
}

}  // namespace
}  // namespace tarnwick
