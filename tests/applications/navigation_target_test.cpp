#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "applications/space_application_focus_selection.h"
#include "applications/space_navigation_target.h"
#include "navigation_test_support.h"

namespace tarnwick {
namespace {

using namespace navigation_testing;
using Window = SpaceApplicationCatalog::Window;
using Application = SpaceApplicationCatalog::Application;

std::vector<DesktopMonitor> twoDisplays(bool firstCurrent = false) {
    return {monitor("M1", {desktop("A", 10, firstCurrent), desktop("B", 11, !firstCurrent)}),
            monitor("M2", {desktop("C", 20, true)}, Rect(1512, 0, 1920, 1080))};
}

TEST(SpaceNavigationTargetTest, SelectsOnlyAUniqueAgreeingDesktop) {
    const auto catalog = twoDisplays();
    const SpaceNavigationTarget a{"A", "M1", 10};
    EXPECT_EQ(SpaceNavigationTarget::select("A", "M1", 10, catalog), a);
    EXPECT_TRUE(a.isValid(catalog));

    // Empty fields or space 0 never name a desktop.
    EXPECT_FALSE(SpaceNavigationTarget::select("", "M1", 10, catalog));
    EXPECT_FALSE(SpaceNavigationTarget::select("A", "", 10, catalog));
    EXPECT_FALSE((SpaceNavigationTarget{"A", "M1", 0}.isValid(catalog)));
    // A display or space id that does not match the desktop found by its UUID.
    EXPECT_FALSE((SpaceNavigationTarget{"A", "M2", 10}.isValid(catalog)));
    EXPECT_FALSE((SpaceNavigationTarget{"A", "M1", 11}.isValid(catalog)));
    EXPECT_FALSE((SpaceNavigationTarget{"Z", "M1", 10}.isValid(catalog)));
    // Identity compares case-sensitively.
    EXPECT_FALSE((SpaceNavigationTarget{"a", "M1", 10}.isValid(catalog)));
}

TEST(SpaceNavigationTargetTest, DuplicatesAnywhereInTheCatalogInvalidateTheTarget) {
    const SpaceNavigationTarget a{"A", "M1", 10};
    auto sameUUIDOnOtherDisplay = twoDisplays();
    sameUUIDOnOtherDisplay[1].desktops.push_back(desktop("A", 21));
    EXPECT_FALSE(a.isValid(sameUUIDOnOtherDisplay));

    auto sameUUIDOnSameDisplay = twoDisplays();
    sameUUIDOnSameDisplay[0].desktops.push_back(desktop("A", 12));
    EXPECT_FALSE(a.isValid(sameUUIDOnSameDisplay));

    auto sameDisplayID = twoDisplays();
    sameDisplayID[1].id = "M1";
    EXPECT_FALSE(a.isValid(sameDisplayID));

    auto sameSpaceID = twoDisplays();
    sameSpaceID[1].desktops[0].spaceID = 10;
    EXPECT_FALSE(a.isValid(sameSpaceID));
    // Desktops that are not duplicated stay usable.
    EXPECT_TRUE((SpaceNavigationTarget{"B", "M1", 11}.isValid(sameSpaceID)));
}

TEST(SpaceNavigationTargetTest, CurrentOnlyWhenValidAndCurrentOnItsDisplay) {
    const auto catalog = twoDisplays();
    EXPECT_TRUE((SpaceNavigationTarget{"A", "M1", 10}.isValid(catalog)));
    EXPECT_FALSE((SpaceNavigationTarget{"A", "M1", 10}.isCurrent(catalog)));
    EXPECT_TRUE((SpaceNavigationTarget{"B", "M1", 11}.isCurrent(catalog)));
    EXPECT_TRUE((SpaceNavigationTarget{"C", "M2", 20}.isCurrent(catalog)));
    EXPECT_FALSE((SpaceNavigationTarget{"C", "M2", 21}.isCurrent(catalog)));
}

// ---- focus candidates

Application app(std::int32_t pid, std::string bundleID = "com.example.editor", bool regular = true) {
    Application a;
    a.pid = pid;
    a.bundleID = std::move(bundleID);
    a.name = "Editor";
    a.isRegular = regular;
    return a;
}

Window window(std::uint32_t id, std::int32_t pid, std::vector<std::uint64_t> spaces, Rect bounds = Rect(0, 0, 400, 300),
              std::int64_t layer = 0) {
    return Window{id, pid, layer, bounds, std::move(spaces)};
}

std::vector<std::uint32_t> ids(const std::vector<SpaceApplicationFocusTarget>& targets) {
    std::vector<std::uint32_t> result;
    for (const auto& t : targets) result.push_back(t.windowID);
    return result;
}

constexpr std::int32_t kOwnPID = 4242;
const std::string kEditor = "com.example.editor";

std::vector<SpaceApplicationFocusTarget> candidates(const std::vector<Window>& windows,
                                                    const std::vector<Application>& apps,
                                                    const std::vector<DesktopMonitor>& catalog,
                                                    std::optional<std::uint32_t> preferred = std::nullopt,
                                                    const std::string& desktopID = "A",
                                                    const std::string& appID = kEditor) {
    return SpaceApplicationFocusSelection::candidates(appID, desktopID, windows, apps, catalog, kOwnPID, preferred);
}

TEST(SpaceApplicationFocusSelectionTest, BuildsTargetsOnTheRequestedDesktop) {
    const auto result = candidates({window(7, 100, {10}), window(8, 100, {11})}, {app(100)}, twoDisplays());
    ASSERT_EQ(result.size(), 1u);
    EXPECT_EQ(result[0], (SpaceApplicationFocusTarget{7, 100, 10, "A", "M1"}));
}

TEST(SpaceApplicationFocusSelectionTest, NothingQualifiesWithoutAUniqueDesktopOrAnApp) {
    const std::vector<Window> windows{window(7, 100, {10})};
    const std::vector<Application> apps{app(100)};
    EXPECT_TRUE(candidates(windows, apps, twoDisplays(), std::nullopt, "A", "").empty());
    EXPECT_TRUE(candidates(windows, apps, twoDisplays(), std::nullopt, "missing").empty());
    auto twice = twoDisplays();
    twice[1].desktops.push_back(desktop("A", 22));
    EXPECT_TRUE(candidates(windows, apps, twice).empty());
    auto sharedSpace = twoDisplays();
    sharedSpace[1].desktops[0].spaceID = 10;
    EXPECT_TRUE(candidates(windows, apps, sharedSpace).empty());
}

TEST(SpaceApplicationFocusSelectionTest, OnlyOrdinaryWindowsWithUsableFramesCount) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::nan("");
    const std::vector<Window> unusable{
        window(0, 100, {10}), window(1, 100, {10}, Rect(0, 0, 400, 300), 3), window(2, 100, {10}, Rect(0, 0, 0, 300)),
        window(3, 100, {10}, Rect(0, 0, 400, 0)), window(4, 100, {10}, Rect(inf, 0, 400, 300)),
        window(5, 100, {10}, Rect(0, nan, 400, 300)), window(6, 100, {10}, Rect(0, 0, inf, 300))};
    EXPECT_TRUE(candidates(unusable, {app(100)}, twoDisplays()).empty());
    // A negative size counts by its magnitude.
    EXPECT_EQ(ids(candidates({window(9, 100, {10}, Rect(400, 300, -400, -300))}, {app(100)}, twoDisplays())),
              std::vector<std::uint32_t>{9});
}

TEST(SpaceApplicationFocusSelectionTest, ProcessesWithDisagreeingRecordsAndTheOwnProcessContributeNothing) {
    const std::vector<Window> windows{window(7, 100, {10}), window(8, 200, {10}), window(9, kOwnPID, {10}),
                                      window(10, 300, {10})};
    const std::vector<Application> apps{app(100), app(100, kEditor, false),         // disagreeing records
                                        app(200, "com.example.other"),             // another identity
                                        app(kOwnPID), app(300, "  " + kEditor + "\n")};  // trimmed identity
    EXPECT_EQ(ids(candidates(windows, apps, twoDisplays())), std::vector<std::uint32_t>{10});
}

TEST(SpaceApplicationFocusSelectionTest, DuplicateRecordsOfAWindowYieldOneCandidateWithTheirSpacesMerged) {
    // Window 30 is listed twice; together its records put it on two known desktops.
    const std::vector<Window> windows{window(30, 100, {10}), window(30, 100, {20}), window(25, 100, {10})};
    const auto result = candidates(windows, {app(100)}, twoDisplays(false));
    EXPECT_EQ(ids(result), (std::vector<std::uint32_t>{25, 30}));
}

TEST(SpaceApplicationFocusSelectionTest, SingleDesktopWindowsLeadOnlyWhenTheDesktopIsNotCurrent) {
    const std::vector<Window> windows{window(40, 100, {10, 11}), window(30, 100, {10})};
    EXPECT_EQ(ids(candidates(windows, {app(100)}, twoDisplays(false))), (std::vector<std::uint32_t>{30, 40}));
    EXPECT_EQ(ids(candidates(windows, {app(100)}, twoDisplays(true))), (std::vector<std::uint32_t>{40, 30}));
    // Space ids the catalog does not know do not make a window multi-desktop.
    const std::vector<Window> unknownSpace{window(40, 100, {10, 99}), window(30, 100, {10, 11})};
    EXPECT_EQ(ids(candidates(unknownSpace, {app(100)}, twoDisplays(false))), (std::vector<std::uint32_t>{40, 30}));
}

TEST(SpaceApplicationFocusSelectionTest, ThePreferredWindowThenHigherIdsThenLowerPidsGoFirst) {
    const std::vector<Window> windows{window(12, 100, {10}), window(50, 100, {10})};
    EXPECT_EQ(ids(candidates(windows, {app(100)}, twoDisplays(), 12u)), (std::vector<std::uint32_t>{12, 50}));
    EXPECT_EQ(ids(candidates(windows, {app(100)}, twoDisplays())), (std::vector<std::uint32_t>{50, 12}));

    const auto samePair = candidates({window(60, 700, {10}), window(60, 600, {10})}, {app(700), app(600)}, twoDisplays());
    ASSERT_EQ(samePair.size(), 2u);
    EXPECT_EQ(samePair[0].ownerPID, 600);
    EXPECT_EQ(samePair[1].ownerPID, 700);
}

}  // namespace
}  // namespace tarnwick
