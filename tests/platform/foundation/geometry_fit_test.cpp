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
