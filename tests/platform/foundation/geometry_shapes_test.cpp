// Pel and real rectangles, and lines.
#include "vxAffineRectangle.h"
#include "vxRect.h"
#include "vxShapes.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(GeometryPelRect, ExclusiveLowerRightNullAndSetOperations) {
    const vxPelRect r(-3, 2, 4, 5);
    EXPECT_EQ(r.ur(), vxPoint<long>(1, 2));
    EXPECT_EQ(r.lr(), vxPoint<long>(1, 7));
    EXPECT_EQ(r.area(), 20);
    EXPECT_EQ(vxPelRect(r.ul(), r.lr()), r);
    // lr is exclusive.
    EXPECT_TRUE(r.contains(-3, 2));
    EXPECT_TRUE(r.contains(0, 6));
    EXPECT_FALSE(r.contains(r.lr()));
    EXPECT_FALSE(r.contains(1, 2));
    EXPECT_FALSE(r.contains(-4, 2));
    EXPECT_TRUE(r.contains(vxPelRect(-2, 3, 3, 4)));
    EXPECT_FALSE(r.contains(vxPelRect(-2, 3, 3, 5)));
    EXPECT_TRUE(r.contains(vxPelRect()));

    EXPECT_TRUE(vxPelRect(5, 5, 0, 3).isNull());
    EXPECT_TRUE(vxPelRect(5, 5, 3, -1).isNull());
    EXPECT_FALSE(vxPelRect(5, 5, 0, 3).contains(5, 5));
    EXPECT_FALSE(vxPelRect().contains(vxPelRect(0, 0, 1, 1)));
    EXPECT_NE(vxPelRect(5, 5, 0, 0), vxPelRect()); // equality compares the numbers

    const vxPelRect a(-10, -10, 8, 8), b(-5, -20, 10, 12);
    EXPECT_EQ(a.intersect(b), vxPelRect(-5, -10, 3, 2));
    EXPECT_EQ(b.intersect(a), a.intersect(b));
    EXPECT_EQ(a.enclose(b), vxPelRect(-10, -20, 15, 18));
    // Rectangles that only touch share no pel.
    EXPECT_EQ(a.intersect(vxPelRect(-2, -10, 5, 5)), vxPelRect());
    EXPECT_EQ(a.intersect(vxPelRect()), vxPelRect());
    EXPECT_EQ(a.enclose(vxPelRect(100, 100, 0, 0)), a);
    EXPECT_EQ(vxPelRect().enclose(b), b);
    EXPECT_EQ(a.translate(3, -1), vxPelRect(-7, -11, 8, 8));
}

TEST(GeometryRect, EncloseIgnoresDegenerateRectsAndPelRectsRoundOutward) {
    vxRect acc(-4.5, 1, 2, 2);
    acc.enclose(vxRect(-1, -3.25, 1, 1));
    EXPECT_EQ(acc, vxRect(-4.5, -3.25, 4.5, 6.25));
    // Containing one already: unchanged.
    acc.enclose(vxRect(-2, 0, 0.5, 0.5));
    EXPECT_EQ(acc, vxRect(-4.5, -3.25, 4.5, 6.25));
    // A degenerate rectangle adds nothing, even far away...
    acc.enclose(vxRect(100, 100, 0, 10));
    EXPECT_EQ(acc, vxRect(-4.5, -3.25, 4.5, 6.25));
    // ...and a default rectangle enclosing a proper one becomes it, so a default
    // accumulator does not drag the origin in.
    vxRect fromDefault;
    fromDefault.enclose(vxRect(7, 8, 1, 1)).enclose(vxRect(9, 9, 1, 1));
    EXPECT_EQ(fromDefault, vxRect(7, 8, 3, 2));

    // The pel rectangle: floor of the upper-left, ceiling of the lower-right, also below zero.
    EXPECT_EQ(vxRect(-1.5, -2.25, 3, 1).enclosePelRect(), vxPelRect(-2, -3, 4, 2));
    EXPECT_EQ(vxRect(-3, -4, 2, 2).enclosePelRect(), vxPelRect(-3, -4, 2, 2));
    EXPECT_EQ(vxRect(0.25, 0.25, 0.5, 0.5).enclosePelRect(), vxPelRect(0, 0, 1, 1));
    // Rounding noise next to an integer does not add a pel.
    const double noisy = 0.1 * 3 * 10; // 3.0000000000000004
    EXPECT_EQ(vxRect(noisy, -noisy, 2, 2).enclosePelRect(), vxPelRect(3, -3, 2, 2));
    // Corners that don't fit an int.
    EXPECT_THROW(vxRect(3e9, 0, 1, 1).enclosePelRect(), vxGeomDefs::Overflow);
    // A negative size gives a null pel rectangle.
    EXPECT_TRUE(vxRect(5, 5, -2, 1).enclosePelRect().isNull());
    // The widest range of int still fits, as the module's overflow check expects.
    const vxPelRect wide = vxRect(-2147483648.0, 0, 4294967295.0, 1).enclosePelRect();
    EXPECT_EQ(wide.x(), -2147483648L);
    EXPECT_EQ(wide.width(), 4294967295L);
}

TEST(GeometryLine, NormalFormPositionAndDistances) {
    // The horizontal line y = 2 directed toward +x: distance 2 along the normal (0, 1).
    const vxLine h(vxRadian(0), 2.0);
    EXPECT_EQ(h.position(), vxVector<2>(0, 2));
    EXPECT_EQ(h.point(5), vxVector<2>(5, 2));
    EXPECT_EQ(h.distanceAlong(vxVector<2>(-3, 100)), -3.0);
    EXPECT_EQ(h.signedDistance(vxVector<2>(0, 5)), 3.0);
    EXPECT_EQ(h.distanceTo(vxVector<2>(7, -1)), 3.0);
    EXPECT_EQ(h.project(vxVector<2>(7, -1)), vxVector<2>(7, 2));

    // Through a point with a direction: the same line as the normal form.
    const vxLine v(vxVector<2>(4, 9), vxDegree(90));
    EXPECT_TRUE(vfRealEq(v.position(), vxVector<2>(4, 0), 1e-14));
    EXPECT_NEAR(v.distance(), -4.0, 1e-14);
    EXPECT_NEAR(v.distanceAlong(vxVector<2>(4, 9)), 9.0, 1e-14);
    EXPECT_TRUE(vfRealEq(v.point(v.distanceAlong(vxVector<2>(1, 3))), vxVector<2>(4, 3), 1e-14));

    // Reversed: same points, other direction, distances along negated.
    const vxLine r = v.reversed();
    EXPECT_TRUE(vfRealEq(r.position(), v.position(), 1e-14));
    EXPECT_NEAR(r.distanceAlong(vxVector<2>(4, 9)), -9.0, 1e-14);

    const vxLine t = vxLine::through(vxVector<2>(1, 1), vxVector<2>(3, 3));
    EXPECT_NEAR(vxDegree(t.angle()).plain(), 45, 1e-12);
    EXPECT_NEAR(t.distanceTo(vxVector<2>(0, 0)), 0.0, 1e-15);
    EXPECT_THROW(vxLine::through(vxVector<2>(1, 1), vxVector<2>(1, 1)), vxGeomDefs::Degenerate);

    // Mapping: points of the line map onto the mapped line.
    const vxXform<2> x(vxMatrix<2>(vxDegree(30), vxDegree(50), 2, 0.5), vxVector<2>(1, -2));
    const vxLine m = t.map(x);
    for (double s : {-3.0, 0.0, 4.0})
        EXPECT_NEAR(m.distanceTo(x * t.point(s)), 0.0, 1e-13);
    EXPECT_THROW(t.map(vxXform<2>(vxMatrix<2>(0, 0, 0, 0), vxVector<2>())), vxGeomDefs::Degenerate);
}
