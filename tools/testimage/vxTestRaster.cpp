// The renderer's pixel loops: stroke coverage, occlusions, blur, illumination, noise
// and quantization on a float image.
#include "vx_TestRaster.h"

#include <algorithm>
#include <cmath>

namespace {

// The pixel indices whose centres lie in [lo, hi], clipped to [0, n).
bool pixelSpan(double lo, double hi, long n, long& first, long& last) {
    lo = std::max(lo - 0.5, -1.0);
    hi = std::min(hi - 0.5, double(n));
    if (!(lo <= hi)) return false;
    first = std::max(0L, long(std::ceil(lo)));
    last = std::min(n - 1, long(std::floor(hi)));
    return first <= last;
}

void addSegment(vx_FloatImage& cov, const vxVector<2>& a, const vxVector<2>& b, double hw) {
    const double reach = hw + 0.5;
    long x0, x1, y0, y1;
    if (!pixelSpan(std::min(a.x(), b.x()) - reach, std::max(a.x(), b.x()) + reach, cov.width, x0,
                   x1) ||
        !pixelSpan(std::min(a.y(), b.y()) - reach, std::max(a.y(), b.y()) + reach, cov.height, y0,
                   y1))
        return;
    const vxVector<2> ab = b - a;
    const double len2 = ab.lengthSq();
    const double reach2 = reach * reach;
    for (long y = y0; y <= y1; ++y) {
        float* row = cov.row(y);
        const double qy = y + 0.5 - a.y();
        for (long x = x0; x <= x1; ++x) {
            const double qx = x + 0.5 - a.x();
            double t = len2 > 0.0 ? (qx * ab.x() + qy * ab.y()) / len2 : 0.0;
            t = std::clamp(t, 0.0, 1.0);
            const double ex = qx - t * ab.x(), ey = qy - t * ab.y();
            const double d2 = ex * ex + ey * ey;
            if (d2 >= reach2) continue;
            const double d = std::sqrt(d2);
            const double c = std::min(d + 0.5, hw) - std::max(d - 0.5, -hw);
            if (c > row[x]) row[x] = float(std::min(c, 1.0));
        }
    }
}

} // namespace

void vf_AddGlyphCoverage(vx_FloatImage& cov, const vxTestGlyph& glyph, const vxXform<2>& pose,
                         double halfWidth) {
    for (const auto& stroke : glyph.strokes) {
        if (stroke.size() == 1) {
            const vxVector<2> p = pose.mapPoint(stroke[0]);
            addSegment(cov, p, p, halfWidth);
            continue;
        }
        for (size_t k = 0; k + 1 < stroke.size(); ++k)
            addSegment(cov, pose.mapPoint(stroke[k]), pose.mapPoint(stroke[k + 1]), halfWidth);
    }
}

void vf_PaintOcclusion(vx_FloatImage& img, const vxAffineRectangle& area, float grey) {
    const vxRect box = area.encloseRect();
    long x0, x1, y0, y1;
    if (!pixelSpan(box.x() - 0.5, box.x() + box.width() + 0.5, img.width, x0, x1) ||
        !pixelSpan(box.y() - 0.5, box.y() + box.height() + 0.5, img.height, y0, y1))
        return;
    const vxXform<2> unitFromArea = area.affRectFromUnitSq().inverse();
    constexpr int n = 4;
    for (long y = y0; y <= y1; ++y) {
        float* row = img.row(y);
        for (long x = x0; x <= x1; ++x) {
            int inside = 0;
            for (int sy = 0; sy < n; ++sy)
                for (int sx = 0; sx < n; ++sx) {
                    const vxVector<2> u =
                        unitFromArea.mapPoint(vxVector<2>(x + (sx + 0.5) / n, y + (sy + 0.5) / n));
                    inside += u.x() >= 0.0 && u.x() < 1.0 && u.y() >= 0.0 && u.y() < 1.0;
                }
            const float f = float(inside) / (n * n);
            row[x] += f * (grey - row[x]);
        }
    }
}

void vf_GaussianBlur(vx_FloatImage& img, double sigma) {
    if (sigma <= 0.0) return;
    const long r = long(std::ceil(3.0 * sigma));
    std::vector<float> k(size_t(2 * r + 1));
    double sum = 0.0;
    for (long i = -r; i <= r; ++i)
        sum += k[size_t(i + r)] = float(std::exp(-0.5 * i * i / (sigma * sigma)));
    for (float& w : k)
        w = float(w / sum);

    // Rows through a padded copy (borders replicated), then columns as weighted sums of
    // whole rows so that the inner loops run along memory.
    const long w = img.width, h = img.height;
    std::vector<float> padded(size_t(w + 2 * r));
    for (long y = 0; y < h; ++y) {
        float* row = img.row(y);
        for (long i = 0; i < w + 2 * r; ++i)
            padded[size_t(i)] = row[std::clamp(i - r, 0L, w - 1)];
        for (long x = 0; x < w; ++x) {
            float acc = 0.0f;
            for (long i = 0; i <= 2 * r; ++i)
                acc += k[size_t(i)] * padded[size_t(x + i)];
            row[x] = acc;
        }
    }
    const vx_FloatImage src = img;
    for (long y = 0; y < h; ++y) {
        float* out = img.row(y);
        std::fill(out, out + w, 0.0f);
        for (long i = -r; i <= r; ++i) {
            const float* in = src.row(std::clamp(y + i, 0L, h - 1));
            const float ki = k[size_t(i + r)];
            for (long x = 0; x < w; ++x)
                out[x] += ki * in[x];
        }
    }
}

void vf_Illuminate(vx_FloatImage& img, const vxVector<2>& gradient) {
    if (gradient.isNull()) return;
    const double cx = img.width / 2.0, cy = img.height / 2.0;
    for (long y = 0; y < img.height; ++y) {
        float* row = img.row(y);
        const double fy = 1.0 + gradient.y() * (y + 0.5 - cy);
        for (long x = 0; x < img.width; ++x)
            row[x] = float(row[x] * std::max(0.0, fy + gradient.x() * (x + 0.5 - cx)));
    }
}

void vf_AddNoise(vx_FloatImage& img, double sigma, vxTestRandom& rng) {
    if (sigma <= 0.0) return;
    for (float& v : img.v)
        v = float(v + sigma * rng.normal());
}

void vf_Quantize(const vx_FloatImage& img, const vxPelBuffer<unsigned char>& dst) {
    const vxPelRect win = dst.window();
    for (long y = 0; y < img.height; ++y) {
        const float* src = img.row(y);
        unsigned char* out = dst.pointToPel(win.x(), win.y() + y);
        for (long x = 0; x < img.width; ++x)
            out[x] = static_cast<unsigned char>(std::lround(std::clamp(src[x], 0.0f, 255.0f)));
    }
}
