// Exhaustive search of the top pyramid level over translation, angle and scale.
//
// Image orientations are quantised to 16 sectors; 16 response planes then hold, per
// pixel, the agreement (0 to 15) of the pixel's own orientation with each sector, or
// two thirds of the best agreement within its 3x3 neighbourhood when that is more. A
// placement's score is the sum of one response byte per feature, accumulated row by
// row so that the compiler vectorises the adds.
#include "vx_KSSearch.h"
#include "vxAttention.h"
#include "vx_KSDefs.h"
#include "vx_KSResponseRow.h"
#include "vx_KSRowKernel.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <numbers>

namespace {

constexpr int kSectors = 16;
constexpr int kFull = 15; // response of a perfectly agreeing orientation

// Agreement of orientations `d` sectors apart: 15 max(0, cos).
constexpr std::array<std::uint8_t, kSectors> kAgree = {15, 14, 11, 6, 0, 0, 0,  0,
                                                       0,  0,  0,  0, 0, 6, 11, 14};

// An orientation one pixel away earns this share of its agreement. The grid of the top
// level leaves every feature within about a pixel of its true place, so full credit
// for any orientation in the 3x3 neighbourhood never missed a true placement; but in
// dense print (a line of characters, a sample sheet) nearly every neighbourhood holds
// nearly every orientation, every placement then scored about 0.99, and the true one
// could rank below the candidates kept (a character searched on its own sample sheet
// ranked 70th). Full credit only for the pixel's own orientation keeps it first.
constexpr int kNeighbourNumerator = 2, kNeighbourDenominator = 3;

struct Tables {
    // For plane sector b and a pixel's sector o: the agreement, in full (the pixel's
    // own orientation) and as neighbour credit.
    std::uint8_t full[kSectors][kSectors];
    std::uint8_t near[kSectors][kSectors];
    Tables() {
        for (int b = 0; b < kSectors; ++b)
            for (int o = 0; o < kSectors; ++o) {
                full[b][o] = kAgree[(o - b) & 15];
                near[b][o] = static_cast<std::uint8_t>(full[b][o] * kNeighbourNumerator /
                                                       kNeighbourDenominator);
            }
    }
};

const Tables& tables() {
    static const Tables t;
    return t;
}

int sectorOf(double angle) {
    const long s = std::lround(angle * kSectors / (2.0 * std::numbers::pi));
    return static_cast<int>(s & (kSectors - 1));
}

// The sector of a non-null vector, by comparisons with the sector boundaries of the
// first quadrant (tan 11.25, 33.75, 56.25 and 78.75 degrees) and its quadrant.
int sectorOf(float x, float y) {
    const float ax = std::fabs(x), ay = std::fabs(y);
    const int q = ay < 0.198912f * ax   ? 0
                  : ay < 0.668179f * ax ? 1
                  : ay < 1.496606f * ax ? 2
                  : ay < 5.027339f * ax ? 3
                                        : 4;
    if (x >= 0.0f) return y >= 0.0f ? q : (16 - q) & 15;
    return y >= 0.0f ? 8 - q : (8 + q) & 15;
}

// Large images are searched under short time limits: every pixel loop polls the
// limit after about 64 K pixels, well under a millisecond.
constexpr long kPollMask = 65535;

void pollEveryFewRows(long y, long width) {
    const long rows = std::max(1L, (kPollMask + 1) / std::max(1L, width));
    if (y % rows == rows - 1) vxAttention::check();
}

// Each pixel's orientation sector (vx_KSNoSector where it has no gradient), in a grid
// with a border of one vx_KSNoSector byte all round, so that every pixel has nine
// neighbours to read.
void orientationSectors(const vx_KSGradient& unit, std::vector<std::uint8_t>& sectors) {
    const long w = unit.w, h = unit.h, stride = w + 2;
    sectors.assign(static_cast<std::size_t>(stride * (h + 2)), vx_KSNoSector);
    for (long y = 0; y < h; ++y) {
        pollEveryFewRows(y, w);
        std::uint8_t* row = sectors.data() + (y + 1) * stride + 1;
        for (long x = 0; x < w; ++x) {
            const float ux = unit.gx(y * w + x), uy = unit.gy(y * w + x);
            row[x] = (ux == 0.0f && uy == 0.0f) ? vx_KSNoSector
                                                : static_cast<std::uint8_t>(sectorOf(ux, uy));
        }
    }
}

// A summed-area table ((w + 1) x (h + 1)) of the pixels whose response can be nonzero
// in some plane: an orientation within their 3x3 neighbourhood, or a don't-care pixel
// when those answer above 0. A placement whose features all fall where this counts
// nothing scores 0, below any threshold, so blocks of placements over bare paper are
// not scored at all.
void responsiveCounts(const std::vector<std::uint8_t>& sectors, const vx_KSPlane* care,
                      bool careResponds, long w, long h, std::vector<std::int32_t>& table) {
    const long stride = w + 2;
    table.assign(static_cast<std::size_t>((w + 1) * (h + 1)), 0);
    for (long y = 0; y < h; ++y) {
        pollEveryFewRows(y, w);
        const std::uint8_t* up = sectors.data() + y * stride + 1;
        const std::uint8_t* mid = up + stride;
        const std::uint8_t* down = mid + stride;
        const std::int32_t* above = table.data() + y * (w + 1);
        std::int32_t* row = table.data() + (y + 1) * (w + 1);
        std::int32_t run = 0;
        for (long x = 0; x < w; ++x) {
            bool on = careResponds && care && !care->pix[y * w + x];
            for (long dx = -1; dx <= 1 && !on; ++dx)
                on = up[x + dx] != vx_KSNoSector || mid[x + dx] != vx_KSNoSector ||
                     down[x + dx] != vx_KSNoSector;
            run += on ? 1 : 0;
            row[x + 1] = above[x + 1] + run;
        }
    }
}

// How many pixels of columns x0..x1 and rows y0..y1 (inclusive, clipped to the image)
// can respond.
std::int32_t responsiveIn(const std::vector<std::int32_t>& table, long w, long h, long x0, long x1,
                          long y0, long y1) {
    x0 = std::max(x0, 0L);
    y0 = std::max(y0, 0L);
    x1 = std::min(x1, w - 1);
    y1 = std::min(y1, h - 1);
    if (x0 > x1 || y0 > y1) return 0;
    const long s = w + 1;
    return table[(y1 + 1) * s + x1 + 1] - table[y0 * s + x1 + 1] - table[(y1 + 1) * s + x0] +
           table[y0 * s + x0];
}

} // namespace

