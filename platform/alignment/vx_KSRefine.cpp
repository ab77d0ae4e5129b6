// Candidate tracking down the pyramid and the final least-squares refinement.
#include "vxAttention.h"
#include "vx_KSAgreementKernel.h"
#include "vx_KSSearch.h"
#include "vx_KSStepKernel.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// Features turned and scaled by (angle, scale) and placed relative to a pixel centre:
// the pixel offset each lands in and its turned direction.
struct Placed {
    std::vector<std::int32_t> dx, dy;
    std::vector<std::int32_t> offset; // 2 (dy * width + dx): into the interleaved gradient
    std::vector<float> ux, uy;
    long minX = 0, maxX = 0, minY = 0, maxY = 0;
};

// Per thread, reached once per call (see probedScratch).
[[gnu::noinline]] Placed& placedScratch() {
    thread_local Placed placed;
    return placed;
}

void place(const vx_KSLevel& level, double angle, double scale, long width, Placed& out) {
    const double c = std::cos(angle), s = std::sin(angle);
    const std::size_t n = level.features.size();
    out.dx.resize(n);
    out.dy.resize(n);
    out.ux.resize(n);
    out.uy.resize(n);
    out.offset.resize(n);
    std::int32_t box[4];
    vf_KSPlacePixels(level.features.data(), n, c, s, scale, width, out.dx.data(), out.dy.data(),
                     out.ux.data(), out.uy.data(), out.offset.data(), box);
    out.minX = box[0];
    out.maxX = box[1];
    out.minY = box[2];
    out.maxY = box[3];
}

// Mean agreement of placed features at pixel (px, py) with the unit gradients there;
// features outside the image count 0, on don't-care pixels not at all.
double scoreAt(const Placed& p, const vx_KSGradient& unit, const vx_KSPlane* care, long px,
               long py) {
    const long w = unit.w, h = unit.h;
    const std::size_t n = p.dx.size();
    const float* g = unit.xy.data();
    float sum = 0.0f;
    if (!care && px + p.minX >= 0 && py + p.minY >= 0 && px + p.maxX < w && py + p.maxY < h) {
        const float* b = g + 2 * (py * w + px);
        const std::int32_t* off = p.offset.data();
        const float* ux = p.ux.data();
        const float* uy = p.uy.data();
        for (std::size_t k = 0; k < n; ++k)
            sum += std::max(0.0f, ux[k] * b[off[k]] + uy[k] * b[off[k] + 1]);
        return n ? sum / n : 0.0;
    }
    long count = 0;
    for (std::size_t k = 0; k < n; ++k) {
        const long x = px + p.dx[k], y = py + p.dy[k];
        if (x < 0 || y < 0 || x >= w || y >= h) {
            ++count;
            continue;
        }
        const long i = y * w + x;
        if (care && !care->pix[i]) continue;
        ++count;
        sum += std::max(0.0f, p.ux[k] * g[2 * i] + p.uy[k] * g[2 * i + 1]);
    }
    return count > 0 ? sum / count : 0.0;
}

bool isCare(const vx_KSPlane* care, double x, double y) {
    if (!care) return true;
    const long i = static_cast<long>(std::floor(x)), j = static_cast<long>(std::floor(y));
    if (i < 0 || j < 0 || i >= care->w || j >= care->h) return true;
    return care->pix[j * care->w + i] != 0;
}

// Solves the symmetric n x n system a x = b (n <= 4) by Gaussian elimination with
// partial pivoting; false when it is singular.
bool solve(double a[4][4], double b[4], int n, double x[4]) {
    for (int c = 0; c < n; ++c) {
        int p = c;
        for (int r = c + 1; r < n; ++r)
            if (std::fabs(a[r][c]) > std::fabs(a[p][c])) p = r;
        if (std::fabs(a[p][c]) < 1e-12) return false;
        std::swap(a[p], a[c]);
        std::swap(b[p], b[c]);
        for (int r = c + 1; r < n; ++r) {
            const double f = a[r][c] / a[c][c];
            for (int k = c; k < n; ++k)
                a[r][k] -= f * a[c][k];
            b[r] -= f * b[c];
        }
    }
    for (int r = n - 1; r >= 0; --r) {
        double s = b[r];
        for (int k = r + 1; k < n; ++k)
            s -= a[r][k] * x[k];
        x[r] = s / a[r][r];
    }
    return true;
}

