// Argument checking and pyramid set-up of the normalized-correlation search.
#include "vxNrcSearchModel.h"

#include "vx_NrcCoarseToFine.h"

#include <algorithm>
#include <cmath>

namespace {

using Defs = vxNrcSearchDefs;

// Row sums of the exact scores are 32-bit (see vf_nrcScoreAt) and the final products
// must stay exact in long double: hence the size limits.
constexpr long kMaxSide = 32767;
constexpr long kMaxArea = 1L << 23;
// Reduction stops before the template's shorter side would fall below this.
constexpr long kMinCoarseSide = 8;
constexpr size_t kMaxLevels = 6;

} // namespace

void vxNrcSearchModel::train(const vxPelBuffer_const<unsigned char>& image,
                             const vxNrcSearchTrainParams& params) {
    if (!image.isBound()) throw vxPel::UnboundWindow();
    const vxPelRect w = image.window();
    if (w.isNull()) throw Defs::BadTrainImage(L"Training window is empty");
    if (w.width() > kMaxSide || w.height() > kMaxSide || w.width() * w.height() > kMaxArea)
        throw Defs::BadTrainImage(L"Training window is too large");
    const vxVector<2> origin =
        image.imageFromClient()->mapPoint(vxVector<2>(0.0, 0.0)) - vxVector<2>(w.ul());

    std::vector<vx_NrcTemplate> levels;
    levels.push_back(vf_nrcTemplate(vf_nrcCopy(image, w)));
    if (levels[0].spread <= 0) throw Defs::BadTrainImage(L"Training image is flat");
    if (params.algorithms() & Defs::eCoarseToFine) {
        while (levels.size() < kMaxLevels) {
            const vx_NrcPlane& last = levels.back().plane;
            if (std::min(last.width, last.height) / 2 < kMinCoarseSide) break;
            vx_NrcTemplate next = vf_nrcTemplate(vf_nrcReduce(last));
            if (next.spread <= 0) break; // averaged flat: no use as a coarse template
            levels.push_back(std::move(next));
        }
    }

    params_ = params;
    levels_ = std::move(levels);
    origin_ = origin;
}

void vxNrcSearchModel::run(const vxPelBuffer_const<unsigned char>& image,
                           const vxNrcSearchRunParams& params,
                           vxNrcSearchResultSet& results) const {
    run(image, vxPelRect(), params, results);
}

void vxNrcSearchModel::run(const vxPelBuffer_const<unsigned char>& image, const vxPelRect& window,
                           const vxNrcSearchRunParams& params,
                           vxNrcSearchResultSet& results) const {
    if (!isTrained()) throw Defs::NotTrained(L"Search model is not trained");
    if ((params_.algorithms() & params.algorithm()) == 0)
        throw Defs::NotTrained(L"Search model is not trained for the algorithm");
    if (params.confusion() < params.accept())
        throw Defs::BadParams(L"Confusion must not be below accept");
    if (!image.isBound()) throw vxPel::UnboundWindow();

    const long tw = width(), th = height();
    vxPelRect region = image.window();
    if (window.width() >= tw && window.height() >= th) region = region.intersect(window);
    std::vector<vxNrcSearchResult> out;
    if (region.width() >= tw && region.height() >= th) {
        const size_t levels = params.algorithm() == Defs::eExhaustive ? 1 : levels_.size();
        std::vector<vx_NrcPlane> planes;
        planes.push_back(vf_nrcCopy(image, region));
        while (planes.size() < levels) {
            vx_NrcPlane next = vf_nrcReduce(planes.back());
            const vx_NrcPlane& t = levels_[planes.size()].plane;
            if (next.width < t.width || next.height < t.height) break;
            planes.push_back(std::move(next));
        }

        // The search works on r itself (its coarse-level relief and sub-pixel fit are
        // tuned for r); reported scores and the thresholds are r squared.
        vx_NrcSettings s;
        s.accept = std::sqrt(params.accept());
        s.confusion = std::sqrt(params.confusion());
        s.maxResults = params.maxNumResults();
        s.xyOverlap = params.xyOverlap();
        s.accuracy = std::min(params.accuracy(), params_.accuracy());
        const std::vector<vx_NrcMatch> matches =
            vf_nrcCoarseToFine(planes, std::span(levels_.data(), planes.size()), s);

        const vxPtrHandle_const<vx2XformBase> clientFromImage = image.clientFromImage();
        for (const vx_NrcMatch& m : matches) {
            const vxVector<2> corner(double(region.x()) + m.x, double(region.y()) + m.y);
            out.emplace_back(clientFromImage->mapPoint(corner + origin_), corner,
                             m.score * m.score);
        }
    }
    results.results(std::move(out));
}
