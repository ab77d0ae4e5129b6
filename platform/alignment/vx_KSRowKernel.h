// The inner loop of the top-level search: one image row of placements scored for one
// angle and scale, with early termination.
#pragma once

#include <cstddef>
#include <cstdint>

// acc[x] = sum over features k of base[offsets[k] + x], for x < width (a multiple of
// 16; every base[offsets[k] + x] must be readable). Features are added in chunks of 8;
// after each chunk the row is given up, returning false, when no acc[x] can still
// reach `threshold` with `maxPerFeature` per feature left. Uses AVX2 when the processor
// has it.
bool vf_KSScoreRow(const std::uint8_t* base, const std::int32_t* offsets, std::size_t n,
                   std::uint16_t* acc, long width, unsigned threshold, unsigned maxPerFeature);
