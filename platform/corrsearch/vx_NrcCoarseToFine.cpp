// Coarse-to-fine search on prepared pyramids (see the header).
#include "vx_NrcCoarseToFine.h"

#include "vxAttention.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// A coarse level accepts candidates down to accept * (1 - kRelief * k / top): the top
// level half of accept. Scores fall at coarse levels because a match lies up to half
// a coarse pixel off the coarse grid and fine detail is averaged away.
constexpr double kRelief = 0.5;
// Candidates followed down from the top level: kPerResult per wanted result, within
// [kMinCandidates, kMaxCandidates].
constexpr long kPerResult = 8;
constexpr long kMinCandidates = 32;
constexpr long kMaxCandidates = 512;
// A candidate at level k + 1 lies within one coarse pixel of its place at level k,
// i.e. within 2 pixels of twice its coarse position; climbing covers the rest.
constexpr long kStartRadius = 2;
constexpr long kMaxClimbSteps = 16;

struct Placement {
    long x = 0;
    long y = 0;
    double score = -1.0;
};

// Exact scores at one level, each placement computed once.
class LevelScores {
public:
    LevelScores(const vx_NrcPlane& image, const vx_NrcTemplate& t)
        : image_(image), t_(t), maxX_(image.width - t.plane.width),
          maxY_(image.height - t.plane.height) {}

    bool valid(long x, long y) const { return x >= 0 && y >= 0 && x <= maxX_ && y <= maxY_; }
    long clampX(long x) const { return std::clamp(x, 0L, maxX_); }
    long clampY(long y) const { return std::clamp(y, 0L, maxY_); }

    double at(long x, long y) {
        for (const Placement& p : seen_)
            if (p.x == x && p.y == y) return p.score;
        const double s = vf_nrcScoreAt(image_, t_, x, y);
        seen_.push_back({x, y, s});
        return s;
    }

private:
    const vx_NrcPlane& image_;
    const vx_NrcTemplate& t_;
    long maxX_;
    long maxY_;
    std::vector<Placement> seen_;
};

// The best placement near (x, y): the best of the square of the given radius, then
// moved uphill until it beats its whole 3 x 3 neighbourhood (which is then scored, as
// the sub-pixel fit needs).
Placement climb(LevelScores& sc, long x, long y, long radius) {
    x = sc.clampX(x);
    y = sc.clampY(y);
    Placement best;
    auto consider = [&](long px, long py) {
        if (!sc.valid(px, py)) return;
        const double s = sc.at(px, py);
        if (s > best.score) best = {px, py, s};
    };
    for (long dy = -radius; dy <= radius; ++dy)
        for (long dx = -radius; dx <= radius; ++dx)
            consider(x + dx, y + dy);
    for (long step = 0; step < kMaxClimbSteps; ++step) {
        const Placement centre = best;
        for (long dy = -1; dy <= 1; ++dy)
            for (long dx = -1; dx <= 1; ++dx)
                consider(centre.x + dx, centre.y + dy);
        if (best.x == centre.x && best.y == centre.y) break;
    }
    return best;
}

// The vertex of the parabola through (-1, a), (0, b), (1, c), within half a pixel;
// 0 when the three do not make a peak.
double parabolaPeak(double a, double b, double c) {
    const double curvature = a - 2.0 * b + c;
    if (!(curvature < 0.0)) return 0.0;
    return std::clamp(0.5 * (a - c) / curvature, -0.5, 0.5);
}

// The peak of the least-squares quadratic f = a + bx + cy + dx^2 + exy + fy^2 through
// the 3 x 3 scores g[y + 1][x + 1]; false when the surface has no maximum near the
// centre.
bool surfacePeak(const double g[3][3], double& px, double& py) {
    double s = 0, sx = 0, sy = 0, sxy = 0, sxx = 0, syy = 0;
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 3; ++i) {
            const double v = g[j][i], x = i - 1, y = j - 1;
            s += v;
            sx += x * v;
            sy += y * v;
            sxy += x * y * v;
            sxx += x * x * v;
            syy += y * y * v;
        }
    // Normal equations of the 3 x 3 grid, solved in closed form.
    const double b = sx / 6.0, c = sy / 6.0, e = sxy / 4.0;
    const double d = sxx / 2.0 - s / 3.0, f = syy / 2.0 - s / 3.0;
    const double det = 4.0 * d * f - e * e;
    if (!(d < 0.0 && det > 0.0)) return false;
    px = (e * c - 2.0 * f * b) / det;
    py = (e * b - 2.0 * d * c) / det;
    if (!(std::abs(px) <= 1.0 && std::abs(py) <= 1.0)) return false;
    px = std::clamp(px, -0.5, 0.5);
    py = std::clamp(py, -0.5, 0.5);
    return true;
}

