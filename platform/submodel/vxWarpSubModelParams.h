// Training and run parameters of the correlation sub-model tool. Every setter checks
// its value first and leaves the object unchanged when it throws.
#pragma once

#include "vxRect.h"
#include "vxVector.h"

class vxWarpSubModelCorTrainParams {
public:
    // coarseGrainLimit 1, zoneAllowed 0.
    vxWarpSubModelCorTrainParams() = default;

    // The coarsest sampling grain, in pixels, that the search may use for its coarse
    // step. The search always correlates every pixel at every placement (grain 1),
    // which every limit of 1 or more allows. Throws vx_SubModelDefs::BadParams for a
    // value below 1 or not finite.
    double coarseGrainLimit() const { return coarseGrainLimit_; }
    void coarseGrainLimit(double grain);

    // The degrees of freedom beyond translation (rotation, scale) that runs may search.
    // Only 0, translation only, is supported: any other value throws
    // vx_SubModelDefs::NotImplemented.
    unsigned long zoneAllowed() const { return zoneAllowed_; }
    void zoneAllowed(unsigned long zones);

private:
    double coarseGrainLimit_ = 1.0;
    unsigned long zoneAllowed_ = 0;
};

class vxWarpSubModelCorRunParams {
public:
    // acceptThreshold 0.5, xyUncertainty (0, 0), zoneEnable 0, partialMatch null.
    vxWarpSubModelCorRunParams() = default;

    // The least score, in [0, 1], of a reported result. Throws
    // vx_SubModelDefs::BadParams for a value outside [0, 1] or NaN.
    double acceptThreshold() const { return acceptThreshold_; }
    void acceptThreshold(double threshold);

    // Width (x) and height (y), in the run image's client units, of the box of
    // translations searched: the pose's translation varies by up to half of each
    // around the start pose's. Throws vx_SubModelDefs::BadParams for a negative or
    // non-finite component.
    const vxVector<2>& xyUncertainty() const { return xyUncertainty_; }
    void xyUncertainty(const vxVector<2>& size);

    // The degrees of freedom beyond translation to search. Only 0 is supported: any
    // other value throws vx_SubModelDefs::NotImplemented.
    unsigned long zoneEnable() const { return zoneEnable_; }
    void zoneEnable(unsigned long zones);

    // How far, in model pixels, the model may hang over the run image's edges: by up
    // to -x() past the left edge, -y() past the top, lr().x() past the right and
    // lr().y() past the bottom (negative reaches count as 0). The null rectangle asks
    // for full overlap; (-w/2, -h/2, w, h) for a w x h model lets up to half its width
    // and height hang out, so its centre stays over the image. Placements score on the
    // overlapping pixels only. Throws vx_SubModelDefs::BadParams for a negative width
    // or height.
    const vxPelRect& partialMatch() const { return partialMatch_; }
    void partialMatch(const vxPelRect& reach);

private:
    double acceptThreshold_ = 0.5;
    vxVector<2> xyUncertainty_;
    unsigned long zoneEnable_ = 0;
    vxPelRect partialMatch_;
};
