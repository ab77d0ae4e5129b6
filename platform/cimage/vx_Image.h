// Conversion between pel buffers and C-level image views. Conversions share pixels in
// both directions: each side holds a reference that keeps the other side's pixels
// alive, so a view may outlive the buffer it was made from and the other way round.
#pragma once

#include "vimg_image.h"
#include "vxPelBuffer.h"

// Makes the constructed view dst refer to src's window, root and pixels, with the
// linear form of src's client-from-image transform, and releases what dst held. An
// unbound src gives an unbound view with src's transform. Throws
// vxPel::NonLinearXform (leaving dst as it was) when the transform is not linear.
void vfConvertImage(const vxPelBuffer_const<unsigned char>& src, vimg_imageConst& dst);

// Makes dst a buffer on src's pixels: the window and root of the view, the view's
// transform. The buffer keeps a reference on the view's owner; a view without an owner
// leaves keeping the pixels alive to its maker. An unbound view gives an unbound
// buffer with the view's transform. Throws vxPel::BadWindow (leaving dst as it was)
// for a view whose geometry vimg_imageConst_validate rejects.
void vfConvertImage(const vimg_imageConst& src, vxPelBuffer_const<unsigned char>& dst);

// A C-level view that releases itself: constructed unbound or from a pel buffer, handed
// to C functions through view(), and released when it goes out of scope.
class vx_Image {
public:
    vx_Image();
    explicit vx_Image(const vxPelBuffer_const<unsigned char>& buffer);
    ~vx_Image();
    vx_Image(const vx_Image& other);
    vx_Image& operator=(const vx_Image& other);

    vimg_imageConst& view() { return view_; }
    const vimg_imageConst& view() const { return view_; }
    // A pel buffer sharing the view's pixels (see vfConvertImage).
    vxPelBuffer_const<unsigned char> buffer() const;

private:
    vimg_imageConst view_;
};
