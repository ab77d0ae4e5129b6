// Geometric pattern alignment: one character pattern found three times among seven
// other characters in a 640 x 480 image, over the full turn and scales 0.9 to 1.1;
// and the same search done exhaustively at full resolution on a 160 x 120 crop.
#include "vxKSAlignPattern.h"
#include "vx_KSStats.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <random>
#include <vector>

namespace {

using Image = vxPelBuffer<unsigned char>;
using Stroke = std::vector<std::pair<double, double>>;

// Centre lines of a few characters on a 10 x 20 grid (y down), stroked 2.4 units wide.
const std::map<char, std::vector<Stroke>>& glyphs() {
    static const std::map<char, std::vector<Stroke>> g = {
        {'5',
         {{{9, 0},
           {1, 0},
           {1, 9},
           {5, 8},
           {8, 9},
           {9.5, 12},
           {9.5, 16},
           {7, 19.5},
           {3, 20},
           {0, 18}}}},
        {'2', {{{0, 4}, {2, 1}, {5, 0}, {8, 1}, {9, 4}, {8, 8}, {0, 20}, {10, 20}}}},
        {'3',
         {{{0, 2},
           {3, 0},
           {7, 0},
           {9, 3},
           {8, 7},
           {4, 9},
           {8, 11},
           {10, 15},
           {8, 19},
           {4, 20},
           {0, 18}}}},
        {'7', {{{0, 0}, {10, 0}, {4, 20}}}},
        {'4', {{{7, 20}, {7, 0}, {0, 14}, {10, 14}}}},
        {'1', {{{3, 3}, {6, 0}, {6, 20}}}},
        {'L', {{{1, 0}, {1, 20}, {9, 20}}}},
        {'Z', {{{0, 0}, {10, 0}, {0, 20}, {10, 20}}}},
    };
    return g;
}

double segmentDistance(double px, double py, double ax, double ay, double bx, double by) {
    const double vx = bx - ax, vy = by - ay;
    const double t = std::clamp(((px - ax) * vx + (py - ay) * vy) / (vx * vx + vy * vy), 0.0, 1.0);
    return std::hypot(px - ax - t * vx, py - ay - t * vy);
}

struct Placement {
    char code;
    double x, y, angleDeg, scale;
};

// Dark characters (cap height `size` pixels) on a light background, 4 x 4 supersampled,
// with a little sensor noise.
Image render(long w, long h, const std::vector<Placement>& chars, double size, unsigned seed) {
    std::vector<double> ink(static_cast<std::size_t>(w * h), 0.0);
    for (const Placement& p : chars) {
        const double a = p.angleDeg * std::numbers::pi / 180.0, unit = size * p.scale / 20.0;
        const double c = std::cos(a), s = std::sin(a), reach = 13.0 * unit;
        for (long y = std::max(0L, long(p.y - reach)); y < std::min(h, long(p.y + reach)); ++y)
            for (long x = std::max(0L, long(p.x - reach)); x < std::min(w, long(p.x + reach));
                 ++x) {
                int covered = 0;
                for (int sy = 0; sy < 4; ++sy)
                    for (int sx = 0; sx < 4; ++sx) {
                        const double dx = x + (sx + 0.5) / 4 - p.x, dy = y + (sy + 0.5) / 4 - p.y;
                        const double gx = (c * dx + s * dy) / unit + 5,
                                     gy = (-s * dx + c * dy) / unit + 10;
                        double d = 1e9;
                        for (const Stroke& st : glyphs().at(p.code))
                            for (std::size_t k = 0; k + 1 < st.size(); ++k)
                                d = std::min(d, segmentDistance(gx, gy, st[k].first, st[k].second,
                                                                st[k + 1].first, st[k + 1].second));
                        covered += d <= 1.2;
                    }
                ink[y * w + x] = std::max(ink[y * w + x], covered / 16.0);
            }
    }
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0.0, 2.0);
    Image im(w, h);
    for (long y = 0; y < h; ++y)
        for (long x = 0; x < w; ++x)
            *im.pointToPel(x, y) = static_cast<unsigned char>(
                std::clamp(std::lround(200.0 - 160.0 * ink[y * w + x] + noise(rng)), 0L, 255L));
    return im;
}

