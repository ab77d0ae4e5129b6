// AVX2: the eight neighbours of a position, three rows of three pixels, a row per register.
#include "vx_KSAgreementKernel.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>

namespace {

// One unaligned load per row covers the pixels x - 1 to x + 2 of a feature (gx, gy
// interleaved); times (ux, uy, ux, uy, ...) and summed in pairs it gives the agreement
// of three neighbours in the even lanes (lane 6, x + 2, is not used).
__attribute__((target("avx2"))) void around(const float* centre, long w, const std::int32_t* off,
                                            const float* ux, const float* uy, std::size_t n,
                                            float* sums) {
    const long row = 2 * w;
    __m256 up = _mm256_setzero_ps(), mid = _mm256_setzero_ps(), down = _mm256_setzero_ps();
    const __m256 zero = _mm256_setzero_ps();
    for (std::size_t k = 0; k < n; ++k) {
        const float* p = centre + off[k] - 2;
        const __m256 dir = _mm256_setr_ps(ux[k], uy[k], ux[k], uy[k], ux[k], uy[k], ux[k], uy[k]);
        const __m256 a = _mm256_mul_ps(dir, _mm256_loadu_ps(p - row));
        const __m256 b = _mm256_mul_ps(dir, _mm256_loadu_ps(p));
        const __m256 c = _mm256_mul_ps(dir, _mm256_loadu_ps(p + row));
        // Even lanes: ux gx + uy gy (the two products added, as one by one).
        up = _mm256_add_ps(up, _mm256_max_ps(_mm256_add_ps(a, _mm256_permute_ps(a, 0xB1)), zero));
        mid = _mm256_add_ps(mid, _mm256_max_ps(_mm256_add_ps(b, _mm256_permute_ps(b, 0xB1)), zero));
        down = _mm256_add_ps(down, _mm256_max_ps(_mm256_add_ps(c, _mm256_permute_ps(c, 0xB1)), zero));
    }
    alignas(32) float u[8], m[8], d[8];
    _mm256_store_ps(u, up);
    _mm256_store_ps(m, mid);
    _mm256_store_ps(d, down);
    const float all[8] = {u[0], u[2], u[4], m[0], m[4], d[0], d[2], d[4]};
    for (int l = 0; l < 8; ++l) sums[l] = all[l];
}

} // namespace

bool vf_KSAgreementAround(const float* centre, long w, const std::int32_t* off, const float* ux,
                          const float* uy, std::size_t n, float sums[8]) {
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (!avx2) return false;
    around(centre, w, off, ux, uy, n, sums);
    return true;
}

#else

bool vf_KSAgreementAround(const float*, long, const std::int32_t*, const float*, const float*,
                          std::size_t, float*) {
    return false;
}

#endif
