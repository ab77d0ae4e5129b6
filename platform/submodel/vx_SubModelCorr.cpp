// Pixel loops of the sub-model correlation: pattern and canvas preparation, integral
// images, and the score of every placement from exact integer sums.
#include "vx_SubModelCorr.h"

#include "vxAttention.h"
#include "vx_SubModelDefs.h"
#include "vx_SubModelKernel.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr long kMaxModelWidth = 65536;
constexpr long kMaxModelPixels = 1L << 24;
// Products a kernel call may compute between two polls of vxAttention::check.
constexpr long kProductsPerPoll = 1L << 21;

bool cares(unsigned char maskValue) {
    return maskValue >= 128;
}

// A bound mask that cares for every pixel of its window; such a mask is dropped, so
// that it costs no more than none.
bool caresEverywhere(const vxPelBuffer_const<unsigned char>& mask) {
    if (!mask.isBound()) return false;
    const vxPelRect& win = mask.window();
    for (long y = win.y(); y < win.lr().y(); ++y) {
        const unsigned char* row = mask.pointToPel(win.x(), y);
        if (!std::all_of(row, row + win.width(), cares)) return false;
    }
    return true;
}

vxPelBuffer_const<unsigned char> effective(const vxPelBuffer_const<unsigned char>& mask) {
    return caresEverywhere(mask) ? vxPelBuffer_const<unsigned char>() : mask;
}

// The integral image of a w x h array of the given stride: (w + 1) x (h + 1) sums of
// the pixels above and to the left.
std::vector<std::int64_t> integral(const std::int16_t* data, long stride, long w, long h) {
    std::vector<std::int64_t> sums(static_cast<size_t>((w + 1) * (h + 1)), 0);
    for (long y = 0; y < h; ++y) {
        std::int64_t row = 0;
        const std::int16_t* src = data + y * stride;
        const std::int64_t* above = sums.data() + y * (w + 1);
        std::int64_t* out = sums.data() + (y + 1) * (w + 1);
        for (long x = 0; x < w; ++x) {
            row += src[x];
            out[x + 1] = above[x + 1] + row;
        }
    }
    return sums;
}

// Sum over [x0, x1) x [y0, y1) of the integral image `sums` of width w.
std::int64_t boxSum(const std::vector<std::int64_t>& sums, long w, long x0, long y0, long x1,
                    long y1) {
    const std::int64_t* s = sums.data();
    const long n = w + 1;
    return s[y1 * n + x1] - s[y0 * n + x1] - s[y1 * n + x0] + s[y0 * n + x0];
}

struct Sums {
    std::int64_t n = 0, m = 0, mm = 0, i = 0, ii = 0, mi = 0;
};

double coefficient(const Sums& s) {
    if (s.n < 2) return 0.0;
    // Each product stays below 2^62 for the sizes the pattern accepts.
    const std::int64_t varM = s.n * s.mm - s.m * s.m;
    const std::int64_t varI = s.n * s.ii - s.i * s.i;
    const std::int64_t cov = s.n * s.mi - s.m * s.i;
    if (varM <= 0 || varI <= 0 || cov <= 0) return 0.0;
    return std::min(1.0, double(cov) / std::sqrt(double(varM) * double(varI)));
}

// The image side for one run: the image pixels under every placement, centred, with
// their squares and care flags, zero outside the image so that sums over a model's
// footprint cover the overlap only.
struct Canvas {
    long width = 0, height = 0, stride = 0;
    std::vector<std::int16_t> care, value, square;
    std::vector<std::int64_t> careSum, valueSum, squareSum;
};

Canvas makeCanvas(const vxPelBuffer_const<unsigned char>& image,
                  const vxPelBuffer_const<unsigned char>& mask, const vx_SubModelShifts& shifts,
                  long modelWidth, long modelHeight, long modelStride, bool integrals) {
    Canvas c;
    c.width = shifts.nx - 1 + modelWidth;
    c.height = shifts.ny - 1 + modelHeight;
    c.stride = shifts.nx - 1 + modelStride;
    const size_t size = static_cast<size_t>(c.stride * c.height);
    const bool masked = mask.isBound();
    c.value.assign(size, 0);
    c.square.assign(size, 0);
    if (masked) c.care.assign(size, 0);

    const vxPelRect& win = image.window();
    const long x0 = std::max(0L, -shifts.x0), x1 = std::min(c.width, win.width() - shifts.x0);
    const long y0 = std::max(0L, -shifts.y0), y1 = std::min(c.height, win.height() - shifts.y0);
    for (long y = y0; y < y1; ++y) {
        vxAttention::check();
        const long iy = win.y() + shifts.y0 + y, ix = win.x() + shifts.x0 + x0;
        const unsigned char* src = image.pointToPel(ix, iy);
        const unsigned char* msk = masked ? mask.pointToPel(ix, iy) : nullptr;
        std::int16_t* val = c.value.data() + y * c.stride;
        std::int16_t* sq = c.square.data() + y * c.stride;
        for (long x = x0; x < x1; ++x) {
            if (masked && !cares(msk[x - x0])) continue;
            const std::int16_t v = std::int16_t(src[x - x0] - 128);
            val[x] = v;
            sq[x] = std::int16_t(v * v);
            if (masked) c.care[y * c.stride + x] = 1;
        }
    }
    if (integrals) {
        c.valueSum = integral(c.value.data(), c.stride, c.width, c.height);
        c.squareSum = integral(c.square.data(), c.stride, c.width, c.height);
        if (masked) c.careSum = integral(c.care.data(), c.stride, c.width, c.height);
    }
    return c;
}

} // namespace

