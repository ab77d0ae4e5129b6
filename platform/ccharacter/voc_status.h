/* Status codes of the C-level character layer (family 159). Every function of the layer
 * returns VOC_OK or one of these; a failed call leaves its outputs as they were. */
#ifndef VOC_STATUS_H
#define VOC_STATUS_H

#include "vsys_status.h"

#define VOC_OK VSYS_OK

#define VOC_STATUS_NULL_POINTER VSYS_FAILURE(0x13e0)       /* a required pointer was null */
#define VOC_STATUS_OUT_OF_MEMORY VSYS_FAILURE(0x13e1)      /* an allocation failed */
#define VOC_STATUS_BAD_IMAGE VSYS_FAILURE(0x13e2)          /* an image view's geometry is invalid */
#define VOC_STATUS_BAD_ARGUMENT VSYS_FAILURE(0x13e3)       /* NaN, or fractional bits not 0..31 */
#define VOC_STATUS_BAD_ROOT_COPY_RECT VSYS_FAILURE(0x13e4) /* does not hold the window */
#define VOC_STATUS_THRESHOLD_RANGE VSYS_FAILURE(0x13ec)    /* threshold not in 0..256 */
#define VOC_STATUS_THRESHOLD_NOT_SPECIFIED VSYS_FAILURE(0x13ed) /* no threshold and invert */
#define VOC_STATUS_RECT_NOT_SPECIFIED VSYS_FAILURE(0x13ef)      /* no rectangle to give */
#define VOC_STATUS_FIXED_POINT_OVERFLOW VSYS_FAILURE(0x13f0)    /* scaled value beyond 32 bits */
#define VOC_STATUS_INTEGER_OVERFLOW VSYS_FAILURE(0x13f1)        /* value beyond 32-bit integers */

#endif
