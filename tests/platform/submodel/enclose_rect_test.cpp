// The enclosing rectangle must hold every perturbed point and stay tight.
#include "vfEncloseRect.h"

#include "vxGeomDefs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace {

vxPolygon square(double x, double y, double w, double h) {
    return vxPolygon({{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}}, 0);
}

bool holds(const vxRect& r, const vxVector<2>& p, double tol = 1e-9) {
    return p.x() >= r.x() - tol && p.x() <= r.x() + r.width() + tol && p.y() >= r.y() - tol &&
           p.y() <= r.y() + r.height() + tol;
}

} // namespace

TEST(EncloseRect, NoUncertaintyIsTheMappedBoundingBox) {
    vxPolygon poly = square(0, 0, 10, 20);
    vxXform<2> pose(vxVector<2>(5, 7), 2.0, 1.0, vxRadian(0), vxRadian(0));
    vxRect r = vfEncloseRect(poly, pose, vxXform<2>(), 0, 0, vxRadian(0), 0, 0, 0, 0, 1);
    EXPECT_DOUBLE_EQ(r.x(), 5);
    EXPECT_DOUBLE_EQ(r.y(), 7);
    EXPECT_DOUBLE_EQ(r.width(), 20);
    EXPECT_DOUBLE_EQ(r.height(), 40);

    // A quarter turn swaps the extents; the outer transform's translation applies last.
    vxXform<2> turn(vxVector<2>(0, 0), 1.0, 1.0, vxRadian(0), vxRadian(std::numbers::pi / 2));
    vxXform<2> shift(vxMatrix<2>(), vxVector<2>(100, 0));
    r = vfEncloseRect(poly, turn, shift, 0, 0, vxRadian(0), 0, 0, 0, 0, 1);
    EXPECT_NEAR(r.x(), 80, 1e-9);
    EXPECT_NEAR(r.width(), 20, 1e-9);
    EXPECT_NEAR(r.height(), 10, 1e-9);
    EXPECT_EQ(vfEncloseRect(vxPolygon(), pose, shift, 1, 1, vxRadian(0.1), 0.1, 0, 0, 0, 1),
              vxRect());
}

TEST(EncloseRect, HoldsEveryPerturbedPointAndStaysTight) {
    vxPolygon poly = square(-3, -5, 12, 9);
    vxXform<2> pose(vxVector<2>(40, -10), 1.5, 1.0, vxRadian(0), vxRadian(0.7));
    vxXform<2> outer(vxVector<2>(2, 3), 0.8, 1.2, vxRadian(0.1), vxRadian(-0.3));
    const double tx = 2, ty = 1, rot = 0.4, s = 0.1;
    vxRect r = vfEncloseRect(poly, pose, outer, tx, ty, vxRadian(rot), s, 0, 0, 0, 1);

    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
    for (int i = 0; i < 100000; ++i) {
        // Translation and scale at their extremes half of the time, so that the sampled
        // box approaches the exact one; the rotation's extremes lie inside its range.
        auto pick = [&](double range) {
            double v = u(rng);
            return (i % 2 == 0 ? (v < 0 ? -1.0 : 1.0) : v) * range;
        };
        vxXform<2> perturb(vxVector<2>(0, 0), 1.0 + pick(s), 1.0, vxRadian(0),
                           vxRadian(u(rng) * rot));
        vxXform<2> shift(vxMatrix<2>(), vxVector<2>(pick(tx), pick(ty)));
        const vxVector<2>& v = poly.vertices()[rng() % 4];
        vxVector<2> p = outer * (shift * (pose * (perturb * v)));
        ASSERT_TRUE(holds(r, p)) << "point " << p.x() << ", " << p.y();
        x0 = std::min(x0, p.x()), x1 = std::max(x1, p.x());
        y0 = std::min(y0, p.y()), y1 = std::max(y1, p.y());
    }
    EXPECT_LT(r.width() - (x1 - x0), 0.005 * r.width());
    EXPECT_LT(r.height() - (y1 - y0), 0.005 * r.height());
}
