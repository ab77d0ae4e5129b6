// Image helpers of the alphabet compilation: clipped affine sampling with median
// padding, resampling onto a model's pixel grid, and the structure score of blanks.
#include "vx_OCImageUtilities.h"

#include "vf_corr.h"
#include "vxOCDefs.h"
#include "vxPelOps.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// Values of 128 and above become 255, the rest 0: the care convention of masks.
const vxPelMapTable& binarizeTable() {
    static const vxPelMapTable table = [] {
        vxPelMapTable t{};
        for (int v = 0; v < 256; ++v)
            t[v] = v >= 128 ? 255 : 0;
        return t;
    }();
    return table;
}

// Copies the part of src's window that lies inside dst's root into dst (at the same
// image coordinates).
void copyOverlap(const vxPelBuffer_const<unsigned char>& src,
                 const vxPelBuffer<unsigned char>& dst) {
    const vxPelRect overlap = src.window().intersect(dst.rootWindow());
    if (overlap.isNull()) return;
    vxPelBuffer_const<unsigned char> from(src);
    from.window(overlap, false);
    vxPelBuffer<unsigned char> to(dst);
    to.window(overlap, false);
    vfPelCopy(from, to);
}

// Sample counts travel as 16-bit signed values; clamp rather than wrap around (in
// double, since a nearly singular transform asks for counts beyond any integer).
long sampleCount(double v) {
    if (!(v > 0.0)) return 0;
    return v >= 32767.0 ? 32767L : std::lround(v);
}

// The sampled box grown by 4 pixels, clipped to 4 pixels around the window: padding
// further out changes nothing, since a sample beyond it is clamped onto the padding's
// edge, which is median and don't-care as well. Clipped in double, because a nearly
// singular transform stretches the box beyond any integer.
vxPelRect paddingRect(const vxRect& box, const vxPelRect& window) {
    const double left = double(window.x()) - 4.0, top = double(window.y()) - 4.0;
    const double right = double(window.x()) + double(window.width()) + 4.0;
    const double bottom = double(window.y()) + double(window.height()) + 4.0;
    const double bx = std::floor(box.x() - 4.0), by = std::floor(box.y() - 4.0);
    const double x0 = std::clamp(bx, left, right - 1.0);
    const double y0 = std::clamp(by, top, bottom - 1.0);
    const double x1 = std::clamp(bx + std::ceil(box.width() + 8.0), x0 + 1.0, right);
    const double y1 = std::clamp(by + std::ceil(box.height() + 8.0), y0 + 1.0, bottom);
    // Only a window near the ends of long (or a NaN box) is left to refuse.
    constexpr double kLimit = 0x1p62;
    for (double v : {x0, y0, x1, y1})
        if (!(std::fabs(v) < kLimit))
            throw vxPel::BadArgument(L"Affine sampling positions lie too far from the image");
    return vxPelRect(static_cast<long>(x0), static_cast<long>(y0), static_cast<long>(x1 - x0),
                     static_cast<long>(y1 - y0));
}

} // namespace

void vfAffineTransformWithClipping(const vxPelBuffer_const<unsigned char>& src,
                                   const vxPelBuffer_const<unsigned char>& srcMask,
                                   const vxAffineSamplingParams& params,
                                   vxPelBuffer<unsigned char>& dst,
                                   vxPelBuffer<unsigned char>& dstMask) {
    vstd_assert_(!dst.isBound() && !dstMask.isBound(), "destinations are unbound");
    vstd_assert_(!srcMask.isBound() || srcMask.window() == src.window(),
                 "mask window equals image window");

    // The mask lies on the image's pixels, so it samples through the image's transform.
    vxPelBuffer_const<unsigned char> mask(srcMask);
    mask.clientFromImage(src.clientFromImage());

    vxPelBuffer<unsigned char> image, imageMask;
    if (!params.willClip(src) && (!mask.isBound() || !params.willClip(mask))) {
        image = vfAffineTransformImage(src, params);
        if (mask.isBound()) imageMask = vfAffineTransformImage(mask, params);
    } else {
        // Pad so that every sample (with its interpolation footprint) reads defined
        // pixels: the median grey, marked don't-care in the mask.
        const vxRect box = params.affineRectangle().map(src.imageFromClientXform()).encloseRect();
        const vxPelRect padRect = paddingRect(box, src.window());
        vxPelBuffer_const<unsigned char> padded, paddedMask;
        vf_PadImageWithMedian(src, mask, padRect, padded, paddedMask);
        vxAffineSamplingParams maskParams(params);
        maskParams.interpolation(vxAffineSamplingParams::eBilinear);
        image = vfAffineTransformImage(padded, params);
        imageMask = vfAffineTransformImage(paddedMask, maskParams);
    }
    dst = image;
    dstMask = imageMask;
}

