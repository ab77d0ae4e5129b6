// Direction agreement of a placed pattern at the eight neighbours of a pixel at once,
// for the hill climbing that tracks candidates down the pyramid. Each neighbour's sum
// runs over the features in order with the operations of the one-position loop, so the
// results equal it bit for bit.
#pragma once

#include <cstddef>
#include <cstdint>

// sums[l] = the float sum over k < n, in order, of max(0, ux[k] gx + uy[k] gy) with
// (gx, gy) the interleaved unit gradient at centre + off[k] + the offset of neighbour l
// (l = 0..7: dy = -1..1, dx = -1..1, the centre left out), for a plane of rows of w
// pixels. off[k] = 2 (dy w + dx) of feature k; every feature of every neighbour, and
// the pixel right of it, must lie inside the plane. Returns false, writing nothing,
// when the processor lacks AVX2.
bool vf_KSAgreementAround(const float* centre, long w, const std::int32_t* off, const float* ux,
                          const float* uy, std::size_t n, float sums[8]);
