// Turning and scaling an image with its mask: the output box and the sampling
// rectangle, a working copy with mirrored margins, then affine sampling.
#include "vx_OCAffineTransform.h"

#include "vxAttention.h"
#include "vxPelOps.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

using Pel = unsigned char;

// Pixels around the window that the working copy mirrors from the edge.
constexpr long kMargin = 3;

// The geometry shared by an image and its mask.
struct Plan {
    vxPelRect workRect;     // the working copy, in source image coordinates
    vxPelRect widened;      // the source window grown by the margin
    vxAffineRectangle rect; // the sampling rectangle, in source image coordinates
    long width = 0, height = 0;
};

// Index i folded into [lo, lo + n) by mirroring about the edges: lo - 1 -> lo,
// lo - 2 -> lo + 1, lo + n -> lo + n - 1 (repeatedly for a root narrower than the margin).
long mirror(long i, long lo, long n) {
    long t = (i - lo) % (2 * n);
    if (t < 0) t += 2 * n;
    return lo + (t < n ? t : 2 * n - 1 - t);
}

Plan makePlan(const vxPelRect& window, vxRadian angle, double scale) {
    const vxVector<2> c(window.x() + 0.5 * window.width(), window.y() + 0.5 * window.height());
    const vxXform<2> turn(vxMatrix<2>::rotation(angle), c - vxMatrix<2>::rotation(angle) * c);
    const vxRect box = vxAffineRectangle(window).map(turn).encloseRect();
    const double w = box.width() * scale, h = box.height() * scale;
    vstd_assert_(w >= 0.5 && w < 32767.0 && h >= 0.5 && h < 32767.0,
                 "turned window times scale is from 0.5 to below 32767 pixels");

    Plan p;
    p.width = static_cast<long>(std::floor(w + 0.5));
    p.height = static_cast<long>(std::floor(h + 0.5));
    p.widened = vxPelRect(window.x() - kMargin, window.y() - kMargin, window.width() + 2 * kMargin,
                          window.height() + 2 * kMargin);
    // The turned window's box does not hold the window itself once the turn passes
    // 2 atan(height / width); the samples then still need the window, so the working
    // copy covers both, grown so that its own edge pixels are 0.
    const vxPelRect pel = box.enclosePelRect().enclose(p.widened);
    p.workRect = vxPelRect(pel.x() - kMargin, pel.y() - kMargin, pel.width() + 2 * kMargin,
                           pel.height() + 2 * kMargin);
    // The inverse of scale * turn(angle): its sides measured in source pixels.
    const vxMatrix<2> n = (vxMatrix<2>::rotation(angle) * scale).inverse();
    p.rect = vxAffineRectangle::fromCenter(c, double(p.width) * n.xScale(),
                                           double(p.height) * n.yScale(), n.xRot(), n.skew());
    return p;
}

// A zeroed image over plan.workRect (source image coordinates) into which the widened
// window is copied: pixel (x, y) takes src's pixel (x, y) + shift, mirrored into src's
// root where that lies outside it.
vxPelBuffer<Pel> makeWorkingCopy(const vxPelBuffer_const<Pel>& src, vxPoint<long> shift,
                                 const Plan& plan) {
    vxPelBuffer<Pel> work(plan.workRect);
    const vxPelRect area = plan.widened.intersect(plan.workRect);
    const vxPelRect root = src.rootWindow();
    const long x0 = area.x(), x1 = area.x() + area.width();
    // The run [in0, in1) of working x whose source pixels lie inside the root is copied
    // as a block; the margins around it are mirrored pixel by pixel.
    const long in0 = std::clamp(root.x() - shift.x(), x0, x1);
    const long in1 = std::clamp(root.x() + root.width() - shift.x(), in0, x1);
    for (long y = area.y(); y < area.y() + area.height(); ++y) {
        vxAttention::check();
        const long sy = mirror(y + shift.y(), root.y(), root.height());
        const Pel* in = src.pointToPel(root.x(), sy); // in[k]: source pixel root.x() + k
        Pel* out = work.pointToPel(x0, y);            // out[k]: working pixel x0 + k
        auto mirrored = [&](long x) {
            return in[mirror(x + shift.x(), root.x(), root.width()) - root.x()];
        };
        for (long x = x0; x < in0; ++x)
            out[x - x0] = mirrored(x);
        if (in1 > in0)
            std::memcpy(out + (in0 - x0), in + (in0 + shift.x() - root.x()),
                        static_cast<size_t>(in1 - in0));
        for (long x = in1; x < x1; ++x)
            out[x - x0] = mirrored(x);
    }
    return work;
}

