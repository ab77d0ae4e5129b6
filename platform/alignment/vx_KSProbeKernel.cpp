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

} // namespace

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