vx_SubModelPattern::vx_SubModelPattern(const vxPelBuffer_const<unsigned char>& image,
                                       const vxPelBuffer_const<unsigned char>& modelMask) {
    const vxPelBuffer_const<unsigned char> mask = effective(modelMask);
    const vxPelRect& win = image.window();
    if (win.width() > kMaxModelWidth || win.area() > kMaxModelPixels)
        throw vx_SubModelDefs::BadImage(L"The sub-model image is too large");
    width_ = win.width();
    height_ = win.height();
    stride_ = (width_ + vx_SubModelLanes - 1) / vx_SubModelLanes * vx_SubModelLanes;
    hasMask_ = mask.isBound();
    const size_t size = static_cast<size_t>(stride_ * height_);
    care_.assign(size, 0);
    value_.assign(size, 0);
    square_.assign(size, 0);
    for (long y = 0; y < height_; ++y) {
        const unsigned char* src = image.pointToPel(win.x(), win.y() + y);
        const unsigned char* msk = hasMask_ ? mask.pointToPel(win.x(), win.y() + y) : nullptr;
        for (long x = 0; x < width_; ++x) {
            if (hasMask_ && !cares(msk[x])) continue;
            const std::int16_t v = std::int16_t(src[x] - 128);
            const size_t at = static_cast<size_t>(y * stride_ + x);
            care_[at] = 1;
            value_[at] = v;
            square_[at] = std::int16_t(v * v);
        }
    }
    careSum_ = integral(care_.data(), stride_, width_, height_);
    valueSum_ = integral(value_.data(), stride_, width_, height_);
    squareSum_ = integral(square_.data(), stride_, width_, height_);
}

std::vector<double> vf_SubModelScores(const vx_SubModelPattern& p,
                                      const vxPelBuffer_const<unsigned char>& image,
                                      const vxPelBuffer_const<unsigned char>& imageMask,
                                      const vx_SubModelShifts& shifts) {
    std::vector<double> scores(static_cast<size_t>(shifts.nx * shifts.ny), 0.0);
    if (scores.empty()) return scores;
    const vxPelBuffer_const<unsigned char> mask = effective(imageMask);
    const bool masked = mask.isBound(), modelMask = p.hasMask_;
    // Integrals of the canvas serve the image-side sums only where the model counts
    // every pixel of its footprint.
    const Canvas c = makeCanvas(image, mask, shifts, p.width_, p.height_, p.stride_, !modelMask);

    // Dot products the integrals cannot give. Pair 0 is always the cross term.
    vx_SubModelDotJob jobs[6];
    int pairs = 0;
    auto pair = [&](const std::vector<std::int16_t>& m, const std::vector<std::int16_t>& i) {
        jobs[pairs++] = {m.data(), i.data(), p.stride_, c.stride};
    };
    pair(p.value_, c.value);
    if (modelMask) {
        pair(p.care_, c.value);
        pair(p.care_, c.square);
    }
    if (masked) {
        if (modelMask) pair(p.care_, c.care);
        pair(p.value_, c.care);
        pair(p.square_, c.care);
    }

    const vxPelRect& win = image.window();
    std::vector<std::int64_t> dots(static_cast<size_t>(shifts.nx * pairs));
    auto dot = [&](int k, long i) { return dots[size_t(k * shifts.nx + i)]; };
    for (long j = 0; j < shifts.ny; ++j) {
        const long dy = shifts.y0 + j;
        const long v0 = std::max(0L, -dy), v1 = std::min(p.height_, win.height() - dy);
        if (v1 <= v0) continue;
        const long batch = std::max(1L, kProductsPerPoll / ((v1 - v0) * p.stride_));
        for (int k = 0; k < pairs; ++k)
            for (long i0 = 0; i0 < shifts.nx; i0 += batch) {
                vxAttention::check();
                const long count = std::min(batch, shifts.nx - i0);
                vf_SubModelDots(jobs[k], i0, j, count, v0, v1, dots.data() + k * shifts.nx + i0);
            }
        for (long i = 0; i < shifts.nx; ++i) {
            const long dx = shifts.x0 + i;
            const long u0 = std::max(0L, -dx), u1 = std::min(p.width_, win.width() - dx);
            if (u1 <= u0) continue;
            Sums s;
            s.mi = dot(0, i);
            int k = 1;
            if (modelMask) {
                s.i = dot(k++, i);
                s.ii = dot(k++, i);
            } else {
                s.i = boxSum(c.valueSum, c.width, i, j, i + p.width_, j + p.height_);
                s.ii = boxSum(c.squareSum, c.width, i, j, i + p.width_, j + p.height_);
            }
            if (!masked) {
                s.n = boxSum(p.careSum_, p.width_, u0, v0, u1, v1);
                s.m = boxSum(p.valueSum_, p.width_, u0, v0, u1, v1);
                s.mm = boxSum(p.squareSum_, p.width_, u0, v0, u1, v1);
            } else {
                s.n = modelMask ? dot(k++, i)
                                : boxSum(c.careSum, c.width, i, j, i + p.width_, j + p.height_);
                s.m = dot(k++, i);
                s.mm = dot(k++, i);
            }
            scores[static_cast<size_t>(j * shifts.nx + i)] = coefficient(s);
        }
    }
    return scores;
}