// The best position within 2 pixels of (cx, cy) for one angle and scale, by hill
// climbing over pixels; its score goes to *score.
void climbPosition(const Placed& placed, const vx_KSGradient& unit, const vx_KSPlane* care, long cx,
                   long cy, long* bx, long* by, double* score) {
    // Scores already taken, by offset from the centre (each position is scored once).
    double seen[5][5];
    for (auto& row : seen)
        std::fill(std::begin(row), std::end(row), -1.0);
    const auto scoreOf = [&](long x, long y) {
        double& v = seen[y - cy + 2][x - cx + 2];
        if (v < 0.0) v = scoreAt(placed, unit, care, x, y);
        return v;
    };
    // Where the pattern lies inside the image around a position, its eight neighbours
    // are scored at once, with the same sums.
    const long w = unit.w, h = unit.h;
    const std::size_t n = placed.dx.size();
    const auto scoreAround = [&](long x, long y) {
        if (care || n == 0 || x - 1 + placed.minX < 0 || y - 1 + placed.minY < 0 ||
            x + 2 + placed.maxX >= w || y + 1 + placed.maxY >= h)
            return;
        float sums[8];
        if (!vf_KSAgreementAround(unit.xy.data() + 2 * (y * w + x), w, placed.offset.data(),
                                  placed.ux.data(), placed.uy.data(), n, sums))
            return;
        int l = 0;
        for (long dy = -1; dy <= 1; ++dy)
            for (long dx = -1; dx <= 1; ++dx) {
                if (dx == 0 && dy == 0) continue;
                const float sum = sums[l++];
                const long ox = x + dx - cx, oy = y + dy - cy;
                if (std::labs(ox) <= 2 && std::labs(oy) <= 2 && seen[oy + 2][ox + 2] < 0.0)
                    seen[oy + 2][ox + 2] = sum / n;
            }
    };
    *bx = cx;
    *by = cy;
    double here = scoreOf(cx, cy);
    for (bool moved = true; moved;) {
        moved = false;
        scoreAround(*bx, *by);
        long nx = *bx, ny = *by;
        for (long dy = -1; dy <= 1; ++dy)
            for (long dx = -1; dx <= 1; ++dx) {
                const long x = *bx + dx, y = *by + dy;
                if ((dx == 0 && dy == 0) || std::labs(x - cx) > 2 || std::labs(y - cy) > 2)
                    continue;
                const double v = scoreOf(x, y);
                if (v > here) {
                    here = v;
                    nx = x;
                    ny = y;
                    moved = true;
                }
            }
        *bx = nx;
        *by = ny;
    }
    *score = here;
}

} // namespace

double vx_KSZone::clampAngle(double a) const {
    return (!freeAngle || fullTurn) ? a : std::clamp(a, angleLow, angleHigh);
}

double vx_KSZone::clampScale(double s) const {
    return freeScale ? std::clamp(s, scaleLow, scaleHigh) : s;
}

