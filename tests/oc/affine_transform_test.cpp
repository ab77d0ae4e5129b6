// Turning and scaling images: a quarter turn transposes and flips, client coordinates
// are kept, the margin is mirrored, sizes round halves up, masks follow the image.
#include "vx_OCAffineTransform.h"

#include "vxPelOps.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Params = vxAffineSamplingParams;

// Root (0, 0, 24, 12), window (1, 1, 20, 10), distinct non-zero pixels.
vxPelBuffer<unsigned char> patterned() {
    vxPelBuffer<unsigned char> img(24, 12);
    for (long y = 0; y < 12; ++y)
        for (long x = 0; x < 24; ++x)
            *img.pointToPel(x, y) = static_cast<unsigned char>((x * 13 + y * 7) % 200 + 20);
    img.window(vxPelRect(1, 1, 20, 10), false);
    return img;
}

// The source image point that output pixel (i, j) sampled.
vxVector<2> sourcePoint(const vxPelBuffer_const<unsigned char>& src,
                        const vxPelBuffer_const<unsigned char>& out, long i, long j) {
    const vxVector<2> client = out.clientFromImageXform().mapPoint(vxVector<2>(i + 0.5, j + 0.5));
    return src.imageFromClientXform().mapPoint(client);
}

long mirror(long i, long lo, long n) {
    return i < lo ? 2 * lo - 1 - i : (i >= lo + n ? 2 * (lo + n) - 1 - i : i);
}

} // namespace

TEST(AffineTransform, QuarterTurnTransposesAndFlipsKeepingClientCoordinates) {
    vxPelBuffer<unsigned char> src = patterned();
    src.clientFromImageXform(vxXform<2>(vxVector<2>(-4, 9), 1.5, 1.0, vxRadian(0), vxDegree(-12)));
    for (auto interp : {Params::eNearestNeighbor, Params::eBilinear, Params::eBicubic}) {
        vxPelBuffer<unsigned char> out;
        vf_AffineTransform(src, vxDegree(90), 1.0, out, interp);
        ASSERT_EQ(out.width(), 10);
        ASSERT_EQ(out.height(), 20);
        for (long j = 0; j < 20; ++j)
            for (long i = 0; i < 10; ++i) {
                // Output (i, j) shows window pixel (j, 9 - i), and its client position
                // is that pixel's.
                const long x = 1 + j, y = 1 + 9 - i;
                ASSERT_EQ(*out.pointToPel(i, j), *src.pointToPel(x, y)) << interp;
                ASSERT_TRUE(
                    vfRealEq(sourcePoint(src, out, i, j), vxVector<2>(x + 0.5, y + 0.5), 1e-9));
            }
    }
}

TEST(AffineTransform, MarginIsMirroredFromTheRootEdgeAndZeroBeyond) {
    const vxPelBuffer<unsigned char> src = patterned();
    vxPelBuffer<unsigned char> out;
    vf_AffineTransform(src, vxDegree(30), 2.0, out, Params::eNearestNeighbor);
    // Box 20 cos 30 + 10 sin 30 = 22.32 by 20 sin 30 + 10 cos 30 = 18.66, times 2.
    ASSERT_EQ(out.width(), 45);
    ASSERT_EQ(out.height(), 37);
    const vxPelRect widened(-2, -2, 26, 16); // the window grown by 3
    int mirrored = 0, zero = 0;
    for (long j = 0; j < out.height(); ++j)
        for (long i = 0; i < out.width(); ++i) {
            const vxVector<2> p = sourcePoint(src, out, i, j);
            const long x = long(std::floor(p.x())), y = long(std::floor(p.y()));
            if (std::fabs(p.x() - std::round(p.x())) < 1e-6 ||
                std::fabs(p.y() - std::round(p.y())) < 1e-6)
                continue; // on a pixel boundary: either side is right
            if (!widened.contains(x, y)) {
                ASSERT_EQ(*out.pointToPel(i, j), 0);
                ++zero;
                continue;
            }
            ASSERT_EQ(*out.pointToPel(i, j), *src.pointToPel(mirror(x, 0, 24), mirror(y, 0, 12)));
            mirrored += !src.rootWindow().contains(x, y);
        }
    EXPECT_GT(mirrored, 20);
    EXPECT_GT(zero, 20);
}

TEST(AffineTransform, MaskTurnsWithTheImageAndIsBinary) {
    const vxPelBuffer<unsigned char> src = patterned();
    // Elsewhere in its own buffer: cares about the left 7 columns of the window.
    vxPelBuffer<unsigned char> mask(vxPelRect(50, 50, 20, 10));
    for (long y = 50; y < 60; ++y)
        for (long x = 50; x < 57; ++x)
            *mask.pointToPel(x, y) = 200;
    vxPelBuffer<unsigned char> out, outMask;
    vf_AffineTransform(src, mask, vxDegree(-90), 1.0, out, outMask, Params::eBilinear,
                       Params::eNearestNeighbor);
    ASSERT_EQ(outMask.window(), out.window());
    EXPECT_TRUE(vfRealEq(outMask.clientFromImageXform(), out.clientFromImageXform(), 0.0));
    for (long j = 0; j < 20; ++j)
        for (long i = 0; i < 10; ++i) // output (i, j) shows window pixel (19 - j, i)
            ASSERT_EQ(*outMask.pointToPel(i, j), 19 - j < 7 ? 255 : 0);

    // Without a mask the whole window counts; outside the mirrored margin nothing does.
    vf_AffineTransform(src, vxPelBuffer<unsigned char>(), vxDegree(45), 1.0, out, outMask,
                       Params::eBilinear, Params::eBilinear);
    EXPECT_EQ(*outMask.pointToPel(outMask.width() / 2, outMask.height() / 2), 255);
    EXPECT_EQ(*outMask.pointToPel(0, 0), 0);
}

TEST(AffineTransform, BadArgumentsThrowAndLeaveTheOutputs) {
    const vxPelBuffer<unsigned char> src = patterned();
    vxPelBuffer<unsigned char> out(3, 3), outMask(3, 3);
    EXPECT_THROW(vf_AffineTransform(src, vxDegree(10), 0.01, out, Params::eBilinear),
                 vxAssertionFailure);
    EXPECT_THROW(vf_AffineTransform(src, vxDegree(0), 2000.0, out, Params::eBilinear),
                 vxAssertionFailure);
    EXPECT_THROW(vf_AffineTransform(src, vxPelBuffer<unsigned char>(5, 5), vxDegree(0), 1.0, out,
                                    outMask, Params::eBilinear, Params::eBilinear),
                 vxPel::SizeMismatch);
    EXPECT_THROW(
        vf_AffineTransform(src, vxDegree(0), 1.0, out, static_cast<Params::Interpolation>(0)),
        Params::BadParams);
    EXPECT_EQ(out.width(), 3);
    EXPECT_EQ(outMask.width(), 3);
}
