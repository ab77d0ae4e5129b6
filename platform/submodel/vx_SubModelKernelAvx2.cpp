// AVX2 inner loop of the sub-model correlation: 16 products per multiply-add, eight
// adjacent placements at once so that they share each model load and keep independent
// sums, and 32-bit lane sums flushed to 64 bits before they can overflow.
#if defined(__x86_64__) && defined(__GNUC__)

#include "vx_SubModelKernel.h"

#include <immintrin.h>

// Every function of this file carries the target attribute (clang ignores
// `#pragma GCC target`); the rest of the build stays baseline x86-64, and the caller
// picks this path only when the processor has AVX2.
#define VX_AVX2 __attribute__((target("avx2")))

namespace {

VX_AVX2 std::int64_t laneSum(__m256i v) {
    const __m256i wide = _mm256_add_epi64(_mm256_cvtepi32_epi64(_mm256_castsi256_si128(v)),
                                          _mm256_cvtepi32_epi64(_mm256_extracti128_si256(v, 1)));
    const __m128i half =
        _mm_add_epi64(_mm256_castsi256_si128(wide), _mm256_extracti128_si256(wide, 1));
    return _mm_cvtsi128_si64(half) + _mm_extract_epi64(half, 1);
}

VX_AVX2 __m256i load(const std::int16_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

// P adjacent placements from canvas column x; CH chunks per row (0: `chunks` at run time).
template <int P, int CH>
VX_AVX2 void group(const vx_SubModelDotJob& job, long x, long y, long v0, long v1, long chunks,
                   long rowsPerFlush, std::int64_t* out) {
    const long n = CH ? CH : chunks;
    std::int64_t total[P] = {};
    __m256i acc[P];
    for (int p = 0; p < P; ++p)
        acc[p] = _mm256_setzero_si256();
    long rows = 0;
    for (long v = v0; v < v1; ++v) {
        const std::int16_t* m = job.model + v * job.modelStride;
        const std::int16_t* c = job.canvas + (y + v) * job.canvasStride + x;
        for (long ch = 0; ch < n; ++ch) {
            const __m256i a = load(m + ch * vx_SubModelLanes);
            for (int p = 0; p < P; ++p)
                acc[p] = _mm256_add_epi32(
                    acc[p], _mm256_madd_epi16(a, load(c + ch * vx_SubModelLanes + p)));
        }
        if (++rows == rowsPerFlush) {
            for (int p = 0; p < P; ++p) {
                total[p] += laneSum(acc[p]);
                acc[p] = _mm256_setzero_si256();
            }
            rows = 0;
        }
    }
    for (int p = 0; p < P; ++p)
        out[p] = total[p] + laneSum(acc[p]);
}

template <int CH>
VX_AVX2 void dots(const vx_SubModelDotJob& job, long x0, long y, long count, long v0, long v1,
                  long chunks, std::int64_t* out) {
    // Each chunk adds at most 2 * 16384 to a lane per row.
    const long rowsPerFlush = 65535 / chunks > 0 ? 65535 / chunks : 1;
    constexpr int P = 8;
    long i = 0;
    for (; i + P <= count; i += P)
        group<P, CH>(job, x0 + i, y, v0, v1, chunks, rowsPerFlush, out + i);
    for (; i < count; ++i)
        group<1, CH>(job, x0 + i, y, v0, v1, chunks, rowsPerFlush, out + i);
}

} // namespace

VX_AVX2 void vf_SubModelDotsAvx2(const vx_SubModelDotJob& job, long x0, long y, long count, long v0,
                                 long v1, std::int64_t* out) {
    const long chunks = job.modelStride / vx_SubModelLanes;
    switch (chunks) {
    case 1:
        dots<1>(job, x0, y, count, v0, v1, chunks, out);
        break;
    case 2:
        dots<2>(job, x0, y, count, v0, v1, chunks, out);
        break;
    case 3:
        dots<3>(job, x0, y, count, v0, v1, chunks, out);
        break;
    case 4:
        dots<4>(job, x0, y, count, v0, v1, chunks, out);
        break;
    default:
        dots<0>(job, x0, y, count, v0, v1, chunks, out);
        break;
    }
}

#endif
