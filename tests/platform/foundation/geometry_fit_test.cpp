// Line and circle fits.
#include "vxFit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <tuple>
#include <utility>

namespace {

std::vector<vxVector<2>> arc(const vxCircle& c, vxDegree from, vxDegree to, int n) {
    std::vector<vxVector<2>> pts;
    for (int i = 0; i < n; ++i)
        pts.push_back(c.point(from + (to - from) * (double(i) / (n - 1))));
    return pts;
}

std::vector<vxVector<2>> jitter(std::vector<vxVector<2>> pts, double sigma, unsigned seed) {
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0.0, sigma);
    for (vxVector<2>& p : pts)
        p += vxVector<2>(noise(rng), noise(rng));
    return pts;
}

constexpr vxCircleFitDefs::fit_mode kModes[] = {vxCircleFitDefs::eGeometric,
                                                vxCircleFitDefs::ePratt, vxCircleFitDefs::eKasa};

} // namespace

TEST(GeometryLineFit, ExactNoisyAndVerticalLines) {
    // y = 0.5 x + 3 as the arranger calls the fit: mode 0, count 0, HUGE_VAL.
    std::vector<vxVector<2>> pts;
    for (int i = -3; i <= 5; ++i)
        pts.push_back(vxVector<2>(i, 0.5 * i + 3));
    vxLine line;
    double rms = -1;
    ASSERT_TRUE(vfLineFit(pts, vxLineFitDefs::fit_mode(0), 0, HUGE_VAL, line, nullptr, &rms));
    EXPECT_NEAR(line.angle().plain(), std::atan(0.5), 1e-14);
    for (const vxVector<2>& p : pts)
        EXPECT_NEAR(line.distanceTo(p), 0.0, 1e-13);
    EXPECT_NEAR(rms, 0.0, 1e-13);
    // Points in order along the line come out in order of distanceAlong.
    for (size_t i = 1; i < pts.size(); ++i)
        EXPECT_GT(line.distanceAlong(pts[i]), line.distanceAlong(pts[i - 1]));

    // A vertical line x = 5 fits as well as any other (angle pi/2 in (-pi/2, pi/2]).
    std::vector<vxVector<2>> vertical{{5, -1}, {5, 2}, {5, 7}, {5, 8}};
    ASSERT_TRUE(vfLineFit(vertical, vxLineFitDefs::eOrthogonal, 0, HUGE_VAL, line));
    EXPECT_NEAR(line.angle().plain(), std::numbers::pi / 2, 1e-15);
    EXPECT_NEAR(line.distanceTo(vxVector<2>(5, 100)), 0.0, 1e-13);
    EXPECT_NEAR(line.distanceTo(vxVector<2>(3, 0)), 2.0, 1e-13);

    // Noise symmetric about a steep line: the orthogonal fit recovers it closely.
    const vxLine truth(vxVector<2>(10, -4), vxDegree(80));
    std::vector<vxVector<2>> noisy;
    for (int i = 0; i < 200; ++i)
        noisy.push_back(truth.point(-50 + 0.5 * i));
    noisy = jitter(noisy, 0.2, 7);
    ASSERT_TRUE(vfLineFit(noisy, vxLineFitDefs::eOrthogonal, 0, HUGE_VAL, line, nullptr, &rms));
    EXPECT_NEAR(vxDegree(line.angle()).plain(), 80, 0.1);
    EXPECT_LT(line.distanceTo(vxVector<2>(10, -4)), 0.05);
    EXPECT_NEAR(rms, 0.2, 0.03);
}

