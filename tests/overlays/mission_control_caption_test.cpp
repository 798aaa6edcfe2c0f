#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "overlays/mission_control_caption.h"
#include "platform/sim/capture/mission_control_layout.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

using Mode = MissionControlCaption::Mode;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

Value frame(const Rect& r) {
    return Value(Dictionary{{"x", r.origin.x}, {"y", r.origin.y}, {"width", r.size.width}, {"height", r.size.height}});
}

Value node(int index, std::optional<int> parent, const char* identifier, const Rect& r) {
    Dictionary d{{"index", index}, {"AXRole", "AXGroup"}, {"AXIdentifier", identifier}, {"frameAX", frame(r)}};
    if (parent) d["parent"] = *parent;
    return Value(std::move(d));
}

const Rect kDisplay(0, 0, 1512, 982);
const Rect kBar(0, 0, 1512, 24);

TEST(MissionControlCaptionBarTest, TheOneSpacesBarUnderTheMatchingDisplay) {
    Array tree{node(0, std::nullopt, "mc", Rect(0, 0, 1, 1)), node(1, 0, "mc.display", kDisplay),
               node(2, 1, "mc.spaces", kBar)};
    EXPECT_EQ(MissionControlCaption::bar(tree, kDisplay), kBar);
    // The display node may be off by less than a point in each of x, y, width and height.
    EXPECT_EQ(MissionControlCaption::bar(tree, Rect(-0.5, -0.99, 1512.99, 982.99)), kBar);
    EXPECT_FALSE(MissionControlCaption::bar(tree, Rect(0, 0, 1513, 982)));
    // The bar must lie inside the display.
    EXPECT_FALSE(MissionControlCaption::bar(tree, Rect(0.5, 0, 1512, 982)));

    Array two = tree;
    two.push_back(node(3, 1, "mc.spaces", Rect(0, 30, 1512, 24)));
    EXPECT_FALSE(MissionControlCaption::bar(two, kDisplay));

    // Broken parents only remove that node: a parent out of range, not a number, or a cycle.
    Array broken = tree;
    broken.push_back(node(3, 99, "mc.spaces", kBar));
    broken.push_back(Value(Dictionary{{"AXIdentifier", "mc.spaces"}, {"parent", "1"}, {"frameAX", frame(kBar)}}));
    broken.push_back(node(5, 6, "x", kBar));
    broken.push_back(node(6, 5, "mc.spaces", kBar));
    EXPECT_EQ(MissionControlCaption::bar(broken, kDisplay), kBar);
}

TEST(MissionControlCaptionBarTest, AtMostSeventeenParentStepsAreWalked) {
    auto chain = [](int depth) {
        Array tree{node(0, std::nullopt, "mc.display", kDisplay)};
        for (int i = 1; i < depth; ++i) tree.push_back(node(i, i - 1, "group", kBar));
        tree.push_back(node(depth, depth - 1, "mc.spaces", kBar));
        return tree;
    };
    EXPECT_TRUE(MissionControlCaption::bar(chain(17), kDisplay));
    EXPECT_FALSE(MissionControlCaption::bar(chain(18), kDisplay));
}

