// Pixel loops of the alignment tool's pyramid and gradients.
#include "vx_KSGradient.h"
#include "vx_KSProbeKernel.h"

#include <algorithm>
#include <cmath>

void vx_KSGradient::at(std::size_t n, const double* x, const double* y, float* outX,
                      float* outY) const {
    std::size_t k = 0;
    for (; k + 4 <= n; k += 4)
        if (!vf_KSGradients4(xy.data(), w, h, x + k, y + k, outX + k, outY + k))
            for (std::size_t l = k; l < k + 4; ++l) at(x[l], y[l], &outX[l], &outY[l]);
    for (; k < n; ++k) at(x[k], y[k], &outX[k], &outY[k]);
}

void vx_KSGradient::at(double x, double y, float* outX, float* outY) const {
    const double u = x - 0.5, v = y - 0.5;
    const double fu = std::floor(u), fv = std::floor(v);
    const long i = static_cast<long>(fu), j = static_cast<long>(fv);
    if (!(u >= -1.0 && v >= -1.0 && u < w && v < h)) {
        *outX = *outY = 0.0f;
        return;
    }
    const float a = static_cast<float>(u - fu), b = static_cast<float>(v - fv);
    if (i >= 0 && j >= 0 && i + 1 < w && j + 1 < h) {
        const float* p = xy.data() + 2 * (j * w + i);
        const float* q = p + 2 * w;
        const float top = p[0] + a * (p[2] - p[0]), bottom = q[0] + a * (q[2] - q[0]);
        const float topY = p[1] + a * (p[3] - p[1]), bottomY = q[1] + a * (q[3] - q[1]);
        *outX = top + b * (bottom - top);
        *outY = topY + b * (bottomY - topY);
        return;
    }
    const float wts[4] = {(1 - a) * (1 - b), a * (1 - b), (1 - a) * b, a * b};
    const long xs[4] = {i, i + 1, i, i + 1};
    const long ys[4] = {j, j, j + 1, j + 1};
    float sx = 0.0f, sy = 0.0f;
    for (int k = 0; k < 4; ++k) {
        if (xs[k] < 0 || ys[k] < 0 || xs[k] >= w || ys[k] >= h) continue;
        const long at = ys[k] * w + xs[k];
        sx += wts[k] * gx(at);
        sy += wts[k] * gy(at);
    }
    *outX = sx;
    *outY = sy;
}

void vf_KSHalve(const unsigned char* src, long stride, long w, long h, vx_KSPlane& dst) {
    dst.w = w / 2;
    dst.h = h / 2;
    dst.pix.resize(static_cast<std::size_t>(dst.w * dst.h));
    vf_KSHalveRows(src, stride, dst, 0, dst.h);
}

void vf_KSHalveRows(const unsigned char* src, long stride, vx_KSPlane& dst, long y0, long y1) {
    for (long y = y0; y < y1; ++y) {
        const unsigned char* r0 = src + 2 * y * stride;
        const unsigned char* r1 = r0 + stride;
        unsigned char* out = dst.pix.data() + y * dst.w;
        for (long x = 0; x < dst.w; ++x)
            out[x] = static_cast<unsigned char>(
                (r0[2 * x] + r0[2 * x + 1] + r1[2 * x] + r1[2 * x + 1] + 2) >> 2);
    }
}

void vf_KSSobel(const unsigned char* src, long stride, long w, long h, vx_KSGradient& g) {
    g.w = w;
    g.h = h;
    g.xy.resize(2 * static_cast<std::size_t>(w * h));
    vf_KSSobelRows(src, stride, g, 0, h);
}

void vf_KSSobelRows(const unsigned char* src, long stride, vx_KSGradient& g, long y0, long y1) {
    const long w = g.w, h = g.h;
    if (w == 0 || h == 0) return;
    std::vector<int> padded(static_cast<std::size_t>(w + 2) * 3);
    for (long y = y0; y < y1; ++y) {
        // Three rows with one repeated pixel at each end, so the loop has no branches.
        const unsigned char* rows[3] = {src + std::max(y - 1, 0L) * stride, src + y * stride,
                                        src + std::min(y + 1, h - 1) * stride};
        int* p[3];
        for (int r = 0; r < 3; ++r) {
            p[r] = padded.data() + r * (w + 2);
            p[r][0] = rows[r][0];
            for (long x = 0; x < w; ++x)
                p[r][x + 1] = rows[r][x];
            p[r][w + 1] = rows[r][w - 1];
        }
        float* out = g.xy.data() + 2 * y * w;
        const int *a = p[0], *b = p[1], *c = p[2];
        for (long x = 0; x < w; ++x) {
            const int dx = (a[x + 2] - a[x]) + 2 * (b[x + 2] - b[x]) + (c[x + 2] - c[x]);
            const int dy = (c[x] + 2 * c[x + 1] + c[x + 2]) - (a[x] + 2 * a[x + 1] + a[x + 2]);
            out[2 * x] = 0.125f * static_cast<float>(dx);
            out[2 * x + 1] = 0.125f * static_cast<float>(dy);
        }
    }
}

void vf_KSNormalize(vx_KSGradient& g, float contrast) {
    vf_KSNormalizeRows(g, contrast, g, 0, g.h);
}

void vf_KSNormalizeRows(const vx_KSGradient& in, float contrast, vx_KSGradient& out, long y0,
                        long y1) {
    const float c2 = contrast * contrast;
    const std::size_t begin = 2 * static_cast<std::size_t>(y0 * in.w);
    const std::size_t end = 2 * static_cast<std::size_t>(y1 * in.w);
    const float* src = in.xy.data();
    float* dst = out.xy.data();
    for (std::size_t i = begin; i < end; i += 2) {
        const float gx = src[i], gy = src[i + 1];
        const float m2 = gx * gx + gy * gy;
        const float inv = (m2 >= c2 && m2 > 0.0f) ? 1.0f / std::sqrt(m2) : 0.0f;
        dst[i] = gx * inv;
        dst[i + 1] = gy * inv;
    }
}
