// Preparing a character's image and measuring where its ink is: the care region of a
// mask, padding an image outside a region with a smooth extension of the region's
// border, the rectangle of a character's marks, and a character's origin from its
// image, specified mark or detected mark rectangle.
//
// Rectangles given as vxPelRect are in the image's pel coordinates; results given as
// vxRect or vxVector<2> are client coordinates, through the image's client-from-image
// transform. A mask pixel is care at or above the given threshold (128 for mark
// detection). These functions throw nothing of their own: not finding is reported by
// their results. Broken preconditions go to vstd_assert_ and errors of the pel buffers
// (an unbound buffer, a rectangle outside the root) pass through.
#pragma once

#include "vxOCDefs.h"
#include "vxPelBuffer.h"
#include "vxRect.h"
#include "vxVector.h"

// The bounding box of the mask window's care pixels. Windows the mask to that box, or
// unbinds it when every pixel in the box is care (it then carries nothing). A mask
// without care pixels is unbound and gives the null rectangle with ok false; an
// unbound mask gives the null rectangle with ok true.
vxPelRect vf_OCWindowMaskCareRegion(vxPelBuffer_const<unsigned char>& mask,
                                    unsigned char careThreshold, bool& ok);

// Pads the image (and a bound mask) outside the mask's care region clipped to rect, or
// outside rect when the mask is unbound. The mask is windowed or unbound as by
// vf_OCWindowMaskCareRegion. ok is false, and nothing is padded, when the mask has no
// care pixel inside rect. The image must be bound and its window hold rect.
void vf_OCBackgroundPadImage(vxPelBuffer<unsigned char>& image, vxPelBuffer<unsigned char>& mask,
                             unsigned char careThreshold, const vxPelRect& rect, bool& ok);
// The same on pixel copies of its own, assigned to the arguments at the end: the
// caller's source pixels are never written.
void vf_OCBackgroundPadImage(vxPelBuffer_const<unsigned char>& image,
                             vxPelBuffer_const<unsigned char>& mask, unsigned char careThreshold,
                             const vxPelRect& rect, bool& ok);

// Fills the image window's pixels outside `region` from the region's border: rows above
// and below repeat its top and bottom rows (extended to the full width and smoothed by a
// median over a quarter of the row each side), columns left and right repeat its first
// and last columns (smoothed likewise), so the fill stays within the border's range.
// Pixels inside the region are kept. A null region pads nothing; a region outside the
// window breaks the precondition.
void vf_OCBackgroundPadImage(vxPelBuffer<unsigned char>& image, const vxPelRect& region);
void vf_OCBackgroundPadImage(vxPelBuffer_const<unsigned char>& image, const vxPelRect& region);

// The rectangle of the marks within rect: the pixels on the ink side of the image's
// within-group-variance threshold there (below it for eDarkOnLight, at or above it for
// eLightOnDark), only care pixels of a bound mask counting. An unknown polarity is
// decided by which side of the threshold fewer border pixels lie on. Returns false,
// with markRect the default rectangle, for a blank, a polarity that stays unknown (a
// uniform image, a border split evenly) or no mark pixel.
bool vf_DetectMarkRect_(const vxPelBuffer_const<unsigned char>& image, const vxPelRect& rect,
                        const vxPelBuffer_const<unsigned char>& mask, bool blank,
                        vxOCDefs::Polarity polarity, vxRect& markRect);

// The centre and the lower-left corner of rect; both return true. The mask is unused.
bool vf_computeOriginImageCenter_(const vxPelBuffer_const<unsigned char>& image,
                                  const vxPelRect& rect,
                                  const vxPelBuffer_const<unsigned char>& mask,
                                  vxVector<2>& origin);
bool vf_computeOriginImageLowerLeft_(const vxPelBuffer_const<unsigned char>& image,
                                     const vxPelRect& rect,
                                     const vxPelBuffer_const<unsigned char>& mask,
                                     vxVector<2>& origin);
// The lower-left corner of the detected mark: the given one when hasDetectedMark (if not
// degenerate), else one detected now. Returns true when it came from a mark; otherwise
// the origin is rect's lower-left corner (also for an unbound image or a blank).
bool vf_computeOriginDetectedMarkLowerLeft_(const vxPelBuffer_const<unsigned char>& image,
                                            const vxPelRect& rect,
                                            const vxPelBuffer_const<unsigned char>& mask,
                                            bool blank, bool hasDetectedMark,
                                            const vxRect& detectedMarkRect,
                                            vxOCDefs::Polarity polarity, vxVector<2>& origin);
// The lower-left corner of the specified mark rectangle, returning true. Without one,
// the origin vf_computeOriginDetectedMarkLowerLeft_ gives, and false even when that
// came from a detected mark.
bool vf_computeOriginSpecifiedMarkLowerLeft_(const vxPelBuffer_const<unsigned char>& image,
                                             const vxPelRect& rect,
                                             const vxPelBuffer_const<unsigned char>& mask,
                                             bool blank, bool markSpecified,
                                             const vxRect& markRect, bool hasDetectedMark,
                                             const vxRect& detectedMarkRect,
                                             vxOCDefs::Polarity polarity, vxVector<2>& origin);