double vf_KSTrack(const vx_KSLevel& level, int L, const vx_KSGradient& unit, const vx_KSPlane* care,
                  double angleStep, double scaleStep, const vx_KSZone& zone, vx_KSPose& pose) {
    Placed& placed = placedScratch();
    const double unitScale = std::ldexp(1.0, L);
    // Candidate positions stay on this level's pixel centres, as in the top search.
    const long cx = static_cast<long>(std::floor(pose.x / unitScale));
    const long cy = static_cast<long>(std::floor(pose.y / unitScale));
    const int na = angleStep > 0.0 ? 1 : 0, ns = scaleStep > 0.0 ? 1 : 0;
    // Hill climbing over angle and scale steps as well: the coarser level may have
    // picked a neighbour of the best sample, a whole step of its own (two of this
    // level's) away. At most kMaxMoves recentrings keep the search local.
    constexpr int kMaxMoves = 3;
    int ai = 0, si = 0;
    double bestScore = -1.0;
    vx_KSPose best = pose;
    // (angle, scale) steps already scored; the climb stays within 4 steps either way.
    std::pair<int, int> tried[(2 * kMaxMoves + 3) * (2 * kMaxMoves + 3)];
    int numTried = 0;
    for (int move = 0; move <= kMaxMoves; ++move) {
        int nextA = ai, nextS = si;
        bool improved = false;
        for (int i = si - ns; i <= si + ns; ++i)
            for (int j = ai - na; j <= ai + na; ++j) {
                if (std::find(tried, tried + numTried, std::make_pair(j, i)) != tried + numTried)
                    continue;
                tried[numTried++] = {j, i};
                const double a = pose.angle + j * angleStep;
                const double s = pose.scale * std::pow(1.0 + scaleStep, i);
                if ((i != 0 || j != 0) && !(zone.holdsAngle(a) && zone.holdsScale(s))) continue;
                place(level, a, s, unit.w, placed);
                long bx, by;
                double here;
                climbPosition(placed, unit, care, cx, cy, &bx, &by, &here);
                if (here > bestScore) {
                    bestScore = here;
                    best.x = (bx + 0.5) * unitScale;
                    best.y = (by + 0.5) * unitScale;
                    best.angle = a;
                    best.scale = s;
                    nextA = j;
                    nextS = i;
                    improved = true;
                }
            }
        if (!improved || (nextA == ai && nextS == si)) break;
        ai = nextA;
        si = nextS;
    }
    vxAttention::check();
    pose = best;
    return bestScore;
}

namespace {

struct Frame {
    double tx, ty, angle, scale;
};

// What the features say about a frame: how many lie on care pixels, their agreements
// weighted by how close the matching edge lies, and how many have one within a pixel.
struct Tally {
    long count = 0;
    double credit = 0.0;
    long near = 0;
};

// The first n features placed at a frame, those on don't-care pixels left out, each
// probed for an edge along its direction (and, for a tally, the gradient where it lies).
struct Probed {
    std::vector<double> qx, qy, mx, my, rx, ry, d, credit;
    std::vector<float> gx, gy;
    std::vector<unsigned char> found;
    std::size_t size = 0;

