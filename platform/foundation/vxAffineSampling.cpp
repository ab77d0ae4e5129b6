// Affine sampling: parameter checks and the sample-position walk first, then the row
// loops (one per interpolation, inlined through a sampler type).
//
// Sample positions are walked along each output row in 32.32 fixed point, relative to
// the source root's upper-left pixel centre: the integer part is a pixel index, the
// top bits of the fraction pick interpolation weights. The start of each row is
// computed afresh in double, so rounding never accumulates across rows.
#include "vxAffineSampling.h"

#include "vxAttention.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

using Pel = unsigned char;
using Fixed = std::int64_t;

constexpr int kFracBits = 32;
constexpr double kOne = 4294967296.0; // 2^32
// Sample positions must stay within this many pixels of the root, so that 32.32
// fixed point never overflows.
constexpr double kMaxPosition = 1073741824.0; // 2^30
// A position this close to a whole number counts as whole.
constexpr double kWholeTol = 1e-6;

const vx_Instantiator sBadParamsExemplar(typeid(vxAffineSamplingParams::BadParams),
                                         &vxAffineSamplingParams::BadParams::make);

bool isWhole(double v) {
    return std::fabs(v - std::round(v)) <= kWholeTol;
}

// The source root reduced to what the loops need.
struct Source {
    const Pel* origin; // the root's upper-left pixel
    long stride;
    long w, h;
};

// Sample positions in pixel-index coordinates of the root: output pixel (i, j) samples
// at start + i * stepX + j * stepY.
struct Walk {
    vxVector<2> start, stepX, stepY;
};

Walk makeWalk(const vxXform<2>& imageFromSample, const vxPelRect& root) {
    const vxMatrix<2>& m = imageFromSample.matrix();
    const vxVector<2> corner = imageFromSample.mapPoint(vxVector<2>(0.5, 0.5));
    return Walk{corner - vxVector<2>(0.5 + root.x(), 0.5 + root.y()), vxVector<2>(m(0, 0), m(1, 0)),
                vxVector<2>(m(0, 1), m(1, 1))};
}

// ---- samplers: one value at a fixed-point position, clamped to the root ----

long clampIndex(Fixed i, long n) {
    return i < 0 ? 0 : (i >= n ? n - 1 : static_cast<long>(i));
}

struct Nearest {
    static Pel sample(const Source& s, Fixed u, Fixed v) {
        const Fixed half = Fixed(1) << (kFracBits - 1);
        const long x = clampIndex((u + half) >> kFracBits, s.w);
        const long y = clampIndex((v + half) >> kFracBits, s.h);
        return s.origin[y * s.stride + x];
    }
};

struct Bilinear {
    static constexpr int kBits = 10; // weight resolution: 1/1024 pixel
    static Pel sample(const Source& s, Fixed u, Fixed v) {
        const Fixed xi = u >> kFracBits, yi = v >> kFracBits;
        const int fx = static_cast<int>((u >> (kFracBits - kBits)) & ((1 << kBits) - 1));
        const int fy = static_cast<int>((v >> (kFracBits - kBits)) & ((1 << kBits) - 1));
        long x0, x1, y0, y1;
        if (static_cast<std::uint64_t>(xi) < static_cast<std::uint64_t>(s.w - 1) &&
            static_cast<std::uint64_t>(yi) < static_cast<std::uint64_t>(s.h - 1)) {
            x0 = static_cast<long>(xi), y0 = static_cast<long>(yi);
            x1 = x0 + 1, y1 = y0 + 1;
        } else {
            x0 = clampIndex(xi, s.w), x1 = clampIndex(xi + 1, s.w);
            y0 = clampIndex(yi, s.h), y1 = clampIndex(yi + 1, s.h);
        }
        const Pel* r0 = s.origin + y0 * s.stride;
        const Pel* r1 = s.origin + y1 * s.stride;
        const int top = (r0[x0] << kBits) + (r0[x1] - r0[x0]) * fx;
        const int bottom = (r1[x0] << kBits) + (r1[x1] - r1[x0]) * fx;
        const int round = 1 << (2 * kBits - 1);
        return static_cast<Pel>(((top << kBits) + (bottom - top) * fy + round) >> (2 * kBits));
    }
};

struct Bicubic {
    static constexpr int kBits = 10; // 1024 phases between pixel centres
    using Weights = std::array<std::array<float, 4>, (1 << kBits)>;

    // Cubic convolution with a = -0.5: weights of the pixels at -1, 0, 1, 2 from the
    // one left of the point, for each phase t in [0, 1).
    static const Weights& weights() {
        static const Weights table = [] {
            Weights w{};
            auto kernel = [](double d) {
                d = std::fabs(d);
                if (d < 1.0) return (1.5 * d - 2.5) * d * d + 1.0;
                if (d < 2.0) return ((-0.5 * d + 2.5) * d - 4.0) * d + 2.0;
                return 0.0;
            };
            for (int p = 0; p < (1 << kBits); ++p) {
                const double t = p / double(1 << kBits);
                for (int k = 0; k < 4; ++k)
                    w[p][k] = static_cast<float>(kernel(t - (k - 1)));
            }
            return w;
        }();
        return table;
    }

