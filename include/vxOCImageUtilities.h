// Image helpers of the alphabet compilation that callers may use too: affine sampling
// that stays defined where the sampled area leaves the source image, and the
// structure score that tells a blank from a printed character.
#pragma once

#include "vxAffineSampling.h"
#include "vxPelBuffer.h"
#include "vxRect.h"
#include "vxXform.h"

// Samples src (and srcMask, when bound) over params into new images dst and dstMask,
// as vfAffineTransformImage does. Where the sampling would read outside src's root,
// src is first padded with its median grey level and the mask with don't-care (0),
// and the mask is then sampled bilinearly; otherwise the mask is sampled with params'
// interpolation. An unbound srcMask gives an unbound dstMask when nothing is padded,
// and a mask that cares about src's pixels (255) and about nothing else when padding
// was needed. The mask is taken to lie on src's pixels (its client-from-image
// transform is ignored). The padding reaches at most 4 pixels beyond src's window;
// samples further out are clamped onto its edge. Throws vxAssertionFailure when dst or
// dstMask is bound on entry or a bound srcMask's window differs from src's; whatever
// vfAffineTransformImage throws (vxPel::BadArgument for samples beyond its range, as a
// nearly singular transform gives).
void vfAffineTransformWithClipping(const vxPelBuffer_const<unsigned char>& src,
                                   const vxPelBuffer_const<unsigned char>& srcMask,
                                   const vxAffineSamplingParams& params,
                                   vxPelBuffer<unsigned char>& dst,
                                   vxPelBuffer<unsigned char>& dstMask);

// How much structure `image` shows over the area of a blank character: image (with
// its care mask) is sampled bilinearly over refArea, a rectangle in refImage's pixel
// coordinates carried into client coordinates by xform * refImage's
// client-from-image transform (refImage may be unbound; its transform is used), one
// sample per pixel of refArea. The result is vf_ScoreSelfCorrelation of the sample:
// from 0 (flat: variance at most one grey level squared) to 1 (strokes). refMask is
// accepted for the blank's care region and combined with the sampled mask; the score
// itself does not yet use masks. Throws what vfAffineTransformImage throws.
double vfScoreBlankness(const vxPelBuffer_const<unsigned char>& image,
                        const vxPelBuffer_const<unsigned char>& mask, const vxXform<2>& xform,
                        const vxPelBuffer_const<unsigned char>& refImage, const vxPelRect& refArea,
                        const vxPelBuffer_const<unsigned char>& refMask);
