/* C-level 8-bit image views. A view names a window of pixels (its upper-left pixel's
 * address and image coordinates, its size and row stride) and the client-from-image
 * transform of its image; an optional owner keeps the pixels alive while views refer
 * to them. Views are made with a construct function and released with
 * vimg_imageConst_destruct; assignment shares the pixels instead of copying them. */
#ifndef VIMG_IMAGE_H
#define VIMG_IMAGE_H

#include "vsys_status.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The image layer's failures (family 162), besides the system layer's null-pointer
 * and out-of-memory statuses. */
#define VIMG_STATUS_BAD_GEOMETRY VSYS_FAILURE(0x1440) /* negative size, short stride */

/* A reference-counted keeper of pixels. An owner embeds this header first; the view
 * that holds it calls addRef when it starts to share it and release when it stops. */
typedef struct vimg_pelOwner {
    void (*addRef)(struct vimg_pelOwner* self);
    void (*release)(struct vimg_pelOwner* self);
} vimg_pelOwner;

typedef struct vimg_imageConst {
    const unsigned char* pels; /* the window's upper-left pixel; null when unbound */
    long x, y;                 /* image coordinates of that pixel */
    long width, height;        /* window size in pixels */
    long stride;               /* bytes from a pixel to the one below it */
    /* The rectangle of pixels around the window that may be read too, in image
     * coordinates (root x, y, width, height); 0 by 0 means the window alone. */
    long rootX, rootY, rootWidth, rootHeight;
    /* Client-from-image transform: client = (a*ix + b*iy + tx, c*ix + d*iy + ty), as
     * {a, b, c, d, tx, ty}. */
    double clientFromImage[6];
    vimg_pelOwner* owner; /* one reference held by this view, or null */
} vimg_imageConst;

/* Makes *img an unbound view (no pixels, identity transform). The previous content is
 * not released. Returns VSYS_OK or VSYS_STATUS_NULL_POINTER. */
long vimg_imageConst_constructUnbound(vimg_imageConst* img);

/* Makes *img a view of new pixels owned by the view: a width by height window at image
 * coordinates (x, y) that is also the root, stride = width, pixels set to 0, identity
 * transform; *pels (when
 * pels is not null) receives the writable address of the first pixel. The previous
 * content is not released. Returns VSYS_OK, VSYS_STATUS_NULL_POINTER,
 * VIMG_STATUS_BAD_GEOMETRY for a negative size or VSYS_STATUS_OUT_OF_MEMORY. */
long vimg_imageConst_constructNew(vimg_imageConst* img, long x, long y, long width, long height,
                                  unsigned char** pels);

/* Makes *dst a view of the same pixels, window and transform as *src, sharing its owner;
 * releases what *dst held before (dst must be constructed). Assigning a view to itself
 * changes nothing. Returns VSYS_OK or VSYS_STATUS_NULL_POINTER (then *dst is unchanged). */
long vimg_imageConst_assign(vimg_imageConst* dst, const vimg_imageConst* src);

/* Releases the view's pixels and leaves it unbound; null is allowed. */
void vimg_imageConst_destruct(vimg_imageConst* img);

/* Whether the view refers to pixels. */
int vimg_imageConst_isBound(const vimg_imageConst* img);

/* Checks a view's fields: VSYS_OK for an unbound view or a bound one with a
 * non-negative size, (for more than one row) stride >= root width, and a root that
 * holds the window; VIMG_STATUS_BAD_GEOMETRY otherwise,
 * VSYS_STATUS_NULL_POINTER for null. */
long vimg_imageConst_validate(const vimg_imageConst* img);

#ifdef __cplusplus
}
#endif

#endif
