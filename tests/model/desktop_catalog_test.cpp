#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "model/desktop_catalog.h"
#include "model/private_spaces.h"
#include "support/text.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

constexpr const char* kDisplayA = "AAAAAAAA-0000-4000-8000-00000000000A";
constexpr const char* kDisplayB = "BBBBBBBB-0000-4000-8000-00000000000B";

std::string desktopUUID(int n) {
    char text[40];
    std::snprintf(text, sizeof text, "D0000000-0000-4000-8000-%012d", n);
    return text;
}

Value space(Value id64, Value uuid, Value type = 0) {
    Dictionary d;
    d["id64"] = std::move(id64);
    d["uuid"] = std::move(uuid);
    d["type"] = std::move(type);
    return Value(std::move(d));
}

// An ordinary desktop whose uuid follows from its space id.
Value desktop(std::uint64_t id64) { return space(Value(id64), desktopUUID(static_cast<int>(id64))); }

Value display(std::string identifier, Array spaces, std::optional<Value> current = std::nullopt) {
    Dictionary d;
    d["Display Identifier"] = std::move(identifier);
    d["Spaces"] = Value(std::move(spaces));
    if (current) {
        Dictionary c;
        c["id64"] = *current;
        d["Current Space"] = Value(std::move(c));
    }
    return Value(std::move(d));
}

const std::vector<MonitorDescriptor> kScreens = {{kDisplayA, "Built-in", Rect(0, 0, 1512, 982)},
                                                 {kDisplayB, "Studio", Rect(1512, -200, 2560, 1440)}};

// The message parse throws, or "" when it succeeds.
std::string parseError(const Array& raw, const std::vector<MonitorDescriptor>& monitors = kScreens) {
    try {
        DesktopCatalog::parse(raw, monitors);
    } catch (const DesktopCatalog::Unavailable& error) {
        return error.what();
    }
    return "";
}

std::vector<std::string> titles(const DesktopMonitor& monitor) {
    std::vector<std::string> result;
    for (const auto& d : monitor.desktops) result.push_back(d.nativeTitle);
    return result;
}

TEST(DesktopCatalogParseTest, BuildsDesktopsWithIdentitiesTitlesAndCurrent) {
    Array spaces = {space(1, ""), space(4, "6f1c2b9e-0d4a-4c8e-9b3f-2a7d5e1c8b40"),
                    space(9, desktopUUID(9), 4),  // a full-screen app: no entry, no number
                    desktop(5)};
    auto catalog = DesktopCatalog::parse({display("aaaaaaaa-0000-4000-8000-00000000000a", spaces, Value(4))},
                                         kScreens);
    ASSERT_EQ(catalog.size(), 1u);
    EXPECT_EQ(catalog[0].id, kDisplayA);
    EXPECT_EQ(catalog[0].name, "Built-in");
    EXPECT_EQ(catalog[0].bounds, Rect(0, 0, 1512, 982));
    std::vector<ManagedDesktop> expected = {
        {"00000000-0000-0000-0000-000000000001", 1, "Desktop 1", false},
        {"6F1C2B9E-0D4A-4C8E-9B3F-2A7D5E1C8B40", 4, "Desktop 2", true},
        {desktopUUID(5), 5, "Desktop 3", false}};
    EXPECT_EQ(catalog[0].desktops, expected);
}

TEST(DesktopCatalogParseTest, NumbersFollowTheWindowServerAndTheResultFollowsTheScreens) {
    MonitorDescriptor c{"CCCCCCCC-0000-4000-8000-00000000000C", "Projector", Rect(0, 982, 800, 600)};
    MonitorDescriptor unmatched{"EEEEEEEE-0000-4000-8000-00000000000E", "Dark", Rect(0, 0, 10, 10)};
    Array raw = {display(kDisplayA, {desktop(1), desktop(2)}), display(kDisplayB, {desktop(3), desktop(4), desktop(5)}),
                 display(c.id, {space(6, desktopUUID(6), 4)})};
    auto catalog = DesktopCatalog::parse(raw, {kScreens[1], unmatched, c, kScreens[0]});
    ASSERT_EQ(catalog.size(), 3u);  // the screen without desktop data is left out
    EXPECT_EQ(catalog[0].id, kDisplayB);
    EXPECT_EQ(titles(catalog[0]), (std::vector<std::string>{"Desktop 3", "Desktop 4", "Desktop 5"}));
    EXPECT_EQ(catalog[1].id, c.id);
    EXPECT_TRUE(catalog[1].desktops.empty());
    EXPECT_EQ(catalog[2].id, kDisplayA);
    EXPECT_EQ(titles(catalog[2]), (std::vector<std::string>{"Desktop 1", "Desktop 2"}));
}

