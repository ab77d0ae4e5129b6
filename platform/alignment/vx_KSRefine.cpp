// Candidate tracking down the pyramid and the final least-squares refinement.
#include "vxAttention.h"
#include "vx_KSSearch.h"

#include <algorithm>
#include <cmath>

namespace {

struct Mapped {
    float x, y, ux, uy;
};

// Features turned and scaled by (angle, scale), in level pixels.
void mapFeatures(const vx_KSLevel& level, double angle, double scale, std::vector<Mapped>& out) {
    const double c = std::cos(angle), s = std::sin(angle);
    out.resize(level.features.size());
    for (std::size_t k = 0; k < out.size(); ++k) {
        const vx_KSFeature& f = level.features[k];
        out[k].x = static_cast<float>(scale * (c * f.x - s * f.y));
        out[k].y = static_cast<float>(scale * (s * f.x + c * f.y));
        out[k].ux = static_cast<float>(c * f.ux - s * f.uy);
        out[k].uy = static_cast<float>(s * f.ux + c * f.uy);
    }
}

// Mean agreement of mapped features placed at (tx, ty) with the nearest pixels' unit
// gradients; features outside the image count 0, on don't-care pixels not at all.
double scoreNearest(const std::vector<Mapped>& m, const vx_KSGradient& unit, const vx_KSPlane* care,
                    double tx, double ty) {
    double sum = 0.0;
    long count = 0;
    const long w = unit.w, h = unit.h;
    for (const Mapped& f : m) {
        const long x = static_cast<long>(std::floor(tx + f.x));
        const long y = static_cast<long>(std::floor(ty + f.y));
        if (x < 0 || y < 0 || x >= w || y >= h) {
            ++count;
            continue;
        }
        const long i = y * w + x;
        if (care && !care->pix[i]) continue;
        ++count;
        sum += std::max(0.0f, f.ux * unit.gx[i] + f.uy * unit.gy[i]);
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

} // namespace

double vf_KSTrack(const vx_KSLevel& level, int L, const vx_KSGradient& unit, const vx_KSPlane* care,
                  double angleStep, double scaleStep, vx_KSPose& pose) {
    thread_local std::vector<Mapped> mapped;
    const double unitScale = std::ldexp(1.0, L);
    const double cx = pose.x / unitScale, cy = pose.y / unitScale;
    // Candidate positions stay on this level's pixel centres, as in the top search.
    const double bx = std::floor(cx) + 0.5, by = std::floor(cy) + 0.5;
    const int na = angleStep > 0.0 ? 1 : 0, ns = scaleStep > 0.0 ? 1 : 0;
    double bestScore = -1.0;
    vx_KSPose best = pose;
    for (int i = -ns; i <= ns; ++i)
        for (int j = -na; j <= na; ++j) {
            const double a = pose.angle + j * angleStep;
            const double s = pose.scale * std::pow(1.0 + scaleStep, i);
            mapFeatures(level, a, s, mapped);
            for (int dy = -2; dy <= 2; ++dy)
                for (int dx = -2; dx <= 2; ++dx) {
                    const double tx = bx + dx, ty = by + dy;
                    const double score = scoreNearest(mapped, unit, care, tx, ty);
                    if (score > bestScore) {
                        bestScore = score;
                        best.x = tx * unitScale;
                        best.y = ty * unitScale;
                        best.angle = a;
                        best.scale = s;
                    }
                }
        }
    vxAttention::check();
    pose = best;
    return bestScore;
}

vx_KSRefined vf_KSRefine(const vx_KSLevel& level, int L, const vx_KSGradient& g,
                         const vx_KSPlane* care, double contrast, bool freeAngle, bool freeScale,
                         const vx_KSPose& start) {
    const double unitScale = std::ldexp(1.0, L);
    double tx = start.x / unitScale, ty = start.y / unitScale;
    double angle = start.angle, scale = start.scale;
    const double reaches[] = {2.5, 1.5, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0};
    const int nParams = 2 + (freeAngle ? 1 : 0) + (freeScale ? 1 : 0);
    for (double reach : reaches) {
        vxAttention::check();
        const double c = std::cos(angle), s = std::sin(angle);
        double a[4][4] = {}, b[4] = {};
        long used = 0;
        for (const vx_KSFeature& f : level.features) {
            const double rx = c * f.x - s * f.y, ry = s * f.x + c * f.y;
            const double qx = tx + scale * rx, qy = ty + scale * ry;
            const double mx = c * f.ux - s * f.uy, my = s * f.ux + c * f.uy;
            if (!isCare(care, qx, qy)) continue;
            double d, strength;
            if (!vf_KSProbeEdge(g, qx, qy, mx, my, reach, contrast, &d, &strength)) continue;
            // Moving q by dq changes its distance to the edge line by m . dq, which
            // should equal d. Columns: x, y, angle, log scale.
            double j[4];
            int n = 0;
            j[n++] = mx;
            j[n++] = my;
            if (freeAngle) j[n++] = scale * (mx * -ry + my * rx);
            if (freeScale) j[n++] = scale * (mx * rx + my * ry);
            const double w = 1.0 / (1.0 + d * d);
            for (int r = 0; r < n; ++r) {
                for (int k = 0; k < n; ++k)
                    a[r][k] += w * j[r] * j[k];
                b[r] += w * j[r] * d;
            }
            ++used;
        }
        double step[4] = {};
        if (used < nParams + 2 || !solve(a, b, nParams, step)) break;
        int n = 0;
        tx += step[n++];
        ty += step[n++];
        double da = 0.0, ds = 0.0;
        if (freeAngle) da = step[n++];
        if (freeScale) ds = step[n++];
        angle += da;
        scale *= std::exp(std::clamp(ds, -0.2, 0.2));
        const double moved =
            std::hypot(step[0], step[1]) + (std::fabs(da) + std::fabs(ds)) * level.radius * scale;
        if (reach <= 1.0 && moved < 1e-3) break;
    }

    // Score with bilinear gradients; coverage from edges found within a pixel.
    vx_KSRefined out;
    const double c = std::cos(angle), s = std::sin(angle);
    double sum = 0.0;
    long count = 0, found = 0;
    for (const vx_KSFeature& f : level.features) {
        const double qx = tx + scale * (c * f.x - s * f.y), qy = ty + scale * (s * f.x + c * f.y);
        const double mx = c * f.ux - s * f.uy, my = s * f.ux + c * f.uy;
        if (!isCare(care, qx, qy)) continue;
        ++count;
        float gx, gy;
        g.at(qx, qy, &gx, &gy);
        const double mag = std::hypot(gx, gy);
        if (mag >= contrast && mag > 0.0) sum += std::max(0.0, (mx * gx + my * gy) / mag);
        double d, strength;
        if (vf_KSProbeEdge(g, qx, qy, mx, my, 1.0, contrast, &d, &strength) && std::fabs(d) <= 1.0)
            ++found;
    }
    out.score = count > 0 ? sum / count : 0.0;
    out.coverage = count > 0 ? double(found) / count : 0.0;
    out.pose.x = tx * unitScale;
    out.pose.y = ty * unitScale;
    out.pose.angle = angle;
    out.pose.scale = scale;
    return out;
}
