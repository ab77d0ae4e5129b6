// Inner loop of the sub-model correlation: sums of products of 16-bit model rows with
// 16-bit canvas rows, for a run of horizontally adjacent placements.
#pragma once

#include <cstdint>

// Rows are padded with zeros to a multiple of this many elements, so the loops need
// no tail; a canvas row must also hold that padding past its last placement.
inline constexpr long vx_SubModelLanes = 16;

// A model array and a canvas array. Every product of their elements must lie within
// [-16384, 16384] (values centred on 128, their squares and 0/1 masks), which bounds
// the 32-bit partial sums.
struct vx_SubModelDotJob {
    const std::int16_t* model = nullptr;
    const std::int16_t* canvas = nullptr;
    long modelStride = 0;  // elements between model rows; a multiple of vx_SubModelLanes
    long canvasStride = 0; // elements between canvas rows
};

// For each placement i in [0, count), with the model's upper-left pixel over canvas
// pixel (x0 + i, y): out[i] = the sum over model rows [v0, v1) and all modelStride
// columns of the model element times the canvas element under it.
void vf_SubModelDots(const vx_SubModelDotJob& job, long x0, long y, long count, long v0, long v1,
                     std::int64_t* out);
