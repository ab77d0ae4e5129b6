// Edge detection: sub-pixel edgelets of an anti-aliased disc, their directions and
// client positions, thresholds and edge types, argument checks.
#include "vxEdgeDetect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

constexpr double kCx = 48.3, kCy = 44.7, kRadius = 30.0;

// A bright disc (200) on a dark ground (40), each pixel shaded by the part of it the
// disc covers (16 x 16 sub-samples).
vxPelBuffer<unsigned char> disc() {
    vxPelBuffer<unsigned char> img(100, 90);
    for (long y = 0; y < 90; ++y)
        for (long x = 0; x < 100; ++x) {
            int inside = 0;
            for (int sy = 0; sy < 16; ++sy)
                for (int sx = 0; sx < 16; ++sx) {
                    const double px = x + (sx + 0.5) / 16 - kCx, py = y + (sy + 0.5) / 16 - kCy;
                    inside += px * px + py * py < kRadius * kRadius;
                }
            *img.pointToPel(x, y) =
                static_cast<unsigned char>(std::lround(40 + 160 * inside / 256.0));
        }
    return img;
}

// Difference of two angles in steps, from -128 to 127.
int stepDifference(int a, int b) {
    return ((a - b + 128) & 255) - 128;
}

} // namespace

TEST(EdgeDetect, DiscEdgeletsLieOnTheCircleAndPointInward) {
    vxPelBuffer<unsigned char> img = disc();
    const vxXform<2> clientFromImage(vxVector<2>(3, -2), 0.5, 1.0, vxRadian(0), vxDegree(20));
    img.clientFromImageXform(clientFromImage);
    vxEdgeletSet set;
    vfEdgeDetect<unsigned char>(img, vxEdgeletParams(1.0, 10.0, 1), set);

    const double outline = 2 * std::numbers::pi * kRadius;
    EXPECT_GT(set.size(), outline * 0.9);
    EXPECT_LT(set.size(), outline * 1.5);
    double worst = 0.0;
    int worstSteps = 0;
    for (const vxEdgelet& e : set) {
        const vxVector<2> toCentre = vxVector<2>(kCx, kCy) - e.posImage();
        worst = std::max(worst, std::fabs(toCentre.length() - kRadius));
        const int expected = vxBinaryAngle::fromRadian(toCentre.angle()).plain();
        worstSteps = std::max(worstSteps, std::abs(stepDifference(e.angle().plain(), expected)));
        ASSERT_TRUE(vfRealEq(e.posClient(), clientFromImage.mapPoint(e.posImage()), 1e-9));
        ASSERT_NEAR(e.magnitude(), 0.4 * 160, 6.0);
    }
    EXPECT_LE(worst, 0.1);
    EXPECT_LE(worstSteps, 1);
    EXPECT_EQ(vxBinaryAngle::fromRadian(vxDegree(-90)).plain(), 192); // the reference's steps
}

TEST(EdgeDetect, ThresholdTypeWindowAndBadArguments) {
    vxPelBuffer<unsigned char> img = disc();
    vxEdgeletSet thin, all, none;
    vfEdgeDetect<unsigned char>(img, vxEdgeletParams(1.0, 10.0, 1), thin);
    vfEdgeDetect<unsigned char>(img, vxEdgeletParams(1.0, 10.0, 0), all);
    EXPECT_GT(all.size(), 2 * thin.size());
    for (const vxEdgelet& e : all)
        ASSERT_EQ(e.posImage().x() - std::floor(e.posImage().x()), 0.5);
    // Above the peak magnitude (about 0.4 x 160) nothing passes.
    vfEdgeDetect<unsigned char>(img, vxEdgeletParams(1.0, 80.0, 1), none);
    EXPECT_TRUE(none.empty());

    // A window over the disc's left side sees only the circle within it; its own
    // border, cut through flat grey, adds nothing (the filter repeats the border
    // pixels, which bends the circle's edgelets near it a little).
    img.window(vxPelRect(10, 20, 30, 50), false);
    vxEdgeletSet part;
    vfEdgeDetect<unsigned char>(img, vxEdgeletParams(), part);
    EXPECT_FALSE(part.empty());
    for (const vxEdgelet& e : part) {
        const vxVector<2> p = e.posImage();
        ASSERT_TRUE(vxRect(10, 20, 30, 50).contains(p));
        ASSERT_NEAR((vxVector<2>(kCx, kCy) - p).length(), kRadius, 0.3);
    }

    // Bad parameters and an unbound image throw; a failed run keeps the set.
    EXPECT_THROW(vxEdgeletParams(0.2, 10.0, 1), vxEdgeletParams::BadParams);
    EXPECT_THROW(vxEdgeletParams(1.0, -1.0, 1), vxEdgeletParams::BadParams);
    EXPECT_THROW(vxEdgeletParams(1.0, 10.0, 2), vxEdgeletParams::BadParams);

    const std::size_t n = part.size();
    EXPECT_THROW(vfEdgeDetect<unsigned char>(vxPelBuffer<unsigned char>(), vxEdgeletParams(), part),
                 vxPel::UnboundWindow);
    EXPECT_EQ(part.size(), n);
}
