// Masked normalized correlation of a trained pattern at every placement of a
// rectangle of integer shifts over an image, with partial overlap.
//
// Pixel values are centred on 128 so that values, squares and their products fit
// 16-bit multiply-adds; every sum is an exact 64-bit integer, so a flat side is
// recognised exactly and never yields a NaN.
#pragma once

#include "vxPelBuffer.h"

#include <cstdint>
#include <vector>

// A rectangle of placements: the model window's upper-left pixel over image-window
// pixel (x, y) for x in [x0, x0 + nx) and y in [y0, y0 + ny).
struct vx_SubModelShifts {
    long x0 = 0, y0 = 0, nx = 0, ny = 0;
};

// The model side of the correlation, prepared once when the tool is trained: care
// flags, centred values and their squares (zero where the mask does not care), in
// rows padded to the kernel's lanes, with the integral image of each.
class vx_SubModelPattern {
public:
    vx_SubModelPattern() = default;
    // Pixels of `mask` at 128 or more count; an unbound mask, or one that counts every
    // pixel, is treated as none. The caller has checked that both windows agree. Throws
    // vx_SubModelDefs::BadImage for a model wider than 65536 pixels or with more than 2^24 pixels.
    vx_SubModelPattern(const vxPelBuffer_const<unsigned char>& image,
                       const vxPelBuffer_const<unsigned char>& mask);

    long width() const { return width_; }
    long height() const { return height_; }
    bool hasMask() const { return hasMask_; }

private:
    friend std::vector<double> vf_SubModelScores(const vx_SubModelPattern&,
                                                 const vxPelBuffer_const<unsigned char>&,
                                                 const vxPelBuffer_const<unsigned char>&,
                                                 const vx_SubModelShifts&);
    long width_ = 0;
    long height_ = 0;
    long stride_ = 0; // a multiple of vx_SubModelLanes
    bool hasMask_ = false;
    std::vector<std::int16_t> care_, value_, square_;          // stride_ x height_
    std::vector<std::int64_t> careSum_, valueSum_, squareSum_; // (width_ + 1) x (height_ + 1)
};

// Scores, row by row (nx * ny values), the pattern at every placement of `shifts`
// over image's window, counting image pixels whose mask value is 128 or more (every
// pixel when the mask is unbound or counts them all; a bound mask's window must equal
// the image's).
// Only the pixels where model and image overlap take part. Each score is the
// correlation coefficient clamped to [0, 1]; it is 0 when either side is flat over
// the overlap or fewer than two pixels take part. Polls vxAttention::check.
std::vector<double> vf_SubModelScores(const vx_SubModelPattern& pattern,
                                      const vxPelBuffer_const<unsigned char>& image,
                                      const vxPelBuffer_const<unsigned char>& mask,
                                      const vx_SubModelShifts& shifts);
