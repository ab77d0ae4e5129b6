// Granularity settings and training of alignment patterns.
#include "vxKSAlignPattern.h"

#include "vxPelOps.h"
#include "vx_KSModel.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMaxLevel = 5;
constexpr std::size_t kFineFeatures = 256;  // enough for sub-pixel accuracy
constexpr std::size_t kCoarseFeatures = 64; // the top level's cost grows with this
constexpr long kMinFineFeatures = 8;
constexpr long kMinTopFeatures = 16;
constexpr double kMinTopSize = 5.5; // pixels across the pattern at the top level

int levelOf(double grain) {
    return std::clamp(static_cast<int>(std::lround(std::log2(grain))), 0, kMaxLevel);
}

// Marks the pixels of a w x h plane within 2 pixels of any feature (origin in pixels).
void markNearEdges(const vx_KSLevel& level, const vxVector<2>& origin, long w, long h,
                   vx_KSPlane& out) {
    out.w = w;
    out.h = h;
    out.pix.assign(static_cast<std::size_t>(w * h), 0);
    for (const vx_KSFeature& f : level.features) {
        const double x = f.x + origin.x(), y = f.y + origin.y();
        for (long j = static_cast<long>(std::floor(y - 2)); j <= static_cast<long>(y + 2); ++j)
            for (long i = static_cast<long>(std::floor(x - 2)); i <= static_cast<long>(x + 2);
                 ++i) {
                if (i < 0 || j < 0 || i >= w || j >= h) continue;
                const double ex = i + 0.5 - x, ey = j + 0.5 - y;
                if (ex * ex + ey * ey <= 4.0) out.pix[j * w + i] = 1;
            }
    }
}

} // namespace

vx_KSPattern::vx_KSPattern() = default;
vx_KSPattern::~vx_KSPattern() = default;
vx_KSPattern::vx_KSPattern(const vx_KSPattern&) = default;
vx_KSPattern& vx_KSPattern::operator=(const vx_KSPattern&) = default;

void vx_KSPattern::grainLimits(double coarse, double fine) {
    const auto inRange = [](double g) { return g >= 1.0 && g <= 32.0; };
    if (!inRange(coarse) || !inRange(fine))
        throw vx_KSDefs::BadParams(L"Grain limits must lie from 1 to 32");
    coarse_ = std::max(coarse, fine);
    fine_ = std::min(coarse, fine);
    auto_ = false;
}

int vx_KSPattern::coarseLevel() const {
    return model_ ? model_->top : 0;
}

int vx_KSPattern::fineLevel() const {
    return model_ ? model_->fine : 0;
}

long vx_KSPattern::numFeatures(int level) const {
    if (!model_ || level < 0 || level >= static_cast<int>(model_->levels.size())) return 0;
    return static_cast<long>(model_->levels[level].features.size());
}

void vxKSAlignPattern::train(const vxPelBuffer_const<unsigned char>& image, long mode,
                             vxDiagObject*, unsigned long) {
    if (!image.isBound() || image.width() <= 0 || image.height() <= 0)
        throw vx_KSDefs::BadImage(L"Training image is unbound or empty");
    if (mode < vx_KSDefs::eTrainSearch || mode > vx_KSDefs::eTrainAll)
        throw vx_KSDefs::BadParams(L"Unknown train mode");

    vxPelBuffer_const<unsigned char> copy = vfPelCopy(image);
    const vxPelRect window = copy.window();
    const long w = window.width(), h = window.height();
    const int fine = auto_ ? 0 : levelOf(fine_);
    int maxLevel = auto_ ? kMaxLevel : levelOf(coarse_);
    if (!(mode & vx_KSDefs::eTrainSearch)) maxLevel = fine;

    auto model = std::make_shared<vx_KSModel>();
    model->window = window;
    model->origin = vxVector<2>(window.x() + 0.5 * w, window.y() + 0.5 * h);
    model->fine = fine;
    model->levels.resize(static_cast<std::size_t>(maxLevel) + 1);

    // Pyramid of the window with its border pixels repeated outwards, so that edges
    // near the window's border keep their neighbourhood at coarse levels. Features are
    // relative to the window's centre and kept only inside the window.
    const long pad = std::max(8L, 1L << maxLevel);
    vx_KSPlane plane, half;
    plane.w = w + 2 * pad;
    plane.h = h + 2 * pad;
    plane.pix.resize(static_cast<std::size_t>(plane.w * plane.h));
    for (long y = 0; y < plane.h; ++y) {
        const unsigned char* row =
            copy.pointToPel(window.x(), window.y() + std::clamp(y - pad, 0L, h - 1));
        for (long x = 0; x < plane.w; ++x)
            plane.pix[y * plane.w + x] = row[std::clamp(x - pad, 0L, w - 1)];
    }
    vx_KSGradient grad;
    // The noise is measured at the fine level: at coarse levels the character covers
    // most of the window and its edges would pass for noise. Each halving averages four
    // pixels, which halves independent noise.
    double noise = 0.0;
    for (int L = 0; L <= maxLevel; ++L) {
        if (L > 0) {
            vf_KSHalve(plane.data(), plane.w, plane.w, plane.h, half);
            std::swap(plane, half);
        }
        const double unit = std::ldexp(1.0, L);
        if (w / unit < 2.0 || h / unit < 2.0) break;
        if (L < fine) continue;
        vf_KSSobel(plane.data(), plane.w, plane.w, plane.h, grad);
        const vxVector<2> halfSize(0.5 * w / unit, 0.5 * h / unit);
        const vxVector<2> origin = halfSize + vxVector<2>(pad / unit, pad / unit);
        noise = L == fine ? vf_KSGradientNoise(grad, origin, halfSize) : 0.5 * noise;
        model->levels[L] = vf_KSExtractFeatures(
            grad, origin, halfSize, L == fine ? kFineFeatures : kCoarseFeatures, noise);
        if (L == fine)
            markNearEdges(model->levels[L], halfSize, static_cast<long>(w / unit),
                          static_cast<long>(h / unit), model->nearEdge);
    }
    if (static_cast<long>(model->levels[fine].features.size()) < kMinFineFeatures)
        throw vx_KSDefs::TooFewFeatures();
    {
        const double unit = std::ldexp(1.0, fine);
        double x0 = 0.0, y0 = 0.0, x1 = 0.0, y1 = 0.0;
        bool first = true;
        for (const vx_KSFeature& f : model->levels[fine].features) {
            const double x = model->origin.x() + unit * f.x, y = model->origin.y() + unit * f.y;
            x0 = first ? x : std::min(x0, x);
            y0 = first ? y : std::min(y0, y);
            x1 = first ? x : std::max(x1, x);
            y1 = first ? y : std::max(y1, y);
            first = false;
        }
        model->inkBox = vxRect(x0 - 1.0, y0 - 1.0, x1 - x0 + 2.0, y1 - y0 + 2.0);
    }

    // The coarsest level that keeps enough of the pattern; thin or small patterns fall
    // back to finer levels.
    model->top = fine;
    for (int L = maxLevel; L > fine; --L) {
        const double across = std::min(w, h) / std::ldexp(1.0, L);
        if (across >= kMinTopSize &&
            static_cast<long>(model->levels[L].features.size()) >= kMinTopFeatures) {
            model->top = L;
            break;
        }
    }
    for (int L = model->top + 1; L <= maxLevel; ++L)
        model->levels[L] = vx_KSLevel();
    model->levels.resize(static_cast<std::size_t>(model->top) + 1);
    model->refine = (mode & vx_KSDefs::eTrainFine) != 0;

    model_ = std::move(model);
    trainImage_ = copy;
}
