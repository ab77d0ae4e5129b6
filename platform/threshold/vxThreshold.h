// Within-group-variance (Otsu) thresholding of 8-bit images.
#pragma once

#include "vxPelBuffer.h"

#include <vector>

struct vxThresholdResult {
    // Pixels of this value and above form the bright class, those below the dark class.
    int threshold = 0;
    // How clearly the pixels form two classes, in [0, 1]: with r the share of the
    // variance that the split explains (between-class over total variance),
    // (r - 0.8) / 0.2, and 0 below 0.8 or when the classes' means lie less than 8 grey
    // levels apart. One class explains at most about 3/4 (grey levels spread evenly;
    // Gaussian noise about one level 0.64), so blank, noisy or shaded paper scores 0, as
    // do a single value and no pixels; exactly two values 8 or more apart score 1.
    double score = 0.0;
};

// The threshold that splits the histogram into two classes of least total
// within-class variance (equivalently, greatest between-class variance). When several
// thresholds give the same split (the values between two occupied levels), the middle
// one is taken (the lower of two middles). A single-valued histogram gives that value
// (every pixel bright) with score 0; an empty one gives 0 and 0. hist has 256 bins
// (fewer are read as zeros beyond their end).
vxThresholdResult vfThresholdWGV(const std::vector<unsigned long>& hist);

// The threshold of image's window. Throws vxPel::UnboundWindow for an unbound image.
vxThresholdResult vfThresholdWGV(const vxPelBuffer_const<unsigned char>& image);
// The same counting only the pixels whose mask value is 128 or more. An unbound mask
// counts every pixel; a bound one must have the image's width and height
// (vxPel::SizeMismatch otherwise).
vxThresholdResult vfThresholdWGV(const vxPelBuffer_const<unsigned char>& image,
                                 const vxPelBuffer_const<unsigned char>& mask);
