#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "applications/file_url.h"
#include "applications/localized_standard_compare.h"
#include "applications/running_application_record.h"
#include "applications/space_application_catalog.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

using Catalog = SpaceApplicationCatalog;
using Window = Catalog::Window;
using Application = Catalog::Application;

constexpr std::int32_t kOwnPID = 4242;

Window window(std::uint32_t id, std::int32_t pid, std::vector<std::uint64_t> spaces, Rect bounds = {0, 0, 400, 300},
              std::int64_t layer = 0) {
    return Window{id, pid, layer, bounds, std::move(spaces)};
}

Application app(std::int32_t pid, std::optional<std::string> bundleID, std::string name,
                std::optional<std::string> bundleURL = std::nullopt, bool regular = true) {
    return Application{pid, std::move(bundleID), std::move(name), std::move(bundleURL), regular};
}

// Two displays: "A" with desktops on spaces 1 and 2, "B" with spaces 3 and 4.
std::vector<DesktopMonitor> twoDisplays() {
    return {
        DesktopMonitor{"A", "Built-in", Rect(0, 0, 1512, 982), {{"D1", 1, "Desktop 1", true}, {"D2", 2, "Desktop 2", false}}},
        DesktopMonitor{"B", "Studio", Rect(1512, 0, 2560, 1440), {{"D3", 3, "Desktop 3", true}, {"D4", 4, "Desktop 4", false}}},
    };
}

std::vector<std::string> names(const std::vector<SpaceApplication>& apps) {
    std::vector<std::string> out;
    for (const auto& a : apps) out.push_back(a.name);
    return out;
}

TEST(SpaceApplicationCatalogTest, OnlyOrdinaryWindowsOfOtherProcessesAreEligible) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::nan("");
    EXPECT_TRUE(Catalog::isEligible(window(1, 10, {1}), kOwnPID));
    // A frame given with a negative size is standardized, not refused.
    EXPECT_TRUE(Catalog::isEligible(window(1, 10, {1}, Rect(500, 500, -200, -100)), kOwnPID));

    EXPECT_FALSE(Catalog::isEligible(window(1, kOwnPID, {1}), kOwnPID));
    EXPECT_FALSE(Catalog::isEligible(window(1, 10, {1}, Rect(0, 0, 400, 300), 3), kOwnPID));
    EXPECT_FALSE(Catalog::isEligible(window(1, 10, {1}, Rect(0, 0, 0, 300)), kOwnPID));
    EXPECT_FALSE(Catalog::isEligible(window(1, 10, {1}, Rect(0, 0, 400, 0)), kOwnPID));
    EXPECT_FALSE(Catalog::isEligible(window(1, 10, {1}, Rect(nan, 0, 400, 300)), kOwnPID));
    EXPECT_FALSE(Catalog::isEligible(window(1, 10, {1}, Rect(0, -inf, 400, 300)), kOwnPID));
    EXPECT_FALSE(Catalog::isEligible(window(1, 10, {1}, Rect(0, 0, inf, 300)), kOwnPID));
    EXPECT_FALSE(Catalog::isEligible(window(1, 10, {1}, Rect(0, 0, 400, nan)), kOwnPID));
}

TEST(SpaceApplicationCatalogTest, IdentityFallsBackFromBundleIdentifierToPathToPid) {
    EXPECT_EQ(Catalog::identity(app(7, "  com.example.Editor\n", "Editor", "file:///Applications/Editor.app/")),
              "com.example.Editor");
    // Blanks only (including Unicode spaces) fall back to the bundle path, decoded.
    EXPECT_EQ(Catalog::identity(app(7, " \t\u00A0\u3000", "Editor", "file:///Applications/My%20Editor.app/")),
              "/Applications/My Editor.app");
    EXPECT_EQ(Catalog::identity(app(7, std::nullopt, "Editor", "file://localhost/Applications/Editor.app")),
              "/Applications/Editor.app");
    EXPECT_EQ(Catalog::identity(app(731, "", "Tool")), "731");
    EXPECT_EQ(Catalog::identity(app(-5, std::nullopt, "Tool")), "-5");
}

TEST(SpaceApplicationCatalogTest, EveryDesktopIsPresentAndSharedSpacesReachNeither) {
    auto monitors = twoDisplays();
    monitors[1].desktops[1].spaceID = 2;  // D2 and D4 both claim space 2
    const std::vector<Application> apps = {app(10, "com.example.a", "Alpha"), app(11, "com.example.b", "Beta")};
    const std::vector<Window> windows = {window(100, 10, {2}), window(101, 11, {2, 1})};
    const auto grouped = Catalog::group(windows, apps, monitors, kOwnPID);

    ASSERT_EQ(grouped.size(), 4u);
    EXPECT_EQ(names(grouped.at("D1")), std::vector<std::string>{"Beta"});
    EXPECT_TRUE(grouped.at("D2").empty());
    EXPECT_TRUE(grouped.at("D3").empty());
    EXPECT_TRUE(grouped.at("D4").empty());

    // Without any app records, every desktop is still listed.
    const auto empty = Catalog::group(windows, {}, twoDisplays(), kOwnPID);
    EXPECT_EQ(empty.size(), 4u);
}

