// Angles, vectors, ranges, dynamically sized matrices and the numeric helpers.
#include "vxAngle.h"
#include "vxGeomDefs.h"
#include "vxNMMatrix.h"
#include "vxRange.h"
#include "vxVector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace {
constexpr double kPi = std::numbers::pi;
constexpr double kInf = std::numeric_limits<double>::infinity();
// Element (r, c) = 10 r + c.
vxNMMatrix numbered(long rows, long cols) {
    vxNMMatrix m(rows, cols);
    for (long r = 0; r < rows; ++r)
        for (long c = 0; c < cols; ++c)
            m(r, c) = 10.0 * r + c;
    return m;
}
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
    EXPECT_THROW(c[2], vxGeomDefs::BadIndex);
    EXPECT_THROW(c[-1], vxGeomDefs::BadIndex);
    // Integer pel points convert to vectors.
    const vxVector<2> fromPoint = vxPoint<long>(-5, 9);
    EXPECT_EQ(fromPoint, vxVector<2>(-5, 9));
}

TEST(GeometryNumeric, RealEqAndFloorAndCeilForgiveNoiseNextToIntegers) {
    EXPECT_TRUE(vfRealEq(1.0, 1.0 + 1e-12, 1e-11));
    EXPECT_FALSE(vfRealEq(1.0, 1.0 + 1e-10, 1e-11));
    EXPECT_TRUE(vfRealEq(kInf, kInf, 0.0));
    EXPECT_FALSE(vfRealEq(kInf, -kInf, 1e300));
    EXPECT_FALSE(vfRealEq(std::nan(""), std::nan(""), 1.0));

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

TEST(GeometryNMMatrix, BoundsResizeAndComparison) {
    vxNMMatrix m(2, 3, 7.5);
    m.element(1, 2, -1);
    EXPECT_EQ(m(1, 2), -1.0);
    EXPECT_EQ(m(0, 2), 7.5);
    EXPECT_THROW(m(2, 0), vxGeomDefs::BadIndex);
    EXPECT_THROW(m.element(0, 3), vxGeomDefs::BadIndex);
    EXPECT_THROW(m(-1, 0), vxGeomDefs::BadIndex);
    EXPECT_THROW(vxNMMatrix(-1, 2), vxGeomDefs::BadIndex);
    EXPECT_NE(vxNMMatrix(2, 3), vxNMMatrix(3, 2));
    // Resizing keeps the common block and zero-fills the rest.
    m = numbered(2, 3);
    m.resize(3, 2);
    EXPECT_EQ(m.rows(), 3);
    EXPECT_EQ(m.cols(), 2);
    EXPECT_EQ(m(1, 1), 11.0);
    EXPECT_EQ(m(2, 0), 0.0);
    m.resize(0, 4);
    EXPECT_EQ(m.cols(), 4);
    EXPECT_THROW(m(0, 0), vxGeomDefs::BadIndex);
    vxNMMatrix a = numbered(2, 2), b = a;
    b(1, 1) += 1e-12;
    EXPECT_TRUE(vfRealEq(a, b, 1e-11));
    EXPECT_FALSE(vfRealEq(a, b, 1e-13));
    EXPECT_FALSE(vfRealEq(a, numbered(2, 3), 1.0));
}

TEST(GeometryNMMatrix, CopySubCopiesBlocks) {
    const vxNMMatrix old = numbered(4, 4);
    // The alphabet's shrink: a smaller matrix receives the top-left block.
    vxNMMatrix small(2, 2);
    small.copySub(old, 0, 0);
    EXPECT_EQ(small, numbered(2, 2));
    // An inner block placed at an offset; the rest stays as it was.
    vxNMMatrix target(3, 3, -1.0);
    target.copySub(old, 2, 1, 2, 2, 1, 0);
    EXPECT_EQ(target(1, 0), 21.0);
    EXPECT_EQ(target(2, 1), 32.0);
    EXPECT_EQ(target(0, 0), -1.0);
    EXPECT_EQ(target(1, 2), -1.0);
    // A block that doesn't fit throws and changes nothing.
    const vxNMMatrix before = target;
    EXPECT_THROW(target.copySub(old, 3, 0, 2, 1), vxGeomDefs::BadIndex);
    EXPECT_THROW(target.copySub(old, 0, 0, 4, 1), vxGeomDefs::BadIndex);
    EXPECT_THROW(target.copySub(old, 5, 0), vxGeomDefs::BadIndex);
    EXPECT_EQ(target, before);
    // Overlapping blocks of the same matrix copy as from a snapshot.
    vxNMMatrix self = numbered(3, 3);
    self.copySub(self, 0, 0, 2, 2, 1, 1);
    EXPECT_EQ(self(1, 1), 0.0);
    EXPECT_EQ(self(2, 2), 11.0);
    EXPECT_EQ(self(2, 1), 10.0);
}

TEST(GeometryNMMatrix, SwapsPermuteLikeTheAlphabetRemoval) {
    // Removing character 0 of A, B, C: the last moves into its place, rows then
    // columns swapped, then the top-left block kept. Element (C, B) keeps its value.
    vxNMMatrix m = numbered(3, 3);
    const double cToB = m(2, 1);
    m.swapRows(0, 2);
    m.swapCols(0, 2);
    vxNMMatrix shrunk(2, 2);
    shrunk.copySub(m, 0, 0);
    EXPECT_EQ(shrunk(0, 1), cToB);
    EXPECT_EQ(shrunk(0, 0), 22.0);
    EXPECT_EQ(shrunk(1, 0), 12.0);
    m.swapRows(1, 1);
    EXPECT_THROW(m.swapRows(0, 3), vxGeomDefs::BadIndex);
    EXPECT_THROW(m.swapCols(-1, 0), vxGeomDefs::BadIndex);
}