vxAffineSamplingParams samplingParams(const Plan& plan, const vxXform<2>& clientFromImage,
                                      vxAffineSamplingParams::Interpolation interpolation) {
    return vxAffineSamplingParams(plan.rect.map(clientFromImage), plan.width, plan.height,
                                  interpolation);
}

vxPelBuffer<Pel> turnOne(const vxPelBuffer_const<Pel>& src, vxPoint<long> shift, const Plan& plan,
                         const vxAffineSamplingParams& params,
                         const vxPtrHandle_const<vx2XformBase>& clientFromImage) {
    vxPelBuffer<Pel> work = makeWorkingCopy(src, shift, plan);
    work.clientFromImage(clientFromImage);
    return vfAffineTransformImage(work, params);
}

} // namespace

void vf_AffineTransform(const vxPelBuffer_const<unsigned char>& source, const vxRadian& angle,
                        double scale, vxPelBuffer<unsigned char>& out,
                        vxAffineSamplingParams::Interpolation interpolation) {
    if (!source.isBound()) throw vxPel::UnboundWindow();
    const Plan plan = makePlan(source.window(), angle, scale);
    const vxAffineSamplingParams params =
        samplingParams(plan, source.clientFromImageXform(), interpolation);
    out = turnOne(source, vxPoint<long>(0, 0), plan, params, source.clientFromImage());
}

void vf_AffineTransform(const vxPelBuffer_const<unsigned char>& source,
                        const vxPelBuffer_const<unsigned char>& sourceMask, const vxRadian& angle,
                        double scale, vxPelBuffer<unsigned char>& out,
                        vxPelBuffer<unsigned char>& outMask,
                        vxAffineSamplingParams::Interpolation interpolation,
                        vxAffineSamplingParams::Interpolation maskInterpolation) {
    if (!source.isBound()) throw vxPel::UnboundWindow();
    vxPelBuffer_const<Pel> mask = sourceMask;
    if (!mask.isBound()) {
        vxPelBuffer<Pel> full(source.window());
        vfPelSet(full, 255);
        mask = full;
    } else if (mask.width() != source.width() || mask.height() != source.height()) {
        throw vxPel::SizeMismatch(L"Mask and image differ in size");
    }
    const Plan plan = makePlan(source.window(), angle, scale);
    const vxXform<2> clientFromImage = source.clientFromImageXform();
    const vxAffineSamplingParams params = samplingParams(plan, clientFromImage, interpolation);
    vxAffineSamplingParams maskParams = params;
    maskParams.interpolation(maskInterpolation);

    vxPelBuffer<Pel> image =
        turnOne(source, vxPoint<long>(0, 0), plan, params, source.clientFromImage());
    const vxPoint<long> shift(mask.offset().x() - source.offset().x(),
                              mask.offset().y() - source.offset().y());
    vxPelBuffer<Pel> turnedMask = turnOne(mask, shift, plan, maskParams, source.clientFromImage());
    vxPelMapTable binary;
    for (int v = 0; v < 256; ++v)
        binary[v] = v >= 128 ? 255 : 0;
    vfPelMap(turnedMask, binary, turnedMask);
    out = image;
    outMask = turnedMask;
}
