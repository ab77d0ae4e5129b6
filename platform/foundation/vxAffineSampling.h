// Affine sampling: resamples an 8-bit image over a parallelogram given in client
// coordinates into a new image of a chosen size.
//
// The parallelogram (a vxAffineRectangle) is divided into width x height cells; output
// pixel (i, j) takes the source value at the centre of its cell, the point
// affRectFromUnitSq * ((i + 0.5) / width, (j + 0.5) / height) in client coordinates,
// carried into the source's image coordinates by its image-from-client transform. The
// output image covers (0, 0, width, height) and its client-from-image transform maps
// each output pixel onto the client point it sampled, so client coordinates are kept:
// a feature at client point c in the source lies at client point c in the output.
//
// Sampling reads the source's whole root, not only its window. A sample whose
// interpolation footprint leaves the root reads the nearest root pixels instead
// (clamp to the edge); willClip says whether that happens.
#pragma once

#include "vxAffineRectangle.h"
#include "vxException.h"
#include "vxPelBuffer.h"
#include "vxXform.h"

class vxAffineSamplingParams {
public:
    // How a source value is taken at a point between pixel centres. The numbers are
    // part of the interface: callers pass them as plain values.
    enum Interpolation {
        eNearestNeighbor = 1, // the pixel that contains the point
        eBilinear = 2,        // the 2 x 2 pixels around the point, weighted linearly
        eBicubic = 3          // the 4 x 4 pixels around it, cubic convolution (a = -0.5)
    };

    // A sample count below 0, a rectangle with a corner that is not finite, or an
    // interpolation value other than 1, 2 or 3.
    class BadParams : public vx_ExceptionImpl<BadParams, 0x10000090> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
    };

    // The unit square sampled by one bilinear pixel.
    vxAffineSamplingParams() = default;
    // Samples `rect` (client coordinates) into width x height pixels. Throws BadParams.
    vxAffineSamplingParams(const vxAffineRectangle& rect, long width, long height,
                           Interpolation interpolation = eBilinear);

    const vxAffineRectangle& affineRectangle() const { return rect_; }
    long width() const { return width_; }
    long height() const { return height_; }
    Interpolation interpolation() const { return interpolation_; }
    // Setters validate as the constructor does and change nothing when they throw.
    void affineRectangle(const vxAffineRectangle& rect);
    void size(long width, long height);
    void interpolation(Interpolation interpolation);

    // The client-from-image transform of the sampled image: output pixel coordinates
    // (x, y) to affRectFromUnitSq * (x / width, y / height). A count of 0 is taken as 1.
    vxXform<2> clientFromSample() const;

    // Whether sampling `src` would need pixels outside its root, so that some samples
    // are clamped to the edge. The footprint of a sample at pixel-index position u
    // (image coordinate minus 0.5) is: nearest, the pixel containing the point;
    // bilinear, floor(u) to ceil(u); bicubic, floor(u) - 1 to floor(u) + 2, or only u
    // when u is a whole number (its other weights are 0). Positions within 1e-6 of a
    // whole number count as whole. An unbound `src` has no pixels: true; an empty
    // output reads nothing: false. Throws vxPel::NonLinearXform for a non-linear
    // client-from-image transform of src, vxGeomDefs::Singular for a singular one.
    bool willClip(const vx_PelBuffer& src) const;

private:
    vxAffineRectangle rect_;
    long width_ = 1;
    long height_ = 1;
    Interpolation interpolation_ = eBilinear;
};

// dst becomes a new image of params.width() x params.height() pixels over (0, 0) that
// holds src sampled over params (see the top of this file) with the client-from-image
// transform params.clientFromSample(). A sample that maps exactly onto source pixel
// centres with unit steps (identity or a whole-pixel translation, all inside the root)
// copies the pixels. Polls vxAttention::check once per output row.
// Throws vxPel::UnboundWindow for an unbound src, vxPel::BadArgument when src's root
// holds no pixel (and the output is not empty) or when the sample positions lie
// beyond +-2^30 pixels, vxPel::NonLinearXform or vxGeomDefs::Singular for src's
// transform as willClip does. dst is left as it was when anything throws.
void vfAffineTransformImage(const vxPelBuffer_const<unsigned char>& src,
                            const vxAffineSamplingParams& params, vxPelBuffer<unsigned char>& dst);
// The same, returning the new image.
vxPelBuffer<unsigned char> vfAffineTransformImage(const vxPelBuffer_const<unsigned char>& src,
                                                  const vxAffineSamplingParams& params);
