// SSE2 and AVX2 sampling loops of the edge probe (see vx_KSProbeKernel.h).
#include "vx_KSProbeKernel.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>

namespace {

// One sample: (gx, gy) of the pixel and its right neighbour are lerped between this
// row and the next, then between the two pixels, then projected.
inline float sampleSse2(const float* xy, long row, double u, double v, __m128 dir) {
    const long i = static_cast<long>(u), j = static_cast<long>(v);
    const float a = static_cast<float>(u - i), b = static_cast<float>(v - j);
    const float* p = xy + j * row + 2 * i;
    const __m128 top = _mm_loadu_ps(p), bottom = _mm_loadu_ps(p + row);
    const __m128 left = _mm_add_ps(top, _mm_mul_ps(_mm_set1_ps(b), _mm_sub_ps(bottom, top)));
    const __m128 right = _mm_movehl_ps(left, left);
    const __m128 s =
        _mm_mul_ps(dir, _mm_add_ps(left, _mm_mul_ps(_mm_set1_ps(a), _mm_sub_ps(right, left))));
    return _mm_cvtss_f32(_mm_add_ss(s, _mm_shuffle_ps(s, s, 1)));
}

__attribute__((target("avx2"))) void samplesAvx2(const float* xy, long w, double x0, double y0,
                                                 double ux, double uy, int k0, int k1,
                                                 float* f) {
    const long row = 2 * w;
    const __m128 dir1 = _mm_setr_ps(static_cast<float>(ux), static_cast<float>(uy), 0.0f, 0.0f);
    const __m256 dir = _mm256_set_m128(dir1, dir1);
    int k = k0;
    for (; k + 1 < k1; k += 2) {
        // Two samples: their coordinates as the portable loop computes them.
        const __m128d kk = _mm_setr_pd(k * 0.5, (k + 1) * 0.5);
        const __m128d u = _mm_add_pd(_mm_set1_pd(x0), _mm_mul_pd(kk, _mm_set1_pd(ux)));
        const __m128d v = _mm_add_pd(_mm_set1_pd(y0), _mm_mul_pd(kk, _mm_set1_pd(uy)));
        const __m128i iu = _mm_cvttpd_epi32(u), iv = _mm_cvttpd_epi32(v);
        const __m128 a = _mm_cvtpd_ps(_mm_sub_pd(u, _mm_cvtepi32_pd(iu)));
        const __m128 b = _mm_cvtpd_ps(_mm_sub_pd(v, _mm_cvtepi32_pd(iv)));
        const long i0 = _mm_cvtsi128_si32(iu), i1 = _mm_cvtsi128_si32(_mm_shuffle_epi32(iu, 1));
        const long j0 = _mm_cvtsi128_si32(iv), j1 = _mm_cvtsi128_si32(_mm_shuffle_epi32(iv, 1));
        const float* p0 = xy + j0 * row + 2 * i0;
        const float* p1 = xy + j1 * row + 2 * i1;
        const __m256 top = _mm256_loadu2_m128(p1, p0);
        const __m256 bottom = _mm256_loadu2_m128(p1 + row, p0 + row);
        // Lanes 0-3 take the first sample's weights, lanes 4-7 the second's.
        const __m256 bw = _mm256_set_m128(_mm_shuffle_ps(b, b, 0x55), _mm_shuffle_ps(b, b, 0x00));
        const __m256 aw = _mm256_set_m128(_mm_shuffle_ps(a, a, 0x55), _mm_shuffle_ps(a, a, 0x00));
        const __m256 left = _mm256_add_ps(top, _mm256_mul_ps(bw, _mm256_sub_ps(bottom, top)));
        const __m256 right = _mm256_permute_ps(left, 0xEE); // (2, 3, 2, 3) in each half
        const __m256 s =
            _mm256_mul_ps(dir, _mm256_add_ps(left, _mm256_mul_ps(aw, _mm256_sub_ps(right, left))));
        const __m256 sum = _mm256_add_ps(s, _mm256_permute_ps(s, 0x55)); // lane 0 += lane 1
        f[k] = _mm256_cvtss_f32(sum);
        f[k + 1] = _mm_cvtss_f32(_mm256_extractf128_ps(sum, 1));
    }
    if (k < k1) f[k] = sampleSse2(xy, row, x0 + k * 0.5 * ux, y0 + k * 0.5 * uy, dir1);
}

// The gradient at four points (cx, cy: pixel centres at integers) as vx_KSGradient::at
// interpolates it (along x first); each point and its right and lower neighbours must
// lie inside, so that truncation is floor.
__attribute__((target("avx2"), always_inline)) inline void
gradients4(const float* xy, long w, __m256d cx, __m256d cy, float* gx, float* gy) {
    const long row = 2 * w;
    const __m128i i = _mm256_cvttpd_epi32(cx), j = _mm256_cvttpd_epi32(cy);
    const __m128 a = _mm256_cvtpd_ps(_mm256_sub_pd(cx, _mm256_cvtepi32_pd(i)));
    const __m128 b = _mm256_cvtpd_ps(_mm256_sub_pd(cy, _mm256_cvtepi32_pd(j)));
    alignas(16) int iv[4], jv[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(iv), i);
    _mm_store_si128(reinterpret_cast<__m128i*>(jv), j);
    __m128 t[4], u[4];
    for (int l = 0; l < 4; ++l) {
        const float* p = xy + 2 * (jv[l] * w + iv[l]);
        t[l] = _mm_loadu_ps(p);
        u[l] = _mm_loadu_ps(p + row);
    }
    _MM_TRANSPOSE4_PS(t[0], t[1], t[2], t[3]);
    _MM_TRANSPOSE4_PS(u[0], u[1], u[2], u[3]);
    const __m128 top = _mm_add_ps(t[0], _mm_mul_ps(a, _mm_sub_ps(t[2], t[0])));
    const __m128 bottom = _mm_add_ps(u[0], _mm_mul_ps(a, _mm_sub_ps(u[2], u[0])));
    const __m128 topY = _mm_add_ps(t[1], _mm_mul_ps(a, _mm_sub_ps(t[3], t[1])));
    const __m128 bottomY = _mm_add_ps(u[1], _mm_mul_ps(a, _mm_sub_ps(u[3], u[1])));
    _mm_storeu_ps(gx, _mm_add_ps(top, _mm_mul_ps(b, _mm_sub_ps(bottom, top))));
    _mm_storeu_ps(gy, _mm_add_ps(topY, _mm_mul_ps(b, _mm_sub_ps(bottomY, topY))));
}

__attribute__((target("avx2"))) bool gradientsAvx2(const float* xy, long w, long h,
                                                   const double* px, const double* py,
                                                   float* gx, float* gy) {
    const __m256d cx = _mm256_sub_pd(_mm256_loadu_pd(px), _mm256_set1_pd(0.5));
    const __m256d cy = _mm256_sub_pd(_mm256_loadu_pd(py), _mm256_set1_pd(0.5));
    const __m256d zero = _mm256_setzero_pd();
    __m256d in = _mm256_and_pd(_mm256_cmp_pd(cx, zero, _CMP_GT_OQ), _mm256_cmp_pd(cy, zero, _CMP_GT_OQ));
    in = _mm256_and_pd(in, _mm256_cmp_pd(cx, _mm256_set1_pd(w - 1), _CMP_LT_OQ));
    in = _mm256_and_pd(in, _mm256_cmp_pd(cy, _mm256_set1_pd(h - 1), _CMP_LT_OQ));
    if (_mm256_movemask_pd(in) != 0xF) return false;
    gradients4(xy, w, cx, cy, gx, gy);
    return true;
}

// Eight probes, one per lane: the samples as sampleSse2 takes them (same operations,
// same order), the peak and the centroid as vf_KSProbeEdge finds them. Positions are
// doubles, four lanes a register; samples are floats, all eight lanes in one.
struct Half {
    __m256d x0, y0, ux, uy;
};

// Rows of four floats in each 128-bit half turned into columns, as _MM_TRANSPOSE4_PS
// does for one.
__attribute__((target("avx2"), always_inline)) inline void transpose8(__m256& r0, __m256& r1,
                                                                      __m256& r2, __m256& r3) {
    const __m256 t0 = _mm256_unpacklo_ps(r0, r1), t1 = _mm256_unpackhi_ps(r0, r1);
    const __m256 t2 = _mm256_unpacklo_ps(r2, r3), t3 = _mm256_unpackhi_ps(r2, r3);
    r0 = _mm256_shuffle_ps(t0, t2, 0x44);
    r1 = _mm256_shuffle_ps(t0, t2, 0xEE);
    r2 = _mm256_shuffle_ps(t1, t3, 0x44);
    r3 = _mm256_shuffle_ps(t1, t3, 0xEE);
}

// Sample k of eight probes, as sampleSse2 takes each.
__attribute__((target("avx2"), always_inline)) inline __m256
samples8(const float* xy, long row, const Half& a, const Half& b, __m256 dirX, __m256 dirY, int k) {
    const __m256d kk = _mm256_set1_pd(k * 0.5);
    const __m256d ua = _mm256_add_pd(a.x0, _mm256_mul_pd(kk, a.ux));
    const __m256d va = _mm256_add_pd(a.y0, _mm256_mul_pd(kk, a.uy));
    const __m256d ub = _mm256_add_pd(b.x0, _mm256_mul_pd(kk, b.ux));
    const __m256d vb = _mm256_add_pd(b.y0, _mm256_mul_pd(kk, b.uy));
    const __m128i iua = _mm256_cvttpd_epi32(ua), iva = _mm256_cvttpd_epi32(va);
    const __m128i iub = _mm256_cvttpd_epi32(ub), ivb = _mm256_cvttpd_epi32(vb);
    const __m256 fa = _mm256_set_m128(_mm256_cvtpd_ps(_mm256_sub_pd(ub, _mm256_cvtepi32_pd(iub))),
                                      _mm256_cvtpd_ps(_mm256_sub_pd(ua, _mm256_cvtepi32_pd(iua))));
    const __m256 fb = _mm256_set_m128(_mm256_cvtpd_ps(_mm256_sub_pd(vb, _mm256_cvtepi32_pd(ivb))),
                                      _mm256_cvtpd_ps(_mm256_sub_pd(va, _mm256_cvtepi32_pd(iva))));
    // 32-bit offsets: the caller checks the plane is small enough.
    const __m256i iu = _mm256_set_m128i(iub, iua), iv = _mm256_set_m128i(ivb, iva);
    const __m256i at = _mm256_add_epi32(
        _mm256_mullo_epi32(iv, _mm256_set1_epi32(static_cast<int>(row))), _mm256_add_epi32(iu, iu));
    alignas(32) int o[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(o), at);
    // Rows (gx, gy of the pixel, gx, gy of its right neighbour) of probes l and l + 4.
    __m256 t0 = _mm256_loadu2_m128(xy + o[4], xy + o[0]), t1 = _mm256_loadu2_m128(xy + o[5], xy + o[1]);
    __m256 t2 = _mm256_loadu2_m128(xy + o[6], xy + o[2]), t3 = _mm256_loadu2_m128(xy + o[7], xy + o[3]);
    __m256 b0 = _mm256_loadu2_m128(xy + o[4] + row, xy + o[0] + row);
    __m256 b1 = _mm256_loadu2_m128(xy + o[5] + row, xy + o[1] + row);
    __m256 b2 = _mm256_loadu2_m128(xy + o[6] + row, xy + o[2] + row);
    __m256 b3 = _mm256_loadu2_m128(xy + o[7] + row, xy + o[3] + row);
    transpose8(t0, t1, t2, t3);
    transpose8(b0, b1, b2, b3);
    const __m256 lx = _mm256_add_ps(t0, _mm256_mul_ps(fb, _mm256_sub_ps(b0, t0)));
    const __m256 ly = _mm256_add_ps(t1, _mm256_mul_ps(fb, _mm256_sub_ps(b1, t1)));
    const __m256 rx = _mm256_add_ps(t2, _mm256_mul_ps(fb, _mm256_sub_ps(b2, t2)));
    const __m256 ry = _mm256_add_ps(t3, _mm256_mul_ps(fb, _mm256_sub_ps(b3, t3)));
    const __m256 sx = _mm256_mul_ps(dirX, _mm256_add_ps(lx, _mm256_mul_ps(fa, _mm256_sub_ps(rx, lx))));
    const __m256 sy = _mm256_mul_ps(dirY, _mm256_add_ps(ly, _mm256_mul_ps(fa, _mm256_sub_ps(ry, ly))));
    return _mm256_add_ps(sx, sy);
}

// Which probes of a half lie inside (a bit each, as the one-by-one probe decides; NaN
// is outside); sets the half's starts and directions.
__attribute__((target("avx2"), always_inline)) inline int
halfInside(const double* px, const double* py, const double* ux, const double* uy, int half,
           long w, long h, Half& out, __m256d& cx, __m256d& cy) {
    out.ux = _mm256_loadu_pd(ux);
    out.uy = _mm256_loadu_pd(uy);
    const __m256d reachX = _mm256_mul_pd(_mm256_set1_pd(half * kKSProbeStep), out.ux);
    const __m256d reachY = _mm256_mul_pd(_mm256_set1_pd(half * kKSProbeStep), out.uy);
    cx = _mm256_sub_pd(_mm256_loadu_pd(px), _mm256_set1_pd(0.5));
    cy = _mm256_sub_pd(_mm256_loadu_pd(py), _mm256_set1_pd(0.5));
    out.x0 = _mm256_sub_pd(cx, reachX);
    out.y0 = _mm256_sub_pd(cy, reachY);
    const __m256d x1 = _mm256_add_pd(cx, reachX), y1 = _mm256_add_pd(cy, reachY);
    constexpr double kMargin = 1e-3;
    const __m256d low = _mm256_set1_pd(kMargin);
    const __m256d highX = _mm256_set1_pd(w - 1 - kMargin), highY = _mm256_set1_pd(h - 1 - kMargin);
    __m256d in = _mm256_and_pd(_mm256_cmp_pd(out.x0, low, _CMP_GE_OQ), _mm256_cmp_pd(x1, low, _CMP_GE_OQ));
    in = _mm256_and_pd(in, _mm256_and_pd(_mm256_cmp_pd(out.y0, low, _CMP_GE_OQ),
                                         _mm256_cmp_pd(y1, low, _CMP_GE_OQ)));
    in = _mm256_and_pd(in, _mm256_and_pd(_mm256_cmp_pd(out.x0, highX, _CMP_LT_OQ),
                                         _mm256_cmp_pd(x1, highX, _CMP_LT_OQ)));
    in = _mm256_and_pd(in, _mm256_and_pd(_mm256_cmp_pd(out.y0, highY, _CMP_LT_OQ),
                                         _mm256_cmp_pd(y1, highY, _CMP_LT_OQ)));
    return _mm256_movemask_pd(in);
}

// The centroid sums of one half (four lanes of the eight) for sample k.
__attribute__((target("avx2"), always_inline)) inline void
addToCentroid(__m128 f, __m128i keep32, int k, __m256d& sw, __m256d& swd) {
    const __m256d keep = _mm256_castsi256_pd(_mm256_cvtepi32_epi64(keep32));
    const __m256d wk = _mm256_and_pd(keep, _mm256_cvtps_pd(_mm_max_ps(f, _mm_setzero_ps())));
    sw = _mm256_add_pd(sw, wk);
    swd = _mm256_add_pd(swd, _mm256_and_pd(keep, _mm256_mul_pd(_mm256_mul_pd(wk, _mm256_set1_pd(k)),
                                                               _mm256_set1_pd(kKSProbeStep))));
}

__attribute__((target("avx2"))) bool probes8Avx2(const float* xy, long w, long h,
                                                 const double* px, const double* py,
                                                 const double* ux, const double* uy,
                                                 vx_KSProbeShape shape, double minStrength,
                                                 double* offset, unsigned char* found,
                                                 float* gx, float* gy, int* inside) {
    const int half = shape.half, inner = shape.inner, spread = shape.spread;
    Half a, b;
    __m256d cxa, cya, cxb, cyb;
    *inside = halfInside(px, py, ux, uy, half, w, h, a, cxa, cya) |
              halfInside(px + 4, py + 4, ux + 4, uy + 4, half, w, h, b, cxb, cyb) << 4;
    if (*inside != 0xFF) return false;
    const long row = 2 * w;
    const __m256 dirX = _mm256_set_m128(_mm256_cvtpd_ps(b.ux), _mm256_cvtpd_ps(a.ux));
    const __m256 dirY = _mm256_set_m128(_mm256_cvtpd_ps(b.uy), _mm256_cvtpd_ps(a.uy));
    __m256 f[64];
    for (int k = -inner; k <= inner; ++k) f[k + half] = samples8(xy, row, a, b, dirX, dirY, k + half);
    // The first strictly greatest sample within the reach.
    __m256 peak = _mm256_set1_ps(-1.0f);
    __m256i best = _mm256_setzero_si256();
    for (int k = -inner; k <= inner; ++k) {
        const __m256 greater = _mm256_cmp_ps(f[k + half], peak, _CMP_GT_OQ);
        peak = _mm256_blendv_ps(peak, f[k + half], greater);
        best = _mm256_blendv_epi8(best, _mm256_set1_epi32(k), _mm256_castps_si256(greater));
    }
    const __m256d minimum = _mm256_set1_pd(minStrength);
    const __m256d strongA = _mm256_cmp_pd(_mm256_cvtps_pd(_mm256_castps256_ps128(peak)), minimum, _CMP_GE_OQ);
    const __m256d strongB = _mm256_cmp_pd(_mm256_cvtps_pd(_mm256_extractf128_ps(peak, 1)), minimum, _CMP_GE_OQ);
    // The centroid of the samples within `spread` of the peak, summed in the same
    // order; samples outside add +0.0, which leaves the sums as they are.
    const __m256i from = _mm256_max_epi32(_mm256_sub_epi32(best, _mm256_set1_epi32(spread)), _mm256_set1_epi32(-half));
    const __m256i to = _mm256_min_epi32(_mm256_add_epi32(best, _mm256_set1_epi32(spread)), _mm256_set1_epi32(half));
    // Only the samples some probe's centroid takes are taken beyond the reach.
    alignas(32) int lo[8], hi[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(lo), from);
    _mm256_store_si256(reinterpret_cast<__m256i*>(hi), to);
    const int first = *std::min_element(lo, lo + 8), last = *std::max_element(hi, hi + 8);
    for (int k = first; k < -inner; ++k) f[k + half] = samples8(xy, row, a, b, dirX, dirY, k + half);
    for (int k = inner + 1; k <= last; ++k) f[k + half] = samples8(xy, row, a, b, dirX, dirY, k + half);
    __m256d swA = _mm256_setzero_pd(), swdA = swA, swB = swA, swdB = swA;
    for (int k = first; k <= last; ++k) {
        const __m256i kv = _mm256_set1_epi32(k);
        const __m256i keep = _mm256_xor_si256(
            _mm256_or_si256(_mm256_cmpgt_epi32(from, kv), _mm256_cmpgt_epi32(kv, to)),
            _mm256_set1_epi32(-1));
        addToCentroid(_mm256_castps256_ps128(f[k + half]), _mm256_castsi256_si128(keep), k, swA, swdA);
        addToCentroid(_mm256_extractf128_ps(f[k + half], 1), _mm256_extracti128_si256(keep, 1), k, swB, swdB);
    }
    const __m256d zero = _mm256_setzero_pd();
    const int mask = _mm256_movemask_pd(_mm256_and_pd(strongA, _mm256_cmp_pd(swA, zero, _CMP_GT_OQ))) |
                     _mm256_movemask_pd(_mm256_and_pd(strongB, _mm256_cmp_pd(swB, zero, _CMP_GT_OQ))) << 4;
    alignas(32) double d[8];
    _mm256_store_pd(d, _mm256_div_pd(swdA, swA));
    _mm256_store_pd(d + 4, _mm256_div_pd(swdB, swB));
    for (int l = 0; l < 8; ++l) {
        found[l] = (mask >> l) & 1;
        if (found[l]) offset[l] = d[l];
    }
    // The centres lie inside with their probes.
    if (gx) {
        gradients4(xy, w, cxa, cya, gx, gy);
        gradients4(xy, w, cxb, cyb, gx + 4, gy + 4);
    }
    return true;
}

} // namespace