TEST(MissionControlCaptionModeTest, TheRulesApplyInTheirOrder) {
    const Rect collapsedButton(100, 0, 172, 40);
    const Rect caption(150, 5, 60, 14);  // centre at y 12
    EXPECT_EQ(MissionControlCaption::mode(caption, kBar, collapsedButton), Mode::collapsed);
    EXPECT_EQ(MissionControlCaption::mode(caption, std::nullopt, collapsedButton), Mode::unknown);
    EXPECT_EQ(MissionControlCaption::mode(Rect(150, 5, 0, 14), kBar, collapsedButton), Mode::unknown);
    EXPECT_EQ(MissionControlCaption::mode(Rect(2000, 5, 60, 14), kBar, collapsedButton), Mode::unknown);
    EXPECT_EQ(MissionControlCaption::mode(Rect(150, -20, 60, 14), kBar, collapsedButton), Mode::unknown);  // rule 3
    // Rule 4: the thumbnail starts more than a point below the bar's top.
    EXPECT_EQ(MissionControlCaption::mode(caption, kBar, Rect(100, 1.5, 172, 40)), Mode::expanded);
    // Exactly a point below is not rule 4; rules 5 and 6 do not apply, so rule 7 says unknown.
    EXPECT_EQ(MissionControlCaption::mode(caption, kBar, Rect(100, 1, 172, 40)), Mode::unknown);
    // Rule 5: the caption's centre lies more than a point below the bar.
    EXPECT_EQ(MissionControlCaption::mode(Rect(150, 20, 60, 14), kBar, collapsedButton), Mode::expanded);
    // Rule 6: a bar at least as tall as the button.
    EXPECT_EQ(MissionControlCaption::mode(caption, kBar, Rect(100, 0, 172, 24)), Mode::expanded);
    // Rule 8: the caption's centre just below the bar, within the point of rule 5.
    EXPECT_EQ(MissionControlCaption::mode(Rect(150, 18, 60, 13), kBar, collapsedButton), Mode::unknown);
    EXPECT_TRUE(MissionControlCaption::highlighted(Mode::collapsed, true));
    EXPECT_FALSE(MissionControlCaption::highlighted(Mode::expanded, true));
    EXPECT_FALSE(MissionControlCaption::highlighted(Mode::collapsed, false));
    EXPECT_EQ(rawValue(Mode::expanded), "expanded");
    EXPECT_FALSE(fromRawValue<Mode>("Expanded"));
}

TEST(MissionControlCaptionModeTest, TheSimulatedMissionControlIsCollapsedThenExpanded) {
    testkit::TestEnvironment env;
    env.session.loadDefaultSession();
    env.session.openMissionControl();
    for (bool expanded : {false, true}) {
        env.session.setSpacesBarExpanded(expanded);
        for (const auto& display : sim::MissionControlLayout::bars(env.session, env.clock.uptime()))
            for (const auto& button : display.buttons)
                EXPECT_EQ(MissionControlCaption::mode(button.caption, display.bar, button.frame),
                          expanded ? Mode::expanded : Mode::collapsed)
                    << button.title;
    }
}

TEST(MissionControlCaptionWidthTest, CollapsedLabelsAreCompact) {
    const Rect native(100, 5, 80, 14);
    EXPECT_EQ(MissionControlCaption::width(Mode::collapsed, native, 40.2, 200, std::nullopt, kDisplay), 100);
    EXPECT_EQ(MissionControlCaption::width(Mode::unknown, native, 150, 200, std::nullopt, kDisplay), 166);
    EXPECT_EQ(MissionControlCaption::width(Mode::collapsed, native, 150, -5, std::nullopt, kDisplay), 100);
    EXPECT_FALSE(MissionControlCaption::width(Mode::collapsed, native, -1, 200, std::nullopt, kDisplay));
    EXPECT_FALSE(MissionControlCaption::width(Mode::collapsed, native, kNaN, 200, std::nullopt, kDisplay));
    EXPECT_FALSE(MissionControlCaption::width(Mode::collapsed, native, 10, kNaN, std::nullopt, kDisplay));
}

TEST(MissionControlCaptionWidthTest, ExpandedLabelsStayInsideTheDisplay) {
    // Centred 70 points from the display's left edge: room 136.
    const Rect native(30, 200, 80, 14);
    EXPECT_EQ(MissionControlCaption::width(Mode::expanded, native, 150.5, 120, Rect(0, 100, 300, 90), kDisplay), 136);
    EXPECT_EQ(MissionControlCaption::width(Mode::expanded, native, 10, 0, Rect(0, 100, 300, 90), kDisplay), 100);
    // No usable thumbnail: the compact width when it fits.
    EXPECT_EQ(MissionControlCaption::width(Mode::expanded, native, 90, 200, std::nullopt, kDisplay), 106);
    EXPECT_FALSE(MissionControlCaption::width(Mode::expanded, native, 150, 200, std::nullopt, kDisplay));
    // Too close to the edge for even the caption's own width.
    EXPECT_FALSE(MissionControlCaption::width(Mode::expanded, Rect(0, 200, 80, 14), 10, 0, std::nullopt, kDisplay));
    EXPECT_FALSE(MissionControlCaption::width(Mode::expanded, native, 10, 0, std::nullopt, Rect(0, 0, 50, 50)));
}

}  // namespace
}  // namespace tarnwick

#include "testkit/scripted_text_metrics.h"

