// The refinement step's per-feature loops: plain ones for any processor, and AVX2
// ones that compute every entry with the same operations in the same order.
#include "vx_KSStepKernel.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace {

[[gnu::always_inline]] inline void place(const vx_KSFeature* __restrict f, std::size_t n,
                                         double c, double s, double tx, double ty, double scale,
                                         double* __restrict qx, double* __restrict qy,
                                         double* __restrict mx, double* __restrict my,
                                         double* __restrict rx, double* __restrict ry) {
    for (std::size_t k = 0; k < n; ++k) {
        const double x = f[k].x, y = f[k].y, ux = f[k].ux, uy = f[k].uy;
        const double px = c * x - s * y, py = s * x + c * y;
        qx[k] = tx + scale * px;
        qy[k] = ty + scale * py;
        mx[k] = c * ux - s * uy;
        my[k] = s * ux + c * uy;
        rx[k] = px;
        ry[k] = py;
    }
}

template <int M>
[[gnu::always_inline]] inline void accumulate(const double* j, double w, double d,
                                              double a[4][4], double b[4]) {
    for (int r = 0; r < M; ++r) {
        for (int k = 0; k < M; ++k)
            a[r][k] += w * j[r] * j[k];
        b[r] += w * j[r] * d;
    }
}

template <bool FreeAngle, bool FreeScale>
[[gnu::always_inline]] inline long equations(const vx_KSPlacement& p, const double* d,
                                             const unsigned char* found, std::size_t n,
                                             double scale, double a[4][4], double b[4]) {
    constexpr int M = 2 + FreeAngle + FreeScale;
    long used = 0;
    for (std::size_t k = 0; k < n; ++k) {
        if (!found[k]) continue;
        const double mx = p.mx[k], my = p.my[k], rx = p.rx[k], ry = p.ry[k];
        double j[4] = {mx, my, 0.0, 0.0};
        int m = 2;
        if (FreeAngle) j[m++] = scale * (mx * -ry + my * rx);
        if (FreeScale) j[m++] = scale * (mx * rx + my * ry);
        accumulate<M>(j, 1.0 / (1.0 + d[k] * d[k]), d[k], a, b);
        ++used;
    }
    return used;
}

[[gnu::always_inline]] inline long anyEquations(const vx_KSPlacement& p, const double* d,
                                                const unsigned char* found, std::size_t n,
                                                double scale, bool freeAngle, bool freeScale,
                                                double a[4][4], double b[4]) {
    if (freeAngle)
        return freeScale ? equations<true, true>(p, d, found, n, scale, a, b)
                         : equations<true, false>(p, d, found, n, scale, a, b);
    return freeScale ? equations<false, true>(p, d, found, n, scale, a, b)
                     : equations<false, false>(p, d, found, n, scale, a, b);
}

[[gnu::always_inline]] inline void credits(const double* __restrict mx,
                                           const double* __restrict my, const float* gx,
                                           const float* gy, const double* d,
                                           const unsigned char* found, std::size_t n,
                                           double contrast, double* __restrict credit) {
    for (std::size_t k = 0; k < n; ++k) {
        credit[k] = found[k] ? vf_KSAgreement(gx[k], gy[k], mx[k], my[k], contrast) *
                                   vf_KSProximity(d[k])
                             : 0.0;
    }
}

[[gnu::always_inline]] inline void placePixels(const vx_KSFeature* __restrict f, std::size_t n,
                                               double c, double s, double scale, long width,
                                               std::int32_t* __restrict dx,
                                               std::int32_t* __restrict dy,
                                               float* __restrict ux, float* __restrict uy,
                                               std::int32_t* __restrict offset,
                                               std::int32_t box[4]) {
    const std::int32_t w = static_cast<std::int32_t>(width);
    std::int32_t minX = 0, maxX = 0, minY = 0, maxY = 0;
    for (std::size_t k = 0; k < n; ++k) {
        const double x = f[k].x, y = f[k].y, fx = f[k].ux, fy = f[k].uy;
        const std::int32_t px = static_cast<std::int32_t>(std::floor(0.5 + scale * (c * x - s * y)));
        const std::int32_t py = static_cast<std::int32_t>(std::floor(0.5 + scale * (s * x + c * y)));
        dx[k] = px;
        dy[k] = py;
        ux[k] = static_cast<float>(c * fx - s * fy);
        uy[k] = static_cast<float>(s * fx + c * fy);
        // Narrowed from 64 bits as the vector code wraps: the same offsets either way.
        offset[k] = static_cast<std::int32_t>(2 * (std::int64_t{py} * w + px));
        minX = std::min(minX, px);
        maxX = std::max(maxX, px);
        minY = std::min(minY, py);
        maxY = std::max(maxY, py);
    }
    box[0] = minX;
    box[1] = maxX;
    box[2] = minY;
    box[3] = maxY;
}

