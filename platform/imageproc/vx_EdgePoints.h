// The pixel loops behind vfEdgeDetect: gradient, thinning and sub-pixel placement on
// a raw 8-bit window.
#pragma once

#include <vector>

struct vx_EdgePoint {
    float x, y;          // relative to the window's upper-left corner, pixel centres at +0.5
    float magnitude;     // grey levels per pixel
    unsigned char angle; // gradient direction, 256 steps per turn
};

// Appends the edge points of the width x height window whose upper-left pixel is
// `first` (rows `stride` elements apart), in raster order. `sigma` is the Gaussian's
// standard deviation, `threshold` the least magnitude, `thin` selects maxima across the
// edge at sub-pixel positions (otherwise every passing pixel at its centre). Polls
// vxAttention::check once per row.
void vf_FindEdgePoints_(const unsigned char* first, long stride, long width, long height,
                        double sigma, double threshold, bool thin, std::vector<vx_EdgePoint>& out);
