// Character records: construction and release, the normalized image with its threshold
// and invert, and the binarized image windowed to its marks. Argument checks and record
// bookkeeping live here; the pixel loops are in vx_CharPels.cpp.
#include "voc_char.h"

#include "vx_CharPels.h"

#include <cstring>

namespace {

using voc_pels::Box;

// Wide enough that no corner of two long rectangles overflows.
using Wide = __int128;

bool isNull(const Box& b) {
    return b.width <= 0 || b.height <= 0;
}

// Whether outer holds inner; a null inner is held by anything.
bool holds(const Box& outer, const Box& inner) {
    if (isNull(inner)) return true;
    return !isNull(outer) && inner.x >= outer.x && inner.y >= outer.y &&
           Wide(inner.x) + inner.width <= Wide(outer.x) + outer.width &&
           Wide(inner.y) + inner.height <= Wide(outer.y) + outer.height;
}

Box intersection(const Box& a, const Box& b) {
    const Wide x0 = a.x > b.x ? a.x : b.x, y0 = a.y > b.y ? a.y : b.y;
    const Wide ax1 = Wide(a.x) + a.width, bx1 = Wide(b.x) + b.width;
    const Wide ay1 = Wide(a.y) + a.height, by1 = Wide(b.y) + b.height;
    const Wide x1 = ax1 < bx1 ? ax1 : bx1, y1 = ay1 < by1 ? ay1 : by1;
    if (x1 <= x0 || y1 <= y0) return Box{0, 0, 0, 0};
    return Box{long(x0), long(y0), long(x1 - x0), long(y1 - y0)};
}

Box windowOf(const vimg_imageConst& img) {
    return Box{img.x, img.y, img.width, img.height};
}

Box rootOf(const vimg_imageConst& img) {
    if (img.rootWidth == 0 && img.rootHeight == 0) return windowOf(img);
    return Box{img.rootX, img.rootY, img.rootWidth, img.rootHeight};
}

// Narrows the bound view img (whose root is already set) to window, inside its root.
void setWindow(vimg_imageConst& img, const Box& window) {
    img.pels += static_cast<std::ptrdiff_t>(window.y - img.y) * img.stride + (window.x - img.x);
    img.x = window.x;
    img.y = window.y;
    img.width = window.width;
    img.height = window.height;
}

// Makes root the explicit root of img, so that narrowing its window keeps the rest readable.
void pinRoot(vimg_imageConst& img) {
    const Box root = rootOf(img);
    img.rootX = root.x;
    img.rootY = root.y;
    img.rootWidth = root.width;
    img.rootHeight = root.height;
}

// A constructed view over new pixels covering region, with src's transform. On success
// *pels receives the writable first pixel.
long newViewOver(const Box& region, const vimg_imageConst& src, vimg_imageConst& out,
                 unsigned char** pels) {
    if (vimg_imageConst_constructNew(&out, region.x, region.y, region.width, region.height, pels) !=
        VSYS_OK)
        return VOC_STATUS_OUT_OF_MEMORY;
    std::memcpy(out.clientFromImage, src.clientFromImage, sizeof out.clientFromImage);
    return VOC_OK;
}

// The private copy of img that the record keeps: the region (window, or root copy
// rectangle clipped to the root) copied, windowed to img's window.
long rootCopy(const vimg_imageConst& img, const Box& rootCopyRect, vimg_imageConst& out) {
    if (!vimg_imageConst_isBound(&img)) return vimg_imageConst_assign(&out, &img);
    const Box window = windowOf(img);
    if (!isNull(rootCopyRect) && !holds(rootCopyRect, window)) return VOC_STATUS_BAD_ROOT_COPY_RECT;
    // The clipped rectangle holds a non-empty window; an empty window keeps nothing around it.
    const Box region =
        isNull(rootCopyRect) || isNull(window) ? window : intersection(rootCopyRect, rootOf(img));
    unsigned char* pels = nullptr;
    vimg_imageConst copy;
    vimg_imageConst_constructUnbound(&copy);
    if (long status = newViewOver(region, img, copy, &pels); status != VOC_OK) return status;
    if (!isNull(region)) voc_pels::copyRegion(img, region, pels);
    setWindow(copy, window);
    vimg_imageConst_assign(&out, &copy);
    vimg_imageConst_destruct(&copy);
    return VOC_OK;
}

void setBlankMetrics(voc_charMetrics& m) {
    m = voc_charMetrics{};
    m.specified = voc_charMetricsMarkRect | voc_charMetricsMarkRectImage |
                  voc_charMetricsDetectedMarkRect | voc_charMetricsDetectedMarkRectImage;
    m.fractionalBits = VOC_CHAR_METRICS_DEFAULT_FRACTIONAL_BITS;
}

bool isLegalThreshold(long threshold) {
    return threshold >= 0 && threshold <= 256;
}

} // namespace