    vx_KSPlacement placement() {
        return {qx.data(), qy.data(), mx.data(), my.data(), rx.data(), ry.data()};
    }
};

// Per thread, reached once per call: in a shared library every use of a thread_local
// can cost a lookup, and inlined (or constant-propagated into callees) it was looked
// up per feature.
[[gnu::noinline]] Probed& probedScratch() {
    thread_local Probed probed;
    return probed;
}

void placeAt(const vx_KSLevel& level, std::size_t n, const vx_KSPlane* care, const Frame& f,
             Probed& out) {
    for (auto* v : {&out.qx, &out.qy, &out.mx, &out.my, &out.rx, &out.ry, &out.d}) v->resize(n);
    out.found.resize(n);
    vf_KSPlaceFeatures(level.features.data(), n, std::cos(f.angle), std::sin(f.angle), f.tx, f.ty,
                       f.scale, out.placement());
    out.size = n;
    if (!care) return;
    // Features on don't-care pixels are left out, the others keep their order.
    std::size_t m = 0;
    for (std::size_t k = 0; k < n; ++k) {
        if (!isCare(care, out.qx[k], out.qy[k])) continue;
        for (auto* v : {&out.qx, &out.qy, &out.mx, &out.my, &out.rx, &out.ry}) (*v)[m] = (*v)[k];
        ++m;
    }
    out.size = m;
}

void probeAt(const vx_KSLevel& level, std::size_t n, const vx_KSGradient& g,
             const vx_KSPlane* care, double contrast, double reach, bool forTally,
             const Frame& f, Probed& out) {
    placeAt(level, n, care, f, out);
    const std::size_t m = out.size;
    if (forTally) {
        out.gx.resize(n);
        out.gy.resize(n);
    }
    vf_KSProbeEdges(g, m, out.qx.data(), out.qy.data(), out.mx.data(), out.my.data(), reach,
                    contrast, out.d.data(), out.found.data(), forTally ? out.gx.data() : nullptr,
                    forTally ? out.gy.data() : nullptr);
}

// Adds the features of `p` (probed for a tally) to a tally: each with an edge credits
// its agreement weighted by the edge's proximity.
void addToTally(double contrast, Probed& p, Tally& t) {
    p.credit.resize(p.size);
    vf_KSTallyCredits(p.placement(), p.gx.data(), p.gy.data(), p.d.data(), p.found.data(), p.size,
                      contrast, p.credit.data());
    t.count += static_cast<long>(p.size);
    for (std::size_t k = 0; k < p.size; ++k) {
        if (!p.found[k]) continue;
        t.credit += p.credit[k];
        if (std::fabs(p.d[k]) <= 1.0) ++t.near;
    }
}

// One Gauss-Newton step on the first n features, looking for edges within `reach`.
// Returns how far the pattern moved (pixels at its rim), or -1 when the step could not
// be solved. When `tally` is not null it receives the features' tally at the frame
// before the step (`reach` must then be 1).
double lsqStep(const vx_KSLevel& level, std::size_t n, const vx_KSGradient& g,
               const vx_KSPlane* care, double contrast, const vx_KSZone& zone, double reach,
               Frame& f, Tally* tally = nullptr) {
    const bool freeAngle = zone.freeAngle, freeScale = zone.freeScale;
    const int nParams = 2 + (freeAngle ? 1 : 0) + (freeScale ? 1 : 0);
    Probed& probed = probedScratch();
    probeAt(level, n, g, care, contrast, reach, tally != nullptr, f, probed);
    if (tally) addToTally(contrast, probed, *tally);
    double a[4][4] = {}, b[4] = {};
    const long used = vf_KSNormalEquations(probed.placement(), probed.d.data(),
                                           probed.found.data(), probed.size, f.scale, freeAngle,
                                           freeScale, a, b);
    double step[4] = {};
    if (used < nParams + 2 || !solve(a, b, nParams, step)) return -1.0;
    int m = 0;
    f.tx += step[m++];
    f.ty += step[m++];
    double da = 0.0, ds = 0.0;
    if (freeAngle) da = step[m++];
    if (freeScale) ds = std::clamp(step[m++], -0.2, 0.2);
    // A step that would leave the zone stops at its edge.
    const double angle = zone.clampAngle(f.angle + da),
                 scale = zone.clampScale(f.scale * std::exp(ds));
    da = angle - f.angle;
    ds = std::log(scale / f.scale);
    f.angle = angle;
    f.scale = scale;
    return std::hypot(step[0], step[1]) + (std::fabs(da) + std::fabs(ds)) * level.radius * f.scale;
}

// Mean bilinear agreement of the first n features at a frame: a quick estimate that
// bounds the final score at the same frame (which also weighs agreement by proximity).
double estimateFrame(const vx_KSLevel& level, std::size_t n, const vx_KSGradient& g,
                     const vx_KSPlane* care, double contrast, const Frame& f) {
    Probed& p = probedScratch();
    placeAt(level, n, care, f, p);
    p.gx.resize(n);
    p.gy.resize(n);
    g.at(p.size, p.qx.data(), p.qy.data(), p.gx.data(), p.gy.data());
    double sum = 0.0;
    for (std::size_t k = 0; k < p.size; ++k)
        sum += vf_KSAgreement(p.gx[k], p.gy[k], p.mx[k], p.my[k], contrast);
    return p.size > 0 ? sum / static_cast<long>(p.size) : 0.0;
}

// The tally of every feature at a frame, probing for edges within a pixel.
Tally tallyFrame(const vx_KSLevel& level, const vx_KSGradient& g, const vx_KSPlane* care,
                 double contrast, const Frame& f) {
    Probed& probed = probedScratch();
    probeAt(level, level.features.size(), g, care, contrast, 1.0, true, f, probed);
    Tally t;
    addToTally(contrast, probed, t);
    return t;
}

} // namespace

