// Validation of a sub-model's image and mask.
#include "vxWarpSubModel.h"

#include "vx_SubModelDefs.h"

vxWarpSubModel::vxWarpSubModel(const vxPelBuffer_const<unsigned char>& image, std::wstring name)
    : vxWarpSubModel(image, vxPelBuffer_const<unsigned char>(), std::move(name)) {}

vxWarpSubModel::vxWarpSubModel(const vxPelBuffer_const<unsigned char>& image,
                               const vxPelBuffer_const<unsigned char>& mask, std::wstring name)
    : image_(image), mask_(mask), name_(std::move(name)) {
    if (!image.isBound() || image.window().isNull())
        throw vx_SubModelDefs::BadImage(L"The sub-model image must be bound and not empty");
    if (mask.isBound() && mask.window() != image.window())
        throw vx_SubModelDefs::BadImage(L"The sub-model mask window must equal the image window");
}
