// Normalized-correlation search: a template trained from an image window and found
// again, by translation only, in other images.
//
// A run scores placements of the template by the square of their normalized
// correlation r (see vxNrcSearchResult::score); accept and confusion apply to that
// score. Coarse-to-fine runs score every placement of a reduced template over a
// reduced image (2 x 2 averaging, repeated while the template keeps at least 8 pixels
// a side), keep the best local peaks, follow each down level by level in a small
// neighbourhood, score it exactly at full resolution and fit its sub-pixel place;
// exhaustive runs score every placement at full resolution. Runs are const and keep
// their working state local, so one model may run on several threads.
#pragma once

#include "vxNrcSearchParams.h"
#include "vxNrcSearchResult.h"
#include "vxPelBuffer.h"
#include "vx_NrcKernels.h"

#include <vector>

class vxNrcSearchModel {
public:
    // Untrained.
    vxNrcSearchModel() = default;

    // Makes the pixels of image's window the template (a copy). Throws
    // vxPel::UnboundWindow for an unbound image; vxNrcSearchDefs::BadTrainImage for an
    // empty window, one wider or higher than 32767 pixels or larger than 2^23 pixels,
    // or one whose pixels are all equal; vxGeomDefs::Singular when image's
    // client-from-image transform has no inverse. The model is unchanged when it throws.
    void train(const vxPelBuffer_const<unsigned char>& image, const vxNrcSearchTrainParams& params);

    bool isTrained() const { return !levels_.empty(); }
    const vxNrcSearchTrainParams& trainParams() const { return params_; }
    // The template's size in pixels (0 when untrained).
    long width() const { return isTrained() ? levels_[0].plane.width : 0; }
    long height() const { return isTrained() ? levels_[0].plane.height : 0; }
    // The training image's client origin relative to the template's upper-left corner,
    // in training image pixels: what a result's location reports.
    const vxVector<2>& origin() const { return origin_; }
    // Pyramid levels trained, full resolution included (0 when untrained).
    long numLevels() const { return static_cast<long>(levels_.size()); }

    // Finds the template in image's window; results replaces the results of `results`.
    // Throws vxNrcSearchDefs::NotTrained when the model is untrained or not trained for
    // params' algorithm, vxNrcSearchDefs::BadParams when params' confusion is below its
    // accept, vxPel::UnboundWindow for an unbound image, and what vxAttention::check
    // throws; `results` is unchanged when it throws.
    void run(const vxPelBuffer_const<unsigned char>& image, const vxNrcSearchRunParams& params,
             vxNrcSearchResultSet& results) const;
    // The same, looking only where the template lies wholly inside `window` (image
    // coordinates) as well as inside image's window. A window narrower or lower than
    // the template (a null or one-pixel window, say) restricts nothing.
    void run(const vxPelBuffer_const<unsigned char>& image, const vxPelRect& window,
             const vxNrcSearchRunParams& params, vxNrcSearchResultSet& results) const;

private:
    vxNrcSearchTrainParams params_;
    std::vector<vx_NrcTemplate> levels_; // index 0: full resolution
    vxVector<2> origin_;
};