TEST(DesktopCatalogParseTest, DisplaysMatchTheirScreensIgnoringCaseInAnyScript) {
    // A final capital sigma lower-cases otherwise than a small one in the middle of a word, yet
    // the two identifiers differ only in case.
    const std::vector<MonitorDescriptor> screens = {{"\u039f\u03a3-Stra\u00dfe", "Greek", Rect(0, 0, 800, 600)}};
    auto catalog = DesktopCatalog::parse({display("\u03bf\u03c3-STRASSE", {desktop(1)})}, screens);
    ASSERT_EQ(catalog.size(), 1u);
    EXPECT_EQ(catalog[0].name, "Greek");
}

TEST(DesktopCatalogParseTest, EmptyDataIsNotAvailable) {
    EXPECT_EQ(parseError({}), DesktopCatalog::kNotAvailable);
}

TEST(DesktopCatalogParseTest, DisplaysThatCannotBeMatchedToOneScreen) {
    Dictionary noIdentifier;
    noIdentifier["Spaces"] = Value(Array{desktop(1)});
    Dictionary numericIdentifier = noIdentifier;
    numericIdentifier["Display Identifier"] = 7;
    Value spacesNotDictionaries = display(kDisplayA, {desktop(1)});
    spacesNotDictionaries["Spaces"] = Value(Array{desktop(1), Value(3)});
    Value spacesMissing = display(kDisplayA, {});
    spacesMissing.asDictionary()->erase("Spaces");

    const std::vector<Array> cases = {
        {display("CCCCCCCC-0000-4000-8000-00000000000C", {desktop(1)})},
        // Two raw displays on one screen, the second in lower case.
        {display(kDisplayA, {desktop(1)}), display("aaaaaaaa-0000-4000-8000-00000000000a", {desktop(2)})},
        {Value(noIdentifier)},
        {Value(numericIdentifier)},
        {Value(Dictionary{})},
        {Value("not a display")},
        {spacesNotDictionaries},
        {spacesMissing},
    };
    for (size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(parseError(cases[i]), DesktopCatalog::kMonitorUnmatched) << i;
    EXPECT_EQ(parseError({display(kDisplayA, {desktop(1)})}, {}), DesktopCatalog::kMonitorUnmatched);
}

TEST(DesktopCatalogParseTest, TypesThatAreNotWholeNumbersMeanTheDataChanged) {
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<Value> badTypes = {true, 0.5, std::nan(""), inf, 1e300, "0", Value()};
    for (const auto& type : badTypes)
        EXPECT_EQ(parseError({display(kDisplayA, {desktop(1), space(2, desktopUUID(2), type)})}),
                  DesktopCatalog::kInformationChanged)
            << describe(type);
    EXPECT_EQ(parseError({display(kDisplayA, {Value(Dictionary{})})}), DesktopCatalog::kInformationChanged);
    // A type written as a whole floating number is an ordinary desktop.
    EXPECT_EQ(parseError({display(kDisplayA, {space(1, "", 0.0)})}), "");
    // Any other whole number, negative ones included, is a kind of space that is not a desktop.
    auto catalog = DesktopCatalog::parse({display(kDisplayA, {desktop(1), space(2, desktopUUID(2), -1),
                                                              space(3, desktopUUID(3), -2.0), desktop(4)})},
                                         kScreens);
    ASSERT_EQ(catalog[0].desktops.size(), 2u);
    EXPECT_EQ(catalog[0].desktops[1].nativeTitle, "Desktop 2");
}

TEST(DesktopCatalogParseTest, IdentitiesThatCannotBeVerified) {
    auto withSpace = [](Value s) { return Array{display(kDisplayA, {desktop(1), std::move(s)})}; };
    const std::vector<Array> cases = {
        withSpace(space(2, "")),                                       // only space 1 may lack a uuid
        withSpace(space(2, "00000000-0000-0000-0000-000000000001")),   // reserved for space 1
        withSpace(space(2, text::lowercased(desktopUUID(1)))),               // lower-case duplicate
        withSpace(space(2, "not-a-uuid")),
        withSpace(space(2, Value(12))),
        withSpace(space(0, desktopUUID(20))),
        withSpace(space(true, desktopUUID(21))),
        withSpace(space(-2, desktopUUID(22))),
        withSpace(space(2.5, desktopUUID(23))),
        withSpace(space(std::nan(""), desktopUUID(24))),
        withSpace(space(1.8446744073709552e19, desktopUUID(25))),  // 2^64: beyond the range
        withSpace(space("2", desktopUUID(26))),
        // A space id repeated on another display.
        {display(kDisplayA, {desktop(1)}), display(kDisplayB, {space(1, desktopUUID(27))})},
    };
    for (size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(parseError(cases[i]), DesktopCatalog::kIdentitiesUnverified) << i;
}

TEST(DesktopCatalogParseTest, SpaceIDsAreReadExactlyAndAnUnreadableCurrentSpaceIsNone) {
    const std::uint64_t largest = std::numeric_limits<std::uint64_t>::max();
    auto catalog = DesktopCatalog::parse(
        {display(kDisplayA, {space(Value(largest), desktopUUID(1)), space(7.0, desktopUUID(2))}, Value(largest))},
        kScreens);
    EXPECT_EQ(catalog[0].desktops[0].spaceID, largest);
    EXPECT_TRUE(catalog[0].desktops[0].isCurrent);
    EXPECT_EQ(catalog[0].desktops[1].spaceID, 7u);

    for (const Value& current : {Value(-1), Value(1.5), Value(std::nan("")), Value(true), Value("1"),
                                 Value(1.8446744073709552e19)}) {
        auto parsed = DesktopCatalog::parse({display(kDisplayA, {desktop(1)}, current)}, kScreens);
        EXPECT_FALSE(parsed[0].desktops[0].isCurrent) << describe(current);
    }
    Value currentNotDictionary = display(kDisplayA, {desktop(1)});
    currentNotDictionary["Current Space"] = 1;
    EXPECT_FALSE(DesktopCatalog::parse({currentNotDictionary}, kScreens)[0].desktops[0].isCurrent);
}

TEST(DesktopCatalogParseTest, ReadsTheDefaultSessionThroughThePrivateSnapshot) {
    testkit::TestEnvironment env;
    env.session.loadDefaultSession();
    auto& displays = *env.session.platform().displays;
    std::vector<MonitorDescriptor> monitors;
    for (const auto& screen : displays.screens()) {
        auto number = screen.deviceDescription.at("NSScreenNumber").toUInt32();
        monitors.push_back({*displays.uuidString(*number), screen.localizedName, displays.bounds(*number)});
    }
    auto snapshot = PrivateSpaces::snapshot();
    auto catalog = DesktopCatalog::parse(*snapshot.find("rawManagedDisplays")->asArray(), monitors);
    ASSERT_EQ(catalog.size(), 2u);
    EXPECT_EQ(catalog[0].desktops[0].id, "00000000-0000-0000-0000-000000000001");
    EXPECT_TRUE(catalog[0].desktops[0].isCurrent);
    EXPECT_EQ(titles(catalog[1]), (std::vector<std::string>{"Desktop 4", "Desktop 5", "Desktop 6"}));
    EXPECT_EQ(catalog[1].bounds, Rect(1512, -200, 2560, 1440));
}

}  // namespace
}  // namespace tarnwick
