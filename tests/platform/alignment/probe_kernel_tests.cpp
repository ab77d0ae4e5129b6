// The edge probe's sampling loop: the vector version against the portable one, bit for
// bit, on random gradient planes, lines and sample ranges of odd and even lengths.
#include "vx_KSProbeKernel.h"

#include <gtest/gtest.h>

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
