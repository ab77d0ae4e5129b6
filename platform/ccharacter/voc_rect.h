/* C-level character layer: rectangles as four 32-bit integers (plain or fixed point) or
 * four doubles, and the conversion between fixed point and doubles. A rectangle is its
 * upper-left corner (x, y) and its size (width, height). */
#ifndef VOC_RECT_H
#define VOC_RECT_H

#include "voc_status.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct voc_rect32 {
    int32_t x, y, width, height;
} voc_rect32;

/* The same four integers read as value * 2^fractionalBits; the scale is kept apart. */
typedef voc_rect32 voc_rect32Fixed;

typedef struct voc_rectD {
    double x, y, width, height;
} voc_rectD;

/* Stores each of src's four values scaled by 2^fractionalBits and rounded to nearest
 * (halves away from zero) in *dst. Each value is checked on its own: one outside
 * [-2147483648, 2147483647] gives VOC_STATUS_INTEGER_OVERFLOW, one whose scaled value
 * rounds outside that range VOC_STATUS_FIXED_POINT_OVERFLOW. NaN or fractionalBits
 * outside 0..31 give VOC_STATUS_BAD_ARGUMENT, null pointers VOC_STATUS_NULL_POINTER.
 * On failure *dst is unchanged. */
long voc_rect32FixedInitFromRectD_(voc_rect32Fixed* dst, const voc_rectD* src, long fractionalBits);

/* Stores src's four values divided by 2^fractionalBits in *dst (exact). Returns VOC_OK,
 * VOC_STATUS_BAD_ARGUMENT for fractionalBits outside 0..31 or VOC_STATUS_NULL_POINTER;
 * on failure *dst is unchanged. */
long voc_rectDInitFromRect32Fixed_(voc_rectD* dst, const voc_rect32Fixed* src, long fractionalBits);

#ifdef __cplusplus
}
#endif

#endif