void vf_KSSearchTop(const vx_KSLevel& level, int L, const vx_KSGradient& unit,
                    const vx_KSPlane* care, std::uint64_t stamp, const vx_KSGrid& grid,
                    double minScore, std::size_t maxCandidates, double spacing,
                    vx_KSSearchWork& work, std::vector<vx_KSCandidate>& out) {
    out.clear();
    const long w = unit.w, h = unit.h;
    const std::size_t n = level.features.size();
    if (w == 0 || h == 0 || n == 0 || grid.angles.empty() || grid.scales.empty()) return;
    const Tables& t = tables();
    const double maxScale = *std::max_element(grid.scales.begin(), grid.scales.end());
    // The padding is rounded up to a multiple of 8 so that the patterns of one string,
    // of about one size, share the planes built for the first of them.
    const long pad = (static_cast<long>(std::ceil(level.radius * maxScale)) + 2 + 7) / 8 * 8;
    // The row kernel scores 16 placements at a time, so rows are read up to wide - 1.
    const long wide = (w + 15) / 16 * 16;
    const long pw = wide + 2 * pad, ph = h + 2 * pad;
    const std::size_t planeSize = static_cast<std::size_t>(pw * ph);
    // Feature offsets into the 16 planes are 32-bit.
    if (planeSize * kSectors > static_cast<std::size_t>(INT32_MAX))
        throw vx_KSDefs::BadImage(L"Image too large to search at this level");

    // Response planes, zero outside the image. Don't-care pixels answer just below the
    // threshold, so masked areas neither make candidates nor hide them.
    const std::uint8_t dontCare =
        static_cast<std::uint8_t>(std::clamp(std::floor(0.8 * minScore * kFull), 0.0, 15.0));
    if (stamp == 0 || work.builtStamp != stamp || work.builtPad != pad ||
        work.builtDontCare != dontCare) {
        work.builtStamp = 0; // a stop part way leaves nothing to reuse
        orientationSectors(unit, work.sectors);
        const long stride = w + 2;
        // Every byte is written once: the image's pixels and, around them, the zeros that
        // placements reaching beyond the image read.
        work.response.resize(planeSize * kSectors);
        for (int b = 0; b < kSectors; ++b) {
            std::uint8_t* plane = work.response.data() + planeSize * b;
            std::memset(plane, 0, static_cast<std::size_t>(pad * pw));
            std::memset(plane + (h + pad) * pw, 0, static_cast<std::size_t>(pad * pw));
            for (long y = 0; y < h; ++y) {
                pollEveryFewRows(y, w);
                std::uint8_t* row = plane + (y + pad) * pw + pad;
                std::memset(row - pad, 0, static_cast<std::size_t>(pad));
                std::memset(row + w, 0, static_cast<std::size_t>(pw - pad - w));
                vf_KSResponseRow(work.sectors.data() + (y + 1) * stride + 1, stride,
                                 care ? care->data() + y * w : nullptr, w, t.full[b], t.near[b],
                                 dontCare, row);
            }
        }
        responsiveCounts(work.sectors, care, dontCare > 0, w, h, work.inkCount);
        work.builtStamp = stamp;
        work.builtPad = pad;
        work.builtDontCare = dontCare;
    }

    // Best score per pixel within each of up to 8 angle groups, so that a placement
    // turned half way round (which often scores almost as well at coarse levels) cannot
    // hide the true angle at the same position.
    const std::size_t nAngles = grid.angles.size();
    const std::size_t groups = std::min<std::size_t>(8, nAngles);
    const std::size_t mapSize = static_cast<std::size_t>(w * h);
    work.offsets.resize(n);
    const double fullSum = double(kFull) * double(n);
    const auto threshold = static_cast<std::uint16_t>(std::max(1.0, std::ceil(minScore * fullSum)));
    // Starting just below the threshold, "better than the best so far" also means
    // "above the threshold", so the update below needs one comparison and no branch.
    // bestIndex is read only where best was raised, so it needs no clearing.
    work.best.resize(mapSize * groups);
    work.bestIndex.resize(mapSize * groups);
    for (std::size_t g = 0; g < groups; ++g)
        for (long y = 0; y < h; ++y) {
            pollEveryFewRows(y, w);
            std::fill_n(work.best.data() + g * mapSize + y * w, w,
                        static_cast<std::uint16_t>(threshold - 1));
        }
    work.acc.resize(static_cast<std::size_t>(wide));

    for (std::size_t si = 0; si < grid.scales.size(); ++si)
        for (std::size_t ai = 0; ai < grid.angles.size(); ++ai) {
            vxAttention::check();
            const double a = grid.angles[ai], s = grid.scales[si];
            const double c = std::cos(a) * s, sn = std::sin(a) * s;
            long minDx = 0, maxDx = 0, minDy = 0, maxDy = 0;
            for (std::size_t k = 0; k < n; ++k) {
                const vx_KSFeature& f = level.features[k];
                const long dx = static_cast<long>(std::floor(0.5 + c * f.x - sn * f.y));
                const long dy = static_cast<long>(std::floor(0.5 + sn * f.x + c * f.y));
                const int b = sectorOf(std::atan2(f.uy, f.ux) + a);
                work.offsets[k] =
                    static_cast<std::int32_t>(planeSize * b + (dy + pad) * pw + dx + pad);
                minDx = k ? std::min(minDx, dx) : dx;
                maxDx = k ? std::max(maxDx, dx) : dx;
                minDy = k ? std::min(minDy, dy) : dy;
                maxDy = k ? std::max(maxDy, dy) : dy;
            }
            const std::uint32_t index = static_cast<std::uint32_t>(si * grid.angles.size() + ai);
            for (long y = 0; y < h; ++y) {
                if ((y & 7) == 7) vxAttention::check();
                // A row whose band holds nothing that responds scores 0 everywhere.
                if (!responsiveIn(work.inkCount, w, h, minDx, w - 1 + maxDx, y + minDy,
                                  y + maxDy))
                    continue;
                std::uint16_t* acc = work.acc.data();
                const std::uint8_t* base = work.response.data() + y * pw;
                const std::size_t group = ai * groups / nAngles;
                std::uint16_t* best = work.best.data() + group * mapSize + y * w;
                std::uint32_t* bestIndex = work.bestIndex.data() + group * mapSize + y * w;
                // Runs of blocks of 16 placements whose features can reach something.
                for (long x0 = 0; x0 < wide;) {
                    const auto reaches = [&](long bx) {
                        return responsiveIn(work.inkCount, w, h, bx + minDx, bx + 15 + maxDx,
                                            y + minDy, y + maxDy) > 0;
                    };
                    if (!reaches(x0)) {
                        x0 += 16;
                        continue;
                    }
                    long x1 = x0 + 16;
                    while (x1 < wide && x1 - x0 < vx_KSMaxRowWidth && reaches(x1))
                        x1 += 16;
                    if (vf_KSScoreRow(base + x0, work.offsets.data(), n, acc + x0, x1 - x0,
                                      threshold, kFull))
                        for (long x = x0; x < std::min(x1, w); ++x) {
                            const bool better = acc[x] > best[x];
                            best[x] = better ? acc[x] : best[x];
                            bestIndex[x] = better ? index : bestIndex[x];
                        }
                    x0 = x1;
                }
            }
        }

    // Local maxima of each group's best-score map, then the best ones that are not
    // close to a better one in both position and angle.
    struct Peak {
        std::uint16_t score;
        std::size_t at; // group * mapSize + pixel
    };
    std::vector<Peak> peaks;
    for (std::size_t g = 0; g < groups; ++g) {
        const std::uint16_t* best = work.best.data() + g * mapSize;
        // Plateaus keep their first pixel in raster order: a peak reaches the threshold,
        // lies above the neighbours before it and not below those after it.
        const auto isPeakAt = [&](long x, long y) {
            const std::uint16_t v = best[y * w + x];
            if (v < threshold) return false;
            for (long dy = -1; dy <= 1; ++dy)
                for (long dx = -1; dx <= 1; ++dx) {
                    const long u = x + dx, vv = y + dy;
                    if ((dx == 0 && dy == 0) || u < 0 || vv < 0 || u >= w || vv >= h) continue;
                    const std::uint16_t o = best[vv * w + u];
                    if (o > v || (o == v && (dy < 0 || (dy == 0 && dx < 0)))) return false;
                }
            return true;
        };
        for (long y = 0; y < h; ++y) {
            pollEveryFewRows(y, w);
            const std::uint16_t* row = best + y * w;
            for (long x0 = 0; x0 < w; x0 += 32) {
                // Most of the map stays below the threshold: skip it a block at a time
                // (the maximum of a block vectorises, and so does the rule inside).
                const long end = std::min(w, x0 + 32);
                std::uint16_t m = 0;
                for (long x = x0; x < end; ++x) m = std::max(m, row[x]);
                if (m < threshold) continue;
                const bool inside = y > 0 && y + 1 < h;
                const long from = inside ? std::max(x0, 1L) : end;
                const long to = inside ? std::min(end, w - 1) : end;
                std::uint8_t flag[32] = {};
                std::uint8_t any = 0;
                for (long x = from; x < to; ++x) {
                    const std::uint16_t v = row[x];
                    const std::uint16_t* b = row + x;
                    flag[x - x0] = (v >= threshold) & (b[-w - 1] < v) & (b[-w] < v) &
                                   (b[-w + 1] < v) & (b[-1] < v) & (b[1] <= v) &
                                   (b[w - 1] <= v) & (b[w] <= v) & (b[w + 1] <= v);
                    any |= flag[x - x0];
                }
                if (!any && from == x0 && to == end) continue; // no peak, no border pixel
                for (long x = x0; x < end; ++x)
                    if ((x >= from && x < to) ? flag[x - x0] != 0 : isPeakAt(x, y))
                        peaks.push_back({row[x], g * mapSize + static_cast<std::size_t>(y * w + x)});
            }
        }
    }
    // Best first, ties in the order found. A crowded large image has hundreds of
    // thousands of peaks and only the first few are taken, so they are sorted a batch
    // at a time as the walk reaches them.
    const auto before = [](const Peak& a, const Peak& b) {
        return a.score != b.score ? a.score > b.score : a.at < b.at;
    };
    const std::size_t batch = std::max<std::size_t>(256, 16 * maxCandidates);
    std::size_t sorted = 0;
    const double unitScale = std::ldexp(1.0, L);
    const double spacing2 = spacing * spacing;
    const double angleApart = std::numbers::pi / 4;
    for (std::size_t i = 0; i < peaks.size() && out.size() < maxCandidates; ++i) {
        if (i == sorted) {
            vxAttention::check();
            sorted = std::min(peaks.size(), sorted + batch);
            std::partial_sort(peaks.begin() + static_cast<std::ptrdiff_t>(i),
                              peaks.begin() + static_cast<std::ptrdiff_t>(sorted), peaks.end(),
                              before);
        }
        const Peak& pk = peaks[i];
        const std::uint32_t index = work.bestIndex[pk.at];
        const long pixel = static_cast<long>(pk.at % mapSize);
        const long x = pixel % w, y = pixel / w;
        vx_KSCandidate cand;
        cand.pose.x = (x + 0.5) * unitScale;
        cand.pose.y = (y + 0.5) * unitScale;
        cand.pose.angle = grid.angles[index % nAngles];
        cand.pose.scale = grid.scales[index / nAngles];
        cand.score = pk.score / fullSum;
        bool crowded = false;
        for (const vx_KSCandidate& o : out) {
            const double ex = (o.pose.x - cand.pose.x) / unitScale;
            const double ey = (o.pose.y - cand.pose.y) / unitScale;
            if (ex * ex + ey * ey >= spacing2) continue;
            const double turn =
                std::remainder(o.pose.angle - cand.pose.angle, 2.0 * std::numbers::pi);
            if (std::fabs(turn) < angleApart) {
                crowded = true;
                break;
            }
        }
        if (!crowded) out.push_back(cand);
    }
}
