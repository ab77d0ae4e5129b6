// Internal image helpers of the alphabet compilation (exported for tests and for the
// module's other parts).
#pragma once

#include "vxAffineRectangle.h"
#include "vxOCImageUtilities.h"

class vxDiagObject;

// When src's window contains rect: out = src and outMask = mask (shared). Otherwise
// out becomes a new image over rect filled with src's median grey level (the value at
// sorted position count/2 of src's window) with src's pixels copied where they lie
// inside rect, and outMask a new mask over rect that is 0 except under src's window,
// where it holds mask's pixels or, for an unbound mask, 255. Each new buffer carries
// the client-from-image transform of its source (src or mask). Throws
// vxPel::UnboundWindow for an unbound src, vxPel::BadArgument for an empty src window
// (it has no median), vxPel::BadWindow for a rect of negative size, vxAssertionFailure
// when a bound mask's window differs from src's.
void vf_PadImageWithMedian(const vxPelBuffer_const<unsigned char>& src,
                           const vxPelBuffer_const<unsigned char>& mask, const vxPelRect& rect,
                           vxPelBuffer_const<unsigned char>& out,
                           vxPelBuffer_const<unsigned char>& outMask);

// Resamples image and mask onto ref's pixel grid: the result's pixels have ref's size
// and orientation in client coordinates, and cover image's window. An unbound mask
// becomes one that cares about all of image's window. The resampled mask is binary
// (255 where the sampled value is 128 or more, else 0). Bicubic for the image. `diag`
// is accepted for symmetry with the other compilation steps and not used. Throws
// vxPel::NonLinearXform or vxGeomDefs::Singular for transforms that cannot be
// inverted linearly, vxOCDefs::BadParams when the result would hold more than 64 times
// ref's pixels (and more than 65,536), and what vfAffineTransformWithClipping throws;
// image and mask are left as they were when it throws.
void vf_ResampleToModelGrid(const vxPelBuffer_const<unsigned char>& ref,
                            vxPelBuffer_const<unsigned char>& image,
                            vxPelBuffer_const<unsigned char>& mask, vxDiagObject* diag);

// The parallelogram, centred on window's centre, whose sides run along xRot and yRot
// (the directions the x and y axes turn to) and whose side lengths are the width and
// height of the pel rectangle that encloses the window's size turned that way. In
// window's pixel coordinates.
vxAffineRectangle vf_AlignedEnclosingRectangle(const vxPelRect& window, vxRadian xRot,
                                               vxRadian yRot);

// The self-similarity of image under shifts of up to 2 pixels: the mean absolute
// normalized correlation, in [0, 1], of the window shrunk by 2 pixels on every side
// with the window at every one of its placements inside it. 1.0 when the shrunk
// window is empty; 0.0 when its variance is at most 1 (grey levels squared). `mask`
// is not used yet (every pixel counts). Throws vxPel::UnboundWindow for an unbound
// image.
double vf_ScoreSelfCorrelation(const vxPelBuffer_const<unsigned char>& image,
                               const vxPelBuffer_const<unsigned char>& mask);