void vf_PadImageWithMedian(const vxPelBuffer_const<unsigned char>& src,
                           const vxPelBuffer_const<unsigned char>& mask, const vxPelRect& rect,
                           vxPelBuffer_const<unsigned char>& out,
                           vxPelBuffer_const<unsigned char>& outMask) {
    vstd_assert_(!mask.isBound() || mask.window() == src.window(),
                 "mask window equals image window");
    if (!src.isBound()) throw vxPel::UnboundWindow();
    if (src.window().contains(rect)) {
        out = src;
        outMask = mask;
        return;
    }

    std::vector<unsigned long> histogram;
    vfPelHistogram(src, histogram);
    const long median = vxHistoStats(histogram).median();

    vxPelBuffer<unsigned char> image(rect, 32);
    image.clientFromImage(src.clientFromImage());
    vfPelSet(image, static_cast<unsigned char>(median));
    copyOverlap(src, image);

    vxPelBuffer<unsigned char> care(rect, 32); // zeroed: don't care
    care.clientFromImage(mask.isBound() ? mask.clientFromImage() : src.clientFromImage());
    if (mask.isBound()) {
        copyOverlap(mask, care);
    } else {
        const vxPelRect overlap = src.window().intersect(rect);
        if (!overlap.isNull()) {
            care.window(overlap, false);
            vfPelSet(care, 255);
            care.setEntire();
        }
    }
    out = image;
    outMask = care;
}

vxAffineRectangle vf_AlignedEnclosingRectangle(const vxPelRect& window, vxRadian xRot,
                                               vxRadian yRot) {
    const vxVector<2> center((window.ul().x() + window.ur().x()) / 2.0,
                             (window.ll().y() + window.ul().y()) / 2.0);
    const vxXform<2> turn(vxMatrix<2>(xRot, yRot, 1.0, 1.0), vxVector<2>());
    const vxPelRect turned = vxAffineRectangle(vxVector<2>(), static_cast<double>(window.width()),
                                               static_cast<double>(window.height()))
                                 .map(turn)
                                 .encloseImageRect();
    vxAffineRectangle aligned =
        vxAffineRectangle(vxVector<2>(), static_cast<double>(turned.width()),
                          static_cast<double>(turned.height()))
            .map(turn);
    aligned.center(center);
    return aligned;
}