#if defined(__x86_64__) && defined(__GNUC__)
// Four features per register: the same operations as the loop above, rounded to
// pixels by floor and truncation of the whole result.
__attribute__((target("avx2"))) void placePixelsAvx2(const vx_KSFeature* f, std::size_t n,
                                                     double c, double s, double scale, long width,
                                                     std::int32_t* dx, std::int32_t* dy,
                                                     float* ux, float* uy, std::int32_t* offset,
                                                     std::int32_t box[4]) {
    static_assert(sizeof(vx_KSFeature) == 4 * sizeof(float), "features are four floats");
    const __m256d C = _mm256_set1_pd(c), S = _mm256_set1_pd(s), scaled = _mm256_set1_pd(scale);
    const __m256d half = _mm256_set1_pd(0.5);
    const __m128i w = _mm_set1_epi32(static_cast<std::int32_t>(width));
    __m128i minX = _mm_setzero_si128(), maxX = minX, minY = minX, maxY = minX;
    std::size_t k = 0;
    for (; k + 4 <= n; k += 4) {
        const float* p = &f[k].x;
        __m128 x = _mm_loadu_ps(p), y = _mm_loadu_ps(p + 4), u = _mm_loadu_ps(p + 8),
               v = _mm_loadu_ps(p + 12);
        _MM_TRANSPOSE4_PS(x, y, u, v);
        const __m256d X = _mm256_cvtps_pd(x), Y = _mm256_cvtps_pd(y);
        const __m256d U = _mm256_cvtps_pd(u), V = _mm256_cvtps_pd(v);
        const __m128i px = _mm256_cvttpd_epi32(_mm256_floor_pd(_mm256_add_pd(
            half, _mm256_mul_pd(scaled, _mm256_sub_pd(_mm256_mul_pd(C, X), _mm256_mul_pd(S, Y))))));
        const __m128i py = _mm256_cvttpd_epi32(_mm256_floor_pd(_mm256_add_pd(
            half, _mm256_mul_pd(scaled, _mm256_add_pd(_mm256_mul_pd(S, X), _mm256_mul_pd(C, Y))))));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dx + k), px);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dy + k), py);
        _mm_storeu_ps(ux + k, _mm256_cvtpd_ps(_mm256_sub_pd(_mm256_mul_pd(C, U), _mm256_mul_pd(S, V))));
        _mm_storeu_ps(uy + k, _mm256_cvtpd_ps(_mm256_add_pd(_mm256_mul_pd(S, U), _mm256_mul_pd(C, V))));
        const __m128i at = _mm_add_epi32(_mm_mullo_epi32(py, w), px);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(offset + k), _mm_add_epi32(at, at));
        minX = _mm_min_epi32(minX, px);
        maxX = _mm_max_epi32(maxX, px);
        minY = _mm_min_epi32(minY, py);
        maxY = _mm_max_epi32(maxY, py);
    }
    std::int32_t rest[4];
    placePixels(f + k, n - k, c, s, scale, width, dx + k, dy + k, ux + k, uy + k, offset + k, rest);
    alignas(16) std::int32_t lanes[4][4];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes[0]), minX);
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes[1]), maxX);
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes[2]), minY);
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes[3]), maxY);
    for (int i = 0; i < 4; ++i) {
        const bool low = i % 2 == 0;
        std::int32_t m = rest[i];
        for (int l = 0; l < 4; ++l) m = low ? std::min(m, lanes[i][l]) : std::max(m, lanes[i][l]);
        box[i] = m;
    }
}

// A row of the normal equations per register; each entry gets (w j[r]) j[c] added, as
// the loop above adds it.
// Rows r0..r3 of a 4 x 4 matrix of doubles into its columns.
__attribute__((target("avx2"), always_inline)) inline void
transpose4(__m256d r0, __m256d r1, __m256d r2, __m256d r3, __m256d* out) {
    const __m256d t0 = _mm256_unpacklo_pd(r0, r1), t1 = _mm256_unpackhi_pd(r0, r1);
    const __m256d t2 = _mm256_unpacklo_pd(r2, r3), t3 = _mm256_unpackhi_pd(r2, r3);
    out[0] = _mm256_permute2f128_pd(t0, t2, 0x20);
    out[1] = _mm256_permute2f128_pd(t1, t3, 0x20);
    out[2] = _mm256_permute2f128_pd(t0, t2, 0x31);
    out[3] = _mm256_permute2f128_pd(t1, t3, 0x31);
}

