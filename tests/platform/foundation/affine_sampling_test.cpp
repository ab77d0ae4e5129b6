// Affine sampling: accuracy of each interpolation on a turned and scaled rectangle,
// argument checks.
#include "vxAffineSampling.h"

#include "vxPelOps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

using Params = vxAffineSamplingParams;

// A smooth pattern; pixel (x, y) holds it at (x, y), so the image's value at image point
// p is smooth(p - 0.5).
double smooth(double x, double y) {
    return 128.0 + 60.0 * std::sin(x / 7.0) * std::cos(y / 9.0);
}

vxPelBuffer<unsigned char> smoothImage(const vxPelRect& root) {
    vxPelBuffer<unsigned char> img(root);
    for (long y = root.y(); y < root.y() + root.height(); ++y)
        for (long x = root.x(); x < root.x() + root.width(); ++x)
            *img.pointToPel(x, y) = static_cast<unsigned char>(std::lround(smooth(x, y)));
    return img;
}

vxVector<2> sampledPoint(const vxPelBuffer_const<unsigned char>& out, long i, long j) {
    return out.clientFromImageXform().mapPoint(vxVector<2>(i + 0.5, j + 0.5));
}

} // namespace

TEST(AffineSampling, TurnedScaledRectangleReproducesSmoothPattern) {
    // Root away from the origin, window smaller than the root: sampling reads the root.
    vxPelBuffer<unsigned char> src = smoothImage(vxPelRect(-20, 10, 220, 160));
    src.window(vxPelRect(0, 20, 50, 50), false);
    const auto rect = vxAffineRectangle::fromCenter(vxVector<2>(80, 90), 90.0, 60.0,
                                                    vxRadian(vxDegree(30)), vxRadian(vxDegree(5)));
    for (auto interp : {Params::eBilinear, Params::eBicubic}) {
        const auto out = vfAffineTransformImage(src, Params(rect, 180, 120, interp));
        ASSERT_EQ(out.window(), vxPelRect(0, 0, 180, 120));
        double worst = 0.0;
        for (long j = 0; j < 120; ++j)
            for (long i = 0; i < 180; ++i) {
                const vxVector<2> p = sampledPoint(out, i, j);
                const double expected = std::round(smooth(p.x() - 0.5, p.y() - 0.5));
                worst = std::max(worst, std::fabs(*out.pointToPel(i, j) - expected));
            }
        // Source and output are both rounded to whole grey levels.
        EXPECT_LE(worst, 1.0) << "interpolation " << interp;
    }
    // Nearest takes the pixel that contains the point.
    const auto out = vfAffineTransformImage(src, Params(rect, 45, 30, Params::eNearestNeighbor));
    for (long j = 0; j < 30; ++j)
        for (long i = 0; i < 45; ++i) {
            const vxVector<2> p = sampledPoint(out, i, j);
            ASSERT_EQ(*out.pointToPel(i, j),
                      *src.pointToPel(long(std::floor(p.x())), long(std::floor(p.y()))));
        }
}

TEST(AffineSampling, BadArgumentsThrowAndChangeNothing) {
    const vxAffineRectangle nan(vxVector<2>(std::nan(""), 0), vxVector<2>(1, 0), vxVector<2>(0, 1));
    EXPECT_THROW(Params(nan, 1, 1), Params::BadParams);
    EXPECT_THROW(Params(vxAffineRectangle(), -1, 1), Params::BadParams);
    Params p(vxAffineRectangle(vxRect(0, 0, 4, 4)), 4, 4, Params::eBicubic);
    EXPECT_THROW(p.interpolation(static_cast<Params::Interpolation>(7)), Params::BadParams);
    EXPECT_EQ(p.interpolation(), Params::eBicubic);

    vxPelBuffer<unsigned char> dst(2, 2);
    EXPECT_THROW(vfAffineTransformImage(vxPelBuffer<unsigned char>(), p, dst),
                 vxPel::UnboundWindow);
    vxPelBuffer<unsigned char> far(4, 4);
    far.clientFromImageXform(vxXform<2>(vxMatrix<2>(), vxVector<2>(-1e12, 0)));
    EXPECT_THROW(vfAffineTransformImage(far, p, dst), vxPel::BadArgument);
    EXPECT_EQ(dst.width(), 2);
    // An empty output reads nothing.
    EXPECT_EQ(vfAffineTransformImage(far, Params(vxAffineRectangle(), 0, 3)).width(), 0);
}