// The sub-pixel offset of the peak at p (a local maximum of the level).
std::pair<double, double> subPixel(LevelScores& sc, const Placement& p,
                                   vxNrcSearchDefs::Accuracy accuracy) {
    if (accuracy == vxNrcSearchDefs::eCoarse) return {0.0, 0.0};
    double g[3][3];
    bool all = true;
    for (long j = 0; j < 3; ++j)
        for (long i = 0; i < 3; ++i) {
            const long x = p.x + i - 1, y = p.y + j - 1;
            all = all && sc.valid(x, y);
            g[j][i] = sc.valid(x, y) ? sc.at(x, y) : 0.0;
        }
    double dx = 0.0, dy = 0.0;
    if (accuracy == vxNrcSearchDefs::eFine && all && surfacePeak(g, dx, dy)) return {dx, dy};
    // Along each axis that has both neighbours (a placement at the border has not).
    if (sc.valid(p.x - 1, p.y) && sc.valid(p.x + 1, p.y))
        dx = parabolaPeak(g[1][0], g[1][1], g[1][2]);
    if (sc.valid(p.x, p.y - 1) && sc.valid(p.x, p.y + 1))
        dy = parabolaPeak(g[0][1], g[1][1], g[2][1]);
    return {dx, dy};
}

// Whether two template rectangles share more than `fraction` of the template's area,
// or lie at the same place (candidates that climbed to the same peak).
bool overlap(const vx_NrcMatch& a, const vx_NrcMatch& b, double w, double h, double fraction) {
    if (a.x == b.x && a.y == b.y) return true;
    const double ox = w - std::abs(a.x - b.x), oy = h - std::abs(a.y - b.y);
    return ox > 0.0 && oy > 0.0 && ox * oy > fraction * w * h;
}

// Local maxima of the score map at or above `threshold`, best first. On a plateau only
// the first placement in raster order counts.
std::vector<Placement> localMaxima(const std::vector<float>& map, long nx, long ny,
                                   double threshold) {
    std::vector<Placement> out;
    for (long y = 0; y < ny; ++y) {
        const float* row = map.data() + y * nx;
        for (long x = 0; x < nx; ++x) {
            const float v = row[x];
            if (v < threshold) continue;
            bool peak = true;
            for (long dy = -1; dy <= 1 && peak; ++dy)
                for (long dx = -1; dx <= 1 && peak; ++dx) {
                    const long qx = x + dx, qy = y + dy;
                    if ((dx == 0 && dy == 0) || qx < 0 || qy < 0 || qx >= nx || qy >= ny) continue;
                    const float q = map[qy * nx + qx];
                    const bool before = dy < 0 || (dy == 0 && dx < 0);
                    peak = before ? v > q : v >= q;
                }
            if (peak) out.push_back({x, y, v});
        }
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const Placement& a, const Placement& b) { return a.score > b.score; });
    return out;
}

} // namespace

std::vector<vx_NrcMatch> vf_nrcCoarseToFine(std::span<const vx_NrcPlane> images,
                                            std::span<const vx_NrcTemplate> templates,
                                            const vx_NrcSettings& s) {
    vstd_assert_(!images.empty() && images.size() == templates.size(), "pyramids match");
    const long top = static_cast<long>(images.size()) - 1;
    auto threshold = [&](long k) {
        return top == 0 ? s.accept : s.accept * (1.0 - kRelief * double(k) / double(top));
    };

    std::vector<float> map;
    vf_nrcScoreMap(images[top], templates[top], map);
    const long nx = images[top].width - templates[top].plane.width + 1;
    const long ny = images[top].height - templates[top].plane.height + 1;
    std::vector<Placement> candidates = localMaxima(map, nx, ny, threshold(top));
    if (top > 0) {
        const long limit =
            s.maxResults > 0 ? std::clamp(kPerResult * s.maxResults, kMinCandidates, kMaxCandidates)
                             : kMaxCandidates;
        if (static_cast<long>(candidates.size()) > limit)
            candidates.resize(static_cast<size_t>(limit));
    }

    const double w = static_cast<double>(templates[0].plane.width);
    const double h = static_cast<double>(templates[0].plane.height);
    std::vector<vx_NrcMatch> found;
    std::vector<vx_NrcMatch> certain; // distinct matches at or above confusion
    for (const Placement& c : candidates) {
        if (s.maxResults > 0 && static_cast<long>(certain.size()) >= s.maxResults) break;
        vxAttention::check();
        Placement p = c;
        for (long k = top; k >= 0; --k) {
            LevelScores sc(images[k], templates[k]);
            p = k == top ? climb(sc, p.x, p.y, 0) : climb(sc, 2 * p.x, 2 * p.y, kStartRadius);
            if (p.score < threshold(k)) break;
            if (k > 0) continue;
            const auto [dx, dy] = subPixel(sc, p, s.accuracy);
            const vx_NrcMatch m{p.x + dx, p.y + dy, p.score};
            found.push_back(m);
            if (m.score >= s.confusion &&
                std::none_of(certain.begin(), certain.end(), [&](const vx_NrcMatch& o) {
                    return overlap(o, m, w, h, s.xyOverlap);
                }))
                certain.push_back(m);
        }
    }

    // Best first; a match overlapping a better one kept already is dropped.
    std::stable_sort(found.begin(), found.end(),
                     [](const vx_NrcMatch& a, const vx_NrcMatch& b) { return a.score > b.score; });
    std::vector<vx_NrcMatch> kept;
    for (const vx_NrcMatch& m : found) {
        if (s.maxResults > 0 && static_cast<long>(kept.size()) >= s.maxResults) break;
        if (std::none_of(kept.begin(), kept.end(),
                         [&](const vx_NrcMatch& o) { return overlap(o, m, w, h, s.xyOverlap); }))
            kept.push_back(m);
    }
    return kept;
}
