// Edge points: a separable derivative-of-Gaussian gradient streamed row by row, then
// non-maximum suppression across the edge and a Gaussian fit for the sub-pixel place.
//
// Rows flow through two small rings, so the working set stays in cache whatever the
// image size: the horizontal pass keeps the 2r + 1 rows (r = ceil(3 sigma)) that the
// vertical pass needs, and the gradient keeps 3 rows so that row y - 1 can be thinned
// against its neighbours once row y is known.
#include "vx_EdgePoints.h"

#include "vxAttention.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

using Pel = unsigned char;

// The two 1-D kernels, stored from the centre outwards: smooth[k] (k = 0..r), a
// Gaussian of sum 1, and deriv[k] (k = 1..r), the antisymmetric derivative, scaled so
// that a ramp of slope s gives s.
struct Kernels {
    int r = 0;
    std::vector<float> smooth, deriv;
    explicit Kernels(double sigma) : r(static_cast<int>(std::ceil(3.0 * sigma))) {
        std::vector<double> g(r + 1);
        double sum = 0.0, moment = 0.0;
        for (int k = 0; k <= r; ++k) {
            g[k] = std::exp(-0.5 * k * k / (sigma * sigma));
            sum += k == 0 ? g[k] : 2.0 * g[k];
            moment += 2.0 * k * k * g[k];
        }
        smooth.resize(r + 1);
        deriv.assign(r + 1, 0.0f);
        for (int k = 0; k <= r; ++k) {
            smooth[k] = static_cast<float>(g[k] / sum);
            deriv[k] = static_cast<float>(k * g[k] / moment);
        }
    }
};

// smoothed[x] and derived[x] of one image row; pad holds the row with r repeated edge
// pixels on each side. R is the kernel radius when known at compile time (the taps
// then stay in registers), 0 to take it from the kernels.
template <int R>
void horizontalPass(const Kernels& kr, const Pel* __restrict in, long w, float* __restrict pad,
                    float* __restrict smoothed, float* __restrict derived) {
    const int r = R > 0 ? R : kr.r;
    const float* __restrict s = kr.smooth.data();
    const float* __restrict d = kr.deriv.data();
    for (int k = 0; k < r; ++k) {
        pad[k] = in[0];
        pad[r + w + k] = in[w - 1];
    }
    for (long x = 0; x < w; ++x)
        pad[r + x] = in[x];
    const float* __restrict c = pad + r;
    for (long x = 0; x < w; ++x) {
        float sum = s[0] * c[x], diff = 0.0f;
        for (int k = 1; k <= r; ++k) {
            sum += s[k] * (c[x + k] + c[x - k]);
            diff += d[k] * (c[x + k] - c[x - k]);
        }
        smoothed[x] = sum;
        derived[x] = diff;
    }
}

// One gradient row from the rows of the horizontal pass: rowsS[k] and rowsD[k] are the
// rows at offset k - r from the current one (edge rows repeated).
template <int R>
void verticalPass(const Kernels& kr, const float* const* rowsS, const float* const* rowsD, long w,
                  float* __restrict gx, float* __restrict gy, float* __restrict mag2) {
    const int r = R > 0 ? R : kr.r;
    const float* __restrict s = kr.smooth.data();
    const float* __restrict d = kr.deriv.data();
    for (long x = 0; x < w; ++x) {
        float a = s[0] * rowsD[r][x], b = 0.0f;
        for (int k = 1; k <= r; ++k) {
            a += s[k] * (rowsD[r + k][x] + rowsD[r - k][x]);
            b += d[k] * (rowsS[r + k][x] - rowsS[r - k][x]);
        }
        gx[x] = a;
        gy[x] = b;
        mag2[x] = a * a + b * b;
    }
}

// atan2 to within about 1e-5 radian (a polynomial on one octant, then reflections).
float fastAtan2(float y, float x) {
    const float ax = std::fabs(x), ay = std::fabs(y);
    const float lo = std::min(ax, ay), hi = std::max(ax, ay);
    const float z = hi > 0.0f ? lo / hi : 0.0f, z2 = z * z;
    float a = z * (0.9998660f +
                   z2 * (-0.3302995f + z2 * (0.1801410f + z2 * (-0.0851330f + z2 * 0.0208351f))));
    if (ay > ax) a = std::numbers::pi_v<float> / 2 - a;
    if (x < 0.0f) a = std::numbers::pi_v<float> - a;
    return y < 0.0f ? -a : a;
}

unsigned char toSteps(float radians) {
    const float steps = radians * (128.0f / std::numbers::pi_v<float>);
    return static_cast<unsigned char>(static_cast<int>(std::floor(steps + 0.5f)) & 255);
}

// The peak through three samples one step apart, the middle one largest: a Gaussian
// through them (a parabola in log), or a parabola through their square roots when an
// outer sample is 0. Samples are squared magnitudes; the peak's offset from the middle
// sample (within half a step) and its magnitude are returned.
struct Peak {
    float offset, magnitude;
};