vx_KSRefined vf_KSRefine(const vx_KSLevel& level, int L, const vx_KSGradient& g,
                         const vx_KSPlane* care, double contrast, const vx_KSZone& zone,
                         double mustBeat, const vx_KSPose& start) {
    // How far below mustBeat a partial score gives up. Measured on the benchmark
    // scenes: the final score never came more than 0.16 above the 64-feature agreement,
    // 0.083 above the 128-feature agreement, or 0.2 above the 128-feature score (which
    // weighs agreement by proximity and so moves more as the pose settles).
    constexpr double kSubsetMargin = 0.1, kHalfMargin = 0.09, kStrictHalfMargin = 0.2;
    // And the final score never came more than 0.109 above the full tally before a step
    // that moved the pattern by less than 0.2 pixel (over 32,000 such steps of the
    // benchmark, real-font and end-to-end scenes).
    constexpr double kNearlySettled = 0.2, kNearlySettledMargin = 0.12;
    const double unitScale = std::ldexp(1.0, L);
    Frame f{start.x / unitScale, start.y / unitScale, start.angle, start.scale};
    const std::size_t n = level.features.size();
    // The features are in random order, so a prefix is an even subsample: converge on
    // 64 features, then on 128, giving up on poor candidates after each, then polish
    // with every feature.
    const std::size_t subset = std::min<std::size_t>(n, 64);
    const std::size_t half = std::min<std::size_t>(n, 128);
    vx_KSRefined out;
    const auto giveUp = [&](double score) {
        out.abandoned = true;
        out.score = score;
    };
    for (double reach : {2.5, 1.5, 1.0}) {
        vxAttention::check();
        if (lsqStep(level, subset, g, care, contrast, zone, reach, f) < 0.0) break;
    }
    const double early = estimateFrame(level, subset, g, care, contrast, f);
    if (early < mustBeat - kSubsetMargin) {
        giveUp(early);
    } else {
        Tally midTally;
        for (int i = 0; i < 3 && half < n; ++i) {
            vxAttention::check();
            midTally = Tally();
            if (lsqStep(level, half, g, care, contrast, zone, 1.0, f, &midTally) < 0.05) break;
        }
        const double mid = half < n ? estimateFrame(level, half, g, care, contrast, f) : early;
        const double midStrict = midTally.count > 0 ? midTally.credit / midTally.count : 1.0;
        if (mid < mustBeat - kHalfMargin)
            giveUp(mid);
        else if (midStrict < mustBeat - kStrictHalfMargin)
            giveUp(midStrict);
    }
    if (!out.abandoned) {
        // A step that moved the pattern by less than 0.05 pixel probed close enough to
        // where it ends (proximity is flat within half a pixel) for its tally to be the
        // result's, so it needs no probing again.
        Tally tally;
        bool settled = false;
        for (int i = 0; i < 4 && !settled; ++i) {
            vxAttention::check();
            tally = Tally();
            const double moved = lsqStep(level, n, g, care, contrast, zone, 1.0, f, &tally);
            if (moved < 0.0) break;
            settled = moved < 0.05;
            // A step that moves the pattern by less than kNearlySettled pixel starts from
            // close to where it ends, so its tally is close to the result's.
            const double score = tally.count > 0 ? tally.credit / tally.count : 0.0;
            if (!settled && moved < kNearlySettled && score < mustBeat - kNearlySettledMargin) {
                giveUp(score);
                break;
            }
        }
        if (!out.abandoned) {
            if (!settled) tally = tallyFrame(level, g, care, contrast, f);
            out.score = tally.count > 0 ? tally.credit / tally.count : 0.0;
            out.coverage = tally.count > 0 ? double(tally.near) / tally.count : 0.0;
        }
    }
    out.pose.x = f.tx * unitScale;
    out.pose.y = f.ty * unitScale;
    out.pose.angle = f.angle;
    out.pose.scale = f.scale;
    return out;
}
