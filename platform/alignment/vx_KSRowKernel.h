// The inner loop of the top-level search: one image row of placements scored for one
// angle and scale, with early termination.
#pragma once

#include <cstddef>
#include <cstdint>

// The widest row the kernel takes.
constexpr long vx_KSMaxRowWidth = 8192;

// acc[x] = sum over features k of base[offsets[k] + x], for x < width (a multiple of
// 16, at most vx_KSMaxRowWidth; every base[offsets[k] + x] must be readable). Features
// are added in chunks of 8; after each chunk a block of 16 placements none of which can
// still reach `threshold` with `maxPerFeature` per feature left is dropped (its sums stay
// partial, below the threshold). Returns false when every block was dropped. Uses AVX2
// when the processor has it.
bool vf_KSScoreRow(const std::uint8_t* base, const std::int32_t* offsets, std::size_t n,
                   std::uint16_t* acc, long width, unsigned threshold, unsigned maxPerFeature);
