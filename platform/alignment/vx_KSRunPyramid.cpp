// Building and reusing the run image's pyramid, care maps and gradients.
#include "vx_KSRunPyramid.h"

#include "vxAttention.h"

#include <cstring>

bool vx_KSRunPyramid::samePixels(const unsigned char* src, long stride, long w, long h,
                                 const vx_KSPlane& copy) {
    if (copy.w != w || copy.h != h) return false;
    for (long y = 0; y < h; ++y)
        if (std::memcmp(src + y * stride, copy.data() + y * w, static_cast<std::size_t>(w)) != 0)
            return false;
    return true;
}

void vx_KSRunPyramid::copyPixels(const unsigned char* src, long stride, long w, long h,
                                 vx_KSPlane& copy) {
    copy.w = w;
    copy.h = h;
    copy.pix.resize(static_cast<std::size_t>(w * h));
    for (long y = 0; y < h; ++y)
        std::memcpy(copy.pix.data() + y * w, src + y * stride, static_cast<std::size_t>(w));
}

namespace {

// A level's care map from the one below: a pixel cares only when all four it covers do.
void halveCare(const vx_KSPlane& below, long w, long h, vx_KSPlane& out) {
    out.w = w;
    out.h = h;
    out.pix.resize(static_cast<std::size_t>(w * h));
    for (long y = 0; y < h; ++y) {
        const unsigned char* r0 = below.data() + 2 * y * below.w;
        const unsigned char* r1 = r0 + below.w;
        for (long x = 0; x < w; ++x)
            out.pix[y * w + x] = r0[2 * x] & r0[2 * x + 1] & r1[2 * x] & r1[2 * x + 1];
    }
}

} // namespace

void vx_KSRunPyramid::prepare(const unsigned char* image, long stride, long w, long h,
                              const unsigned char* mask, long maskStride, int top, int fine,
                              int lowestUnit, float contrast) {
    if (levels_.size() < static_cast<std::size_t>(top) + 1) levels_.resize(top + 1);

    if (!levels_[0].planeReady || !samePixels(image, stride, w, h, levels_[0].plane)) {
        for (Level& l : levels_)
            l.planeReady = l.careReady = l.rawReady = l.unitReady = false;
        copyPixels(image, stride, w, h, levels_[0].plane);
        levels_[0].planeReady = true;
    }
    const bool sameMask =
        mask ? hasMask_ && samePixels(mask, maskStride, w, h, maskCopy_) : !hasMask_;
    if (!sameMask) {
        for (Level& l : levels_)
            l.careReady = false;
        hasMask_ = mask != nullptr;
        if (mask) copyPixels(mask, maskStride, w, h, maskCopy_);
    }
    if (contrast != unitContrast_) {
        for (Level& l : levels_)
            l.unitReady = false;
        unitContrast_ = contrast;
    }

    // Each step marks its level ready only when done, so a time limit striking between
    // steps leaves the cache consistent.
    for (int L = 0; L <= top; ++L) {
        vxAttention::check();
        Level& l = levels_[L];
        if (!l.planeReady) {
            const vx_KSPlane& below = levels_[L - 1].plane;
            vf_KSHalve(below.data(), below.w, below.w, below.h, l.plane);
            l.planeReady = true;
        }
        if (hasMask_ && !l.careReady) {
            if (L == 0) {
                l.care.w = w;
                l.care.h = h;
                l.care.pix.resize(static_cast<std::size_t>(w * h));
                for (std::size_t i = 0; i < l.care.pix.size(); ++i)
                    l.care.pix[i] = maskCopy_.pix[i] >= 128;
            } else {
                halveCare(levels_[L - 1].care, l.plane.w, l.plane.h, l.care);
            }
            l.careReady = true;
        }
        if (L >= fine && !l.rawReady) {
            vf_KSSobel(l.plane.data(), l.plane.w, l.plane.w, l.plane.h, l.raw);
            l.rawReady = true;
            l.unitReady = false;
        }
        if (L >= lowestUnit && !l.unitReady) {
            l.unit = l.raw;
            vf_KSNormalize(l.unit, contrast);
            l.unitReady = true;
        }
    }
}