TEST(GeometryCircleFit, ExactPointsGiveTheCircleInEveryMode) {
    const vxCircle truth(vxVector<2>(-12.5, 40), 23);
    struct Case {
        double from, to;
        int n;
    };
    // Full circle, half circle, a short 10-degree arc, and three points; also far
    // from the origin, where unnormalised moments would lose their precision.
    for (const vxVector<2> offset : {vxVector<2>(0, 0), vxVector<2>(1e6, -2e6)}) {
        const vxCircle c(truth.center() + offset, truth.radius());
        for (const Case& k :
             {Case{0, 350, 36}, Case{-90, 90, 10}, Case{20, 30, 6}, Case{0, 120, 3}}) {
            const auto pts = arc(c, vxDegree(k.from), vxDegree(k.to), k.n);
            for (auto mode : kModes) {
                vxCircle fit;
                // The arranger's call: mode 0, 1.0, count 0, HUGE_VAL.
                ASSERT_TRUE(vfCircleFit(pts, mode, 1.0, 0, HUGE_VAL, fit)) << mode << " " << k.to;
                const double tol = 1e-9 * (1 + offset.length()) * (k.to - k.from < 20 ? 100 : 1);
                EXPECT_NEAR(fit.radius(), c.radius(), tol) << mode << " " << k.to;
                EXPECT_TRUE(vfRealEq(fit.center(), c.center(), tol)) << mode << " " << k.to;
            }
        }
    }
}

TEST(GeometryLineFit, OutliersAndDegenerateInput) {
    // Eleven points on y = 1 and one point 3 above them.
    std::vector<vxVector<2>> pts;
    for (int i = 0; i <= 10; ++i)
        pts.push_back(vxVector<2>(i, 1));
    pts.push_back(vxVector<2>(5, 4));
    vxLine line;
    std::vector<bool> used;
    auto fit = [&](const std::vector<vxVector<2>>& p, int count, double maxDist) {
        return vfLineFit(p, vxLineFitDefs::eOrthogonal, count, maxDist, line, &used);
    };
    auto kept = [&] { return std::count(used.begin(), used.end(), true); };
    // All kept: the outlier pulls the line.
    ASSERT_TRUE(fit(pts, 0, HUGE_VAL));
    EXPECT_GT(line.distanceTo(vxVector<2>(0, 1)), 0.1);
    EXPECT_EQ(kept(), 12);
    // count 1 drops the worst point; maxDist drops points farther than it, one at a
    // time with refits.
    for (auto [count, maxDist] : {std::pair{1, HUGE_VAL}, {0, 1.0}}) {
        ASSERT_TRUE(fit(pts, count, maxDist));
        EXPECT_FALSE(used.back());
        EXPECT_EQ(kept(), 11);
        EXPECT_NEAR(line.distanceTo(vxVector<2>(100, 1)), 0.0, 1e-12);
    }
    // The greedy rule drops the point farthest from the current fit, which is not
    // always the odd one out: here the outlier turns the first fit vertical.
    ASSERT_TRUE(fit({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {2, 5}}, 1, HUGE_VAL));
    EXPECT_TRUE(used.back());
    // Never fewer than two points.
    ASSERT_TRUE(fit(pts, 100, 0.0));
    EXPECT_EQ(kept(), 2);

    // Coincident points, a single point and no points give no line.
    EXPECT_FALSE(fit({{2, 3}, {2, 3}, {2, 3}}, 0, HUGE_VAL));
    EXPECT_EQ(line.distanceTo(vxVector<2>(2, 3)), 0.0);
    EXPECT_FALSE(fit({{2, 3}}, 0, HUGE_VAL));
    EXPECT_FALSE(fit({}, 0, HUGE_VAL));

    EXPECT_THROW(fit(pts, -1, HUGE_VAL), vxGeomDefs::BadArgument);
    EXPECT_THROW(fit(pts, 0, std::nan("")), vxGeomDefs::BadArgument);
    EXPECT_THROW(fit({{0, 0}, {HUGE_VAL, 1}}, 0, HUGE_VAL), vxGeomDefs::BadArgument);
    EXPECT_THROW(vfLineFit(pts, vxLineFitDefs::fit_mode(3), 0, HUGE_VAL, line),
                 vxGeomDefs::BadArgument);
}


