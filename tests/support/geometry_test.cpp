#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "support/geometry.h"

namespace tarnwick {
namespace {

TEST(RectTest, IntersectionIsNullForRectanglesApartAndEmptyForTouchingOnes) {
    const Rect a(0, 0, 10, 10);
    EXPECT_EQ(a.intersection(Rect(5, 5, 10, 10)), Rect(5, 5, 5, 5));
    EXPECT_TRUE(a.intersection(Rect(11, 0, 5, 5)).isNull());
    const Rect touching = a.intersection(Rect(10, 0, 5, 5));
    EXPECT_FALSE(touching.isNull());
    EXPECT_TRUE(touching.isEmpty());
    EXPECT_EQ(touching, Rect(10, 0, 0, 5));
    EXPECT_TRUE(a.intersection(Rect::null()).isNull());
    // Sizes are standardised first: a negative width covers the same area.
    EXPECT_EQ(Rect(10, 10, -10, -10).intersection(Rect(5, 5, 10, 10)), Rect(5, 5, 5, 5));
}

TEST(RectTest, UnionIgnoresTheNullRectangle) {
    EXPECT_EQ(Rect(0, 0, 10, 10).united(Rect(20, 5, 5, 10)), Rect(0, 0, 25, 15));
    EXPECT_EQ(Rect::null().united(Rect(3, 4, -2, 5)), Rect(1, 4, 2, 5));
    EXPECT_EQ(Rect(1, 2, 3, 4).united(Rect::null()), Rect(1, 2, 3, 4));
    EXPECT_TRUE(Rect::null().united(Rect::null()).isNull());
}

TEST(RectTest, IntegralRoundsEveryEdgeOutwards) {
    EXPECT_EQ(Rect(0.5, 1.25, 2, 3.5).integral(), Rect(0, 1, 3, 4));
    EXPECT_EQ(Rect(-0.5, -0.5, 1, 1).integral(), Rect(-1, -1, 2, 2));
    EXPECT_EQ(Rect(2, 3, 4, 5).integral(), Rect(2, 3, 4, 5));
    EXPECT_TRUE(Rect::null().integral().isNull());
}

TEST(RectTest, NullAndEmptyAreTold) {
    EXPECT_TRUE(Rect::null().isNull());
    EXPECT_TRUE(Rect::null().isEmpty());
    EXPECT_FALSE(Rect(0, 0, 0, 5).isNull());
    EXPECT_TRUE(Rect(0, 0, 0, 5).isEmpty());
    EXPECT_FALSE(Rect(0, 0, 1, 1).isEmpty());
    EXPECT_FALSE(Rect(0, 0, 10, 10).contains(Rect::null()));
    EXPECT_EQ(Rect::null().area(), 0);
}

TEST(RectTest, ContainmentIncludesTheEdges) {
    const Rect a(0, 0, 10, 10);
    EXPECT_TRUE(a.contains(Rect(0, 0, 10, 10)));
    EXPECT_TRUE(a.contains(Rect(10, 10, 0, 0)));
    EXPECT_FALSE(a.contains(Rect(0, 0, 10.0001, 10)));
    EXPECT_TRUE(a.contains(Rect(10, 10, -10, -10)));
}

}  // namespace
}  // namespace tarnwick