TEST(SpaceApplicationCatalogTest, AWindowOnTwoKnownDesktopsPutsItsAppOnBoth) {
    const auto grouped =
        Catalog::group({window(100, 10, {1, 3, 99})}, {app(10, "com.example.a", "Alpha")}, twoDisplays(), kOwnPID);
    EXPECT_EQ(names(grouped.at("D1")), std::vector<std::string>{"Alpha"});
    EXPECT_EQ(names(grouped.at("D3")), std::vector<std::string>{"Alpha"});
    EXPECT_TRUE(grouped.at("D2").empty());
}

TEST(SpaceApplicationCatalogTest, IneligibleWindowsAndNonRegularAppsContributeNothing) {
    const std::vector<Application> apps = {app(10, "com.example.a", "Alpha"),
                                           app(11, "com.example.menu", "Menu Extra", std::nullopt, false),
                                           app(kOwnPID, "local.tarnwick", "Tarnwick")};
    const std::vector<Window> windows = {window(100, 10, {1}, Rect(0, 0, 400, 300), 8),
                                         window(101, 10, {1}, Rect(0, 0, 0, 300)),
                                         window(102, 11, {1}),
                                         window(103, kOwnPID, {1}),
                                         window(104, 99, {1})};  // no record for pid 99
    const auto grouped = Catalog::group(windows, apps, twoDisplays(), kOwnPID);
    EXPECT_TRUE(grouped.at("D1").empty());
}

TEST(SpaceApplicationCatalogTest, OneEntryPerIdentityKeepingThePreferredRecord) {
    // Two windows of one process, and two processes of one bundle.
    auto grouped = Catalog::group({window(100, 10, {1}), window(101, 10, {1}), window(102, 11, {1})},
                                  {app(10, "com.example.a", "Alpha"), app(11, "com.example.a", "Alpha")},
                                  twoDisplays(), kOwnPID);
    ASSERT_EQ(grouped.at("D1").size(), 1u);
    EXPECT_EQ(grouped.at("D1")[0].id, "com.example.a");

    // The record with a bundle URL wins, whichever comes first.
    const auto withURL = app(11, "com.example.a", "Zed", "file:///Applications/A.app/");
    for (bool urlFirst : {false, true}) {
        std::vector<Window> windows = {window(100, 10, {1}), window(101, 11, {1})};
        if (urlFirst) std::swap(windows[0], windows[1]);
        grouped = Catalog::group(windows, {app(10, "com.example.a", "Alpha"), withURL}, twoDisplays(), kOwnPID);
        EXPECT_EQ(grouped.at("D1"), (std::vector<SpaceApplication>{{"com.example.a", "Zed", withURL.bundleURL}}));
    }

    // Both with URLs: the name that orders first wins (plain ordering: "B" before "a").
    grouped = Catalog::group({window(100, 10, {1}), window(101, 11, {1})},
                             {app(10, "com.example.a", "alpha", "file:///A1.app/"),
                              app(11, "com.example.a", "Beta", "file:///A2.app/")},
                             twoDisplays(), kOwnPID);
    EXPECT_EQ(grouped.at("D1")[0].name, "Beta");

    // Same names: the URL string that orders first wins.
    grouped = Catalog::group({window(100, 10, {1}), window(101, 11, {1})},
                             {app(10, "com.example.a", "A", "file:///B.app/"),
                              app(11, "com.example.a", "A", "file:///A.app/")},
                             twoDisplays(), kOwnPID);
    EXPECT_EQ(grouped.at("D1")[0].bundleURL, "file:///A.app/");

    // Two records of one pid: the first counts.
    grouped = Catalog::group({window(100, 10, {1})},
                             {app(10, "com.example.first", "First"), app(10, "com.example.second", "Second")},
                             twoDisplays(), kOwnPID);
    EXPECT_EQ(names(grouped.at("D1")), std::vector<std::string>{"First"});
}

TEST(SpaceApplicationCatalogTest, ListsSortByNameNumbersAsValuesCaseIgnoredThenByIdentity) {
    const std::vector<Application> apps = {app(1, "id.c", "App 10"), app(2, "id.b", "app 2"),
                                           app(3, "id.z", "Zoo"),    app(4, "id.y", "BETA"),
                                           app(5, "id.x", "beta"),   app(6, "id.a", "Émile")};
    std::vector<Window> windows;
    for (std::int32_t pid = 1; pid <= 6; ++pid) windows.push_back(window(100 + pid, pid, {3}));
    const auto grouped = Catalog::group(windows, apps, twoDisplays(), kOwnPID);
    std::vector<std::string> ids;
    for (const auto& a : grouped.at("D3")) ids.push_back(a.id);
    EXPECT_EQ(ids, (std::vector<std::string>{"id.b", "id.c", "id.x", "id.y", "id.a", "id.z"}));
}