Peak fitPeak(float before, float middle, float after) {
    const bool logFit = before > 0.0f && after > 0.0f;
    const float a = logFit ? std::log(before) : std::sqrt(before);
    const float b = logFit ? std::log(middle) : std::sqrt(middle);
    const float c = logFit ? std::log(after) : std::sqrt(after);
    const float curve = 0.5f * (a + c) - b, slope = 0.5f * (c - a); // b + slope t + curve t^2
    const float t = std::clamp(-slope / (2.0f * curve), -0.5f, 0.5f);
    const float top = b + (slope + curve * t) * t;
    return {t, logFit ? std::exp(0.5f * top) : top};
}

// Thins row y: `above`, `row` and `below` are squared magnitudes with one zero on each
// side (index x + 1 is column x).
void thinRow(const float* above, const float* row, const float* below, const float* gx,
             const float* gy, long w, long y, float threshold2, std::vector<vx_EdgePoint>& out) {
    constexpr float kTan22 = 0.41421356f; // tan(22.5 degrees): sector boundaries
    for (long x = 0; x < w; ++x) {
        const float m = row[x + 1];
        if (m < threshold2 || m <= 0.0f) continue;
        const float ax = std::fabs(gx[x]), ay = std::fabs(gy[x]);
        int dx, dy;
        float before, after;
        if (ay <= kTan22 * ax) {
            dx = 1, dy = 0, before = row[x], after = row[x + 2];
        } else if (ax <= kTan22 * ay) {
            dx = 0, dy = 1, before = above[x + 1], after = below[x + 1];
        } else if ((gx[x] > 0.0f) == (gy[x] > 0.0f)) {
            dx = 1, dy = 1, before = above[x], after = below[x + 2];
        } else {
            dx = 1, dy = -1, before = below[x], after = above[x + 2];
        }
        // Strict on one side only, so a ridge two pixels wide yields one point.
        if (!(m > before && m >= after)) continue;
        const Peak peak = fitPeak(before, m, after);
        out.push_back({x + 0.5f + peak.offset * dx, y + 0.5f + peak.offset * dy, peak.magnitude,
                       toSteps(fastAtan2(gy[x], gx[x]))});
    }
}

void passingRow(const float* row, const float* gx, const float* gy, long w, long y,
                float threshold2, std::vector<vx_EdgePoint>& out) {
    for (long x = 0; x < w; ++x) {
        const float m = row[x + 1];
        if (m < threshold2 || m <= 0.0f) continue;
        out.push_back({x + 0.5f, y + 0.5f, std::sqrt(m), toSteps(fastAtan2(gy[x], gx[x]))});
    }
}

} // namespace

void vf_FindEdgePoints_(const unsigned char* first, long stride, long width, long height,
                        double sigma, double threshold, bool thin, std::vector<vx_EdgePoint>& out) {
    if (width <= 0 || height <= 0) return;
    const Kernels kr(sigma);
    const int r = kr.r, ringRows = 2 * r + 1;
    const long w = width;
    const float threshold2 = static_cast<float>(threshold * threshold);

    std::vector<float> pad(w + 2 * r);
    std::vector<float> hs(ringRows * w), hd(ringRows * w);
    // Gradient rings: 3 rows of gx, gy, and squared magnitudes padded by a zero on each
    // side; plus one zero row for the neighbours beyond the top and bottom.
    std::vector<float> gx(3 * w), gy(3 * w), mag(4 * (w + 2), 0.0f);
    auto magRow = [&](long y) { return mag.data() + (y < 0 || y >= height ? 3 : y % 3) * (w + 2); };
    std::vector<const float*> rowsS(ringRows), rowsD(ringRows);

    auto finish = [&](long y) { // thin or collect row y once its neighbours are known
        const float* gxr = gx.data() + (y % 3) * w;
        const float* gyr = gy.data() + (y % 3) * w;
        if (thin)
            thinRow(magRow(y - 1), magRow(y), magRow(y + 1), gxr, gyr, w, y, threshold2, out);
        else
            passingRow(magRow(y), gxr, gyr, w, y, threshold2, out);
    };

    long nextRow = 0; // next row of the horizontal pass
    for (long y = 0; y < height; ++y) {
        vxAttention::check();
        for (const long last = std::min(y + r, height - 1); nextRow <= last; ++nextRow) {
            const long slot = (nextRow % ringRows) * w;
            (r == 3 ? horizontalPass<3> : horizontalPass<0>)(kr, first + nextRow * stride, w,
                                                             pad.data(), hs.data() + slot,
                                                             hd.data() + slot);
        }
        for (int k = -r; k <= r; ++k) {
            const long slot = (std::clamp(y + k, 0L, height - 1) % ringRows) * w;
            rowsS[k + r] = hs.data() + slot;
            rowsD[k + r] = hd.data() + slot;
        }
        (r == 3 ? verticalPass<3> : verticalPass<0>)(kr, rowsS.data(), rowsD.data(), w,
                                                     gx.data() + (y % 3) * w,
                                                     gy.data() + (y % 3) * w, magRow(y) + 1);
        if (y > 0) finish(y - 1);
    }
    finish(height - 1);
}
