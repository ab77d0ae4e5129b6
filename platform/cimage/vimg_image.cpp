// C-level image views and the owner of pixels they allocate themselves.
#include "vimg_image.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

// Pixels allocated by vimg_imageConst_constructNew, freed with the last reference.
struct AllocatedPels {
    vimg_pelOwner header; // first, so the owner pointer is the object's address
    std::atomic<long> count{1};
    unsigned char* pels = nullptr;
};

void addRefAllocated(vimg_pelOwner* self) {
    reinterpret_cast<AllocatedPels*>(self)->count.fetch_add(1, std::memory_order_relaxed);
}

void releaseAllocated(vimg_pelOwner* self) {
    auto* owner = reinterpret_cast<AllocatedPels*>(self);
    if (owner->count.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
    std::free(owner->pels);
    delete owner;
}

void setUnbound(vimg_imageConst* img) {
    *img = vimg_imageConst{};
    img->clientFromImage[0] = 1.0;
    img->clientFromImage[3] = 1.0;
}

} // namespace

extern "C" long vimg_imageConst_constructUnbound(vimg_imageConst* img) {
    if (!img) return VSYS_STATUS_NULL_POINTER;
    setUnbound(img);
    return VSYS_OK;
}

extern "C" long vimg_imageConst_constructNew(vimg_imageConst* img, long x, long y, long width,
                                             long height, unsigned char** pels) {
    if (!img) return VSYS_STATUS_NULL_POINTER;
    if (width < 0 || height < 0) return VIMG_STATUS_BAD_GEOMETRY;
    if (width > 0 && static_cast<unsigned long>(height) > ~0ul / static_cast<unsigned long>(width))
        return VSYS_STATUS_OUT_OF_MEMORY;
    const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height);
    auto* owner = new (std::nothrow) AllocatedPels;
    if (!owner) return VSYS_STATUS_OUT_OF_MEMORY;
    owner->pels = static_cast<unsigned char*>(std::calloc(bytes == 0 ? 1 : bytes, 1));
    if (!owner->pels) {
        delete owner;
        return VSYS_STATUS_OUT_OF_MEMORY;
    }
    owner->header.addRef = &addRefAllocated;
    owner->header.release = &releaseAllocated;
    setUnbound(img);
    img->pels = owner->pels;
    img->x = x;
    img->y = y;
    img->width = width;
    img->height = height;
    img->stride = width;
    img->rootX = x;
    img->rootY = y;
    img->rootWidth = width;
    img->rootHeight = height;
    img->owner = &owner->header;
    if (pels) *pels = owner->pels;
    return VSYS_OK;
}

extern "C" long vimg_imageConst_assign(vimg_imageConst* dst, const vimg_imageConst* src) {
    if (!dst || !src) return VSYS_STATUS_NULL_POINTER;
    if (dst == src) return VSYS_OK;
    // Take the new reference before dropping the old one: both may be the same owner.
    if (src->owner) src->owner->addRef(src->owner);
    vimg_pelOwner* old = dst->owner;
    *dst = *src;
    if (old) old->release(old);
    return VSYS_OK;
}

extern "C" void vimg_imageConst_destruct(vimg_imageConst* img) {
    if (!img) return;
    vimg_pelOwner* old = img->owner;
    setUnbound(img);
    if (old) old->release(old);
}

extern "C" int vimg_imageConst_isBound(const vimg_imageConst* img) {
    return img && img->pels ? 1 : 0;
}

extern "C" long vimg_imageConst_validate(const vimg_imageConst* img) {
    if (!img) return VSYS_STATUS_NULL_POINTER;
    if (!img->pels) return VSYS_OK;
    if (img->width < 0 || img->height < 0) return VIMG_STATUS_BAD_GEOMETRY;
    const bool windowOnly = img->rootWidth == 0 && img->rootHeight == 0;
    // Compared in a wider type, so that no corner computation overflows.
    using Wide = __int128;
    const Wide rx = windowOnly ? img->x : img->rootX, ry = windowOnly ? img->y : img->rootY;
    const Wide rw = windowOnly ? img->width : img->rootWidth;
    const Wide rh = windowOnly ? img->height : img->rootHeight;
    if (rw < 0 || rh < 0) return VIMG_STATUS_BAD_GEOMETRY;
    if (img->x < rx || img->y < ry || Wide(img->x) + img->width > rx + rw ||
        Wide(img->y) + img->height > ry + rh)
        return VIMG_STATUS_BAD_GEOMETRY;
    if (rh > 1 && img->stride < rw) return VIMG_STATUS_BAD_GEOMETRY;
    return VSYS_OK;
}
