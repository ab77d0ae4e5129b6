// Image planes, pyramids and gradients of the alignment tool.
//
// A plane is a grey image with contiguous rows. Level L of a pyramid halves level L-1
// by 2x2 means, so pixel (i, j) of level L covers the level-0 pixels [2^L i, 2^L (i+1))
// x [2^L j, 2^L (j+1)) and a level-0 point x lies at x / 2^L in level L.
//
// Gradients are Sobel derivatives divided by 8, in grey levels per pixel of their level
// (a unit-contrast step gives a peak of 0.5). Borders repeat the outermost pixels.
#pragma once

#include <cstddef>
#include <vector>

// A grey image: w x h pixels, row y starting at data() + y * w.
struct vx_KSPlane {
    long w = 0;
    long h = 0;
    std::vector<unsigned char> pix;
    const unsigned char* data() const { return pix.data(); }
};

// Derivatives along x and y of a plane, interleaved: pixel i's pair is xy[2i], xy[2i+1],
// so that a bilinear sample of both reads two 16-byte runs.
struct vx_KSGradient {
    long w = 0;
    long h = 0;
    std::vector<float> xy;

    float gx(long i) const { return xy[static_cast<std::size_t>(2 * i)]; }
    float gy(long i) const { return xy[static_cast<std::size_t>(2 * i + 1)]; }

    // The gradient at a real point (pixel centres at i + 0.5), interpolated bilinearly;
    // outside the plane it is 0.
    void at(double x, double y, float* outX, float* outY) const;
    // at() of n points, four at a time where AVX2 allows (with the same bits).
    void at(std::size_t n, const double* x, const double* y, float* outX, float* outY) const;
};

// dst = src (w x h, `stride` bytes between rows) halved by 2x2 means; dst gets
// floor(w / 2) x floor(h / 2) pixels. Reuses dst's storage.
void vf_KSHalve(const unsigned char* src, long stride, long w, long h, vx_KSPlane& dst);
// Rows y0 to y1 - 1 of that halving, into dst, whose w and h are set and whose pixels
// hold at least y1 rows.
void vf_KSHalveRows(const unsigned char* src, long stride, vx_KSPlane& dst, long y0, long y1);

// g = the Sobel gradient of src (w x h, `stride` bytes between rows). Reuses g's storage.
void vf_KSSobel(const unsigned char* src, long stride, long w, long h, vx_KSGradient& g);
// Rows y0 to y1 - 1 of that gradient, into g, whose w and h are set (to the source's)
// and whose values hold at least y1 rows.
void vf_KSSobelRows(const unsigned char* src, long stride, vx_KSGradient& g, long y0, long y1);

// Replaces each gradient by its unit vector, or by (0, 0) where its magnitude is below
// `contrast`, so that scoring needs one multiply-add per feature.
void vf_KSNormalize(vx_KSGradient& g, float contrast);
// The same for rows y0 to y1 - 1 of `in`, written to the same rows of `out` (which may
// be `in`; its w and h are set and its values hold at least y1 rows).
void vf_KSNormalizeRows(const vx_KSGradient& in, float contrast, vx_KSGradient& out, long y0,
                        long y1);
