// One row of a top-level response plane: how well the orientations at and around each
// pixel agree with the plane's orientation sector.
#pragma once

#include <cstdint>

// The sector byte of a pixel without a gradient direction (a shuffle of a 16-entry
// table answers 0 for it).
constexpr std::uint8_t vx_KSNoSector = 0x80;

// out[x] = max(full[s(x)], max over the 3x3 neighbourhood n of x of near[s(n)]) for
// x < width, where s is a sector byte (0 to 15 or vx_KSNoSector, which answers 0) read
// from `sectors` (the row's first pixel; the rows above and below are `stride` bytes
// away and every neighbour, including one byte left of the first pixel and right of the
// last, must be readable: border the grid with vx_KSNoSector). Where `care` is not null
// and care[x] is 0, out[x] is `dontCare`. Uses AVX2 when the processor has it.
void vf_KSResponseRow(const std::uint8_t* sectors, long stride, const unsigned char* care,
                      long width, const std::uint8_t full[16], const std::uint8_t near[16],
                      std::uint8_t dontCare, std::uint8_t* out);

// The same without vector instructions (kept callable so tests can hold the two
// against each other).
void vf_KSResponseRowPortable(const std::uint8_t* sectors, long stride,
                              const unsigned char* care, long width, const std::uint8_t full[16],
                              const std::uint8_t near[16], std::uint8_t dontCare,
                              std::uint8_t* out);
