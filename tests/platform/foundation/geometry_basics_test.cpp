// Angles, vectors, ranges and the numeric helpers.
#include "vxAngle.h"
#include "vxGeomDefs.h"
#include "vxRange.h"
#include "vxVector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace {
constexpr double kPi = std::numbers::pi;
constexpr double kInf = std::numeric_limits<double>::infinity();
} // namespace

TEST(GeometryAngle, DegreesAndRadiansConvertBothWays) {
    EXPECT_DOUBLE_EQ(vxRadian(vxDegree(180)).plain(), kPi);
    EXPECT_DOUBLE_EQ(vxDegree(vxRadian(kPi / 2)).plain(), 90.0);
    // Either unit goes where the other is expected; mixed arithmetic names its unit.
    const vxRadian sum = vxRadian(kPi / 4) + vxRadian(vxDegree(45));
    EXPECT_DOUBLE_EQ(sum.plain(), kPi / 2);
    EXPECT_DOUBLE_EQ(sin(vxDegree(30)), 0.5);
    EXPECT_LT(vxRadian(vxDegree(10)), vxRadian(0.2));
    EXPECT_DOUBLE_EQ(vxRadian(1.0) / vxRadian(0.5), 2.0);
    EXPECT_EQ(-vxRadian(2.0) * 3.0, vxRadian(-6.0));
}

TEST(GeometryAngle, NormalisationRanges) {
    // [0, 2 pi): 2 pi itself and a tiny negative angle both land on 0, never on 2 pi.
    EXPECT_EQ(vxRadian(2 * kPi).norm().plain(), 0.0);
    EXPECT_EQ(vxRadian(-1e-20).norm().plain(), 0.0);
    EXPECT_NEAR(vxRadian(-kPi / 2).norm().plain(), 3 * kPi / 2, 1e-15);
    EXPECT_NEAR(vxRadian(7 * kPi).norm().plain(), kPi, 1e-14);
    // [-pi, pi): pi maps to -pi, -pi stays.
    EXPECT_DOUBLE_EQ(vxRadian(kPi).signedNorm().plain(), -kPi);
    EXPECT_DOUBLE_EQ(vxRadian(-kPi).signedNorm().plain(), -kPi);
    EXPECT_NEAR(vxRadian(3 * kPi / 2).signedNorm().plain(), -kPi / 2, 1e-15);
    EXPECT_EQ(vxDegree(190).signedNorm(), vxDegree(-170));
    EXPECT_EQ(vxDegree(180).signedNorm(), vxDegree(-180));
    EXPECT_EQ(vxDegree(-30).norm(), vxDegree(330));
}

TEST(GeometryVector, OperationsAndDegenerateCases) {
    const vxVector<2> a(3, 4), b(-1, 2);
    EXPECT_EQ(a.length(), 5.0);
    EXPECT_EQ(a.dot(b), 5.0);
    EXPECT_EQ(a.cross(b), 10.0);
    EXPECT_EQ(a.perp(), vxVector<2>(-4, 3));
    EXPECT_EQ(a.perp().cross(a), -25.0);
    EXPECT_TRUE(vfRealEq(a.rotate(vxDegree(90)), a.perp(), 1e-15));
    EXPECT_TRUE(vfRealEq(vxVector<2>::polar(2.0, vxDegree(-90)), vxVector<2>(0, -2), 1e-15));
    EXPECT_DOUBLE_EQ(vxVector<2>(0, -2).angle().plain(), -kPi / 2);
    EXPECT_EQ(vxVector<2>().angle().plain(), 0.0);
    EXPECT_EQ(a.unit(), vxVector<2>(0.6, 0.8));
    EXPECT_THROW(vxVector<2>().unit(), vxGeomDefs::Degenerate);
    vxVector<2> c = a;
    c[1] = 7;
    EXPECT_EQ(c, vxVector<2>(3, 7));
    EXPECT_THROW(c[2], vxGeomDefs::BadIndex);
    EXPECT_THROW(c[-1], vxGeomDefs::BadIndex);
    // Integer pel points convert to vectors.
    const vxVector<2> fromPoint = vxPoint<long>(-5, 9);
    EXPECT_EQ(fromPoint, vxVector<2>(-5, 9));
}

TEST(GeometryNumeric, RealEq) {
    EXPECT_TRUE(vfRealEq(1.0, 1.0 + 1e-12, 1e-11));
    EXPECT_FALSE(vfRealEq(1.0, 1.0 + 1e-10, 1e-11));
    EXPECT_TRUE(vfRealEq(kInf, kInf, 0.0));
    EXPECT_FALSE(vfRealEq(kInf, -kInf, 1e300));
    const double nan = std::nan("");
    EXPECT_FALSE(vfRealEq(nan, nan, 1.0));
}

TEST(GeometryNumeric, FloorAndCeilForgiveNoiseNextToIntegers) {
    // 0.1 * 3 * 10 is 3.0000000000000004 in doubles: it is 3 for both.
    const double noisy3 = 0.1 * 3 * 10;
    ASSERT_NE(noisy3, 3.0);
    EXPECT_EQ(vfICeil(noisy3), 3);
    EXPECT_EQ(vfIFloor(noisy3), 3);
    EXPECT_EQ(vfIFloor(std::nextafter(3.0, 0.0)), 3);
    EXPECT_EQ(vfIFloor(-2.5), -3);
    EXPECT_EQ(vfICeil(-2.5), -2);
    EXPECT_EQ(vfIFloor(-1e-13), 0);
    EXPECT_EQ(vfICeil(2.001), 3);
    // A larger tolerance snaps more.
    EXPECT_EQ(vfICeil(2.001, 0.01), 2);
    // The tolerance grows with the magnitude of the integer.
    EXPECT_EQ(vfIFloor(1e6 - 1e-7), 1000000);
    EXPECT_EQ(vfIFloor(2147483647.0), 2147483647);
    EXPECT_THROW(vfICeil(2147483647.5), vxGeomDefs::Overflow);
    EXPECT_THROW(vfIFloor(-2147483649.0), vxGeomDefs::Overflow);
    EXPECT_THROW(vfIFloor(std::nan("")), vxGeomDefs::Overflow);
    EXPECT_EQ(vfIRound(-2.5), -3);
    EXPECT_EQ(vfIRound(2.5), 3);
}

TEST(GeometryRange, EmptyFullAndSetOperations) {
    const vxRange r(0.9, 1.1);
    EXPECT_EQ(r.start(), 0.9);
    EXPECT_EQ(r.end(), 1.1);
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
