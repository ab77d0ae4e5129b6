// Normalized-correlation search: a 40 x 40 textured template in a 640 x 480 image,
// coarse-to-fine against a straightforward exhaustive correlation at full resolution.
#include "vxNrcSearchModel.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace {

using Image = vxPelBuffer<unsigned char>;

// Random Gaussian blobs of 1.5 to 4 pixels on grey, with sensor noise: a textured
// scene in which a 40 x 40 window is distinctive but has many look-alikes.
Image scene(unsigned seed, unsigned noiseSeed) {
    constexpr long W = 640, H = 480;
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::vector<double> v(W * H, 128.0);
    for (int k = 0; k < 6000; ++k) {
        const double cx = u(rng) * W, cy = u(rng) * H, s = 1.5 + 2.5 * u(rng),
                     a = 140 * u(rng) - 70;
        const long r = static_cast<long>(3 * s) + 1;
        for (long y = std::max(0L, long(cy) - r); y < std::min(H, long(cy) + r); ++y)
            for (long x = std::max(0L, long(cx) - r); x < std::min(W, long(cx) + r); ++x) {
                const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
                v[y * W + x] += a * std::exp(-(dx * dx + dy * dy) / (2 * s * s));
            }
    }
    std::normal_distribution<double> n(0.0, 4.0);
    std::mt19937 nrng(noiseSeed);
    Image im(W, H);
    for (long y = 0; y < H; ++y)
        for (long x = 0; x < W; ++x)
            *im.pointToPel(x, y) = static_cast<unsigned char>(
                std::clamp(std::lround(v[y * W + x] + n(nrng)), 0L, 255L));
    return im;
}

struct Setup {
    Image image = scene(11, 1);
    Image tpl;
    Setup() {
        // The template comes from another exposure of the scene (other noise).
        tpl = scene(11, 2);
        tpl.window(vxPelRect(413, 257, 40, 40), false);
    }
};

const Setup& setup() {
    static const Setup s;
    return s;
}

// Runs the trained search with the given algorithm on every iteration.
void runSearch(benchmark::State& state, vxNrcSearchDefs::Algorithm algorithm) {
    const Setup& s = setup();
    vxNrcSearchModel model;
    model.train(s.tpl, vxNrcSearchTrainParams());
    vxNrcSearchRunParams params(algorithm);
    vxNrcSearchResultSet results;
    for (auto _ : state) {
        model.run(s.image, params, results);
        benchmark::DoNotOptimize(results);
    }
    if (results.numFound() != 1 || std::abs(results.results()[0].corner().x() - 413) > 0.5)
        state.SkipWithError("template not found");
}

void BM_NrcSearch(benchmark::State& state) {
    runSearch(state, vxNrcSearchDefs::eCoarseToFine);
}
BENCHMARK(BM_NrcSearch)->Unit(benchmark::kMillisecond);

void BM_NrcSearchExhaustiveAlgorithm(benchmark::State& state) {
    runSearch(state, vxNrcSearchDefs::eExhaustive);
}
BENCHMARK(BM_NrcSearchExhaustiveAlgorithm)->Unit(benchmark::kMillisecond);

// The baseline: every placement, its sums and cross sum accumulated pixel by pixel.
void BM_NrcSearchBruteForce(benchmark::State& state) {
    const Setup& s = setup();
    const Image& im = s.image;
    const long tw = s.tpl.width(), th = s.tpl.height(), n = tw * th;
    const long stride = im.rowUpdate(), tstride = s.tpl.rowUpdate();
    const unsigned char* base = im.pointToPel(0, 0);
    const unsigned char* t = s.tpl.pointToPel(s.tpl.offset().x(), s.tpl.offset().y());
    double st = 0, stt = 0;
    for (long y = 0; y < th; ++y)
        for (long x = 0; x < tw; ++x) {
            st += t[y * tstride + x];
            stt += double(t[y * tstride + x]) * t[y * tstride + x];
        }
    long bx = 0;
    for (auto _ : state) {
        double best = -2;
        for (long y = 0; y + th <= im.height(); ++y)
            for (long x = 0; x + tw <= im.width(); ++x) {
                long si = 0, sii = 0, sit = 0;
                for (long r = 0; r < th; ++r)
                    for (long c = 0; c < tw; ++c) {
                        const long a = base[(y + r) * stride + x + c], b = t[r * tstride + c];
                        si += a;
                        sii += a * a;
                        sit += a * b;
                    }
                const double den = (double(n) * sii - double(si) * si) * (n * stt - st * st);
                const double score = den > 0 ? (double(n) * sit - si * st) / std::sqrt(den) : 0;
                if (score > best) best = score, bx = x;
            }
        benchmark::DoNotOptimize(best);
    }
    if (bx != 413) state.SkipWithError("template not found");
}
BENCHMARK(BM_NrcSearchBruteForce)->Unit(benchmark::kMillisecond);

} // namespace