bool vf_KSProbeEdges8(const float* xy, long w, long h, const double* px, const double* py,
                      const double* ux, const double* uy, vx_KSProbeShape shape,
                      double minStrength, double* offset, unsigned char* found, float* gx,
                      float* gy, int* inside) {
    static const bool avx2 = __builtin_cpu_supports("avx2");
    int lanes = 0;
    // Offsets into the plane must fit 32 bits.
    const bool done = avx2 && 2 * w * h < (1L << 31) &&
                      probes8Avx2(xy, w, h, px, py, ux, uy, shape, minStrength, offset, found, gx,
                                  gy, &lanes);
    if (inside) *inside = lanes;
    return done;
}

bool vf_KSGradients4(const float* xy, long w, long h, const double* px, const double* py,
                     float* gx, float* gy) {
    static const bool avx2 = __builtin_cpu_supports("avx2");
    return avx2 && gradientsAvx2(xy, w, h, px, py, gx, gy);
}

void vf_KSProbeSamplesPortable(const float* xy, long w, double x0, double y0, double ux,
                               double uy, int k0, int k1, float* f) {
    const __m128 dir = _mm_setr_ps(static_cast<float>(ux), static_cast<float>(uy), 0.0f, 0.0f);
    for (int k = k0; k < k1; ++k)
        f[k] = sampleSse2(xy, 2 * w, x0 + k * 0.5 * ux, y0 + k * 0.5 * uy, dir);
}