__attribute__((target("avx2"))) long equationsAvx2(const vx_KSPlacement& p, const double* d,
                                                   const unsigned char* found, std::size_t n,
                                                   double scale, bool freeAngle, bool freeScale,
                                                   double a[4][4], double b[4]) {
    const int M = 2 + freeAngle + freeScale;
    __m256d rows[4] = {_mm256_loadu_pd(a[0]), _mm256_loadu_pd(a[1]), _mm256_loadu_pd(a[2]),
                       _mm256_loadu_pd(a[3])};
    __m256d rhs = _mm256_loadu_pd(b);
    const __m256d scaled = _mm256_set1_pd(scale), one = _mm256_set1_pd(1.0);
    const __m256d sign = _mm256_set1_pd(-0.0);
    long used = 0;
    std::size_t k = 0;
    // Columns of four features at once, turned into one row (j) per feature.
    for (; k + 4 <= n; k += 4) {
        const __m256d mx = _mm256_loadu_pd(p.mx + k), my = _mm256_loadu_pd(p.my + k);
        const __m256d rx = _mm256_loadu_pd(p.rx + k), ry = _mm256_loadu_pd(p.ry + k);
        const __m256d D = _mm256_loadu_pd(d + k);
        const __m256d turn = _mm256_mul_pd(
            scaled, _mm256_add_pd(_mm256_mul_pd(mx, _mm256_xor_pd(ry, sign)), _mm256_mul_pd(my, rx)));
        const __m256d grow =
            _mm256_mul_pd(scaled, _mm256_add_pd(_mm256_mul_pd(mx, rx), _mm256_mul_pd(my, ry)));
        const __m256d zero = _mm256_setzero_pd();
        const __m256d c2 = freeAngle ? turn : (freeScale ? grow : zero);
        const __m256d c3 = (freeAngle && freeScale) ? grow : zero;
        const __m256d W = _mm256_div_pd(one, _mm256_add_pd(one, _mm256_mul_pd(D, D)));
        // 4 x 4 transposes: j of each feature, and w j.
        __m256d J[4], WJ[4];
        transpose4(mx, my, c2, c3, J);
        transpose4(_mm256_mul_pd(W, mx), _mm256_mul_pd(W, my), _mm256_mul_pd(W, c2),
                  _mm256_mul_pd(W, c3), WJ);
        for (int l = 0; l < 4; ++l) {
            if (!found[k + l]) continue;
            alignas(32) double wj[4];
            _mm256_store_pd(wj, WJ[l]);
            for (int r = 0; r < M; ++r)
                rows[r] = _mm256_add_pd(rows[r], _mm256_mul_pd(_mm256_set1_pd(wj[r]), J[l]));
            rhs = _mm256_add_pd(rhs, _mm256_mul_pd(WJ[l], _mm256_set1_pd(d[k + l])));
            ++used;
        }
    }
    // Entries beyond M columns got zeros added: they stay as they were.
    for (int r = 0; r < M; ++r) {
        alignas(32) double row[4];
        _mm256_store_pd(row, rows[r]);
        for (int c = 0; c < M; ++c) a[r][c] = row[c];
    }
    alignas(32) double right[4];
    _mm256_store_pd(right, rhs);
    for (int r = 0; r < M; ++r) b[r] = right[r];
    // The last few features by the plain loop, which adds each the same way.
    return used + anyEquations(p.from(k), d + k, found + k, n - k, scale, freeAngle, freeScale,
                               a, b);
}

