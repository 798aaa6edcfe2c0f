#include <limits>

#include <gtest/gtest.h>

#include "overlays/banner_application_layout.h"

namespace tarnwick {
namespace {

using Layout = BannerApplicationLayout;
using Row = Layout::Row;
constexpr double kUnlimited = std::numeric_limits<double>::max();

Row at16(int count, double width) {
    auto row = Layout::row(count, width, Layout::IconSize{16});
    EXPECT_TRUE(row) << count << " apps in " << width;
    return row.value_or(Row{});
}

TEST(BannerApplicationLayoutTest, TheRulesWorkedExamples) {
    EXPECT_EQ(at16(3, kUnlimited), (Row{3, 0, 60, 16, 6}));
    EXPECT_EQ(at16(8, kUnlimited).width, 170);
    EXPECT_EQ(at16(9, kUnlimited), (Row{8, 1, 200, 16, 6}));
    EXPECT_EQ(at16(20, kUnlimited), (Row{8, 12, 202, 16, 6}));
    EXPECT_EQ(at16(9, 100), (Row{3, 6, 90, 16, 6}));
    EXPECT_EQ(at16(8, 170).iconCount, 8);
    EXPECT_EQ(at16(8, 169.9), (Row{6, 2, 156, 16, 6}));
    // +1000 needs max(7 x 4 + 12, 24) = 40 units.
    EXPECT_EQ(at16(1008, kUnlimited), (Row{8, 1000, 216, 16, 6}));
}

TEST(BannerApplicationLayoutTest, NarrowWidthsFitOnlyWhatFitsWithoutALabel) {
    EXPECT_EQ(at16(1, 16), (Row{1, 0, 16, 16, 6}));
    EXPECT_EQ(at16(2, 38).iconCount, 2);
    EXPECT_FALSE(Layout::row(2, 23, Layout::IconSize{16}));
    EXPECT_EQ(at16(2, 24), (Row{0, 2, 24, 16, 6}));  // the label alone
    EXPECT_FALSE(Layout::row(1, 15.9, Layout::IconSize{16}));
}

TEST(BannerApplicationLayoutTest, HostileInputGivesNoRow) {
    EXPECT_FALSE(Layout::row(0, 100, Layout::IconSize{16}));
    EXPECT_FALSE(Layout::row(-3, 100, Layout::IconSize{16}));
    EXPECT_FALSE(Layout::row(3, 0, Layout::IconSize{16}));
    EXPECT_FALSE(Layout::row(3, std::numeric_limits<double>::infinity(), Layout::IconSize{16}));
    EXPECT_FALSE(Layout::row(3, std::numeric_limits<double>::quiet_NaN(), Layout::IconSize{16}));
    EXPECT_FALSE(Layout::row(3, 100, Layout::IconSize{0}));
    EXPECT_FALSE(Layout::row(3, 100, Layout::IconSize{std::numeric_limits<double>::quiet_NaN()}));
    EXPECT_EQ(Layout::naturalWidth(0, 1), 0);
    EXPECT_EQ(Layout::naturalWidth(-1, 1), 0);
}

TEST(BannerApplicationLayoutTest, TheScaleIsClampedBeforeItSetsTheIconSize) {
    EXPECT_EQ(Layout::row(1, kUnlimited, Layout::Scale{5})->iconSize, 32);
    EXPECT_EQ(Layout::row(1, kUnlimited, Layout::Scale{0.1})->iconSize, 12);
    EXPECT_EQ(Layout::row(1, kUnlimited, Layout::Scale{std::numeric_limits<double>::quiet_NaN()})->iconSize, 16);
    EXPECT_EQ(Layout::naturalWidth(3, 2), 120);  // 3 x 32 + 2 x 12
    EXPECT_EQ(Layout::naturalWidth(9, 1), 200);
}

}  // namespace
}  // namespace tarnwick