    static Pel sample(const Source& s, Fixed u, Fixed v) {
        const Weights& table = weights();
        const Fixed xi = u >> kFracBits, yi = v >> kFracBits;
        const auto& wx = table[(u >> (kFracBits - kBits)) & ((1 << kBits) - 1)];
        const auto& wy = table[(v >> (kFracBits - kBits)) & ((1 << kBits) - 1)];
        long xs[4], ys[4];
        if (s.w > 3 && s.h > 3 &&
            static_cast<std::uint64_t>(xi - 1) < static_cast<std::uint64_t>(s.w - 3) &&
            static_cast<std::uint64_t>(yi - 1) < static_cast<std::uint64_t>(s.h - 3)) {
            for (int k = 0; k < 4; ++k) {
                xs[k] = static_cast<long>(xi) + k - 1;
                ys[k] = static_cast<long>(yi) + k - 1;
            }
        } else {
            for (int k = 0; k < 4; ++k) {
                xs[k] = clampIndex(xi + k - 1, s.w);
                ys[k] = clampIndex(yi + k - 1, s.h);
            }
        }
        float sum = 0.0f;
        for (int r = 0; r < 4; ++r) {
            const Pel* row = s.origin + ys[r] * s.stride;
            sum += wy[r] * (wx[0] * row[xs[0]] + wx[1] * row[xs[1]] + wx[2] * row[xs[2]] +
                            wx[3] * row[xs[3]]);
        }
        const int value = static_cast<int>(sum + 0.5f);
        return static_cast<Pel>(value < 0 ? 0 : (value > 255 ? 255 : value));
    }
};

// ---- row loops ----

Fixed toFixed(double v) {
    return static_cast<Fixed>(std::llround(v * kOne));
}

template <class Sampler>
void sampleRows(const Source& s, const Walk& walk, Pel* out, long outStride, long w, long h) {
    const Fixed du = w > 1 ? toFixed(walk.stepX.x()) : 0;
    const Fixed dv = w > 1 ? toFixed(walk.stepX.y()) : 0;
    for (long j = 0; j < h; ++j) {
        vxAttention::check();
        const vxVector<2> start = walk.start + double(j) * walk.stepY;
        Fixed u = toFixed(start.x()), v = toFixed(start.y());
        Pel* row = out + j * outStride;
        for (long i = 0; i < w; ++i, u += du, v += dv)
            row[i] = Sampler::sample(s, u, v);
    }
}

void copyRows(const Source& s, long x, long y, Pel* out, long outStride, long w, long h) {
    for (long j = 0; j < h; ++j)
        std::memcpy(out + j * outStride, s.origin + (y + j) * s.stride + x, static_cast<size_t>(w));
}

// ---- checks ----

bool isFinite(const vxVector<2>& v) {
    return std::isfinite(v.x()) && std::isfinite(v.y());
}

void checkRect(const vxAffineRectangle& r) {
    if (!isFinite(r.cornerPo()) || !isFinite(r.cornerPx()) || !isFinite(r.cornerPy()))
        throw vxAffineSamplingParams::BadParams(L"Affine sampling rectangle is not finite");
}

void checkSize(long width, long height) {
    if (width < 0 || height < 0)
        throw vxAffineSamplingParams::BadParams(L"Affine sampling size is negative");
}

void checkInterpolation(vxAffineSamplingParams::Interpolation i) {
    if (i != vxAffineSamplingParams::eNearestNeighbor && i != vxAffineSamplingParams::eBilinear &&
        i != vxAffineSamplingParams::eBicubic)
        throw vxAffineSamplingParams::BadParams(L"Unknown affine sampling interpolation");
}

// The range of one coordinate over the four corner samples of the output grid.
struct Span {
    double lo, hi;
    bool whole; // every sample position of this coordinate is a whole number
};

Span spanOf(double start, double stepX, double stepY, long w, long h) {
    const double ex = stepX * double(w - 1), ey = stepY * double(h - 1);
    const double c[4] = {start, start + ex, start + ey, start + ex + ey};
    Span s{c[0], c[0], isWhole(start) && isWhole(stepX) && isWhole(stepY)};
    for (double v : c) {
        s.lo = std::min(s.lo, v);
        s.hi = std::max(s.hi, v);
    }
    return s;
}

// Whether the footprints of positions in `s` stay within pixel indices 0 to n - 1.
bool spanInside(const Span& s, long n, vxAffineSamplingParams::Interpolation interp) {
    switch (interp) {
    case vxAffineSamplingParams::eNearestNeighbor:
        return std::floor(s.lo + 0.5) >= 0.0 && std::floor(s.hi + 0.5) <= double(n - 1);
    case vxAffineSamplingParams::eBilinear:
        return s.lo >= -kWholeTol && s.hi <= double(n - 1) + kWholeTol;
    case vxAffineSamplingParams::eBicubic:
        if (s.whole) return s.lo >= -kWholeTol && s.hi <= double(n - 1) + kWholeTol;
        return s.lo >= 1.0 - kWholeTol && s.hi <= double(n - 2) + kWholeTol;
    }
    return false;
}

} // namespace

