// Display graphics: construction limits, lists and mapping by transforms.
#include "vxDiagDefs.h"
#include "vxGraphicList.h"

#include <gtest/gtest.h>

#include <numbers>

namespace {

const double kTol = 1e-9;

vxXform<2> turnScaleShift() {
    return vxXform<2>(vxVector<2>(10, -4), 2.0, 1.0, vxRadian(0), vxRadian(std::numbers::pi / 6));
}

void expectNear(const vxVector<2>& a, const vxVector<2>& b) {
    EXPECT_NEAR(a.x(), b.x(), kTol);
    EXPECT_NEAR(a.y(), b.y(), kTol);
}

// Mapping an arc must give the arc whose points are the mapped points.
void expectArcMapsPointwise(const vxEllipseArc2& arc, const vxXform<2>& x) {
    const vxGraphic mapped = vfMapGraphic(vxGraphicEllipseArc(arc, vxColor::red, 2), x);
    const auto& g = std::get<vxGraphicEllipseArc>(mapped);
    EXPECT_EQ(g.color(), vxColor::red);
    EXPECT_EQ(g.penWidth(), 2);
    const auto before = arc.points(12), after = g.shape().points(12);
    for (size_t i = 0; i < before.size(); ++i)
        expectNear(x.mapPoint(before[i]), after[i]);
    EXPECT_GE(g.shape().rx(), 0.0);
    EXPECT_GE(g.shape().ry(), 0.0);
}

} // namespace

TEST(Graphics, StyleLimitsAndLists) {
    const vxLineSeg seg(vxVector<2>(0, 0), vxVector<2>(1, 1));
    EXPECT_THROW(vxGraphicLineSeg(seg, vxColor::red, 0), vxDiagDefs::BadArgument);
    EXPECT_THROW(vxGraphicRect(vxRect(0, 0, 1, 1), vxColor::red, 65), vxDiagDefs::BadArgument);
    EXPECT_NO_THROW(vxGraphicRect(vxRect(0, 0, 1, 1), vxColor::red, 64));
    EXPECT_THROW(
        vxGraphicPointIcon(vxVector<2>(), vxColor::yellow, vxGraphicPointIcon::eCircle, -1),
        vxDiagDefs::BadArgument);
    EXPECT_THROW(vxGraphicPointIcon(vxVector<2>(), vxColor::yellow,
                                    static_cast<vxGraphicPointIcon::Icon>(9)),
                 vxDiagDefs::BadArgument);

    vxGraphicLineSeg g(seg, vxColor::red, 3);
    EXPECT_THROW(g.penWidth(0), vxDiagDefs::BadArgument);
    EXPECT_EQ(g.penWidth(), 3); // unchanged by the failed call
    EXPECT_NE(vxGraphic(vxGraphicRect(vxRect(1, 2, 3, 4), vxColor::orange)),
              vxGraphic(vxGraphicRect(vxRect(1, 2, 3, 4), vxColor::orange, 1, true)));

    // Lists keep their order; appending a list to itself doubles it.
    vxGraphicList list;
    EXPECT_TRUE(list.empty());
    list.add(vxGraphicPointIcon(vxVector<2>(1, 1), vxColor::yellow));
    list.add(vxGraphicLineSeg(vxLineSeg(vxVector<2>(0, 0), vxVector<2>(2, 0)), vxColor::green, 2));
    ASSERT_EQ(list.size(), 2);
    EXPECT_TRUE(std::holds_alternative<vxGraphicPointIcon>(list[0]));
    EXPECT_TRUE(std::holds_alternative<vxGraphicLineSeg>(list.graphic(1)));
    EXPECT_THROW(list.graphic(2), vxDiagDefs::BadIndex);
    EXPECT_THROW(list.graphic(-1), vxDiagDefs::BadIndex);

    list.append(list); // appending itself doubles it
    ASSERT_EQ(list.size(), 4);
    EXPECT_EQ(list[2], list[0]);
    EXPECT_EQ(list[3], list[1]);
    vxGraphicList other;
    other.add(vxGraphicRect(vxRect(0, 0, 1, 1), vxColor::red));
    list.append(other);
    EXPECT_EQ(list.size(), 5);
    EXPECT_EQ(list[4], other[0]);
}

TEST(Graphics, LineIconAndPolygonMapPointwise) {
    const vxXform<2> x = turnScaleShift();
    vxGraphicList list;
    list.add(vxGraphicLineSeg(vxLineSeg(vxVector<2>(1, 2), vxVector<2>(-3, 5)), vxColor::blue, 2));
    list.add(vxGraphicPointIcon(vxVector<2>(4, 4), vxColor::yellow, vxGraphicPointIcon::eCross, 5));
    list.add(vxGraphicPolygon(vxPolygon({{0, 0}, {4, 0}, {0, 3}}, vxPolygon::eNonZero),
                              vxColor::cyan, 1, true));
    const vxGraphicList mapped = x * list;
    ASSERT_EQ(mapped.size(), 3);

    const auto& line = std::get<vxGraphicLineSeg>(mapped[0]);
    expectNear(line.shape().p1(), x.mapPoint(vxVector<2>(1, 2)));
    expectNear(line.shape().p2(), x.mapPoint(vxVector<2>(-3, 5)));
    EXPECT_EQ(line.penWidth(), 2); // display sizes do not scale

    const auto& icon = std::get<vxGraphicPointIcon>(mapped[1]);
    expectNear(icon.point(), x.mapPoint(vxVector<2>(4, 4)));
    EXPECT_EQ(icon.size(), 5);
    EXPECT_EQ(icon.icon(), vxGraphicPointIcon::eCross);

    const auto& poly = std::get<vxGraphicPolygon>(mapped[2]);
    EXPECT_TRUE(poly.filled());
    EXPECT_EQ(poly.shape().fillMode(), vxPolygon::eNonZero);
    expectNear(poly.shape().vertex(1), x.mapPoint(vxVector<2>(4, 0)));
    // The source list is untouched.
    EXPECT_EQ(std::get<vxGraphicLineSeg>(list[0]).shape().p1(), vxVector<2>(1, 2));
}