// Four features per register, the operations of the loop above.
__attribute__((target("avx2"))) void creditsAvx2(const vx_KSPlacement& p, const float* gx,
                                                 const float* gy, const double* d,
                                                 const unsigned char* found, std::size_t n,
                                                 double contrast, double* credit) {
    const __m256d zero = _mm256_setzero_pd(), one = _mm256_set1_pd(1.0);
    const __m256d half = _mm256_set1_pd(0.5), two = _mm256_set1_pd(2.0);
    const __m256d threshold = _mm256_set1_pd(contrast);
    const __m256d sign = _mm256_set1_pd(-0.0);
    std::size_t k = 0;
    for (; k + 4 <= n; k += 4) {
        const __m256d x = _mm256_cvtps_pd(_mm_loadu_ps(gx + k));
        const __m256d y = _mm256_cvtps_pd(_mm_loadu_ps(gy + k));
        const __m256d mag = _mm256_sqrt_pd(_mm256_add_pd(_mm256_mul_pd(x, x), _mm256_mul_pd(y, y)));
        const __m256d cosine = _mm256_div_pd(
            _mm256_add_pd(_mm256_mul_pd(_mm256_loadu_pd(p.mx + k), x),
                          _mm256_mul_pd(_mm256_loadu_pd(p.my + k), y)),
            mag);
        const __m256d strong = _mm256_and_pd(_mm256_cmp_pd(mag, threshold, _CMP_GE_OQ),
                                             _mm256_cmp_pd(mag, zero, _CMP_GT_OQ));
        const __m256d agreement =
            _mm256_and_pd(_mm256_and_pd(strong, _mm256_cmp_pd(zero, cosine, _CMP_LT_OQ)), cosine);
        const __m256d dist = _mm256_andnot_pd(sign, _mm256_loadu_pd(d + k));
        const __m256d falling = _mm256_mul_pd(two, _mm256_sub_pd(one, dist));
        __m256d near = _mm256_blendv_pd(falling, zero, _mm256_cmp_pd(dist, one, _CMP_GE_OQ));
        near = _mm256_blendv_pd(near, one, _mm256_cmp_pd(dist, half, _CMP_LE_OQ));
        std::uint32_t f4;
        std::memcpy(&f4, found + k, 4);
        const __m256i has = _mm256_cmpgt_epi64(
            _mm256_cvtepu8_epi64(_mm_cvtsi32_si128(static_cast<int>(f4))), _mm256_setzero_si256());
        _mm256_storeu_pd(credit + k,
                         _mm256_and_pd(_mm256_castsi256_pd(has), _mm256_mul_pd(agreement, near)));
    }
    credits(p.mx + k, p.my + k, gx + k, gy + k, d + k, found + k, n - k, contrast, credit + k);
}

__attribute__((target("avx2"))) void placeAvx2(const vx_KSFeature* f, std::size_t n, double c,
                                               double s, double tx, double ty, double scale,
                                               const vx_KSPlacement& o) {
    place(f, n, c, s, tx, ty, scale, o.qx, o.qy, o.mx, o.my, o.rx, o.ry);
}
#endif

} // namespace

void vf_KSPlaceFeatures(const vx_KSFeature* f, std::size_t n, double c, double s, double tx,
                        double ty, double scale, const vx_KSPlacement& o) {
#if defined(__x86_64__) && defined(__GNUC__)
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2) return placeAvx2(f, n, c, s, tx, ty, scale, o);
#endif
    place(f, n, c, s, tx, ty, scale, o.qx, o.qy, o.mx, o.my, o.rx, o.ry);
}

long vf_KSNormalEquations(const vx_KSPlacement& p, const double* d, const unsigned char* found,
                          std::size_t n, double scale, bool freeAngle, bool freeScale,
                          double a[4][4], double b[4]) {
#if defined(__x86_64__) && defined(__GNUC__)
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2) return equationsAvx2(p, d, found, n, scale, freeAngle, freeScale, a, b);
#endif
    return anyEquations(p, d, found, n, scale, freeAngle, freeScale, a, b);
}

void vf_KSTallyCredits(const vx_KSPlacement& p, const float* gx, const float* gy,
                       const double* d, const unsigned char* found, std::size_t n,
                       double contrast, double* credit) {
#if defined(__x86_64__) && defined(__GNUC__)
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2) return creditsAvx2(p, gx, gy, d, found, n, contrast, credit);
#endif
    credits(p.mx, p.my, gx, gy, d, found, n, contrast, credit);
}

void vf_KSPlacePixels(const vx_KSFeature* f, std::size_t n, double c, double s, double scale,
                      long width, std::int32_t* dx, std::int32_t* dy, float* ux, float* uy,
                      std::int32_t* offset, std::int32_t box[4]) {
#if defined(__x86_64__) && defined(__GNUC__)
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2) return placePixelsAvx2(f, n, c, s, scale, width, dx, dy, ux, uy, offset, box);
#endif
    placePixels(f, n, c, s, scale, width, dx, dy, ux, uy, offset, box);
}