vxPersistent* vxAffineSamplingParams::BadParams::make() {
    return new BadParams;
}

vxAffineSamplingParams::vxAffineSamplingParams(const vxAffineRectangle& rect, long width,
                                               long height, Interpolation interpolation) {
    checkRect(rect);
    checkSize(width, height);
    checkInterpolation(interpolation);
    rect_ = rect;
    width_ = width;
    height_ = height;
    interpolation_ = interpolation;
}

void vxAffineSamplingParams::affineRectangle(const vxAffineRectangle& rect) {
    checkRect(rect);
    rect_ = rect;
}

void vxAffineSamplingParams::size(long width, long height) {
    checkSize(width, height);
    width_ = width;
    height_ = height;
}

void vxAffineSamplingParams::interpolation(Interpolation interpolation) {
    checkInterpolation(interpolation);
    interpolation_ = interpolation;
}

vxXform<2> vxAffineSamplingParams::clientFromSample() const {
    const double sx = 1.0 / double(width_ > 0 ? width_ : 1);
    const double sy = 1.0 / double(height_ > 0 ? height_ : 1);
    return rect_.affRectFromUnitSq() * vxXform<2>(vxMatrix<2>::scaling(sx, sy), vxVector<2>());
}

bool vxAffineSamplingParams::willClip(const vx_PelBuffer& src) const {
    if (width_ == 0 || height_ == 0) return false;
    if (!src.isBound() || src.rootWindow().isNull()) return true;
    const Walk walk = makeWalk(src.imageFromClientXform() * clientFromSample(), src.rootWindow());
    const Span x = spanOf(walk.start.x(), walk.stepX.x(), walk.stepY.x(), width_, height_);
    const Span y = spanOf(walk.start.y(), walk.stepX.y(), walk.stepY.y(), width_, height_);
    return !spanInside(x, src.rootWindow().width(), interpolation_) ||
           !spanInside(y, src.rootWindow().height(), interpolation_);
}

vxPelBuffer<unsigned char> vfAffineTransformImage(const vxPelBuffer_const<unsigned char>& src,
                                                  const vxAffineSamplingParams& params) {
    if (!src.isBound()) throw vxPel::UnboundWindow();
    const long w = params.width(), h = params.height();
    const vxXform<2> clientFromSample = params.clientFromSample();
    const vxPelRect root = src.rootWindow();
    const Walk walk = makeWalk(src.imageFromClientXform() * clientFromSample, root);

    // Checked before the output is allocated: far-flung samples usually come with a
    // huge sample count.
    if (w > 0 && h > 0) {
        if (root.isNull()) throw vxPel::BadArgument(L"Affine sampling of an image without pixels");
        const Span xs = spanOf(walk.start.x(), walk.stepX.x(), walk.stepY.x(), w, h);
        const Span ys = spanOf(walk.start.y(), walk.stepX.y(), walk.stepY.y(), w, h);
        if (!(std::fabs(xs.lo) < kMaxPosition && std::fabs(xs.hi) < kMaxPosition &&
              std::fabs(ys.lo) < kMaxPosition && std::fabs(ys.hi) < kMaxPosition))
            throw vxPel::BadArgument(L"Affine sampling positions lie too far from the image");
    }
    vxPelBuffer<unsigned char> out(vxPelRect(0, 0, w, h));
    out.clientFromImageXform(clientFromSample);
    if (w == 0 || h == 0) return out;

    const Source s{src.pointToPel(root.x(), root.y()), src.rowUpdate(), root.width(),
                   root.height()};
    Pel* o = out.pointToPel(0, 0);
    const long os = out.rowUpdate();

    // Unit steps onto pixel centres, entirely inside the root: every interpolation
    // reproduces the pixels, so copy them.
    const bool unitSteps = vfRealEq(walk.stepX, vxVector<2>(1.0, 0.0), 1e-12) &&
                           vfRealEq(walk.stepY, vxVector<2>(0.0, 1.0), 1e-12);
    if (unitSteps && isWhole(walk.start.x()) && isWhole(walk.start.y())) {
        const long x = std::lround(walk.start.x()), y = std::lround(walk.start.y());
        if (x >= 0 && y >= 0 && x + w <= s.w && y + h <= s.h) {
            vxAttention::check();
            copyRows(s, x, y, o, os, w, h);
            return out;
        }
    }
    switch (params.interpolation()) {
    case vxAffineSamplingParams::eNearestNeighbor:
        sampleRows<Nearest>(s, walk, o, os, w, h);
        break;
    case vxAffineSamplingParams::eBilinear:
        sampleRows<Bilinear>(s, walk, o, os, w, h);
        break;
    case vxAffineSamplingParams::eBicubic:
        sampleRows<Bicubic>(s, walk, o, os, w, h);
        break;
    }
    return out;
}

void vfAffineTransformImage(const vxPelBuffer_const<unsigned char>& src,
                            const vxAffineSamplingParams& params, vxPelBuffer<unsigned char>& dst) {
    dst = vfAffineTransformImage(src, params);
}
