// Turning and scaling images: a quarter turn transposes and flips, client coordinates
// are kept; bad arguments.
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