void vf_ResampleToModelGrid(const vxPelBuffer_const<unsigned char>& ref,
                            vxPelBuffer_const<unsigned char>& image,
                            vxPelBuffer_const<unsigned char>& mask, vxDiagObject*) {
    // Model pixels to search-image pixels, without translation.
    const vxXform<2> modelToImage(
        (image.imageFromClientXform() * ref.clientFromImageXform()).matrix(), vxVector<2>());

    vxPelBuffer_const<unsigned char> care(mask);
    if (!care.isBound()) {
        vxPelBuffer<unsigned char> all(image.window(), 32);
        all.clientFromImage(image.clientFromImage());
        vfPelSet(all, 255);
        care = all;
    }

    // A parallelogram over the image's window whose sides run along the model's axes
    // and are whole numbers of model pixels long.
    vxAffineRectangle area =
        vf_AlignedEnclosingRectangle(image.window(), modelToImage.xRot(), modelToImage.yRot());
    const double xs = area.xLength() / modelToImage.xScale();
    const double ys = area.yLength() / modelToImage.yScale();
    const long nx = std::max(1L, sampleCount(xs));
    const long ny = std::max(1L, sampleCount(ys));
    // Characters taught at client scales a hundred times apart would make a picture of
    // up to a billion pixels, and a search over it that never ends: such a pair is not
    // compared.
    const double modelPixels = double(ref.width()) * double(ref.height());
    if (double(nx) * double(ny) > std::max(65536.0, 64.0 * modelPixels))
        throw vxOCDefs::BadParams(L"Image too large on the model's pixel grid");
    if (xs > 0) area.xLength(area.xLength() * static_cast<double>(nx) / xs);
    if (ys > 0) area.yLength(area.yLength() * static_cast<double>(ny) / ys);
    area.xRotation(modelToImage.xRot());
    area.skew(modelToImage.yRot() - modelToImage.xRot());

    const vxAffineSamplingParams params(area.map(image.clientFromImageXform()), nx, ny,
                                        vxAffineSamplingParams::eBicubic);
    vxPelBuffer<unsigned char> newImage, newMask;
    vfAffineTransformWithClipping(image, care, params, newImage, newMask);
    mask = vfPelMap(newMask, binarizeTable());
    image = newImage;
}

double vfScoreBlankness(const vxPelBuffer_const<unsigned char>& image,
                        const vxPelBuffer_const<unsigned char>& mask, const vxXform<2>& xform,
                        const vxPelBuffer_const<unsigned char>& refImage, const vxPelRect& refArea,
                        const vxPelBuffer_const<unsigned char>& refMask) {
    const vxAffineRectangle area =
        vxAffineRectangle(vxVector<2>(refArea.ul()), vxVector<2>(refArea.ur()),
                          vxVector<2>(refArea.ll()))
            .map(xform * refImage.clientFromImageXform());
    const vxAffineSamplingParams params(area, sampleCount(static_cast<double>(refArea.width())),
                                        sampleCount(static_cast<double>(refArea.height())),
                                        vxAffineSamplingParams::eBilinear);
    vxPelBuffer<unsigned char> sampled, sampledMask;
    vfAffineTransformWithClipping(image, mask, params, sampled, sampledMask);

    vxPelBuffer_const<unsigned char> care(sampledMask);
    if (refMask.isBound()) {
        vxPelBuffer_const<unsigned char> blankCare(refMask);
        blankCare.window(refArea, false);
        if (sampledMask.isBound()) {
            vxPelBuffer<unsigned char> combined(sampledMask.window(), 32);
            combined.clientFromImage(sampledMask.clientFromImage());
            vfPelMin(blankCare, sampledMask, combined);
            care = combined;
        } else {
            care = blankCare;
        }
    }
    return vf_ScoreSelfCorrelation(sampled, care);
}

double vf_ScoreSelfCorrelation(const vxPelBuffer_const<unsigned char>& image,
                               const vxPelBuffer_const<unsigned char>&) {
    constexpr long kInset = 2;
    if (!image.isBound()) throw vxPel::UnboundWindow();
    const vxPelRect& w = image.window();
    if (w.width() <= 2 * kInset || w.height() <= 2 * kInset) return 1.0;

    vxPelBuffer_const<unsigned char> inner(image);
    inner.window(
        vxPelRect(w.x() + kInset, w.y() + kInset, w.width() - 2 * kInset, w.height() - 2 * kInset),
        false);
    inner.offset(0, 0);
    const vx_CorrelationModel<unsigned char> model(inner);
    const double n = static_cast<double>(model.nCarePels());
    if (n == 0) return 1.0;
    if (model.variance() / (n * n) <= 1.0) return 0.0;

    vx_CorrSpace space;
    vf_corr_init(space, model, image, vx_CorrDefs::eSigned);
    std::vector<vx_CSResult> scores;
    vf_corr_scoreAll(space, scores);
    if (scores.empty()) return 1.0;
    double sum = 0.0;
    for (const vx_CSResult& s : scores)
        sum += std::abs(static_cast<double>(s.score));
    return sum / static_cast<double>(scores.size()) / vx_CorrDefs::kScoreOne;
}
