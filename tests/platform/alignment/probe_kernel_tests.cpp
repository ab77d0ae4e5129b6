// The edge probe's sampling loop: the vector version against the portable one, bit for
// bit, on random gradient planes, lines and sample ranges of odd and even lengths.
#include "vx_KSAgreementKernel.h"
#include "vx_KSModel.h"
#include "vx_KSProbeKernel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

TEST(ProbeKernel, VectorSamplesEqualPortableOnes) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> value(-60.0f, 60.0f);
    constexpr long w = 40, h = 30;
    std::vector<float> xy(2 * w * h);
    for (float& v : xy) v = value(rng);
    std::uniform_real_distribution<double> where(9.0, 30.0), turn(-3.2, 3.2);
    for (int trial = 0; trial < 200; ++trial) {
        const double a = turn(rng), ux = std::cos(a), uy = std::sin(a);
        // 16 half-pixel steps reach 8 pixels at most: the line stays inside.
        const double x0 = where(rng) - 4.0 * ux, y0 = where(rng) * 0.8 - 4.0 * uy;
        const int k0 = static_cast<int>(rng() % 4), k1 = k0 + 1 + static_cast<int>(rng() % 12);
        float fast[17] = {}, slow[17] = {};
        vf_KSProbeSamples(xy.data(), w, x0, y0, ux, uy, k0, k1, fast);
        vf_KSProbeSamplesPortable(xy.data(), w, x0, y0, ux, uy, k0, k1, slow);
        EXPECT_EQ(std::memcmp(fast, slow, sizeof fast), 0) << "trial " << trial;
    }
}

// Probing many lines at once against one by one, bit for bit: lines inside, across the
// border and outside, at every reach the refinement uses, with peaks above and below
// the strength asked for; and the gradient at each line's centre against at().
TEST(ProbeKernel, BatchProbesEqualSingleOnes) {
    std::mt19937 rng(5);
    vx_KSGradient g;
    g.w = 48;
    g.h = 36;
    g.xy.resize(static_cast<std::size_t>(2 * g.w * g.h));
    std::uniform_real_distribution<float> value(-60.0f, 60.0f);
    for (float& v : g.xy) v = value(rng);
    std::uniform_real_distribution<double> x(-2.0, 50.0), y(-2.0, 38.0), turn(-3.2, 3.2),
        strength(0.0, 40.0);
    constexpr std::size_t n = 203; // not a multiple of four
    std::vector<double> px(n), py(n), ux(n), uy(n), offset(n), single(n);
    std::vector<float> gx(n), gy(n);
    std::vector<unsigned char> found(n);
    for (double reach : {1.0, 1.5, 2.5}) {
        for (std::size_t k = 0; k < n; ++k) {
            const double a = turn(rng);
            px[k] = k % 5 ? 6.0 + x(rng) * 0.75 : x(rng); // most lines wholly inside
            py[k] = k % 5 ? 6.0 + y(rng) * 0.65 : y(rng);
            ux[k] = std::cos(a);
            uy[k] = std::sin(a);
        }
        const double minStrength = strength(rng);
        vf_KSProbeEdges(g, n, px.data(), py.data(), ux.data(), uy.data(), reach, minStrength,
                        offset.data(), found.data(), gx.data(), gy.data());
        long hits = 0;
        for (std::size_t k = 0; k < n; ++k) {
            double d = 0.0, s = 0.0;
            const bool one = vf_KSProbeEdge(g, px[k], py[k], ux[k], uy[k], reach, minStrength, &d, &s);
            ASSERT_EQ(bool(found[k]), one) << "line " << k << " reach " << reach;
            if (one) {
                EXPECT_EQ(std::memcmp(&offset[k], &d, sizeof d), 0) << "line " << k;
            }
            float sx, sy;
            g.at(px[k], py[k], &sx, &sy);
            EXPECT_TRUE(gx[k] == sx && gy[k] == sy) << "line " << k;
            hits += one;
        }
        EXPECT_GT(hits, 20);
        EXPECT_LT(hits, static_cast<long>(n));
    }
}

// The eight neighbours' agreement sums against the one-position loop, bit for bit.
TEST(ProbeKernel, NeighbourSumsEqualOneByOne) {
    std::mt19937 rng(3);
    constexpr long w = 40, h = 30;
    std::vector<float> xy(2 * w * h);
    std::uniform_real_distribution<float> value(-1.0f, 1.0f);
    for (float& v : xy) v = value(rng);
    constexpr std::size_t n = 37;
    std::vector<std::int32_t> off(n);
    std::vector<float> ux(n), uy(n);
    for (std::size_t k = 0; k < n; ++k) {
        off[k] = static_cast<std::int32_t>(2 * (static_cast<long>(rng() % 9) - 4) * w +
                                           2 * (static_cast<long>(rng() % 9) - 4));
        ux[k] = value(rng);
        uy[k] = value(rng);
    }
    const long cx = 20, cy = 15;
    float sums[8];
    if (!vf_KSAgreementAround(xy.data() + 2 * (cy * w + cx), w, off.data(), ux.data(), uy.data(), n, sums))
        GTEST_SKIP() << "no AVX2";
    int l = 0;
    for (long dy = -1; dy <= 1; ++dy)
        for (long dx = -1; dx <= 1; ++dx) {
            if (dx == 0 && dy == 0) continue;
            const float* b = xy.data() + 2 * ((cy + dy) * w + cx + dx);
            float sum = 0.0f;
            for (std::size_t k = 0; k < n; ++k)
                sum += std::max(0.0f, ux[k] * b[off[k]] + uy[k] * b[off[k] + 1]);
            EXPECT_EQ(std::memcmp(&sum, &sums[l++], sizeof sum), 0) << dx << ", " << dy;
        }
}
