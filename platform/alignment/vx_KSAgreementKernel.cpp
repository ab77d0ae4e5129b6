// AVX2 gathers of the eight neighbours' gradients, one neighbour per lane.
#include "vx_KSAgreementKernel.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>

namespace {

__attribute__((target("avx2"))) void around(const float* centre, long w, const std::int32_t* off,
                                            const float* ux, const float* uy, std::size_t n,
                                            float* sums) {
    const int row = static_cast<int>(2 * w);
    const __m256i neighbour =
        _mm256_setr_epi32(-row - 2, -row, -row + 2, -2, 2, row - 2, row, row + 2);
    __m256 sum = _mm256_setzero_ps();
    for (std::size_t k = 0; k < n; ++k) {
        const __m256i at = _mm256_add_epi32(neighbour, _mm256_set1_epi32(off[k]));
        const __m256 gx = _mm256_i32gather_ps(centre, at, 4);
        const __m256 gy = _mm256_i32gather_ps(centre + 1, at, 4);
        const __m256 t = _mm256_add_ps(_mm256_mul_ps(_mm256_set1_ps(ux[k]), gx),
                                       _mm256_mul_ps(_mm256_set1_ps(uy[k]), gy));
        sum = _mm256_add_ps(sum, _mm256_max_ps(t, _mm256_setzero_ps()));
    }
    _mm256_storeu_ps(sums, sum);
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