TEST(Graphics, RectangleStaysAxisParallelOnlyWhenItCan) {
    const vxGraphicRect rect(vxRect(1, 2, 4, 3), vxColor::green, 2, true);
    // Scale and shift: still a rectangle.
    const vxXform<2> scale(vxMatrix<2>::scaling(2, 3), vxVector<2>(5, 5));
    const vxGraphic scaledGraphic = vfMapGraphic(rect, scale);
    const auto& scaled = std::get<vxGraphicRect>(scaledGraphic);
    EXPECT_EQ(scaled.shape(), vxRect(7, 11, 8, 9));
    EXPECT_TRUE(scaled.filled());
    EXPECT_EQ(scaled.penWidth(), 2);
    // A flip in x covers the mirrored area with a positive width.
    const vxXform<2> flip(vxMatrix<2>::scaling(-1, 1), vxVector<2>(10, 0));
    const vxGraphic flipped = vfMapGraphic(rect, flip);
    EXPECT_EQ(std::get<vxGraphicRect>(flipped).shape(), vxRect(5, 2, 4, 3));
    // A turn gives the turned parallelogram with the same style.
    const vxXform<2> turn = turnScaleShift();
    const vxGraphic turned = vfMapGraphic(rect, turn);
    ASSERT_TRUE(std::holds_alternative<vxGraphicAffineRect>(turned));
    const auto& aff = std::get<vxGraphicAffineRect>(turned);
    expectNear(aff.shape().cornerPo(), turn.mapPoint(vxVector<2>(1, 2)));
    expectNear(aff.shape().cornerPx(), turn.mapPoint(vxVector<2>(5, 2)));
    expectNear(aff.shape().cornerPy(), turn.mapPoint(vxVector<2>(1, 5)));
    EXPECT_TRUE(aff.filled());
    EXPECT_EQ(aff.color(), vxColor::green);
    // An affine rectangle maps corner by corner.
    const vxGraphic again = vfMapGraphic(aff, turn.inverse());
    EXPECT_TRUE(vfRealEq(std::get<vxGraphicAffineRect>(again).shape(),
                         vxAffineRectangle(vxRect(1, 2, 4, 3)), 1e-9));
}

TEST(Graphics, EllipseArcMapsToTheArcThroughMappedPoints) {
    const vxEllipseArc2 arc(vxVector<2>(3, -2), 5.0, 2.0, vxRadian(0.4), vxRadian(-0.3),
                            vxRadian(2.5));
    expectArcMapsPointwise(arc, vxXform<2>());
    expectArcMapsPointwise(arc, turnScaleShift());
    // Shear and unequal scales.
    expectArcMapsPointwise(arc, vxXform<2>(vxMatrix<2>(1.5, 0.7, -0.2, 0.6), vxVector<2>(1, 2)));
    // A flip runs the parameter backwards.
    expectArcMapsPointwise(arc, vxXform<2>(vxMatrix<2>::scaling(1, -1), vxVector<2>()));
    expectArcMapsPointwise(arc, vxXform<2>(vxMatrix<2>(0.3, 2.0, 1.1, -0.4), vxVector<2>(-7, 0)));
    // A circular arc under a similarity stays circular with the scaled radius.
    const vxEllipseArc2 circ(vxCircle(vxVector<2>(0, 0), 4.0), vxRadian(0), vxRadian(-1.0));
    expectArcMapsPointwise(circ, turnScaleShift());
    const vxGraphic scaled =
        vfMapGraphic(vxGraphicEllipseArc(circ, vxColor::red), turnScaleShift());
    EXPECT_NEAR(std::get<vxGraphicEllipseArc>(scaled).shape().rx(), 8.0, kTol);
    EXPECT_NEAR(std::get<vxGraphicEllipseArc>(scaled).shape().ry(), 8.0, kTol);
    // A singular map flattens the arc without failing.
    expectArcMapsPointwise(arc, vxXform<2>(vxMatrix<2>(1, 2, 2, 4), vxVector<2>()));
}

TEST(Graphics, DescriptionNamesShapeGeometryAndStyle) {
    EXPECT_EQ(vfDescribeGraphic(vxGraphicLineSeg(vxLineSeg(vxVector<2>(0, 0), vxVector<2>(0.5, -1)),
                                                 vxColor(1, 2, 3), 2)),
              L"line (0.000, 0.000)-(0.500, -1.000) rgb(1, 2, 3) pen 2");
    EXPECT_EQ(vfDescribeGraphic(vxGraphicPointIcon(vxVector<2>(2, 3), vxColor::yellow,
                                                   vxGraphicPointIcon::eCircle, 4)),
              L"circle (2.000, 3.000) size 4 yellow pen 1");
}