extern "C" long voc_char_construct(voc_char* ch) {
    if (!ch) return VOC_STATUS_NULL_POINTER;
    std::memset(static_cast<void*>(ch), 0, sizeof *ch);
    ch->key = voc_charKey{VOC_CHAR_CODE_UNKNOWN, VOC_CHAR_KEY_UNSPECIFIED, VOC_CHAR_KEY_UNSPECIFIED,
                          VOC_CHAR_KEY_UNSPECIFIED};
    ch->polarity = voc_charPolarityUnknown;
    vimg_imageConst_constructUnbound(&ch->image);
    vimg_imageConst_constructUnbound(&ch->mask);
    vimg_imageConst_constructUnbound(&ch->normalizedImage);
    vimg_imageConst_constructUnbound(&ch->binarizedImage);
    ch->threshold = VOC_CHAR_DEFAULT_THRESHOLD;
    setBlankMetrics(ch->metrics);
    return VOC_OK;
}

extern "C" long voc_char_destruct(voc_char* ch) {
    if (!ch) return VOC_OK;
    vimg_imageConst_destruct(&ch->image);
    vimg_imageConst_destruct(&ch->mask);
    vimg_imageConst_destruct(&ch->normalizedImage);
    vimg_imageConst_destruct(&ch->binarizedImage);
    vstd_string_free(ch->name32);
    vstd_string_free(ch->description32);
    vstd_string_free(ch->name);
    vstd_string_free(ch->description);
    return voc_char_construct(ch);
}

extern "C" void voc_char_cleanup(void* ch) {
    voc_char_destruct(static_cast<voc_char*>(ch));
}

extern "C" long voc_char_setNormalizedImageThresholdAndInvert8(
    voc_char* ch, const vimg_imageConst* img, int hasThresholdAndInvert, long threshold, int invert,
    long rootCopyX, long rootCopyY, long rootCopyWidth, long rootCopyHeight) {
    if (!ch || !img) return VOC_STATUS_NULL_POINTER;
    if (!isLegalThreshold(threshold)) return VOC_STATUS_THRESHOLD_RANGE;
    if (vimg_imageConst_validate(img) != VSYS_OK) return VOC_STATUS_BAD_IMAGE;

    vimg_imageConst copy;
    vimg_imageConst_constructUnbound(&copy);
    const long status =
        rootCopy(*img, Box{rootCopyX, rootCopyY, rootCopyWidth, rootCopyHeight}, copy);
    if (status != VOC_OK) {
        vimg_imageConst_destruct(&copy);
        return status;
    }
    // Nothing fails from here on.
    vimg_imageConst_assign(&ch->normalizedImage, &copy);
    vimg_imageConst_destruct(&copy);
    ch->binarizedImageValid = 0;
    vimg_imageConst_destruct(&ch->binarizedImage);
    ch->hasThresholdAndInvert = hasThresholdAndInvert ? 1 : 0;
    ch->threshold = static_cast<int32_t>(threshold);
    ch->invert = invert ? 1 : 0;
    ch->metrics.specified &= ~uint32_t(voc_charMetricsDetectedMarkRect);
    ch->metrics.detectedMarkRect = voc_rectD{};
    return VOC_OK;
}

extern "C" long voc_char_getBinarizedImageMarkRect8(const voc_char* ch, vimg_imageConst* marks) {
    if (!ch || !marks) return VOC_STATUS_NULL_POINTER;
    if (!ch->hasThresholdAndInvert) return VOC_STATUS_THRESHOLD_NOT_SPECIFIED;
    if (!isLegalThreshold(ch->threshold)) return VOC_STATUS_THRESHOLD_RANGE;
    const bool cached = ch->binarizedImageValid && vimg_imageConst_isBound(&ch->binarizedImage);
    const vimg_imageConst& source = cached ? ch->binarizedImage : ch->normalizedImage;
    if (vimg_imageConst_validate(&source) != VSYS_OK) return VOC_STATUS_BAD_IMAGE;
    if (!vimg_imageConst_isBound(&source)) return vimg_imageConst_assign(marks, &source);

    vimg_imageConst out;
    vimg_imageConst_constructUnbound(&out);
    Box box{};
    bool found = false;
    if (cached) {
        found = voc_pels::findMarks(source, box);
        if (found) {
            vimg_imageConst_assign(&out, &source);
            pinRoot(out);
        }
    } else {
        unsigned char lut[256];
        const unsigned char low = ch->invert ? 255 : 0;
        for (int p = 0; p < 256; ++p)
            lut[p] = p >= ch->threshold ? 255 - low : low;
        unsigned char* pels = nullptr;
        if (long status = newViewOver(windowOf(source), source, out, &pels); status != VOC_OK)
            return status;
        found = voc_pels::binarize(source, lut, pels, box);
    }
    if (found) {
        setWindow(out, box);
        vimg_imageConst_assign(marks, &out);
    }
    vimg_imageConst_destruct(&out);
    return found ? VOC_OK : VOC_STATUS_RECT_NOT_SPECIFIED;
}