struct Setup {
    Image image;
    Image crop;
    vxKSAlignPattern pattern;
    Setup() {
        // The pattern: the upright character, 30 x 46 pixels with its margin.
        const Image tpl = render(30, 46, {{'5', 15.0, 23.0, 0.0, 1.0}}, 30.0, 7);
        pattern.train(tpl, vx_KSDefs::eTrainAll);
        std::vector<Placement> chars;
        std::mt19937 rng(3);
        std::uniform_real_distribution<double> u(0.0, 1.0);
        const char codes[] = {'5', '5', '5', '2', '3', '7', '4', '1', 'L', 'Z'};
        for (char code : codes) {
            Placement p{code, 0, 0, 360.0 * u(rng) - 180.0, 0.9 + 0.2 * u(rng)};
            bool clear = false;
            while (!clear) {
                p.x = 40 + 560 * u(rng);
                p.y = 40 + 400 * u(rng);
                clear = std::all_of(chars.begin(), chars.end(), [&](const Placement& o) {
                    return std::hypot(o.x - p.x, o.y - p.y) > 60.0;
                });
            }
            chars.push_back(p);
        }
        image = render(640, 480, chars, 30.0, 11);
        // A 160 x 120 crop around the first instance.
        crop = image;
        crop.window(vxPelRect(std::clamp(long(chars[0].x) - 80, 0L, 480L),
                              std::clamp(long(chars[0].y) - 60, 0L, 360L), 160, 120),
                    false);
    }
};

const Setup& setup() {
    static const Setup s;
    return s;
}

vxKSAlignRunParams params(long algorithm) {
    vxKSAlignRunParams p;
    p.algorithm(algorithm);
    p.zoneEnable(vx_KSDefs::eAngleZone | vx_KSDefs::eScaleZone);
    p.zone(vx_KSDefs::eAngle, -180.0, 180.0);
    p.zone(vx_KSDefs::eScale, 0.9, 1.1);
    p.numToFind(3);
    return p;
}

void BM_AlignFullRotation(benchmark::State& state) {
    const Setup& s = setup();
    const vxKSAlignRunParams p = params(vx_KSDefs::eCoarseToFine);
    vxKSAlignResultSet results;
    vx_KSRunStats sum;
    for (auto _ : state) {
        s.pattern.run(s.image, p, results);
        const vx_KSRunStats& st = vf_KSLastRunStats();
        sum.pyramidMs += st.pyramidMs;
        sum.topMs += st.topMs;
        sum.trackMs += st.trackMs;
        sum.refineMs += st.refineMs;
        sum.refined += st.refined;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["pyramid_ms"] = sum.pyramidMs / n;
    state.counters["top_ms"] = sum.topMs / n;
    state.counters["track_ms"] = sum.trackMs / n;
    state.counters["refine_ms"] = sum.refineMs / n;
    state.counters["refined"] = sum.refined / n;
    state.counters["found"] = static_cast<double>(results.numResults());
    state.counters["worst_score"] = results.numResults() ? results.results().back().score() : 0.0;
}
BENCHMARK(BM_AlignFullRotation)->Unit(benchmark::kMillisecond);

void BM_AlignBruteForce(benchmark::State& state) {
    const Setup& s = setup();
    vxKSAlignRunParams p = params(vx_KSDefs::eExhaustive);
    p.numToFind(1);
    vxKSAlignResultSet results;
    for (auto _ : state)
        s.pattern.run(s.crop, p, results);
    state.counters["score"] = results.numResults() ? results[0].score() : 0.0;
}
BENCHMARK(BM_AlignBruteForce)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace
