// Pixel loops of the normalized-correlation search: contiguous image planes, 2 x 2
// pyramid reduction, the score map of every placement at one level, and the exact
// score at one placement. Callers check the arguments; these functions only assert.
//
// Scores are the normalized correlation r of template and image patch, clamped to
// [0, 1]: a negative correlation (reversed contrast) scores 0, and so does a flat
// patch or a flat template, whose correlation is undefined.
#pragma once

#include "vxPelBuffer.h"

#include <cstdint>
#include <vector>

// A contiguous 8-bit image (rows `width` apart).
struct vx_NrcPlane {
    long width = 0;
    long height = 0;
    std::vector<unsigned char> pels;

    const unsigned char* row(long y) const { return pels.data() + y * width; }
};

// A template at one pyramid level, with the statistics every score needs.
struct vx_NrcTemplate {
    vx_NrcPlane plane;
    std::vector<float> centred; // pixel minus the template mean, for score maps
    std::int64_t sum = 0;
    std::int64_t sumSq = 0;
    double spread = 0.0; // n * sum of squares - sum^2 (n^2 times the variance)

    long area() const { return plane.width * plane.height; }
};

// The pixels of `r` (inside image's root) as a plane.
vx_NrcPlane vf_nrcCopy(const vxPelBuffer_const<unsigned char>& image, const vxPelRect& r);
// Half the size (rounded down), each pixel the rounded mean of a 2 x 2 block.
vx_NrcPlane vf_nrcReduce(const vx_NrcPlane& plane);
// A template with its statistics.
vx_NrcTemplate vf_nrcTemplate(vx_NrcPlane plane);

// map[y * nx + x] = the score of the template's upper-left corner at (x, y), for
// nx = image width - template width + 1 by the like ny placements. Single precision:
// good for choosing candidates, not for reporting. Polls vxAttention::check per row.
void vf_nrcScoreMap(const vx_NrcPlane& image, const vx_NrcTemplate& t, std::vector<float>& map);
// The exact score of the template's upper-left corner at (x, y).
double vf_nrcScoreAt(const vx_NrcPlane& image, const vx_NrcTemplate& t, long x, long y);
