// Mark detection and background padding on a 64 x 64 character (a dark ring and bar on
// slightly noisy paper), in microseconds.
#include "vxOCCharMarks.h"
#include "vxPelOps.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

namespace {

vxPelBuffer<unsigned char> character() {
    vxPelBuffer<unsigned char> img(64, 64);
    std::mt19937 gen(3);
    std::uniform_int_distribution<int> noise(-4, 4);
    for (long y = 0; y < 64; ++y)
        for (long x = 0; x < 64; ++x) {
            const double r = std::hypot(x - 32.0, y - 30.0);
            const bool ink = std::fabs(r - 16) < 3 || (std::abs(x - 40) < 3 && y > 30 && y < 56);
            *img.pointToPel(x, y) = static_cast<unsigned char>((ink ? 40 : 200) + noise(gen));
        }
    return img;
}

void BM_DetectMarkRect(benchmark::State& state) {
    const vxPelBuffer_const<unsigned char> img = character();
    const vxPelBuffer_const<unsigned char> noMask;
    vxRect marks;
    for (auto _ : state)
        benchmark::DoNotOptimize(vf_DetectMarkRect_(img, img.window(), noMask, false,
                                                    vxOCDefs::eUnknownPolarity, marks));
}
BENCHMARK(BM_DetectMarkRect)->Unit(benchmark::kMicrosecond);

void BM_BackgroundPad(benchmark::State& state) {
    const vxPelBuffer<unsigned char> source = character();
    vxPelBuffer<unsigned char> img = vfPelCopy(source);
    for (auto _ : state) {
        vf_OCBackgroundPadImage(img, vxPelRect(12, 10, 40, 44));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BackgroundPad)->Unit(benchmark::kMicrosecond);

} // namespace
