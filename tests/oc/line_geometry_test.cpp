// Line geometry of the arranger: straight and circular fits on known points, order and
// winding failures, predicted places with uneven widths in both senses, and average
// orientation with half-turn-symmetric characters.
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

TEST(LineGeometry, StraightFitFailsOnDisorderRepeatsAndTooFewPoints) {
    const vxLine untouched(deg(12), 3.0);
    const std::vector<double> untouchedAlong{7.0};
    const std::vector<std::vector<vxVector<2>>> failing{
        {{0, 0}, {20, 0}, {10, 0}, {30, 0}},  // a character out of order
        {{0, 0}, {10, -1}, {10, 1}, {20, 0}}, // two characters at the same place along
        {{0, 0}, {0, 0}},                     // coincident
        {{5, 5}},                             // a single character
        {},
    };
    for (const auto& points : failing) {
        vxLine line = untouched;
        std::vector<double> along = untouchedAlong;
        EXPECT_FALSE(vf_FitArrangementLine(points, line, along)) << points.size();
        EXPECT_EQ(line, untouched);
        EXPECT_EQ(along, untouchedAlong);
    }
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

TEST(LineGeometry, CircularFitRejectsStraightShortSteppingBackAndOverwoundArcs) {
    const std::vector<std::vector<vxVector<2>>> failing{
        {{0, 0}, {10, 0}, {20, 0}},                      // collinear: no circle
        onCircle({0, 2, 4}),                             // a sweep under 5 degrees
        onCircle({0, 10, 200}),                          // a step over half a turn
        onCircle({0, 20, 20, 40}),                       // a step of nothing
        onCircle({0, 4, 8, 12, 16, 100, 200, 300, 380}), // more than a full turn
        onCircle({0, 30, 20, 60}),                       // stepping back
        {{0, 0}, {10, 5}},                               // too few points
    };
    for (size_t i = 0; i < failing.size(); ++i) {
        vxCircle circle(vxVector<2>(1, 2), 3);
        vxRadian sweep(0.5);
        std::vector<vxRadian> polar;
        EXPECT_FALSE(vf_FitArrangementCircle(failing[i], circle, sweep, polar)) << i;
        EXPECT_EQ(circle, vxCircle(vxVector<2>(1, 2), 3));
        EXPECT_EQ(sweep, vxRadian(0.5));
    }
    vxCircle circle;
    vxRadian sweep;
    std::vector<vxRadian> polar;
    EXPECT_TRUE(vf_FitArrangementCircle(onCircle({0, 3, 6}), circle, sweep, polar));
}

TEST(LineGeometry, LinePlacesShareTheGapAfterUnevenWidths) {
    const vxLine line(vxVector<2>(0, 7), vxRadian(0));
    const std::vector<double> along{5.0, 105.0};
    std::vector<vx_LinePosition> positions{cell(99, 99), // before the line: never read
                                           matched(10, 4, {5, 7}, vxRadian(0)), cell(10, 4),
                                           cell(30, 4), matched(10, 4, {105, 7}, vxRadian(0))};
    // Widths 10, 10, 30, 10: W = 10 + 40, gap = (100 - 50) / 3.
    auto places =
        vf_PredictLinePlaces(line, along, 1, 4, positions, vxRadian(0), vxOCArrangeDefs::eRelative);
    ASSERT_EQ(places.size(), 4u);
    const double gap = 50.0 / 3;
    expectNear(places[0].point, {5, 7});
    expectNear(places[1].point, {5 + (10 + 10) / 2.0 + gap, 7});
    expectNear(places[2].point, {5 + (10 + 10) / 2.0 + gap + (10 + 30) / 2.0 + gap, 7});
    expectNear(places[3].point, {105, 7});
    EXPECT_EQ(places[2].direction, vxRadian(0));

    // Standing across the line, the wide cell takes its height 4: absolute 90 degrees
    // on a line at 0, or a matched character turned by 90 degrees.
    places =
        vf_PredictLinePlaces(line, along, 1, 4, positions, deg(90), vxOCArrangeDefs::eAbsolute);
    const double narrowGap = (100 - 10 - 4 - 4) / 3.0;
    expectNear(places[2].point, {5 + (10 + 4) / 2.0 + narrowGap + (4 + 4) / 2.0 + narrowGap, 7});
    positions[3] = matched(30, 4, {80, 7}, deg(-90));
    places =
        vf_PredictLinePlaces(line, along, 1, 4, positions, vxRadian(0), vxOCArrangeDefs::eRelative);
    const double mixedGap = (100 - 10 - 10 - 4) / 3.0;
    expectNear(places[2].point, {5 + (10 + 10) / 2.0 + mixedGap + (10 + 4) / 2.0 + mixedGap, 7});
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

TEST(LineGeometry, AverageOrientationReadsHalfTurnSymmetricCharactersEitherWay) {
    const Sym none = vx_OCExtractDefs::eNotSymmetric;
    const Sym half = vx_OCExtractDefs::eSymmetric180;
    const Sym full = vx_OCExtractDefs::eRotationallySymmetric;
    EXPECT_NEAR(vf_AverageOrientation({deg(10), deg(190)}, {half, half}).plain(), deg(10).plain(),
                tol);
    // The asymmetric characters set the reading; a symmetric one agrees by turning.
    EXPECT_NEAR(vf_AverageOrientation({deg(275), deg(100), deg(90)}, {half, none, none}).plain(),
                deg(95).plain(), tol);
    EXPECT_NEAR(vf_AverageOrientation({deg(-20), deg(20), deg(123)}, {none, none, full}).plain(),
                0.0, tol);
    EXPECT_EQ(vf_AverageOrientation({}, {}), vxRadian(0));
    EXPECT_EQ(vf_AverageOrientation({deg(33), deg(77)}, {full, full}), vxRadian(0));
}
