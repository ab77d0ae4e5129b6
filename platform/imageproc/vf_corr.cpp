// Correlation core: argument checks, set-up and the placement loops. The pixel loops
// are in vf_corrPoint.cpp.
#include "vf_corr.h"

#include "vxAttention.h"

#include <algorithm>
#include <cmath>

namespace {

void checkMode(int mode) {
    if (mode != vx_CorrDefs::eClamped && mode != vx_CorrDefs::eSquared &&
        mode != vx_CorrDefs::eSigned)
        throw vx_CorrDefs::BadArgument(L"Correlation score mode must be 0, 1 or 2");
}

// r at a placement given relative to the window's upper-left pixel.
double correlationAt(const vx_CorrSpace& s, long dx, long dy) {
    if (s.model.nCarePels() == 0) return 0.0; // also keeps an empty model off the pixels
    const vxPoint<long> o = s.image.offset();
    const unsigned char* p = s.image.pointToPel(o.x() + dx, o.y() + dy);
    const long stride = s.image.rowUpdate();
    if (s.model.hasMask()) return vf_corr_pointMasked(s.model, p, stride);
    const long w = s.capacityWidth + 1, x1 = dx + s.model.width(), y1 = dy + s.model.height();
    auto box = [&](const std::vector<std::int64_t>& t) {
        return t[y1 * w + x1] - t[y1 * w + dx] - t[dy * w + x1] + t[dy * w + dx];
    };
    return vf_corr_point(s.model, p, stride, box(s.sum), box(s.sumSq));
}

} // namespace

void vf_corr_alloc_space(vx_CorrSpace& space, long width, long height) {
    if (width < 0 || height < 0)
        throw vx_CorrDefs::BadArgument(L"Correlation space size must not be negative");
    if (width <= space.capacityWidth && height <= space.capacityHeight) return;
    const long w = std::max(width, space.capacityWidth);
    const long h = std::max(height, space.capacityHeight);
    const size_t n = static_cast<size_t>((w + 1) * (h + 1));
    std::vector<std::int64_t> sum(n), sumSq(n);
    space.sum.swap(sum);
    space.sumSq.swap(sumSq);
    space.capacityWidth = w;
    space.capacityHeight = h;
    space.initialised = false; // the old sums are gone
}

void vf_corr_init(vx_CorrSpace& space, const vx_CorrelationModel<unsigned char>& model,
                  const vxPelBuffer_const<unsigned char>& image, int mode) {
    checkMode(mode);
    if (!image.isBound()) throw vxPel::UnboundWindow();
    vf_corr_alloc_space(space, image.width(), image.height());
    space.initialised = false;
    space.model = model;
    space.image = image;
    space.mode = mode;
    space.nx = std::max(0L, image.width() - model.width() + 1);
    space.ny = std::max(0L, image.height() - model.height() + 1);
    if (!model.hasMask() && space.nx > 0 && space.ny > 0) vf_corr_fillRunningSums_(space);
    space.initialised = true;
}

vx_CSResult vf_corr_score(const vx_CorrSpace& space, long x, long y) {
    if (!space.initialised) throw vx_CorrDefs::BadArgument(L"Correlation space is not initialised");
    const vxPoint<long> o = space.image.offset();
    const long dx = x - o.x(), dy = y - o.y();
    if (dx < 0 || dy < 0 || dx >= space.nx || dy >= space.ny)
        throw vx_CorrDefs::BadArgument(L"Correlation placement leaves the image window");
    return {x, y, vf_corr_scoreOf(correlationAt(space, dx, dy), space.mode)};
}

void vf_corr_scoreAll(const vx_CorrSpace& space, std::vector<vx_CSResult>& results) {
    if (!space.initialised) throw vx_CorrDefs::BadArgument(L"Correlation space is not initialised");
    std::vector<vx_CSResult> out;
    out.reserve(static_cast<size_t>(space.nx * space.ny));
    const vxPoint<long> o = space.image.offset();
    for (long dy = 0; dy < space.ny; ++dy) {
        vxAttention::check();
        for (long dx = 0; dx < space.nx; ++dx)
            out.push_back({o.x() + dx, o.y() + dy,
                           vf_corr_scoreOf(correlationAt(space, dx, dy), space.mode)});
    }
    results.swap(out);
}

short vf_corr_scoreOf(double r, int mode) {
    r = std::clamp(r, -1.0, 1.0);
    double v = r;
    if (mode == vx_CorrDefs::eClamped) v = std::max(r, 0.0);
    if (mode == vx_CorrDefs::eSquared) v = r > 0.0 ? r * r : 0.0;
    return static_cast<short>(std::lround(v * vx_CorrDefs::kScoreOne));
}
