// Pixel loops of the character layer: copying a region of a C image view, and
// binarizing a window while finding the bounding box of its marks. The callers check
// every argument; these loops trust them.
#pragma once

#include "vimg_image.h"

namespace voc_pels {

// A pel rectangle in image coordinates.
struct Box {
    long x, y, width, height;
};

// Copies region (inside src's root) row by row into dst, whose rows are region.width
// bytes apart.
void copyRegion(const vimg_imageConst& src, const Box& region, unsigned char* dst);

// Maps src's window through lut into dst (rows src.width bytes apart) and sets marks to
// the bounding box of the mapped pixels of 128 or more; false (marks untouched) if none.
bool binarize(const vimg_imageConst& src, const unsigned char (&lut)[256], unsigned char* dst,
              Box& marks);

// Sets marks to the bounding box of src's window pixels of 128 or more; false if none.
bool findMarks(const vimg_imageConst& src, Box& marks);

} // namespace voc_pels
