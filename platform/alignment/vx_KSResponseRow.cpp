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

// The byte operations of one register, 32 pixels (AVX2) or 16 (SSSE3, for short rows).
struct Bytes32 {
    using V = __m256i;
    static constexpr long kWidth = 32;
    __attribute__((target("avx2"))) static V load(const std::uint8_t* p) {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    }
    // The shuffle looks up within each 128-bit lane, so both lanes hold the table.
    __attribute__((target("avx2"))) static V table(const std::uint8_t t[16]) {
        return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(t)));
    }
    __attribute__((target("avx2"))) static V lookup(V t, V i) { return _mm256_shuffle_epi8(t, i); }
    __attribute__((target("avx2"))) static V max(V a, V b) { return _mm256_max_epu8(a, b); }
    // Where care is 0, the don't-care answer; elsewhere r.
    __attribute__((target("avx2"))) static V dontCare(V r, V care, std::uint8_t answer) {
        return _mm256_blendv_epi8(r, _mm256_set1_epi8(static_cast<char>(answer)),
                                  _mm256_cmpeq_epi8(care, _mm256_setzero_si256()));
    }
    __attribute__((target("avx2"))) static void store(std::uint8_t* p, V v) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
    }
};

struct Bytes16 {
    using V = __m128i;
    static constexpr long kWidth = 16;
    __attribute__((target("avx2"))) static V load(const std::uint8_t* p) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    }
    __attribute__((target("avx2"))) static V table(const std::uint8_t t[16]) { return load(t); }
    __attribute__((target("avx2"))) static V lookup(V t, V i) { return _mm_shuffle_epi8(t, i); }
    __attribute__((target("avx2"))) static V max(V a, V b) { return _mm_max_epu8(a, b); }
    __attribute__((target("avx2"))) static V dontCare(V r, V care, std::uint8_t answer) {
        return _mm_blendv_epi8(r, _mm_set1_epi8(static_cast<char>(answer)),
                               _mm_cmpeq_epi8(care, _mm_setzero_si128()));
    }
    __attribute__((target("avx2"))) static void store(std::uint8_t* p, V v) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
    }
};

// A row in blocks of one register (width at least B::kWidth). The last block ends at
// the row's end; the pixels it shares with the one before are computed again, with
// the same results.
template <class B>
__attribute__((target("avx2"))) void responseBlocks(const std::uint8_t* sectors, long stride,
                                                    const unsigned char* care, long width,
                                                    const std::uint8_t full[16],
                                                    const std::uint8_t near[16],
                                                    std::uint8_t dontCare, std::uint8_t* out) {
    const typename B::V fullT = B::table(full), nearT = B::table(near);
    for (long next = 0; next < width; next += B::kWidth) {
        const long x = std::min(next, width - B::kWidth);
        typename B::V r = B::lookup(fullT, B::load(sectors + x));
        for (long dy = -1; dy <= 1; ++dy) {
            const std::uint8_t* s = sectors + x + dy * stride;
            r = B::max(r, B::lookup(nearT, B::load(s - 1)));
            r = B::max(r, B::lookup(nearT, B::load(s)));
            r = B::max(r, B::lookup(nearT, B::load(s + 1)));
        }
        if (care) r = B::dontCare(r, B::load(care + x), dontCare);
        B::store(out + x, r);
    }
}

__attribute__((target("avx2"))) void responseRowAvx2(const std::uint8_t* sectors, long stride,
                                                     const unsigned char* care, long width,
                                                     const std::uint8_t full[16],
                                                     const std::uint8_t near[16],
                                                     std::uint8_t dontCare, std::uint8_t* out) {
    if (width >= 32)
        responseBlocks<Bytes32>(sectors, stride, care, width, full, near, dontCare, out);
    else if (width >= 16) // small windows' top levels
        responseBlocks<Bytes16>(sectors, stride, care, width, full, near, dontCare, out);
    else
        vf_KSResponseRowPortable(sectors, stride, care, width, full, near, dontCare, out);
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
