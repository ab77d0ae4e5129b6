// Edge probing along a line and the extraction of a pattern level's edge features.
#include "vx_KSModel.h"
#include "vx_KSProbeKernel.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <unordered_map>


bool vf_KSProbeEdge(const vx_KSGradient& g, double px, double py, double ux, double uy,
                    double reach, double minStrength, double* offset, double* strength) {
    constexpr double kStep = kKSProbeStep;
    constexpr int kMaxSamples = 64;
    const vx_KSProbeShape shape = vf_KSProbeShapeFor(reach);
    const int half = shape.half, inner = shape.inner, spread = shape.spread;
    // The peak is looked for within the reach; only the samples around it that lie
    // beyond the reach are taken afterwards for the centroid (about two thirds of the
    // whole probe is ever sampled).
    float f[kMaxSamples];
    // Sample positions relative to pixel centres; the first is at -half steps.
    const double x0 = px - 0.5 - half * kStep * ux, y0 = py - 0.5 - half * kStep * uy;
    const double x1 = px - 0.5 + half * kStep * ux, y1 = py - 0.5 + half * kStep * uy;
    constexpr double kMargin = 1e-3; // keeps rounding in the steps off the last pixel
    // The whole probe lies inside: bilinear samples without bounds checks.
    const bool inside = std::min(x0, x1) >= kMargin && std::min(y0, y1) >= kMargin &&
                        std::max(x0, x1) < g.w - 1 - kMargin && std::max(y0, y1) < g.h - 1 - kMargin;
    const auto sample = [&](int k0, int k1) {
        if (inside) {
            vf_KSProbeSamples(g.xy.data(), g.w, x0, y0, ux, uy, k0, k1, f);
            return;
        }
        for (int k = k0; k < k1; ++k) {
            float sx, sy;
            g.at(px + (k - half) * kStep * ux, py + (k - half) * kStep * uy, &sx, &sy);
            f[k] = static_cast<float>(sx * ux + sy * uy);
        }
    };
    sample(half - inner, half + inner + 1);
    int best = 0;
    float peak = -1.0f;
    for (int i = -inner; i <= inner; ++i)
        if (f[i + half] > peak) {
            peak = f[i + half];
            best = i;
        }
    if (!(peak >= minStrength)) return false;
    const int from = std::max(best - spread, -half), to = std::min(best + spread, half);
    if (from < -inner) sample(from + half, half - inner);
    if (to > inner) sample(half + inner + 1, to + half + 1);
    double sw = 0.0, swd = 0.0;
    for (int i = from; i <= to; ++i) {
        const double w = std::max(0.0f, f[i + half]);
        sw += w;
        swd += w * i * kStep;
    }
    if (!(sw > 0.0)) return false;
    *offset = swd / sw;
    *strength = peak;
    return true;
}

void vf_KSProbeEdges(const vx_KSGradient& g, std::size_t n, const double* px, const double* py,
                     const double* ux, const double* uy, double reach, double minStrength,
                     double* offset, unsigned char* found, float* gx, float* gy) {
    const vx_KSProbeShape shape = vf_KSProbeShapeFor(reach);
    const auto one = [&](std::size_t k) {
        double strength;
        found[k] = vf_KSProbeEdge(g, px[k], py[k], ux[k], uy[k], reach, minStrength, &offset[k],
                                  &strength);
        if (gx) g.at(px[k], py[k], &gx[k], &gy[k]);
    };
    const auto eight = [&](const double* x, const double* y, const double* u, const double* v,
                           double* d, unsigned char* hit, float* sx, float* sy, int* inside) {
        return vf_KSProbeEdges8(g.xy.data(), g.w, g.h, x, y, u, v, shape, minStrength, d, hit,
                                gx ? sx : nullptr, gx ? sy : nullptr, inside);
    };
    for (std::size_t k = 0; k < n; k += 8) {
        const std::size_t m = std::min<std::size_t>(8, n - k);
        int inside = 0;
        if (m == 8 && eight(px + k, py + k, ux + k, uy + k, offset + k, found + k,
                            gx ? gx + k : nullptr, gy ? gy + k : nullptr, &inside))
            continue;
        // A short group, or one with probes reaching the border: lanes past the end copy
        // the last probe, lanes outside copy one inside, and those outside go one by one.
        double x[8], y[8], u[8], v[8], d[8];
        unsigned char hit[8];
        float sx[8], sy[8];
        const auto fill = [&](std::size_t l, std::size_t from) {
            x[l] = px[from];
            y[l] = py[from];
            u[l] = ux[from];
            v[l] = uy[from];
        };
        for (std::size_t l = 0; l < 8; ++l) fill(l, k + std::min(l, m - 1));
        if (m < 8 && !eight(x, y, u, v, d, hit, sx, sy, &inside)) inside &= (1 << m) - 1;
        else if (m < 8) inside = 0xFF;
        if (inside != 0xFF) {
            if (inside != 0) {
                const std::size_t some = k + static_cast<std::size_t>(std::countr_zero(
                                                 static_cast<unsigned>(inside)));
                for (std::size_t l = 0; l < 8; ++l)
                    if (!(inside >> l & 1)) fill(l, some);
            }
            if (inside == 0 || !eight(x, y, u, v, d, hit, sx, sy, nullptr)) inside = 0;
        }
        for (std::size_t l = 0; l < m; ++l) {
            if (!(inside >> l & 1)) {
                one(k + l);
                continue;
            }
            found[k + l] = hit[l];
            if (hit[l]) offset[k + l] = d[l];
            if (gx) {
                gx[k + l] = sx[l];
                gy[k + l] = sy[l];
            }
        }
    }
}

