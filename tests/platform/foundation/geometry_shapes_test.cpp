// Pel, real and affine rectangles, lines, circles, segments, polygons and elliptical arcs.
#include "vxAffineRectangle.h"
#include "vxRect.h"
#include "vxShapes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {
constexpr double kPi = std::numbers::pi;
}

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

TEST(GeometryRect, DegeneracyAndConversion) {
    const vxRect r(10, 10, 4, 6);
    EXPECT_EQ(r.lr(), vxVector<2>(14, 16));
    EXPECT_EQ(r.center(), vxVector<2>(12, 13));
    EXPECT_FALSE(r.degen());
    for (const vxRect& d :
         {vxRect(), vxRect(0, 0, 0, 5), vxRect(0, 0, 5, -1), vxRect(0, 0, std::nan(""), 1)})
        EXPECT_TRUE(d.degen()) << d.width() << "x" << d.height();
    EXPECT_EQ(vxRect(vxPelRect(-1, 2, 3, 4)), vxRect(-1, 2, 3, 4));
    EXPECT_EQ(vxRect(vxVector<2>(1, 2), vxVector<2>(3, 4)), vxRect(1, 2, 3, 4));
    vxRect moved = r;
    moved.origin(r.ul() - vxVector<2>(5, 5));
    EXPECT_EQ(moved, vxRect(5, 5, 4, 6));
    EXPECT_TRUE(vfRealEq(moved, vxRect(5, 5 + 1e-12, 4, 6), 1e-11));
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

TEST(GeometryAffineRect, CornersSidesAndUnitSquareTransform) {
    // From a pel rectangle: origin at ul, first side to ur, second side to ll.
    const vxAffineRectangle fromPel(vxPelRect(-2, 3, 4, 6));
    EXPECT_EQ(fromPel.cornerPx(), vxVector<2>(2, 3));
    EXPECT_EQ(fromPel.cornerPy(), vxVector<2>(-2, 9));
    EXPECT_EQ(fromPel.center(), vxVector<2>(0, 6));
    EXPECT_EQ(vxAffineRectangle(vxRect(-2, 3, 4, 6)), fromPel);

    // affRectFromUnitSq maps the unit square's corners onto the rectangle's.
    const vxAffineRectangle skewed(vxVector<2>(1, 1), vxVector<2>(4, 2), vxVector<2>(0, 3));
    const vxXform<2> u = skewed.affRectFromUnitSq();
    EXPECT_EQ(u * vxVector<2>(0, 0), skewed.cornerPo());
    EXPECT_EQ(u * vxVector<2>(1, 0), skewed.cornerPx());
    EXPECT_EQ(u * vxVector<2>(0, 1), skewed.cornerPy());
    EXPECT_EQ(vxAffineRectangle(u), skewed);
    // Its inverse takes the rectangle onto the unit square (the finder's overlap test).
    EXPECT_TRUE(vfRealEq(skewed.map(u.inverse()), vxAffineRectangle(), 1e-15));

    // The side form agrees with the corners.
    const vxAffineRectangle side(vxVector<2>(1, 1), 5.0, 2.0, vxDegree(30), vxDegree(10));
    EXPECT_NEAR(vxDegree(side.xRotation()).plain(), 30, 1e-12);
    EXPECT_NEAR(vxDegree(side.skew()).plain(), 10, 1e-12);
    const vxMatrix<2> sides(vxDegree(30), vxDegree(40), 5.0, 2.0);
    EXPECT_TRUE(vfRealEq(side.affRectFromUnitSq(), vxXform<2>(sides, vxVector<2>(1, 1)), 1e-15));
}

TEST(GeometryAffineRect, SettersKeepTheCentreAndMappingMapsCorners) {
    vxAffineRectangle r = vxAffineRectangle::fromCenter(vxVector<2>(10, -5), 4, 2, vxDegree(90));
    EXPECT_TRUE(vfRealEq(r.center(), vxVector<2>(10, -5), 1e-14));
    EXPECT_TRUE(vfRealEq(r.cornerPo(), vxVector<2>(11, -7), 1e-14));
    r.xLength(8);
    r.skew(vxDegree(20));
    EXPECT_TRUE(vfRealEq(r.center(), vxVector<2>(10, -5), 1e-13));
    EXPECT_NEAR(vxDegree(r.skew()).plain(), 20, 1e-12);
    EXPECT_NEAR(vxDegree(r.xRotation()).plain(), 90, 1e-12);

    const vxXform<2> x(vxMatrix<2>(vxDegree(45), vxDegree(45), 2, 2), vxVector<2>(3, 4));
    const vxAffineRectangle square(vxPelRect(0, 0, 1, 1));
    const vxAffineRectangle mapped = square.map(x);
    EXPECT_EQ(mapped.cornerPx(), x * square.cornerPx());
    EXPECT_EQ(mapped.cornerPy(), x * square.cornerPy());
    EXPECT_EQ(x * square, mapped);
    // The bounding box of a square turned by 45 degrees, side 2.
    const double h = std::numbers::sqrt2;
    EXPECT_TRUE(vfRealEq(mapped.encloseRect(), vxRect(3 - h, 4, 2 * h, 2 * h), 1e-14));
    EXPECT_EQ(square.encloseImageRect(x), vxPelRect(1, 4, 4, 3));
    EXPECT_DOUBLE_EQ(mapped.area(), 4.0);
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

TEST(GeometryCircleArcAndSegment, PointsAnglesAndDistances) {
    const vxCircle c(vxVector<2>(1, 1), 2);
    EXPECT_TRUE(vfRealEq(c.point(vxDegree(90)), vxVector<2>(1, 3), 1e-15));
    EXPECT_DOUBLE_EQ(c.angle(vxVector<2>(-5, 1)).plain(), kPi);
    EXPECT_EQ(c.signedDistance(vxVector<2>(1, 0)), -1.0);
    EXPECT_EQ(c.distanceTo(vxVector<2>(4, 1)), 1.0);
    EXPECT_EQ(c.encloseRect(), vxRect(-1, -1, 4, 4));

    const vxLineSeg s(vxVector<2>(0, 0), vxVector<2>(4, 0));
    EXPECT_EQ(s.distanceTo(vxVector<2>(2, 3)), 3.0);   // beside the segment
    EXPECT_EQ(s.distanceTo(vxVector<2>(7, 4)), 5.0);   // beyond p2
    EXPECT_EQ(s.distanceTo(vxVector<2>(-3, -4)), 5.0); // before p1
    EXPECT_EQ(vxLineSeg(vxVector<2>(1, 1), vxVector<2>(1, 1)).distanceTo(vxVector<2>(4, 5)), 5.0);
    EXPECT_EQ(vxLineSeg(vxVector<2>(3, -1), vxVector<2>(-1, 2)).encloseRect(),
              vxRect(-1, -1, 4, 3));

    const vxEllipseArc2 e(vxVector<2>(1, 2), 3, 1, vxDegree(90), vxRadian(0), vxDegree(180));
    // Parameter 0 lies along the ellipse's own x axis, turned by 90 degrees.
    EXPECT_TRUE(vfRealEq(e.startPoint(), vxVector<2>(1, 5), 1e-14));
    EXPECT_TRUE(vfRealEq(e.endPoint(), vxVector<2>(1, -1), 1e-14));
    EXPECT_TRUE(vfRealEq(e.point(vxDegree(90)), vxVector<2>(0, 2), 1e-14));
    // An arc of a circle runs through polar angles.
    const vxEllipseArc2 arc(c, vxDegree(-45), vxDegree(-90));
    const std::vector<vxVector<2>> pts = arc.points(4);
    ASSERT_EQ(pts.size(), 5u);
    EXPECT_TRUE(vfRealEq(pts.front(), c.point(vxDegree(-45)), 1e-14));
    EXPECT_TRUE(vfRealEq(pts.back(), c.point(vxDegree(-135)), 1e-14));
    for (const vxVector<2>& p : pts)
        EXPECT_NEAR(c.distanceTo(p), 0.0, 1e-14);
    EXPECT_THROW(arc.points(0), vxGeomDefs::BadArgument);
}

TEST(GeometryPolygon, FillModesAreaMapAndBounds) {
    // A pentagram drawn as one closed path: its centre is wound twice, so it is
    // inside under the non-zero rule and outside under even-odd.
    std::vector<vxVector<2>> star;
    for (int k = 0; k < 5; ++k)
        star.push_back(vxVector<2>::polar(10, vxDegree(90 + 144 * k)));
    const vxPolygon evenOdd(star, vxPolygon::eEvenOdd), nonZero(star, vxPolygon::eNonZero);
    EXPECT_FALSE(evenOdd.contains(vxVector<2>(0, 0)));
    EXPECT_TRUE(nonZero.contains(vxVector<2>(0, 0)));
    // A point inside one tip is inside under both.
    const vxVector<2> tip = vxVector<2>::polar(7, vxDegree(90));
    EXPECT_TRUE(evenOdd.contains(tip));
    EXPECT_TRUE(nonZero.contains(tip));
    EXPECT_FALSE(nonZero.contains(vxVector<2>(20, 0)));
    EXPECT_THROW(vxPolygon(star, 2), vxGeomDefs::BadArgument);

    // Corners in the module's order (upper-left, upper-right, lower-right, lower-left)
    // turn in the positive angle sense of image coordinates.
    const vxPolygon box(
        {vxVector<2>(0, 0), vxVector<2>(4, 0), vxVector<2>(4, 3), vxVector<2>(0, 3)}, 0);
    EXPECT_EQ(box.area(), 12.0);
    EXPECT_THROW(box.vertex(4), vxGeomDefs::BadIndex);
    const vxXform<2> x(vxMatrix<2>::rotation(vxDegree(90)), vxVector<2>(10, 0));
    const vxPolygon turned = x * box;
    EXPECT_EQ(turned.fillMode(), 0);
    EXPECT_NEAR(turned.area(), 12.0, 1e-12);
    EXPECT_TRUE(vfRealEq(turned.encloseRect(), vxRect(7, 0, 3, 4), 1e-14));
    EXPECT_EQ(vxPolygon().encloseRect(), vxRect());
}
