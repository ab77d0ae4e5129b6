// Lines, circles, segments, polygons and elliptical arcs.
#include "vxShapes.h"

#include <gtest/gtest.h>

#include <numbers>

namespace {
constexpr double kPi = std::numbers::pi;
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

TEST(GeometryCircleAndSegment, PointsAnglesAndDistances) {
    const vxCircle c(vxVector<2>(1, 1), 2);
    EXPECT_TRUE(vfRealEq(c.point(vxDegree(90)), vxVector<2>(1, 3), 1e-15));
    EXPECT_DOUBLE_EQ(c.angle(vxVector<2>(-5, 1)).plain(), kPi);
    EXPECT_EQ(c.signedDistance(vxVector<2>(1, 0)), -1.0);
    EXPECT_EQ(c.distanceTo(vxVector<2>(4, 1)), 1.0);
    EXPECT_EQ(c.encloseRect(), vxRect(-1, -1, 4, 4));

    const vxLineSeg s(vxVector<2>(0, 0), vxVector<2>(4, 0));
    EXPECT_EQ(s.length(), 4.0);
    EXPECT_EQ(s.distanceTo(vxVector<2>(2, 3)), 3.0);   // beside the segment
    EXPECT_EQ(s.distanceTo(vxVector<2>(7, 4)), 5.0);   // beyond p2
    EXPECT_EQ(s.distanceTo(vxVector<2>(-3, -4)), 5.0); // before p1
    EXPECT_EQ(vxLineSeg(vxVector<2>(1, 1), vxVector<2>(1, 1)).distanceTo(vxVector<2>(4, 5)), 5.0);
    EXPECT_EQ(s.midpoint(), vxVector<2>(2, 0));
    EXPECT_EQ(vxLineSeg(vxVector<2>(3, -1), vxVector<2>(-1, 2)).encloseRect(),
              vxRect(-1, -1, 4, 3));
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
    EXPECT_EQ(box.numVertices(), 4);
    EXPECT_EQ(box.vertex(2), vxVector<2>(4, 3));
    EXPECT_THROW(box.vertex(4), vxGeomDefs::BadIndex);
    const vxXform<2> x(vxMatrix<2>::rotation(vxDegree(90)), vxVector<2>(10, 0));
    const vxPolygon turned = x * box;
    EXPECT_EQ(turned.fillMode(), 0);
    EXPECT_NEAR(turned.area(), 12.0, 1e-12);
    EXPECT_TRUE(vfRealEq(turned.encloseRect(), vxRect(7, 0, 3, 4), 1e-14));
    EXPECT_EQ(vxPolygon().encloseRect(), vxRect());
}

TEST(GeometryEllipseArc, PointsAlongTheArc) {
    const vxEllipseArc2 e(vxVector<2>(1, 2), 3, 1, vxDegree(90), vxRadian(0), vxDegree(180));
    // Parameter 0 lies along the ellipse's own x axis, turned by 90 degrees.
    EXPECT_TRUE(vfRealEq(e.startPoint(), vxVector<2>(1, 5), 1e-14));
    EXPECT_TRUE(vfRealEq(e.endPoint(), vxVector<2>(1, -1), 1e-14));
    EXPECT_TRUE(vfRealEq(e.point(vxDegree(90)), vxVector<2>(0, 2), 1e-14));
    // An arc of a circle runs through polar angles.
    const vxCircle c(vxVector<2>(0, 0), 2);
    const vxEllipseArc2 arc(c, vxDegree(-45), vxDegree(-90));
    const std::vector<vxVector<2>> pts = arc.points(4);
    ASSERT_EQ(pts.size(), 5u);
    EXPECT_TRUE(vfRealEq(pts.front(), c.point(vxDegree(-45)), 1e-14));
    EXPECT_TRUE(vfRealEq(pts.back(), c.point(vxDegree(-135)), 1e-14));
    for (const vxVector<2>& p : pts)
        EXPECT_NEAR(c.distanceTo(p), 0.0, 1e-14);
    EXPECT_THROW(arc.points(0), vxGeomDefs::BadArgument);
}