TEST(SpaceApplicationCatalogTest, StandardCompareFoldsCaseAndReadsDigitRunsAsNumbers) {
    EXPECT_LT(localizedStandardCompare("Name 2", "Name 10"), 0);
    EXPECT_GT(localizedStandardCompare("Name 10", "name 9"), 0);
    EXPECT_EQ(localizedStandardCompare("ÀBC", "abc"), 0);
    EXPECT_LT(localizedStandardCompare("Ærø", "afar"), 0);
    EXPECT_EQ(localizedStandardCompare("File 007", "file 7"), 0);
    EXPECT_LT(localizedStandardCompare("abc", "abcd"), 0);
    EXPECT_LT(localizedStandardCompare("a1b", "a1c"), 0);
    EXPECT_LT(localizedStandardCompare("99999999999999999999999", "100000000000000000000000"), 0);
    EXPECT_EQ(localizedStandardCompare("", ""), 0);
}

// Names are read as the text system reads them: each ill-formed piece of UTF-8 is one U+FFFD,
// never the Latin-1 letter or the character that its bytes would spell if read leniently.
TEST(SpaceApplicationCatalogTest, StandardCompareReadsIllFormedPiecesAsOneReplacementCharacterEach) {
    const std::string replacement = "\xEF\xBF\xBD";
    // A stray lead byte is no "é", and an overlong form is no "/".
    EXPECT_GT(localizedStandardCompare("\xE9" "cole", "ecole"), 0);
    EXPECT_NE(localizedStandardCompare("\xC0\xAF", "/"), 0);
    // Pieces that differ only in their bytes compare as the same, each piece counting once.
    EXPECT_EQ(localizedStandardCompare("\xE9" "cole", "\xFF" "cole"), 0);
    EXPECT_EQ(localizedStandardCompare("a\xF0\x9F\x98" "b", "a" + replacement + "b"), 0);  // an emoji cut short
    EXPECT_EQ(localizedStandardCompare("\xC0\xAF", replacement + replacement), 0);           // two pieces
    EXPECT_EQ(localizedStandardCompare("\xED\xA0\x80", replacement + replacement + replacement), 0);
    EXPECT_LT(localizedStandardCompare("\xC0\xAF", replacement + replacement + "a"), 0);
    // U+FFFD sorts after the letters of the Basic Multilingual Plane and before what lies past it.
    EXPECT_LT(localizedStandardCompare("Zoo", "\xFF"), 0);
    EXPECT_LT(localizedStandardCompare("\xFF", "\U0001F600"), 0);
    // Digits after an ill-formed piece still compare by their value.
    EXPECT_LT(localizedStandardCompare("\xFF" "2", "\xFE" "10"), 0);
}

TEST(SpaceApplicationCatalogTest, FileURLPaths) {
    EXPECT_TRUE(file_url::isFileURL("FILE:///A.app"));
    EXPECT_FALSE(file_url::isFileURL("https://example.com/A.app"));
    EXPECT_EQ(file_url::path("file:///"), "/");
    EXPECT_EQ(file_url::path("file:///A%2"), "/A%2");
    EXPECT_EQ(file_url::path("file:///A%41.app/?x#y"), "/AA.app");
}

TEST(SpaceApplicationCatalogTest, AppRecordsOfRunningProcessesUseOneNameRule) {
    EXPECT_EQ(Catalog::displayName("Notes", "com.apple.Notes"), "Notes");
    EXPECT_EQ(Catalog::displayName(std::nullopt, "com.apple.Notes"), "com.apple.Notes");
    EXPECT_EQ(Catalog::displayName(std::nullopt, std::nullopt), "Application");

    testkit::TestEnvironment env;
    env.session.loadDefaultSession();
    auto record = runningApplicationRecord(304);
    ASSERT_TRUE(record);
    EXPECT_EQ(*record, app(304, "com.apple.Notes", "Notes", "file:///System/Applications/Notes.app/"));
    EXPECT_FALSE(runningApplicationRecord(121)->isRegular);  // the Dock is an accessory app
    EXPECT_FALSE(runningApplicationRecord(999));

    env.session.applications.push_back({400, "com.example.nameless", std::nullopt, std::nullopt});
    EXPECT_EQ(runningApplicationRecord(400)->name, "com.example.nameless");
    env.session.terminateApplication(304);
    EXPECT_FALSE(runningApplicationRecord(304));
}

}  // namespace
}  // namespace tarnwick
