// Line geometry of the arranger: straight and circular fits on known points and
// predicted places in both senses.
#include "../../oc/arrange/lineGeometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

using Sym = vx_OCExtractDefs::Symmetry;
constexpr double pi = std::numbers::pi;
constexpr double tol = 1e-9;

vxRadian deg(double d) {
    return vxRadian(vxDegree(d));
}

// Points on the circle of radius 100 about (50, 40) at the given polar angles.
std::vector<vxVector<2>> onCircle(std::initializer_list<double> degrees) {
    std::vector<vxVector<2>> points;
    for (double d : degrees)
        points.push_back(vxVector<2>(50, 40) + vxVector<2>::polar(100, deg(d)));
    return points;
}

// A position whose cell is a w x h rectangle at the origin (so its width is w when it
// lies along the line and h when it stands across it).
vx_LinePosition cell(double w, double h) {
    vx_LinePosition p;
    p.cellDiagonal1 = vxVector<2>(w, -h);
    p.cellDiagonal2 = vxVector<2>(w, h);
    return p;
}

vx_LinePosition matched(double w, double h, const vxVector<2>& at, vxRadian angle) {
    vx_LinePosition p = cell(w, h);
    p.isMatched = true;
    p.translation = at;
    p.angle = angle;
    return p;
}

void expectNear(const vxVector<2>& a, const vxVector<2>& b, double t = tol) {
    EXPECT_NEAR(a.x(), b.x(), t);
    EXPECT_NEAR(a.y(), b.y(), t);
}

} // namespace

TEST(LineGeometry, StraightFitIsDirectedFromFirstToLastCharacter) {
    const vxVector<2> u = vxVector<2>::polar(1.0, deg(30));
    const vxVector<2> base(10, -5);
    std::vector<vxVector<2>> points{base, base + 20 * u, base + 45 * u};
    vxLine line;
    std::vector<double> along;
    ASSERT_TRUE(vf_FitArrangementLine(points, line, along));
    EXPECT_NEAR(line.direction().dot(u), 1.0, tol);
    ASSERT_EQ(along.size(), 3u);
    EXPECT_NEAR(along[1] - along[0], 20, tol);
    EXPECT_NEAR(along[2] - along[0], 45, tol);
    expectNear(line.point(along[0]), base);
    expectNear(line.position(), line.project(vxVector<2>(0, 0)));

    // Read the other way: the line turns round, `along` still increases and still
    // finds the points.
    std::reverse(points.begin(), points.end());
    ASSERT_TRUE(vf_FitArrangementLine(points, line, along));
    EXPECT_NEAR(line.direction().dot(u), -1.0, tol);
    EXPECT_GT(along[1], along[0]);
    for (size_t i = 0; i < points.size(); ++i)
        expectNear(line.point(along[i]), points[i]);
}

TEST(LineGeometry, CircularFitGivesSignedSweepInBothSensesAndAcrossHalfTurn) {
    vxCircle circle;
    vxRadian sweep;
    std::vector<vxRadian> polar;
    ASSERT_TRUE(vf_FitArrangementCircle(onCircle({0, 20, 40, 60}), circle, sweep, polar));
    expectNear(circle.center(), vxVector<2>(50, 40), 1e-6);
    EXPECT_NEAR(circle.radius(), 100, 1e-6);
    EXPECT_NEAR(sweep.plain(), deg(60).plain(), 1e-9);
    EXPECT_NEAR(polar[2].plain(), deg(40).plain(), 1e-9);

    ASSERT_TRUE(vf_FitArrangementCircle(onCircle({60, 40, 20, 0}), circle, sweep, polar));
    EXPECT_NEAR(sweep.plain(), deg(-60).plain(), 1e-9);

    // Through the half turn, where polar angles jump from pi to -pi.
    ASSERT_TRUE(vf_FitArrangementCircle(onCircle({150, 170, 190, 210}), circle, sweep, polar));
    EXPECT_NEAR(sweep.plain(), deg(60).plain(), 1e-9);
    EXPECT_NEAR(polar[3].plain(), deg(-150).plain(), 1e-9);

    // An even count takes the middle of the two central points for the sense.
    ASSERT_TRUE(vf_FitArrangementCircle(onCircle({-100, -60, 60, 100}), circle, sweep, polar));
    EXPECT_NEAR(sweep.plain(), deg(200).plain(), 1e-9);
}

TEST(LineGeometry, CirclePlacesAdvanceInTheSenseOfTheSweep) {
    const vxCircle circle(vxVector<2>(0, 0), 100);
    // Equal gaps in angle after widths 10, 10, 40 (as angles w / r).
    const std::vector<vx_LinePosition> positions{matched(10, 4, circle.point(vxRadian(0)), deg(90)),
                                                 cell(10, 4),
                                                 matched(40, 4, circle.point(deg(90)), deg(180))};
    const auto forward = vf_PredictCirclePlaces(circle, vxRadian(0), deg(90), 0, 2, positions,
                                                vxRadian(0), vxOCArrangeDefs::eRelative);
    ASSERT_EQ(forward.size(), 3u);
    const double gap = (pi / 2 - 0.35) / 2;
    const double middle = 0.1 + gap;
    expectNear(forward[1].point, circle.point(vxRadian(middle)));
    EXPECT_NEAR(forward[1].direction.plain(), middle + pi / 2, tol);
    expectNear(forward[2].point, circle.point(deg(90)));

    // The same characters read clockwise: mirrored places, tangents turned round.
    const std::vector<vx_LinePosition> mirrored{matched(10, 4, circle.point(vxRadian(0)), deg(-90)),
                                                cell(10, 4),
                                                matched(40, 4, circle.point(deg(-90)), deg(-180))};
    const auto backward = vf_PredictCirclePlaces(circle, vxRadian(0), deg(-90), 0, 2, mirrored,
                                                 vxRadian(0), vxOCArrangeDefs::eRelative);
    expectNear(backward[1].point, circle.point(vxRadian(-middle)));
    EXPECT_NEAR(backward[1].direction.plain(), -middle - pi / 2, tol);
    expectNear(backward[2].point, circle.point(deg(-90)));

    // Absolute orientation 0 at the middle of the arc (tangent 135 degrees) stands the
    // unmatched cell at 45 degrees: width max(|10 cos 45 + 4 sin 45|, ...).
    const auto absolute = vf_PredictCirclePlaces(circle, vxRadian(0), deg(90), 0, 2, positions,
                                                 vxRadian(0), vxOCArrangeDefs::eAbsolute);
    const double w = 14 * std::sqrt(0.5) / 100;
    expectNear(absolute[1].point,
               circle.point(vxRadian((0.1 + w) / 2 + (pi / 2 - 0.05 - w - 0.2) / 2)));
}
