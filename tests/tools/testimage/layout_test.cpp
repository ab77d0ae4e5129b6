#include "vxTestImageDefs.h"
#include "vxTestLayout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

} // namespace

TEST(TestImageLayout, LineIsCentredWithEvenAdvances) {
    vxTestTextStyle style;
    style.size = 20;
    style.scale = 1.5;
    const auto p = vfLayoutLine("ABC4", vxVector<2>(100, 50), vxRadian(kPi / 2), style);
    ASSERT_EQ(p.size(), 4u);
    // Advance 0.8 em * 20 * 1.5 = 24 pixels straight down the image.
    for (size_t k = 0; k < 4; ++k) {
        EXPECT_NEAR(p[k].x, 100.0, 1e-9);
        EXPECT_NEAR(p[k].y, 50.0 + 24.0 * (double(k) - 1.5), 1e-9);
        EXPECT_EQ(p[k].angle, vxRadian(kPi / 2));
    }
    EXPECT_EQ(p[3].code, '4');
}

TEST(TestImageLayout, ArcPosesLieOnTheCircleAlongTheTangent) {
    const vxVector<2> c(320, 240);
    const double r = 150;
    vxTestTextStyle style;
    style.size = 30;
    style.advance = 28;
    for (bool outward : {true, false}) {
        const auto p = vfLayoutArc("LOT:A7", c, r, vxRadian(-kPi / 2), outward, style);
        ASSERT_EQ(p.size(), 6u);
        double previous = 0.0;
        for (size_t k = 0; k < p.size(); ++k) {
            const vxTestCharTruth t = vfTestCharTruth(p[k]);
            const vxVector<2> radial = t.center - c;
            EXPECT_NEAR(radial.length(), r, 1e-9);
            // The reading direction is the tangent, clockwise on screen for tops outward.
            const vxVector<2> reading = t.pose.mapVector(vxVector<2>(1, 0)).unit();
            EXPECT_NEAR(reading.dot(radial.unit()), 0.0, 1e-9);
            EXPECT_NEAR(radial.unit().cross(reading), outward ? 1.0 : -1.0, 1e-9);
            const vxVector<2> up = t.pose.mapVector(vxVector<2>(0, -1));
            EXPECT_EQ(up.dot(radial) > 0, outward);
            const double polar = radial.angle().plain();
            if (k > 0) {
                const double step = std::remainder(polar - previous, 2 * kPi);
                EXPECT_NEAR(step * r, outward ? 28.0 : -28.0, 1e-9);
            }
            previous = polar;
        }
        // The string's middle sits at the top of the circle.
        EXPECT_NEAR((p[2].x + p[3].x) / 2, c.x(), 1e-9);
    }
}

TEST(TestImageLayout, BadLayoutsThrow) {
    using Bad = vxTestImageDefs::BadArgument;
    vxTestTextStyle style;
    EXPECT_THROW(vfLayoutArc("AB", vxVector<2>(0, 0), 0.0, vxRadian(0), true, style), Bad);
    EXPECT_THROW(vfLayoutLine("AB", vxVector<2>(0, INFINITY), vxRadian(0), style), Bad);
    style.advance = -1;
    EXPECT_THROW(vfLayoutLine("AB", vxVector<2>(0, 0), vxRadian(0), style), Bad);
}
