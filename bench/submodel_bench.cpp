// Sub-model tool: one run as the alphabet compilation makes it (a 32 x 48 model over a
// 32 x 48 image area, half the model allowed to hang out), with and without masks,
// and the 1,260 runs of a 36-character alphabet.
#include "vx_SubModelTool.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

// A glyph-like 32 x 48 image: a few blurred strokes and a ring chosen by `seed`.
vxPelBuffer<unsigned char> glyph(unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> ux(4, 28), uy(4, 44), ur(5, 10);
    struct Bar {
        double x0, y0, x1, y1;
    };
    std::vector<Bar> bars;
    for (int k = 0; k < 3; ++k) {
        const double x = ux(gen), y = uy(gen);
        bars.push_back(k % 2 ? Bar{x, y, std::min(30.0, x + 14), y + 3}
                             : Bar{x, y, x + 3, std::min(46.0, y + 20)});
    }
    const double cx = ux(gen), cy = uy(gen), r = ur(gen);
    vxPelBuffer<unsigned char> im(32, 48);
    for (long y = 0; y < 48; ++y)
        for (long x = 0; x < 32; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            double ink = std::exp(-std::pow(std::hypot(px - cx, py - cy) - r, 2) / 3.0);
            for (const Bar& b : bars) {
                const double dx = std::max({b.x0 - px, 0.0, px - b.x1});
                const double dy = std::max({b.y0 - py, 0.0, py - b.y1});
                ink = std::max(ink, std::exp(-(dx * dx + dy * dy) / 2.0));
            }
            *im.pointToPel(x, y) = static_cast<unsigned char>(220 - 180 * ink);
        }
    return im;
}

vxWarpSubModelCorRunParams compileParams() {
    vxWarpSubModelCorRunParams p;
    p.acceptThreshold(0.0);
    p.xyUncertainty(vxVector<2>(32, 48));
    p.partialMatch(vxPelRect(-16, -24, 32, 48));
    return p;
}

vxPelBuffer<unsigned char> careMask() {
    vxPelBuffer<unsigned char> m(32, 48);
    for (long y = 0; y < 48; ++y)
        std::fill_n(m.pointToPel(0, y), 32, y < 44 ? 255 : 0);
    return m;
}

void BM_SubModelRun(benchmark::State& state) {
    const bool masked = state.range(0) != 0;
    const auto model = glyph(1), image = glyph(2);
    const vxPelBuffer_const<unsigned char> mask =
        masked ? vxPelBuffer_const<unsigned char>(careMask()) : vxPelBuffer_const<unsigned char>();
    vx_SubModelTool tool;
    tool.train(vxWarpSubModel(model, mask, L""), vxWarpSubModelCorTrainParams());
    const vxWarpSubModelCorRunParams params = compileParams();
    vx_SubModelResultSet rs;
    for (auto _ : state) {
        tool.run(image, mask, vxXform<2>(), params, rs);
        benchmark::DoNotOptimize(rs);
    }
}
BENCHMARK(BM_SubModelRun)->Arg(0)->Arg(1)->ArgName("masks")->Unit(benchmark::kMillisecond);

// Every ordered pair of 36 characters: one training per row, 35 runs per row.
void BM_SubModelAlphabet36(benchmark::State& state) {
    std::vector<vxPelBuffer<unsigned char>> glyphs;
    for (unsigned k = 0; k < 36; ++k)
        glyphs.push_back(glyph(100 + k));
    const vxWarpSubModelCorRunParams params = compileParams();
    vx_SubModelResultSet rs;
    for (auto _ : state) {
        for (size_t i = 0; i < glyphs.size(); ++i) {
            vx_SubModelTool tool;
            tool.train(vxWarpSubModel(glyphs[i]), vxWarpSubModelCorTrainParams());
            for (size_t j = 0; j < glyphs.size(); ++j)
                if (j != i) tool.run(glyphs[j], vxXform<2>(), params, rs);
        }
        benchmark::DoNotOptimize(rs);
    }
}
BENCHMARK(BM_SubModelAlphabet36)->Unit(benchmark::kMillisecond);

} // namespace
