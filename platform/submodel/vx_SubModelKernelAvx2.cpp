// AVX2 inner loops of the sub-model correlation: 16 products per multiply-add, with
// 32-bit lane sums flushed to 64 bits before they can overflow.
#if defined(__x86_64__) && defined(__GNUC__)

#include "vx_SubModelKernel.h"

#include <immintrin.h>

#pragma GCC target("avx2")

namespace {

std::int64_t laneSum(__m256i v) {
    const __m256i wide = _mm256_add_epi64(_mm256_cvtepi32_epi64(_mm256_castsi256_si128(v)),
                                          _mm256_cvtepi32_epi64(_mm256_extracti128_si256(v, 1)));
    const __m128i half =
        _mm_add_epi64(_mm256_castsi256_si128(wide), _mm256_extracti128_si256(wide, 1));
    return _mm_cvtsi128_si64(half) + _mm_extract_epi64(half, 1);
}

template <int K>
void dots(const vx_SubModelDotJob& job, long x0, long y, long count, long v0, long v1,
          std::int64_t* out) {
    const long chunks = job.modelStride / vx_SubModelLanes;
    // Each chunk adds at most 2 * 16384 to a lane per row.
    const long rowsPerFlush = chunks > 0 ? (65535 / chunks > 0 ? 65535 / chunks : 1) : 1;
    for (long i = 0; i < count; ++i) {
        std::int64_t total[K] = {};
        __m256i acc[K];
        for (int k = 0; k < K; ++k)
            acc[k] = _mm256_setzero_si256();
        long rows = 0;
        for (long v = v0; v < v1; ++v) {
            for (int k = 0; k < K; ++k) {
                const std::int16_t* m = job.model[k] + v * job.modelStride;
                const std::int16_t* c = job.canvas[k] + (y + v) * job.canvasStride + x0 + i;
                for (long ch = 0; ch < chunks; ++ch) {
                    const __m256i a = _mm256_loadu_si256(
                        reinterpret_cast<const __m256i*>(m + ch * vx_SubModelLanes));
                    const __m256i b = _mm256_loadu_si256(
                        reinterpret_cast<const __m256i*>(c + ch * vx_SubModelLanes));
                    acc[k] = _mm256_add_epi32(acc[k], _mm256_madd_epi16(a, b));
                }
            }
            if (++rows == rowsPerFlush) {
                for (int k = 0; k < K; ++k) {
                    total[k] += laneSum(acc[k]);
                    acc[k] = _mm256_setzero_si256();
                }
                rows = 0;
            }
        }
        for (int k = 0; k < K; ++k)
            out[i * K + k] = total[k] + laneSum(acc[k]);
    }
}

} // namespace

void vf_SubModelDotsAvx2(const vx_SubModelDotJob& job, long x0, long y, long count, long v0,
                         long v1, std::int64_t* out) {
    switch (job.pairs) {
    case 1:
        dots<1>(job, x0, y, count, v0, v1, out);
        break;
    case 3:
        dots<3>(job, x0, y, count, v0, v1, out);
        break;
    default:
        dots<6>(job, x0, y, count, v0, v1, out);
        break;
    }
}

#endif
