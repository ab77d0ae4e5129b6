// Turning and scaling an 8-bit image (and its care mask) into a new image that holds
// the whole turned window.
#pragma once

#include "vxAffineSampling.h"
#include "vxAngle.h"
#include "vxPelBuffer.h"

// out becomes source's window turned by `angle` about its centre and scaled by `scale`:
// an image of round(b.width * scale) by round(b.height * scale) pixels (halves up),
// where b is the axis-parallel box enclosing the turned window. out's
// client-from-image transform maps each pixel onto the client point of source that it
// sampled, so client coordinates stay those of the source. Samples are taken from a
// working copy of the window and the 3 pixels around it, in which those of the 3 that
// lie outside source's root are mirrored from the root's edge (the pixel 1 outside
// repeats the edge pixel, the pixel 2 outside the next one inwards); beyond that
// margin the working copy is 0, so the corners of the box outside the turned window
// are 0 but for a mirrored fringe.
// Throws vxAssertionFailure when a box side times scale is below 0.5 or 32767 or more
// (or not a number), vxPel::UnboundWindow for an unbound source,
// vxAffineSamplingParams::BadParams for an unknown interpolation, vxPel::NonLinearXform
// for a non-linear client-from-image transform. out is left as it was on failure.
void vf_AffineTransform(const vxPelBuffer_const<unsigned char>& source, const vxRadian& angle,
                        double scale, vxPelBuffer<unsigned char>& out,
                        vxAffineSamplingParams::Interpolation interpolation);

// The same for source and its care mask. The mask's window must have source's width
// and height (vxPel::SizeMismatch otherwise) and is taken to lie on source's window;
// an unbound mask cares about the whole window (255). The mask is turned like the
// image, with maskInterpolation, and made binary: 128 and above become 255, the rest
// 0. out and outMask get the same size and client-from-image transform; both are left
// as they were on failure.
void vf_AffineTransform(const vxPelBuffer_const<unsigned char>& source,
                        const vxPelBuffer_const<unsigned char>& sourceMask, const vxRadian& angle,
                        double scale, vxPelBuffer<unsigned char>& out,
                        vxPelBuffer<unsigned char>& outMask,
                        vxAffineSamplingParams::Interpolation interpolation,
                        vxAffineSamplingParams::Interpolation maskInterpolation);
