#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "model/desktop_catalog.h"

namespace tarnwick {
namespace {

Value frame(double x, double y, double width, double height) {
    Dictionary d;
    d["x"] = x;
    d["y"] = y;
    d["width"] = width;
    d["height"] = height;
    return Value(std::move(d));
}

Value frame(const Rect& r) { return frame(r.origin.x, r.origin.y, r.size.width, r.size.height); }

// Node dictionaries of Mission Control's Accessibility tree, in pre-order.
struct Tree {
    Array nodes;

    int add(std::string role, std::optional<int> parent, std::optional<std::string> identifier = std::nullopt) {
        Dictionary d;
        d["index"] = static_cast<int>(nodes.size());
        d["AXRole"] = std::move(role);
        if (parent) d["parent"] = *parent;
        if (identifier) d["AXIdentifier"] = *identifier;
        nodes.emplace_back(std::move(d));
        return static_cast<int>(nodes.size()) - 1;
    }
    int addDisplay(int parent, const Rect& bounds) {
        int display = add("AXGroup", parent, "mc.display");
        nodes[display]["frameAX"] = frame(bounds);
        return add("AXGroup", display, "mc.spaces");
    }
    int addButton(int parent, const std::string& title, double x, const std::string& role = "AXButton") {
        int button = add(role, parent);
        nodes[button]["AXTitle"] = title;
        nodes[button]["frameAX"] = frame(x, 10, 120, 20);
        return button;
    }
};

const Rect kBoundsA(0, 0, 1512, 982);
const Rect kBoundsB(1512, -200, 2560, 1440);

DesktopMonitor monitor(const char* id, const Rect& bounds, std::vector<std::string> desktopIDs, int firstNumber) {
    DesktopMonitor m{id, id, bounds, {}};
    for (auto& desktopID : desktopIDs)
        m.desktops.push_back({desktopID, static_cast<std::uint64_t>(firstNumber),
                              "Desktop " + std::to_string(firstNumber++), false});
    return m;
}

const std::vector<DesktopMonitor> kCatalog = {monitor("A", kBoundsA, {"a1", "a2"}, 1),
                                              monitor("B", kBoundsB, {"b1", "b2", "b3"}, 3)};

// Both displays with one caption button per desktop; the buttons of B are listed right to left.
Tree missionControl() {
    Tree tree;
    int app = tree.add("AXApplication", std::nullopt);
    int a = tree.addDisplay(app, kBoundsA);
    tree.addButton(a, "Desktop 1", 100);
    tree.addButton(a, "Desktop 2", 300);
    int b = tree.addDisplay(app, kBoundsB);
    tree.addButton(b, "Desktop 5", 2100);
    tree.addButton(b, "Desktop 4", 1900);
    tree.addButton(b, "Desktop 3", 1700);
    return tree;
}

using Titles = std::map<std::string, std::string>;

TEST(DesktopCatalogCaptionsTest, TitlesPairDesktopsWithButtonsFromLeftToRight) {
    auto tree = missionControl();
    // A caption outside any display element changes nothing.
    tree.addButton(0, "Desktop 9", 50);
    EXPECT_EQ(DesktopCatalog::nativeTitles(tree.nodes, kCatalog),
              (Titles{{"a1", "Desktop 1"}, {"a2", "Desktop 2"}, {"b1", "Desktop 3"}, {"b2", "Desktop 4"},
                      {"b3", "Desktop 5"}}));
}

TEST(DesktopCatalogCaptionsTest, ADisplayWhoseButtonsDoNotPairUpContributesNothing) {
    const Titles onlyA = {{"a1", "Desktop 1"}, {"a2", "Desktop 2"}};
    auto displayB = [](Tree& tree) { return static_cast<int>(tree.nodes.size()) - 4; };  // B's spaces group

    auto fewer = missionControl();
    fewer.nodes.pop_back();
    EXPECT_EQ(DesktopCatalog::nativeTitles(fewer.nodes, kCatalog), onlyA);

    auto more = missionControl();
    more.addButton(displayB(more), "Desktop 6", 2300);
    EXPECT_EQ(DesktopCatalog::nativeTitles(more.nodes, kCatalog), onlyA);

    auto sharedTitle = missionControl();
    sharedTitle.nodes.back()["AXTitle"] = "Desktop 4";
    EXPECT_EQ(DesktopCatalog::nativeTitles(sharedTitle.nodes, kCatalog), onlyA);

    auto sharedMinX = missionControl();
    sharedMinX.nodes.back()["frameAX"] = frame(1900, 40, 80, 20);
    EXPECT_EQ(DesktopCatalog::nativeTitles(sharedMinX.nodes, kCatalog), onlyA);

    auto noFrame = missionControl();
    noFrame.nodes.back()["frameAX"] = frame(1700, 10, 0, 20);
    EXPECT_EQ(DesktopCatalog::nativeTitles(noFrame.nodes, kCatalog), onlyA);

    auto trailingSpace = missionControl();
    trailingSpace.nodes.back()["AXTitle"] = "Desktop 3 ";
    EXPECT_EQ(DesktopCatalog::nativeTitles(trailingSpace.nodes, kCatalog), onlyA);
}

TEST(DesktopCatalogCaptionsTest, ATitleFoundOnTwoDisplaysNamesNeither) {
    auto tree = missionControl();
    tree.nodes.back()["AXTitle"] = "Desktop 1";  // B's leftmost button
    EXPECT_EQ(DesktopCatalog::nativeTitles(tree.nodes, kCatalog),
              (Titles{{"a2", "Desktop 2"}, {"b2", "Desktop 4"}, {"b3", "Desktop 5"}}));
}

TEST(DesktopCatalogCaptionsTest, DisplayFramesMatchWithinLessThanOnePoint) {
    auto near = missionControl();
    near.nodes[1]["frameAX"] = frame(0.5, -0.9, 1512.99, 982);
    EXPECT_EQ(DesktopCatalog::nativeTitles(near.nodes, kCatalog).count("a1"), 1u);
    auto off = missionControl();
    off.nodes[1]["frameAX"] = frame(0, 0, 1513, 982);
    EXPECT_EQ(DesktopCatalog::nativeTitles(off.nodes, kCatalog).count("a1"), 0u);
}

// A caption button `levels` steps below the display element of A (the only display).
Tree deepButton(int levels) {
    Tree tree;
    int node = tree.add("AXApplication", std::nullopt);
    node = tree.add("AXGroup", node, "mc.display");
    tree.nodes[node]["frameAX"] = frame(kBoundsA);
    for (int level = 1; level < levels; ++level) node = tree.add("AXGroup", node);
    tree.addButton(node, "Desktop 1", 100);
    return tree;
}

TEST(DesktopCatalogCaptionsTest, TheWalkUpToTheDisplayExaminesEighteenNodes) {
    const std::vector<DesktopMonitor> catalog = {monitor("A", kBoundsA, {"a1"}, 1)};
    EXPECT_EQ(DesktopCatalog::nativeTitles(deepButton(17).nodes, catalog), (Titles{{"a1", "Desktop 1"}}));
    EXPECT_EQ(DesktopCatalog::nativeButtonIndex("a1", deepButton(17).nodes, catalog), 18);
    EXPECT_TRUE(DesktopCatalog::nativeTitles(deepButton(18).nodes, catalog).empty());
    EXPECT_EQ(DesktopCatalog::nativeButtonIndex("a1", deepButton(18).nodes, catalog), std::nullopt);
}

TEST(DesktopCatalogCaptionsTest, BrokenParentLinksEndTheWalk) {
    const std::vector<DesktopMonitor> catalog = {monitor("A", kBoundsA, {"a1"}, 1)};
    for (const Value& parent : {Value(-1), Value(99), Value(1.5), Value(true), Value("1"), Value()}) {
        auto tree = deepButton(1);
        tree.nodes.back()["parent"] = parent;
        EXPECT_TRUE(DesktopCatalog::nativeTitles(tree.nodes, catalog).empty()) << describe(parent);
    }
    // Parent links that loop end after eighteen nodes instead of running forever.
    auto loop = deepButton(3);
    loop.nodes[2]["parent"] = 3;
    EXPECT_TRUE(DesktopCatalog::nativeTitles(loop.nodes, catalog).empty());
}

TEST(DesktopCatalogCaptionsTest, ButtonIndexNeedsOneOwnerAndOneButton) {
    auto tree = missionControl();
    EXPECT_EQ(DesktopCatalog::nativeButtonIndex("a2", tree.nodes, kCatalog), 4);
    EXPECT_EQ(DesktopCatalog::nativeButtonIndex("b1", tree.nodes, kCatalog), 9);
    EXPECT_EQ(DesktopCatalog::nativeButtonIndex("zz", tree.nodes, kCatalog), std::nullopt);

    auto twice = kCatalog;
    twice[1].desktops[0].id = "a2";  // the same desktop on two displays
    EXPECT_EQ(DesktopCatalog::nativeButtonIndex("a2", tree.nodes, twice), std::nullopt);
    auto sameDisplay = kCatalog;
    sameDisplay[1].id = "A";
    EXPECT_EQ(DesktopCatalog::nativeButtonIndex("a2", tree.nodes, sameDisplay), std::nullopt);

    // A caption that is not a button still titles its desktop, but has nothing to press.
    Tree text;
    int spaces = text.addDisplay(text.add("AXApplication", std::nullopt), kBoundsA);
    text.addButton(spaces, "Desktop 1", 100, "AXStaticText");
    const std::vector<DesktopMonitor> single = {monitor("A", kBoundsA, {"a1"}, 1)};
    EXPECT_EQ(DesktopCatalog::nativeTitles(text.nodes, single).size(), 1u);
    EXPECT_EQ(DesktopCatalog::nativeButtonIndex("a1", text.nodes, single), std::nullopt);
}

TEST(DesktopCatalogCaptionsTest, RectanglesNeedFourFiniteNumbersAndAPositiveSize) {
    Value integers = frame(1, 2, 3, 4);
    integers["width"] = 5;
    EXPECT_EQ(DesktopCatalog::rectangle(&integers), Rect(1, 2, 5, 4));

    Value missing = frame(0, 0, 1, 1);
    missing.asDictionary()->erase("height");
    Value extraText = frame(0, 0, 1, 1);
    extraText["label"] = "caption";  // not a dictionary of numbers as a whole
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<Value> invalid = {frame(std::nan(""), 0, 1, 1), frame(0, inf, 1, 1),
                                        frame(0, 0, 0, 1), frame(0, 0, 1, -1), missing, extraText,
                                        Value(Array{1, 2, 3, 4})};
    for (const auto& value : invalid) EXPECT_EQ(DesktopCatalog::rectangle(&value), std::nullopt) << describe(value);
    EXPECT_EQ(DesktopCatalog::rectangle(nullptr), std::nullopt);
}

TEST(DesktopCatalogCaptionsTest, RecognitionBandReachesHalfwayToTheNearestCaption) {
    const Rect display(0, 20, 1000, 800);
    EXPECT_EQ(DesktopCatalog::recognitionRegion(100, {}, display), Rect(0, 20, 600, 800));
    EXPECT_EQ(DesktopCatalog::recognitionRegion(100, {100, 300}, display), Rect(0, 20, 200, 800));
    EXPECT_EQ(DesktopCatalog::recognitionRegion(500, {900, 300, std::nan("")}, display), Rect(400, 20, 200, 800));
    EXPECT_EQ(DesktopCatalog::recognitionRegion(1000, {800}, display), Rect(900, 20, 100, 800));

    EXPECT_EQ(DesktopCatalog::recognitionRegion(-0.1, {}, display), std::nullopt);
    EXPECT_EQ(DesktopCatalog::recognitionRegion(1000.1, {}, display), std::nullopt);
    EXPECT_EQ(DesktopCatalog::recognitionRegion(std::nan(""), {}, display), std::nullopt);
    EXPECT_EQ(DesktopCatalog::recognitionRegion(0, {}, Rect(0, 0, 0, 100)), std::nullopt);
    // Captions closer than a point apart still give a band, however thin.
    EXPECT_TRUE(DesktopCatalog::recognitionRegion(10, {10.5}, display));
}

}  // namespace
}  // namespace tarnwick