namespace tarnwick {
namespace {

class MissionControlCaptionFontTest : public ::testing::Test {
protected:
    testkit::TestEnvironment env;
    testkit::ScriptedTextMetrics metrics;
    testkit::TextMetricsScope scope{env.session.platform(), metrics};

    std::vector<double> measuredSizes() const {
        std::vector<double> sizes;
        for (const auto& request : metrics.fittingRequests) sizes.push_back(request.font.size);
        return sizes;
    }
};

TEST_F(MissionControlCaptionFontTest, StepsDownByHalfPointsToTheUnmeasuredFloor) {
    metrics.fittingHeight = 1000;  // never fits in two lines
    EXPECT_EQ(MissionControlCaption::fontSize("A very long desktop name", 13, 120), 11);
    EXPECT_EQ(measuredSizes(), (std::vector<double>{13, 12.5, 12, 11.5}));
    EXPECT_EQ(metrics.fittingRequests.front().width, 100);
    EXPECT_TRUE(metrics.fittingRequests.front().wraps);
    EXPECT_EQ(metrics.fittingRequests.front().maximumLines, 0);
}

TEST_F(MissionControlCaptionFontTest, TheFirstSizeThatFitsInTwoLinesWins) {
    // With the system font model a two-word name fits in two lines at once.
    EXPECT_EQ(MissionControlCaption::fontSize("Design Review", 13, 80), 13);
    EXPECT_EQ(measuredSizes(), std::vector<double>{13});
}

TEST_F(MissionControlCaptionFontTest, UnusableOrSmallProposalsAreNotMeasured) {
    EXPECT_EQ(MissionControlCaption::fontSize("Work", 9, 120), 9);
    EXPECT_EQ(MissionControlCaption::fontSize("Work", 11, 120), 11);
    EXPECT_EQ(MissionControlCaption::fontSize("Work", std::nan(""), 120), 11);
    EXPECT_EQ(MissionControlCaption::fontSize("Work", -3, 120), 11);
    EXPECT_EQ(MissionControlCaption::fontSize("Work", 13, 20), 11);
    EXPECT_EQ(MissionControlCaption::fontSize("Work", 13, std::numeric_limits<double>::infinity()), 11);
    EXPECT_TRUE(metrics.fittingRequests.empty());
}

}  // namespace
}  // namespace tarnwick

namespace tarnwick {
namespace {

// Every half point from the proposal down: the reference the bounded search must agree with.
double steppedFontSize(std::string_view text, double proposed, double width) {
    auto& metrics = platform::ui::textMetrics();
    for (double k = 0;; ++k) {
        const double size = proposed - 0.5 * k;
        if (size <= MissionControlCaption::minimumFontSize) return MissionControlCaption::minimumFontSize;
        const auto font = platform::ui::Font::system(size);
        if (metrics.fittingSize(text, font, width - 20, 0, true).height <= 2 * metrics.defaultLineHeight(font) + 0.5)
            return size;
    }
}

TEST_F(MissionControlCaptionFontTest, AHugeProposalEndsAfterABoundedNumberOfMeasurements) {
    metrics.fittingHeight = std::nan("");  // never fits, at any size
    EXPECT_EQ(MissionControlCaption::fontSize("Work", 1e300, 120), 11);
    EXPECT_LE(metrics.fittingRequests.size(), 1200u);
    metrics.fittingRequests.clear();
    EXPECT_EQ(MissionControlCaption::fontSize("Work", 1e9, 120), 11);
    EXPECT_LE(metrics.fittingRequests.size(), 40u);
    // A name that fits at once keeps even an absurd size, as before.
    metrics.fittingHeight.reset();
    EXPECT_EQ(MissionControlCaption::fontSize("", 1e300, 120), 1e300);
}

TEST_F(MissionControlCaptionFontTest, ASearchedProposalFindsTheSizeTheHalfPointWalkFinds) {
    for (const char* name : {"Design Review Board Meeting Notes", "Quarterly planning and hiring", "Mail"})
        for (double proposed : {13.0, 40.25, 333.0, 1000.5, 4096.0})
            for (double width : {60.0, 140.0, 600.0})
                EXPECT_EQ(MissionControlCaption::fontSize(name, proposed, width), steppedFontSize(name, proposed, width))
                    << name << " at " << proposed << " in " << width;
}

}  // namespace
}  // namespace tarnwick
