// Internal: the renderer's pixel loops, on a float image. Arguments are checked by the
// callers (vxTestRender.cpp); these functions only compute.
#pragma once

#include "vxAffineRectangle.h"
#include "vxPelBuffer.h"
#include "vxTestFont.h"
#include "vxTestRandom.h"
#include "vxXform.h"

#include <vector>

struct vx_FloatImage {
    vx_FloatImage(long w, long h, float value) : width(w), height(h), v(size_t(w * h), value) {}
    float* row(long y) { return v.data() + y * width; }
    const float* row(long y) const { return v.data() + y * width; }
    long width;
    long height;
    std::vector<float> v;
};

// Raises cov to the ink coverage (0..1) of the glyph's strokes under the pose, each
// stroke halfWidth pixels to either side of its centre line (round caps and joins).
// The coverage of a pixel is the length of [d - 0.5, d + 0.5] inside the stroke's
// profile [-halfWidth, halfWidth], d being the pixel centre's distance to the centre
// line: exact for straight edges along the axes, and a one-pixel ramp elsewhere.
void vf_AddGlyphCoverage(vx_FloatImage& cov, const vxTestGlyph& glyph, const vxXform<2>& pose,
                         double halfWidth);
// Paints `grey` over the area, anti-aliased by 4x4 supersampling.
void vf_PaintOcclusion(vx_FloatImage& img, const vxAffineRectangle& area, float grey);
// Separable Gaussian blur (kernel radius ceil(3 sigma), borders replicated).
void vf_GaussianBlur(vx_FloatImage& img, double sigma);
// Multiplies each pixel by max(0, 1 + g . (centre of the pixel - centre of the image)).
void vf_Illuminate(vx_FloatImage& img, const vxVector<2>& gradient);
// Adds sigma times a standard normal deviate to every pixel, in row order.
void vf_AddNoise(vx_FloatImage& img, double sigma, vxTestRandom& rng);
// Rounds each pixel to the nearest integer in 0..255 into dst (of the same size).
void vf_Quantize(const vx_FloatImage& img, const vxPelBuffer<unsigned char>& dst);
