// Ranges: the empty and full ranges and set operations.
#include "vxRange.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {
constexpr double kInf = std::numeric_limits<double>::infinity();
} // namespace

TEST(GeometryRange, EmptyFullAndSetOperations) {
    const vxRange r(0.9, 1.1);
    EXPECT_TRUE(r.contains(1.1));
    EXPECT_FALSE(r.contains(1.1000001));
    // A reversed or NaN range is the empty range, and all empty ranges are equal.
    EXPECT_EQ(vxRange(2, 1), vxRange::EmptyRange());
    EXPECT_EQ(vxRange(std::nan(""), 1), vxRange::EmptyRange());
    EXPECT_TRUE(vxRange::EmptyRange().isEmpty());
    EXPECT_FALSE(vxRange::EmptyRange().contains(0.0));
    EXPECT_TRUE(vxRange::FullRange().isFull());
    EXPECT_TRUE(vxRange::FullRange().contains(-1e308));
    EXPECT_FALSE(vxRange(0, kInf).isFull());
    EXPECT_NE(vxRange(0.5, 1.0), vxRange(0.5, 1.0000001));
    // A single point is a range, not the empty one.
    EXPECT_FALSE(vxRange(1, 1).isEmpty());
    EXPECT_EQ(vxRange(1, 1).length(), 0.0);

    EXPECT_EQ(r.intersect(vxRange(1.0, 5.0)), vxRange(1.0, 1.1));
    EXPECT_TRUE(r.intersect(vxRange(2.0, 3.0)).isEmpty());
    EXPECT_EQ(r.enclose(vxRange(-1, 0)), vxRange(-1, 1.1));
    EXPECT_EQ(vxRange::EmptyRange().enclose(r), r);
    EXPECT_EQ(r.enclose(vxRange::EmptyRange()), r);
    EXPECT_TRUE(r.contains(vxRange::EmptyRange()));
    EXPECT_FALSE(r.contains(vxRange(1.0, 1.2)));
}