void vf_KSProbeSamples(const float* xy, long w, double x0, double y0, double ux, double uy,
                       int k0, int k1, float* f) {
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2)
        samplesAvx2(xy, w, x0, y0, ux, uy, k0, k1, f);
    else
        vf_KSProbeSamplesPortable(xy, w, x0, y0, ux, uy, k0, k1, f);
}

#else

bool vf_KSGradients4(const float*, long, long, const double*, const double*, float*, float*) {
    return false;
}

bool vf_KSProbeEdges8(const float*, long, long, const double*, const double*, const double*,
                      const double*, vx_KSProbeShape, double, double*, unsigned char*, float*,
                      float*, int* inside) {
    if (inside) *inside = 0;
    return false;
}

void vf_KSProbeSamples(const float* xy, long w, double x0, double y0, double ux, double uy,
                       int k0, int k1, float* f) {
    vf_KSProbeSamplesPortable(xy, w, x0, y0, ux, uy, k0, k1, f);
}

void vf_KSProbeSamplesPortable(const float* xy, long w, double x0, double y0, double ux,
                               double uy, int k0, int k1, float* f) {
    const long row = 2 * w;
    for (int k = k0; k < k1; ++k) {
        const double u = x0 + k * 0.5 * ux, v = y0 + k * 0.5 * uy;
        const long i = static_cast<long>(u), j = static_cast<long>(v);
        const float a = static_cast<float>(u - i), b = static_cast<float>(v - j);
        const float* p = xy + j * row + 2 * i;
        const float* q = p + row;
        const float lx = p[0] + b * (q[0] - p[0]), ly = p[1] + b * (q[1] - p[1]);
        const float rx = p[2] + b * (q[2] - p[2]), ry = p[3] + b * (q[3] - p[3]);
        f[k] = static_cast<float>(ux) * (lx + a * (rx - lx)) +
               static_cast<float>(uy) * (ly + a * (ry - ly));
    }
}

#endif
