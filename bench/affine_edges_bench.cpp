// Affine sampling and edge detection on a 640 x 480 scene (dark discs and bars on a
// shaded, slightly noisy ground): a 10-degree turn at each interpolation, edgelets
// with the finder's parameters, and the finder's quarter turn of a character image.
#include "vxAffineSampling.h"
#include "vxEdgeDetect.h"
#include "vx_OCAffineTransform.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

namespace {

vxPelBuffer<unsigned char> scene(long w, long h) {
    vxPelBuffer<unsigned char> img(w, h);
    std::mt19937 gen(7);
    std::uniform_int_distribution<int> noise(-3, 3);
    for (long y = 0; y < h; ++y)
        for (long x = 0; x < w; ++x) {
            double v = 170 + noise(gen) + 20 * std::sin(x / 90.0);
            for (int k = 0; k < 40; ++k) {
                const double cx = 40 + (k % 8) * 75, cy = 40 + (k / 8) * 95, r = 12 + k % 5 * 3;
                if ((x - cx) * (x - cx) + (y - cy) * (y - cy) < r * r) v = 60;
                if (std::fabs(x - cx - 25) < 3 && std::fabs(y - cy) < 30) v = 40;
            }
            *img.pointToPel(x, y) = static_cast<unsigned char>(v);
        }
    return img;
}

void BM_AffineTransform(benchmark::State& state) {
    const auto img = scene(640, 480);
    const auto rect =
        vxAffineRectangle::fromCenter(vxVector<2>(320, 240), 600, 450, vxRadian(vxDegree(10)));
    const vxAffineSamplingParams params(
        rect, 640, 480, static_cast<vxAffineSamplingParams::Interpolation>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(vfAffineTransformImage(img, params));
}

void BM_EdgeDetect(benchmark::State& state) {
    const auto img = scene(640, 480);
    vxEdgeletSet set;
    for (auto _ : state)
        vfEdgeDetect<unsigned char>(img, vxEdgeletParams(1.0, 10.0, 1), set);
    state.counters["edgelets"] = static_cast<double>(set.size());
}

// A 40 x 60 character window turned by 96 degrees, as a symmetry test does.
void BM_TurnCharacter(benchmark::State& state) {
    auto img = scene(640, 480);
    img.window(vxPelRect(10, 10, 40, 60), false);
    vxPelBuffer<unsigned char> out;
    for (auto _ : state)
        vf_AffineTransform(img, vxDegree(96), 1.0, out, vxAffineSamplingParams::eBilinear);
}

} // namespace

BENCHMARK(BM_AffineTransform)
    ->ArgName("interpolation")
    ->Arg(1)
    ->Arg(2)
    ->Arg(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EdgeDetect)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TurnCharacter)->Unit(benchmark::kMillisecond);
