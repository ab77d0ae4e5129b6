// Pixel loops of the normalized-correlation search (see the header).
#include "vx_NrcKernels.h"

#include "vxAttention.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// r from the exact sums of n pairs, clamped to [0, 1]; 0 when either side is flat.
// With s* the sums and s** the sums of products: r = (n sit - si st) / sqrt((n sii -
// si^2)(n stt - st^2)). Long double keeps the products exact for every template size
// the model accepts.
double correlation(long double n, long double si, long double sii, long double sit, long double st,
                   double spread) {
    const long double varI = n * sii - si * si;
    if (varI <= 0 || spread <= 0) return 0.0;
    const long double r = (n * sit - si * st) / std::sqrt(varI * spread);
    return static_cast<double>(std::clamp<long double>(r, 0.0L, 1.0L));
}

} // namespace

vx_NrcPlane vf_nrcCopy(const vxPelBuffer_const<unsigned char>& image, const vxPelRect& r) {
    vx_NrcPlane p;
    p.width = r.width();
    p.height = r.height();
    p.pels.resize(static_cast<size_t>(p.width * p.height));
    for (long y = 0; y < p.height; ++y)
        std::memcpy(p.pels.data() + y * p.width, image.pointToPel(r.x(), r.y() + y),
                    static_cast<size_t>(p.width));
    return p;
}

vx_NrcPlane vf_nrcReduce(const vx_NrcPlane& src) {
    vx_NrcPlane p;
    p.width = src.width / 2;
    p.height = src.height / 2;
    p.pels.resize(static_cast<size_t>(p.width * p.height));
    for (long y = 0; y < p.height; ++y) {
        vxAttention::check();
        const unsigned char* a = src.row(2 * y);
        const unsigned char* b = src.row(2 * y + 1);
        unsigned char* out = p.pels.data() + y * p.width;
        for (long x = 0; x < p.width; ++x)
            out[x] = static_cast<unsigned char>(
                (a[2 * x] + a[2 * x + 1] + b[2 * x] + b[2 * x + 1] + 2) >> 2);
    }
    return p;
}

vx_NrcTemplate vf_nrcTemplate(vx_NrcPlane plane) {
    vx_NrcTemplate t;
    t.plane = std::move(plane);
    for (unsigned char v : t.plane.pels) {
        t.sum += v;
        t.sumSq += std::int64_t(v) * v;
    }
    const double n = static_cast<double>(t.area());
    t.spread = static_cast<double>(static_cast<long double>(n) * t.sumSq -
                                   static_cast<long double>(t.sum) * t.sum);
    const double mean = n > 0 ? static_cast<double>(t.sum) / n : 0.0;
    t.centred.resize(t.plane.pels.size());
    for (size_t i = 0; i < t.centred.size(); ++i)
        t.centred[i] = static_cast<float>(t.plane.pels[i] - mean);
    return t;
}

void vf_nrcScoreMap(const vx_NrcPlane& image, const vx_NrcTemplate& t, std::vector<float>& map) {
    const long tw = t.plane.width, th = t.plane.height;
    const long nx = image.width - tw + 1, ny = image.height - th + 1;
    map.assign(static_cast<size_t>(std::max(0L, nx) * std::max(0L, ny)), 0.0f);
    if (nx <= 0 || ny <= 0) return;

    // Running sums of the image (one row and column of zeros in front) give each
    // patch's sum and sum of squares in four reads.
    const long iw = image.width + 1;
    std::vector<std::int64_t> sum(static_cast<size_t>(iw * (image.height + 1)), 0);
    std::vector<std::int64_t> sumSq(sum.size(), 0);
    for (long y = 0; y < image.height; ++y) {
        const unsigned char* in = image.row(y);
        std::int64_t rowSum = 0, rowSq = 0;
        for (long x = 0; x < image.width; ++x) {
            rowSum += in[x];
            rowSq += in[x] * in[x];
            sum[(y + 1) * iw + x + 1] = sum[y * iw + x + 1] + rowSum;
            sumSq[(y + 1) * iw + x + 1] = sumSq[y * iw + x + 1] + rowSq;
        }
    }

    std::vector<float> pels(image.pels.begin(), image.pels.end());
    std::vector<float> acc(static_cast<size_t>(nx));
    const long double n = static_cast<long double>(t.area());
    for (long y = 0; y < ny; ++y) {
        vxAttention::check();
        // acc[x] = sum of image * (template - mean) over the patch at (x, y): one
        // template pixel at a time across the whole row of placements, which keeps the
        // inner loop long and contiguous.
        std::fill(acc.begin(), acc.end(), 0.0f);
        for (long r = 0; r < th; ++r) {
            const float* in = pels.data() + (y + r) * image.width;
            const float* w = t.centred.data() + r * tw;
            for (long c = 0; c < tw; ++c) {
                const float wc = w[c];
                const float* src = in + c;
                float* a = acc.data();
                for (long x = 0; x < nx; ++x)
                    a[x] += wc * src[x];
            }
        }
        float* out = map.data() + y * nx;
        for (long x = 0; x < nx; ++x) {
            const long i0 = y * iw + x, i1 = (y + th) * iw + x;
            const long double s = sum[i1 + tw] - sum[i1] - sum[i0 + tw] + sum[i0];
            const long double q = sumSq[i1 + tw] - sumSq[i1] - sumSq[i0 + tw] + sumSq[i0];
            const long double varI = n * q - s * s;
            if (varI <= 0 || t.spread <= 0) continue;
            const double r = static_cast<double>(n * acc[x] / std::sqrt(varI * t.spread));
            out[x] = static_cast<float>(std::clamp(r, 0.0, 1.0));
        }
    }
}

double vf_nrcScoreAt(const vx_NrcPlane& image, const vx_NrcTemplate& t, long x, long y) {
    const long tw = t.plane.width, th = t.plane.height;
    std::int64_t si = 0, sii = 0, sit = 0;
    for (long r = 0; r < th; ++r) {
        // Template widths are at most 32767, so a row's sums fit 32 bits.
        const unsigned char* a = image.row(y + r) + x;
        const unsigned char* b = t.plane.row(r);
        std::uint32_t rs = 0, rss = 0, rst = 0;
        for (long c = 0; c < tw; ++c) {
            rs += a[c];
            rss += std::uint32_t(a[c]) * a[c];
            rst += std::uint32_t(a[c]) * b[c];
        }
        si += rs;
        sii += rss;
        sit += rst;
    }
    return correlation(static_cast<long double>(t.area()), si, sii, sit, t.sum, t.spread);
}