TEST(GeometryCircleFit, DegenerateInputGivesRadiusZero) {
    vxCircle c(vxVector<2>(9, 9), 9);
    // Three collinear, evenly spaced points (the arranger's straight-line case).
    for (auto mode : kModes) {
        EXPECT_FALSE(vfCircleFit({{0, 0}, {10, 5}, {20, 10}}, mode, 1.0, 0, HUGE_VAL, c));
        EXPECT_EQ(c.radius(), 0.0);
        EXPECT_TRUE(vfRealEq(c.center(), vxVector<2>(10, 5), 1e-12));
    }
    // Collinear with rounding noise, too few distinct points, no points at all.
    const std::vector<std::vector<vxVector<2>>> degenerate{
        {{0.1, 0.1}, {0.2, 0.2}, {0.3, 0.3}, {0.7, 0.7}},
        {{0, 0}, {1, 1}},
        {{0, 0}, {4, 0}, {4, 0}},
        {{3, 3}, {3, 3}, {3, 3}},
        {}};
    for (const auto& pts : degenerate) {
        c = vxCircle(vxVector<2>(9, 9), 9);
        EXPECT_FALSE(vfCircleFit(pts, vxCircleFitDefs::eGeometric, 1.0, 0, HUGE_VAL, c));
        EXPECT_EQ(c.radius(), 0.0) << pts.size();
    }
    EXPECT_EQ(c, vxCircle());
    // Almost collinear is not degenerate: a very flat arc, a very large circle.
    ASSERT_TRUE(vfCircleFit({{-10, 0}, {0, 1e-3}, {10, 0}}, vxCircleFitDefs::eGeometric, 1.0, 0,
                            HUGE_VAL, c));
    EXPECT_NEAR(c.radius(), 50000, 1);
}

TEST(GeometryCircleFit, OutliersAndArguments) {
    const vxCircle truth(vxVector<2>(0, 0), 10);
    auto pts = arc(truth, vxDegree(0), vxDegree(345), 24);
    pts.push_back(vxVector<2>(0, 13));
    vxCircle c;
    std::vector<bool> used;
    auto fit = [&](int mode, double damping, int count, double maxDist) {
        return vfCircleFit(pts, vxCircleFitDefs::fit_mode(mode), damping, count, maxDist, c, &used);
    };
    ASSERT_TRUE(fit(0, 1.0, 0, HUGE_VAL));
    EXPECT_GT(std::fabs(c.radius() - 10), 0.01);
    // Dropping the worst point by count or by distance leaves the true circle.
    for (auto [mode, count, maxDist] : {std::tuple{0, 1, HUGE_VAL}, {1, 0, 2.0}}) {
        ASSERT_TRUE(fit(mode, 1.0, count, maxDist));
        EXPECT_FALSE(used.back());
        EXPECT_EQ(std::count(used.begin(), used.end(), false), 1);
        EXPECT_NEAR(c.radius(), 10, 1e-9);
    }
    // Never fewer than three points.
    ASSERT_TRUE(fit(2, 1.0, 50, 0.0));
    EXPECT_EQ(std::count(used.begin(), used.end(), true), 3);

    // Negative or infinite damping, unknown mode, negative count, negative distance.
    EXPECT_THROW(fit(0, -1.0, 0, HUGE_VAL), vxGeomDefs::BadArgument);
    EXPECT_THROW(fit(0, HUGE_VAL, 0, HUGE_VAL), vxGeomDefs::BadArgument);
    EXPECT_THROW(fit(7, 1.0, 0, HUGE_VAL), vxGeomDefs::BadArgument);
    EXPECT_THROW(fit(0, 1.0, -2, HUGE_VAL), vxGeomDefs::BadArgument);
    EXPECT_THROW(fit(0, 1.0, 0, -1.0), vxGeomDefs::BadArgument);
}
