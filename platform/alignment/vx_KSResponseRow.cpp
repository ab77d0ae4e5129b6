// The response row kernel. Every plane of every top-level search passes each pixel
// through it, so it is written with byte shuffles (a 16-entry table lookup for 32
// pixels at once) and byte maxima; the portable loop does the same one pixel at a time.
#include "vx_KSResponseRow.h"

#include <algorithm>

namespace {

inline std::uint8_t lookup(const std::uint8_t table[16], std::uint8_t s) {
    return (s & vx_KSNoSector) ? std::uint8_t(0) : table[s & 15];
}

} // namespace

void vf_KSResponseRowPortable(const std::uint8_t* sectors, long stride,
                              const unsigned char* care, long width, const std::uint8_t full[16],
                              const std::uint8_t near[16], std::uint8_t dontCare,
                              std::uint8_t* out) {
    for (long x = 0; x < width; ++x) {
        if (care && !care[x]) {
            out[x] = dontCare;
            continue;
        }
        std::uint8_t r = lookup(full, sectors[x]);
        for (long dy = -1; dy <= 1; ++dy)
            for (long dx = -1; dx <= 1; ++dx)
                r = std::max(r, lookup(near, sectors[x + dy * stride + dx]));
        out[x] = r;
    }
}

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>

namespace {

__attribute__((target("avx2"))) inline __m256i load(const std::uint8_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

__attribute__((target("avx2"))) void responseRowAvx2(const std::uint8_t* sectors, long stride,
                                                     const unsigned char* care, long width,
                                                     const std::uint8_t full[16],
                                                     const std::uint8_t near[16],
                                                     std::uint8_t dontCare, std::uint8_t* out) {
    // The shuffle looks up within each 128-bit lane, so both lanes hold the table.
    const __m256i fullT =
        _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(full)));
    const __m256i nearT =
        _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(near)));
    const __m256i zero = _mm256_setzero_si256();
    const __m256i dc = _mm256_set1_epi8(static_cast<char>(dontCare));
    if (width < 16) {
        vf_KSResponseRowPortable(sectors, stride, care, width, full, near, dontCare, out);
        return;
    }
    if (width < 32) {
        // The same with 16 pixels a register (small windows' top levels).
        const __m128i fullH = _mm256_castsi256_si128(fullT), nearH = _mm256_castsi256_si128(nearT);
        const auto load16 = [](const std::uint8_t* p) {
            return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        };
        for (long next = 0; next < width; next += 16) {
            const long x = std::min(next, width - 16);
            __m128i r = _mm_shuffle_epi8(fullH, load16(sectors + x));
            for (long dy = -1; dy <= 1; ++dy) {
                const std::uint8_t* s = sectors + x + dy * stride;
                r = _mm_max_epu8(r, _mm_shuffle_epi8(nearH, load16(s - 1)));
                r = _mm_max_epu8(r, _mm_shuffle_epi8(nearH, load16(s)));
                r = _mm_max_epu8(r, _mm_shuffle_epi8(nearH, load16(s + 1)));
            }
            if (care) {
                const __m128i dontCareHere = _mm_cmpeq_epi8(load16(care + x), _mm_setzero_si128());
                r = _mm_blendv_epi8(r, _mm256_castsi256_si128(dc), dontCareHere);
            }
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), r);
        }
        return;
    }
    // Blocks of 32; the last one ends at the row's end, and the pixels it shares with
    // the one before are computed again, with the same results.
    for (long next = 0; next < width; next += 32) {
        const long x = std::min(next, width - 32);
        __m256i r = _mm256_shuffle_epi8(fullT, load(sectors + x));
        for (long dy = -1; dy <= 1; ++dy) {
            const std::uint8_t* s = sectors + x + dy * stride;
            r = _mm256_max_epu8(r, _mm256_shuffle_epi8(nearT, load(s - 1)));
            r = _mm256_max_epu8(r, _mm256_shuffle_epi8(nearT, load(s)));
            r = _mm256_max_epu8(r, _mm256_shuffle_epi8(nearT, load(s + 1)));
        }
        if (care) {
            const __m256i dontCareHere = _mm256_cmpeq_epi8(load(care + x), zero);
            r = _mm256_blendv_epi8(r, dc, dontCareHere);
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x), r);
    }
}

} // namespace

void vf_KSResponseRow(const std::uint8_t* sectors, long stride, const unsigned char* care,
                      long width, const std::uint8_t full[16], const std::uint8_t near[16],
                      std::uint8_t dontCare, std::uint8_t* out) {
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2)
        responseRowAvx2(sectors, stride, care, width, full, near, dontCare, out);
    else
        vf_KSResponseRowPortable(sectors, stride, care, width, full, near, dontCare, out);
}

#else

void vf_KSResponseRow(const std::uint8_t* sectors, long stride, const unsigned char* care,
                      long width, const std::uint8_t full[16], const std::uint8_t near[16],
                      std::uint8_t dontCare, std::uint8_t* out) {
    vf_KSResponseRowPortable(sectors, stride, care, width, full, near, dontCare, out);
}

#endif