namespace {

struct Candidate {
    vx_KSFeature f;
    float strength;
};

// Keeps the strongest candidates at least `spacing` apart.
std::vector<Candidate> thin(const std::vector<Candidate>& sorted, double spacing) {
    std::unordered_map<std::int64_t, std::vector<std::size_t>> cells;
    std::vector<Candidate> kept;
    const auto key = [](long cx, long cy) { return (static_cast<std::int64_t>(cx) << 32) ^ cy; };
    for (const Candidate& c : sorted) {
        const long cx = static_cast<long>(std::floor(c.f.x / spacing));
        const long cy = static_cast<long>(std::floor(c.f.y / spacing));
        bool near = false;
        for (long dy = -1; dy <= 1 && !near; ++dy)
            for (long dx = -1; dx <= 1 && !near; ++dx) {
                const auto it = cells.find(key(cx + dx, cy + dy));
                if (it == cells.end()) continue;
                for (std::size_t k : it->second) {
                    const double ex = kept[k].f.x - c.f.x, ey = kept[k].f.y - c.f.y;
                    if (ex * ex + ey * ey < spacing * spacing) {
                        near = true;
                        break;
                    }
                }
            }
        if (near) continue;
        cells[key(cx, cy)].push_back(kept.size());
        kept.push_back(c);
    }
    return kept;
}

} // namespace

double vf_KSGradientNoise(const vx_KSGradient& g, const vxVector<2>& origin,
                          const vxVector<2>& halfSize) {
    const long x0 = std::max(0L, static_cast<long>(std::floor(origin.x() - halfSize.x())));
    const long y0 = std::max(0L, static_cast<long>(std::floor(origin.y() - halfSize.y())));
    const long x1 = std::min(g.w, static_cast<long>(std::ceil(origin.x() + halfSize.x())));
    const long y1 = std::min(g.h, static_cast<long>(std::ceil(origin.y() + halfSize.y())));
    std::vector<float> mag;
    for (long y = y0; y < y1; ++y)
        for (long x = x0; x < x1; ++x) {
            const long i = y * g.w + x;
            mag.push_back(std::hypot(g.gx(i), g.gy(i)));
        }
    if (mag.empty()) return 0.0;
    // The magnitude of Gaussian gradient noise is Rayleigh distributed: its lower
    // quartile is 0.7585 sigma. The quartile stays in the flat paper and ink as long as
    // edges cover less than three quarters of the window.
    const std::size_t at = mag.size() / 4;
    std::nth_element(mag.begin(), mag.begin() + at, mag.end());
    return mag[at] / 0.7585;
}

