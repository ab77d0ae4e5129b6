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

// Sample k (0 to 2 half) of four probes starting at (x0, y0), as sampleSse2 takes each.
__attribute__((target("avx2"), always_inline)) inline __m128
samples4(const float* xy, long row, __m256d x0, __m256d y0, __m256d UX, __m256d UY, __m128 dirX,
         __m128 dirY, int k) {
    const __m256d kk = _mm256_set1_pd(k * 0.5);
    const __m256d u = _mm256_add_pd(x0, _mm256_mul_pd(kk, UX));
    const __m256d v = _mm256_add_pd(y0, _mm256_mul_pd(kk, UY));
    const __m128i iu = _mm256_cvttpd_epi32(u), iv = _mm256_cvttpd_epi32(v);
    const __m128 a = _mm256_cvtpd_ps(_mm256_sub_pd(u, _mm256_cvtepi32_pd(iu)));
    const __m128 b = _mm256_cvtpd_ps(_mm256_sub_pd(v, _mm256_cvtepi32_pd(iv)));
    // 32-bit offsets: the caller checks the plane is small enough.
    const __m128i at = _mm_add_epi32(_mm_mullo_epi32(iv, _mm_set1_epi32(static_cast<int>(row))),
                                     _mm_add_epi32(iu, iu));
    const float* p0 = xy + _mm_cvtsi128_si32(at);
    const float* p1 = xy + _mm_extract_epi32(at, 1);
    const float* p2 = xy + _mm_extract_epi32(at, 2);
    const float* p3 = xy + _mm_extract_epi32(at, 3);
    // Rows (gx, gy of the pixel, gx, gy of its right neighbour), one per probe,
    // turned into columns: one quantity of all four probes per register.
    __m128 t0 = _mm_loadu_ps(p0), t1 = _mm_loadu_ps(p1), t2 = _mm_loadu_ps(p2),
           t3 = _mm_loadu_ps(p3);
    __m128 b0 = _mm_loadu_ps(p0 + row), b1 = _mm_loadu_ps(p1 + row),
           b2 = _mm_loadu_ps(p2 + row), b3 = _mm_loadu_ps(p3 + row);
    _MM_TRANSPOSE4_PS(t0, t1, t2, t3);
    _MM_TRANSPOSE4_PS(b0, b1, b2, b3);
    const __m128 lx = _mm_add_ps(t0, _mm_mul_ps(b, _mm_sub_ps(b0, t0)));
    const __m128 ly = _mm_add_ps(t1, _mm_mul_ps(b, _mm_sub_ps(b1, t1)));
    const __m128 rx = _mm_add_ps(t2, _mm_mul_ps(b, _mm_sub_ps(b2, t2)));
    const __m128 ry = _mm_add_ps(t3, _mm_mul_ps(b, _mm_sub_ps(b3, t3)));
    const __m128 sx = _mm_mul_ps(dirX, _mm_add_ps(lx, _mm_mul_ps(a, _mm_sub_ps(rx, lx))));
    const __m128 sy = _mm_mul_ps(dirY, _mm_add_ps(ly, _mm_mul_ps(a, _mm_sub_ps(ry, ly))));
    return _mm_add_ps(sx, sy);
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

// Four probes, one per lane: the samples as sampleSse2 takes them (same operations,
// same order), the peak and the centroid as vf_KSProbeEdge finds them.
__attribute__((target("avx2"))) bool probes4Avx2(const float* xy, long w, long h,
                                                 const double* px, const double* py,
                                                 const double* ux, const double* uy,
                                                 vx_KSProbeShape shape, double minStrength,
                                                 double* offset, unsigned char* found,
                                                 float* gx, float* gy) {
    const int half = shape.half, inner = shape.inner, spread = shape.spread;
    if (2 * w * h >= (1L << 31)) return false; // offsets into the plane must fit 32 bits
    const __m256d UX = _mm256_loadu_pd(ux), UY = _mm256_loadu_pd(uy);
    const __m256d reachX = _mm256_mul_pd(_mm256_set1_pd(half * kKSProbeStep), UX);
    const __m256d reachY = _mm256_mul_pd(_mm256_set1_pd(half * kKSProbeStep), UY);
    const __m256d cx = _mm256_sub_pd(_mm256_loadu_pd(px), _mm256_set1_pd(0.5));
    const __m256d cy = _mm256_sub_pd(_mm256_loadu_pd(py), _mm256_set1_pd(0.5));
    const __m256d x0 = _mm256_sub_pd(cx, reachX), x1 = _mm256_add_pd(cx, reachX);
    const __m256d y0 = _mm256_sub_pd(cy, reachY), y1 = _mm256_add_pd(cy, reachY);
    // Inside exactly when the one-by-one probe finds itself inside (NaN is outside).
    constexpr double kMargin = 1e-3;
    const __m256d low = _mm256_set1_pd(kMargin);
    const __m256d highX = _mm256_set1_pd(w - 1 - kMargin), highY = _mm256_set1_pd(h - 1 - kMargin);
    __m256d in = _mm256_and_pd(_mm256_cmp_pd(x0, low, _CMP_GE_OQ), _mm256_cmp_pd(x1, low, _CMP_GE_OQ));
    in = _mm256_and_pd(in, _mm256_and_pd(_mm256_cmp_pd(y0, low, _CMP_GE_OQ),
                                         _mm256_cmp_pd(y1, low, _CMP_GE_OQ)));
    in = _mm256_and_pd(in, _mm256_and_pd(_mm256_cmp_pd(x0, highX, _CMP_LT_OQ),
                                         _mm256_cmp_pd(x1, highX, _CMP_LT_OQ)));
    in = _mm256_and_pd(in, _mm256_and_pd(_mm256_cmp_pd(y0, highY, _CMP_LT_OQ),
                                         _mm256_cmp_pd(y1, highY, _CMP_LT_OQ)));
    if (_mm256_movemask_pd(in) != 0xF) return false;

    const long row = 2 * w;
    const __m128 dirX = _mm256_cvtpd_ps(UX), dirY = _mm256_cvtpd_ps(UY);
    __m128 f[64];
    for (int k = -inner; k <= inner; ++k) f[k + half] = samples4(xy, row, x0, y0, UX, UY, dirX, dirY, k + half);
    // The first strictly greatest sample within the reach.
    __m128 peak = _mm_set1_ps(-1.0f);
    __m128i best = _mm_setzero_si128();
    for (int k = -inner; k <= inner; ++k) {
        const __m128 greater = _mm_cmp_ps(f[k + half], peak, _CMP_GT_OQ);
        peak = _mm_blendv_ps(peak, f[k + half], greater);
        best = _mm_blendv_epi8(best, _mm_set1_epi32(k), _mm_castps_si128(greater));
    }
    const __m256d strong = _mm256_cmp_pd(_mm256_cvtps_pd(peak), _mm256_set1_pd(minStrength), _CMP_GE_OQ);
    // The centroid of the samples within `spread` of the peak, summed in the same
    // order; samples outside add +0.0, which leaves the sums as they are.
    const __m128i from = _mm_max_epi32(_mm_sub_epi32(best, _mm_set1_epi32(spread)), _mm_set1_epi32(-half));
    const __m128i to = _mm_min_epi32(_mm_add_epi32(best, _mm_set1_epi32(spread)), _mm_set1_epi32(half));
    // Only the samples some probe's centroid takes are taken beyond the reach.
    alignas(16) int lo[4], hi[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(lo), from);
    _mm_store_si128(reinterpret_cast<__m128i*>(hi), to);
    const int first = std::min(std::min(lo[0], lo[1]), std::min(lo[2], lo[3]));
    const int last = std::max(std::max(hi[0], hi[1]), std::max(hi[2], hi[3]));
    for (int k = first; k < -inner; ++k) f[k + half] = samples4(xy, row, x0, y0, UX, UY, dirX, dirY, k + half);
    for (int k = inner + 1; k <= last; ++k) f[k + half] = samples4(xy, row, x0, y0, UX, UY, dirX, dirY, k + half);
    __m256d sw = _mm256_setzero_pd(), swd = _mm256_setzero_pd();
    for (int k = first; k <= last; ++k) {
        const __m128i kv = _mm_set1_epi32(k);
        const __m128i out = _mm_or_si128(_mm_cmpgt_epi32(from, kv), _mm_cmpgt_epi32(kv, to));
        const __m256d keep = _mm256_castsi256_pd(_mm256_cvtepi32_epi64(_mm_xor_si128(out, _mm_set1_epi32(-1))));
        const __m256d wk = _mm256_and_pd(keep, _mm256_cvtps_pd(_mm_max_ps(f[k + half], _mm_setzero_ps())));
        sw = _mm256_add_pd(sw, wk);
        swd = _mm256_add_pd(swd, _mm256_and_pd(keep, _mm256_mul_pd(_mm256_mul_pd(wk, _mm256_set1_pd(k)), _mm256_set1_pd(kKSProbeStep))));
    }
    const __m256d ok = _mm256_and_pd(strong, _mm256_cmp_pd(sw, _mm256_setzero_pd(), _CMP_GT_OQ));
    alignas(32) double d[4];
    _mm256_store_pd(d, _mm256_div_pd(swd, sw));
    const int mask = _mm256_movemask_pd(ok);
    for (int l = 0; l < 4; ++l) {
        found[l] = (mask >> l) & 1;
        if (found[l]) offset[l] = d[l];
    }
    // The centres lie inside with their probes.
    if (gx) gradients4(xy, w, cx, cy, gx, gy);
    return true;
}

} // namespace

bool vf_KSProbeEdges4(const float* xy, long w, long h, const double* px, const double* py,
                      const double* ux, const double* uy, vx_KSProbeShape shape,
                      double minStrength, double* offset, unsigned char* found, float* gx,
                      float* gy) {
    static const bool avx2 = __builtin_cpu_supports("avx2");
    return avx2 && probes4Avx2(xy, w, h, px, py, ux, uy, shape, minStrength, offset, found, gx, gy);
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

bool vf_KSProbeEdges4(const float*, long, long, const double*, const double*, const double*,
                      const double*, vx_KSProbeShape, double, double*, unsigned char*, float*,
                      float*) {
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
