// The refinement step's vectorised loops against the plain formulas, bit for bit, on
// random features, probes and gradients (with and without edges found).
#include "vx_KSStepKernel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace {

bool same(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

} // namespace

TEST(StepKernel, LoopsEqualPlainFormulas) {
    std::mt19937 rng(17);
    std::uniform_real_distribution<float> coord(-20.0f, 20.0f), unit(-1.0f, 1.0f),
        grad(-80.0f, 80.0f);
    std::uniform_real_distribution<double> offset(-1.6, 1.6);
    constexpr std::size_t n = 83; // not a multiple of four
    std::vector<vx_KSFeature> f(n);
    for (auto& p : f) p = {coord(rng), coord(rng), unit(rng), unit(rng)};
    std::vector<double> qx(n), qy(n), mx(n), my(n), rx(n), ry(n), d(n), credit(n);
    std::vector<float> gx(n), gy(n);
    std::vector<unsigned char> found(n);
    for (std::size_t k = 0; k < n; ++k) {
        d[k] = offset(rng);
        gx[k] = k % 7 ? grad(rng) : 0.0f; // some without gradient
        gy[k] = grad(rng) * (k % 11 ? 1.0f : 0.01f);
        found[k] = k % 5 != 0;
    }
    const double c = std::cos(0.7), s = std::sin(0.7), tx = 31.5, ty = 12.25, scale = 1.07;
    const vx_KSPlacement at{qx.data(), qy.data(), mx.data(), my.data(), rx.data(), ry.data()};
    vf_KSPlaceFeatures(f.data(), n, c, s, tx, ty, scale, at);
    for (std::size_t k = 0; k < n; ++k) {
        const double x = f[k].x, y = f[k].y, ux = f[k].ux, uy = f[k].uy;
        ASSERT_TRUE(same(rx[k], c * x - s * y) && same(ry[k], s * x + c * y)) << k;
        ASSERT_TRUE(same(qx[k], tx + scale * rx[k]) && same(qy[k], ty + scale * ry[k])) << k;
        ASSERT_TRUE(same(mx[k], c * ux - s * uy) && same(my[k], s * ux + c * uy)) << k;
    }

    // Rounded to pixels for tracking.
    constexpr long width = 97;
    std::vector<std::int32_t> dx(n), dy(n), at32(n);
    std::vector<float> fx(n), fy(n);
    std::int32_t box[4];
    vf_KSPlacePixels(f.data(), n, c, s, scale, width, dx.data(), dy.data(), fx.data(), fy.data(),
                     at32.data(), box);
    std::int32_t expectBox[4] = {0, 0, 0, 0};
    for (std::size_t k = 0; k < n; ++k) {
        const double x = f[k].x, y = f[k].y, ux = f[k].ux, uy = f[k].uy;
        const auto px = static_cast<std::int32_t>(std::floor(0.5 + scale * (c * x - s * y)));
        const auto py = static_cast<std::int32_t>(std::floor(0.5 + scale * (s * x + c * y)));
        ASSERT_TRUE(dx[k] == px && dy[k] == py && at32[k] == 2 * (py * width + px)) << k;
        ASSERT_TRUE(fx[k] == static_cast<float>(c * ux - s * uy) &&
                    fy[k] == static_cast<float>(s * ux + c * uy)) << k;
        expectBox[0] = std::min(expectBox[0], px);
        expectBox[1] = std::max(expectBox[1], px);
        expectBox[2] = std::min(expectBox[2], py);
        expectBox[3] = std::max(expectBox[3], py);
    }
    EXPECT_TRUE(std::equal(box, box + 4, expectBox));

    constexpr double contrast = 10.0;
    vf_KSTallyCredits(at, gx.data(), gy.data(), d.data(), found.data(), n, contrast, credit.data());
    for (std::size_t k = 0; k < n; ++k) {
        const double mag = std::sqrt(double(gx[k]) * gx[k] + double(gy[k]) * gy[k]);
        const double agree =
            (mag >= contrast && mag > 0.0) ? std::max(0.0, (mx[k] * gx[k] + my[k] * gy[k]) / mag) : 0.0;
        const double a = std::fabs(d[k]);
        const double near = a <= 0.5 ? 1.0 : a >= 1.0 ? 0.0 : 2.0 * (1.0 - a);
        EXPECT_TRUE(same(credit[k], found[k] ? agree * near : 0.0)) << k;
    }

    for (int freedom = 0; freedom < 4; ++freedom) {
        const bool freeAngle = freedom & 1, freeScale = freedom & 2;
        double a[4][4] = {}, b[4] = {}, ra[4][4] = {}, rb[4] = {};
        const long used = vf_KSNormalEquations(at, d.data(), found.data(), n, scale, freeAngle,
                                               freeScale, a, b);
        long expected = 0;
        const int M = 2 + freeAngle + freeScale;
        for (std::size_t k = 0; k < n; ++k) {
            if (!found[k]) continue;
            double j[4] = {mx[k], my[k], 0.0, 0.0};
            int m = 2;
            if (freeAngle) j[m++] = scale * (mx[k] * -ry[k] + my[k] * rx[k]);
            if (freeScale) j[m++] = scale * (mx[k] * rx[k] + my[k] * ry[k]);
            const double w = 1.0 / (1.0 + d[k] * d[k]);
            for (int r = 0; r < M; ++r) {
                for (int q = 0; q < M; ++q) ra[r][q] += w * j[r] * j[q];
                rb[r] += w * j[r] * d[k];
            }
            ++expected;
        }
        EXPECT_EQ(used, expected);
        for (int r = 0; r < M; ++r) {
            EXPECT_TRUE(same(b[r], rb[r])) << freedom << " b " << r;
            for (int q = 0; q < M; ++q) EXPECT_TRUE(same(a[r][q], ra[r][q])) << freedom << " a " << r << q;
        }
    }
}
