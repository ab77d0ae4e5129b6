// The pattern a sub-model tool is trained on: an 8-bit image window, an optional care
// mask over the same window, and a name.
#pragma once

#include "vxPelBuffer.h"

#include <string>

class vxWarpSubModel {
public:
    // A model of the pixels of image's window, all of which count. Throws
    // vx_SubModelDefs::BadImage when the image is unbound or its window is empty.
    explicit vxWarpSubModel(const vxPelBuffer_const<unsigned char>& image, std::wstring name = {});
    // A model of image's window where only pixels whose mask value is 128 or more count;
    // an unbound mask means every pixel counts. Throws vx_SubModelDefs::BadImage as
    // above, and when a bound mask's window differs from the image's.
    vxWarpSubModel(const vxPelBuffer_const<unsigned char>& image,
                   const vxPelBuffer_const<unsigned char>& mask, std::wstring name = {});

    // The buffers share their pixels with the caller's; training copies what it needs.
    const vxPelBuffer_const<unsigned char>& image() const { return image_; }
    const vxPelBuffer_const<unsigned char>& mask() const { return mask_; }
    const std::wstring& name() const { return name_; }

private:
    vxPelBuffer_const<unsigned char> image_;
    vxPelBuffer_const<unsigned char> mask_;
    std::wstring name_;
};