vx_KSLevel vf_KSExtractFeatures(const vx_KSGradient& g, const vxVector<2>& origin,
                                const vxVector<2>& halfSize, std::size_t maxFeatures,
                                double noise) {
    const long w = g.w, h = g.h;
    std::vector<float> mag(g.xy.size() / 2);
    for (std::size_t i = 0; i < mag.size(); ++i)
        mag[i] = std::hypot(g.gx(i), g.gy(i));

    // Non-maximum suppression across the edge, on interior pixels only.
    std::vector<long> peaks;
    for (long y = 1; y + 1 < h; ++y)
        for (long x = 1; x + 1 < w; ++x) {
            const long i = y * w + x;
            const float m = mag[i];
            if (m < 1.0f) continue;
            const float ax = std::fabs(g.gx(i)), ay = std::fabs(g.gy(i));
            long step;
            if (ax > 2.4142f * ay)
                step = 1;
            else if (ay > 2.4142f * ax)
                step = w;
            else
                step = (g.gx(i) * g.gy(i) > 0.0f) ? w + 1 : w - 1;
            // Only peaks inside the window (with a pixel to spare for the sub-pixel
            // step) count, also for the contrast statistics below.
            if (std::fabs(x + 0.5 - origin.x()) > halfSize.x() + 1.0 ||
                std::fabs(y + 0.5 - origin.y()) > halfSize.y() + 1.0)
                continue;
            if (m > mag[i - step] && m >= mag[i + step]) peaks.push_back(i);
        }
    vx_KSLevel level;
    if (peaks.empty()) return level;

    // Weak edges relative to the pattern's own contrast are left out. The contrast is
    // read among the peaks that stand clear of the noise: in a window that is mostly
    // plain paper (a 7, a T, an I) the noise peaks outnumber the ink's edges, a
    // percentile over all peaks lands in the noise, and the pattern would be trained
    // mostly on noise that is never found again. A Rayleigh magnitude exceeds 4.7 sigma
    // once in 60 000 pixels.
    const double floor = std::max(2.0, 4.7 * noise);
    std::vector<float> strengths;
    for (long i : peaks)
        if (mag[i] >= floor) strengths.push_back(mag[i]);
    if (strengths.empty()) return level;
    const std::size_t at = strengths.size() * 9 / 10;
    std::nth_element(strengths.begin(), strengths.begin() + at, strengths.end());
    const double threshold = std::max(floor, 0.25 * strengths[at]);

    std::vector<Candidate> candidates;
    for (long i : peaks) {
        if (mag[i] < threshold) continue;
        const double cx = i % w + 0.5, cy = i / w + 0.5;
        const double ux = g.gx(i) / mag[i], uy = g.gy(i) / mag[i];
        double d, s;
        if (!vf_KSProbeEdge(g, cx, cy, ux, uy, 1.0, 0.5 * threshold, &d, &s)) continue;
        const double ex = cx + d * ux, ey = cy + d * uy;
        float sx, sy;
        g.at(ex, ey, &sx, &sy);
        const double sm = std::hypot(sx, sy);
        if (std::fabs(ex - origin.x()) > halfSize.x() || std::fabs(ey - origin.y()) > halfSize.y())
            continue;
        Candidate c;
        c.f.x = static_cast<float>(ex - origin.x());
        c.f.y = static_cast<float>(ey - origin.y());
        c.f.ux = static_cast<float>(sm > 0.0 ? sx / sm : ux);
        c.f.uy = static_cast<float>(sm > 0.0 ? sy / sm : uy);
        c.strength = static_cast<float>(s);
        candidates.push_back(c);
    }
    std::stable_sort(
        candidates.begin(), candidates.end(),
        [](const Candidate& a, const Candidate& b) { return a.strength > b.strength; });

    double spacing = 0.75;
    std::vector<Candidate> kept = thin(candidates, spacing);
    while (kept.size() > maxFeatures) {
        spacing *= 1.05 * std::sqrt(static_cast<double>(kept.size()) / maxFeatures);
        kept = thin(candidates, spacing);
    }

    // A fixed pseudo-random order: any prefix of the features covers the whole pattern,
    // so partial sums grow evenly.
    std::uint32_t state = 12345u;
    for (std::size_t i = kept.size(); i > 1; --i) {
        state = state * 1664525u + 1013904223u;
        std::swap(kept[i - 1], kept[(state >> 8) % i]);
    }
    for (const Candidate& c : kept) {
        level.features.push_back(c.f);
        level.radius = std::max(level.radius, std::hypot(double(c.f.x), double(c.f.y)));
    }
    return level;
}
