// SSE2 and AVX2 versions of the top-level search's row kernel. Sums stay below 2^15
// (at most 15 per feature and at most 2184 features), so signed 16-bit maxima serve.
#include "vx_KSRowKernel.h"

#include <algorithm>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>

namespace {

constexpr std::size_t kChunk = 8;
constexpr long kMaxBlocks = vx_KSMaxRowWidth / 16;

// Each block of 16 placements is dropped on its own once none of its placements can
// still reach the threshold; the row is given up when every block is.
bool scoreRowSse2(const std::uint8_t* base, const std::int32_t* offsets, std::size_t n,
                  std::uint16_t* acc, long width, unsigned threshold, unsigned maxPerFeature) {
    const __m128i zero = _mm_setzero_si128();
    bool alive[kMaxBlocks];
    const long blocks = width / 16;
    for (long b = 0; b < blocks; ++b) {
        alive[b] = true;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(acc + 16 * b), zero);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(acc + 16 * b + 8), zero);
    }
    long living = blocks;
    for (std::size_t k0 = 0; k0 < n && living > 0; k0 += kChunk) {
        const std::size_t k1 = std::min(n, k0 + kChunk);
        const long need = long(threshold) - long(maxPerFeature) * long(n - k1);
        for (long b = 0; b < blocks; ++b) {
            if (!alive[b]) continue;
            const long x = 16 * b;
            __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(acc + x));
            __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(acc + x + 8));
            for (std::size_t k = k0; k < k1; ++k) {
                const __m128i v =
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + offsets[k] + x));
                lo = _mm_add_epi16(lo, _mm_unpacklo_epi8(v, zero));
                hi = _mm_add_epi16(hi, _mm_unpackhi_epi8(v, zero));
            }
            _mm_storeu_si128(reinterpret_cast<__m128i*>(acc + x), lo);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(acc + x + 8), hi);
            if (need > 0) {
                // Any lane at or above need makes a nonzero lane in the comparison mask.
                const __m128i ok = _mm_cmpgt_epi16(_mm_max_epi16(lo, hi),
                                                   _mm_set1_epi16(static_cast<short>(need - 1)));
                if (_mm_movemask_epi8(ok) == 0) {
                    alive[b] = false;
                    --living;
                }
            }
        }
    }
    return living > 0;
}

__attribute__((target("avx2"))) bool scoreRowAvx2(const std::uint8_t* base,
                                                  const std::int32_t* offsets, std::size_t n,
                                                  std::uint16_t* acc, long width,
                                                  unsigned threshold, unsigned maxPerFeature) {
    const __m256i zero = _mm256_setzero_si256();
    bool alive[kMaxBlocks];
    const long blocks = width / 16;
    for (long b = 0; b < blocks; ++b) {
        alive[b] = true;
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(acc + 16 * b), zero);
    }
    long living = blocks;
    for (std::size_t k0 = 0; k0 < n && living > 0; k0 += kChunk) {
        const std::size_t k1 = std::min(n, k0 + kChunk);
        const long need = long(threshold) - long(maxPerFeature) * long(n - k1);
        for (long b = 0; b < blocks; ++b) {
            if (!alive[b]) continue;
            const long x = 16 * b;
            __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(acc + x));
            for (std::size_t k = k0; k < k1; ++k) {
                const __m128i v =
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + offsets[k] + x));
                a = _mm256_add_epi16(a, _mm256_cvtepu8_epi16(v));
            }
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(acc + x), a);
            if (need > 0) {
                const __m256i ok =
                    _mm256_cmpgt_epi16(a, _mm256_set1_epi16(static_cast<short>(need - 1)));
                if (_mm256_movemask_epi8(ok) == 0) {
                    alive[b] = false;
                    --living;
                }
            }
        }
    }
    return living > 0;
}

} // namespace

bool vf_KSScoreRow(const std::uint8_t* base, const std::int32_t* offsets, std::size_t n,
                   std::uint16_t* acc, long width, unsigned threshold, unsigned maxPerFeature) {
    static const bool avx2 = __builtin_cpu_supports("avx2");
    return avx2 ? scoreRowAvx2(base, offsets, n, acc, width, threshold, maxPerFeature)
                : scoreRowSse2(base, offsets, n, acc, width, threshold, maxPerFeature);
}

#else

bool vf_KSScoreRow(const std::uint8_t* base, const std::int32_t* offsets, std::size_t n,
                   std::uint16_t* acc, long width, unsigned threshold, unsigned maxPerFeature) {
    std::fill(acc, acc + width, std::uint16_t(0));
    for (std::size_t k0 = 0; k0 < n; k0 += 8) {
        const std::size_t k1 = std::min(n, k0 + 8);
        for (std::size_t k = k0; k < k1; ++k)
            for (long x = 0; x < width; ++x)
                acc[x] = static_cast<std::uint16_t>(acc[x] + base[offsets[k] + x]);
        const long need = long(threshold) - long(maxPerFeature) * long(n - k1);
        if (need > 0 && *std::max_element(acc, acc + width) < need) return false;
    }
    return true;
}

#endif
