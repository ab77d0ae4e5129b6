/* C-level character layer: one character of a font (key, polarity, images, threshold and
 * invert, image area, metrics, names) and the functions that build, binarize and release
 * it. A record is made with voc_char_construct and released with voc_char_destruct; it
 * owns its images' references and its strings (clones made by vstd_string_clone32 and
 * vstd_string_cloneW, released with vstd_string_free). */
#ifndef VOC_CHAR_H
#define VOC_CHAR_H

#include "vimg_image.h"
#include "voc_charKey.h"
#include "voc_charMetrics.h"
#include "voc_charPolarity.h"
#include "voc_rect.h"
#include "voc_status.h"
#include "vstd_string.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define VOC_CHAR_DEFAULT_THRESHOLD 128

typedef struct voc_char {
    voc_charKey key;
    voc_charPolarity polarity;
    vimg_imageConst image;
    vimg_imageConst mask; /* care mask: a value of 128 or more is care */
    vimg_imageConst normalizedImage;
    int32_t binarizedImageValid; /* non-zero: binarizedImage is normalizedImage binarized */
    vimg_imageConst binarizedImage;
    int32_t hasThresholdAndInvert; /* non-zero: threshold and invert are specified */
    int32_t threshold;             /* 0..256: pixels at or above it binarize high */
    int32_t invert;                /* non-zero: high is 0 and low 255 */
    voc_rect32 imageArea;          /* pel rectangle of the image that bounds the character */
    unsigned char reserved[20];    /* zero; not used */
    voc_charMetrics metrics;
    vstd_char32* name32; /* zero-terminated, or null for none */
    vstd_char32* description32;
    wchar_t* name;
    wchar_t* description;
} voc_char;

/* Makes *ch a new character: unknown code and open instance, variant and font; unknown
 * polarity; unbound images; no threshold and invert (threshold 128, invert 0); null image
 * area; blank metrics (the four mark rectangles specified and empty, fractional bits 16);
 * no strings. The previous content is not released. Returns VOC_OK or
 * VOC_STATUS_NULL_POINTER. */
long voc_char_construct(voc_char* ch);

/* Releases the images and strings of *ch and leaves it constructed as new, so destructing
 * twice is harmless. A null ch does nothing. Returns VOC_OK. */
long voc_char_destruct(voc_char* ch);

/* voc_char_destruct in the shape of a clean-up callback (vsys_cleanup_register). */
void voc_char_cleanup(void* ch);

/* Stores in ch a private copy of img as the normalized image, with the threshold and
 * invert that binarize it. The copy covers img's window, or with a non-null root copy
 * rectangle (image coordinates) that rectangle clipped to img's root (for context around
 * a non-empty window), and is windowed to img's window with img's transform; an unbound
 * img is stored as it is. Drops the
 * binarized image and forgets the detected mark rectangle (client), as the normalized
 * image has changed. Returns VOC_OK, VOC_STATUS_THRESHOLD_RANGE for a threshold outside
 * 0..256 (checked whether or not hasThresholdAndInvert is set),
 * VOC_STATUS_BAD_ROOT_COPY_RECT when a non-null root copy rectangle does not hold img's
 * window, VOC_STATUS_BAD_IMAGE, VOC_STATUS_OUT_OF_MEMORY or VOC_STATUS_NULL_POINTER; on
 * failure *ch is unchanged. */
long voc_char_setNormalizedImageThresholdAndInvert8(voc_char* ch, const vimg_imageConst* img,
                                                    int hasThresholdAndInvert, long threshold,
                                                    int invert, long rootCopyX, long rootCopyY,
                                                    long rootCopyWidth, long rootCopyHeight);

/* Makes the constructed view *marks the binarized image windowed to the bounding
 * rectangle of its marks: the pixels that binarize high (128 or more). The binarized
 * image is ch's cached one when valid and bound, else the normalized image's window
 * binarized into new pixels; the view's root is that whole binarized window and its
 * transform the source's. An unbound normalized image gives an unbound view. Returns
 * VOC_OK, VOC_STATUS_THRESHOLD_NOT_SPECIFIED, VOC_STATUS_THRESHOLD_RANGE,
 * VOC_STATUS_RECT_NOT_SPECIFIED when no pixel is a mark, VOC_STATUS_BAD_IMAGE,
 * VOC_STATUS_OUT_OF_MEMORY or VOC_STATUS_NULL_POINTER; on failure *marks is unchanged. */
long voc_char_getBinarizedImageMarkRect8(const voc_char* ch, vimg_imageConst* marks);

#ifdef __cplusplus
}
#endif

#endif
