// Checks of the sub-model tool's parameter values.
#include "vxWarpSubModelParams.h"

#include "vx_SubModelDefs.h"

#include <cmath>

void vxWarpSubModelCorTrainParams::coarseGrainLimit(double grain) {
    if (!std::isfinite(grain) || grain < 1.0)
        throw vx_SubModelDefs::BadParams(L"The coarse grain limit must be at least 1");
    coarseGrainLimit_ = grain;
}

void vxWarpSubModelCorTrainParams::zoneAllowed(unsigned long zones) {
    if (zones != 0) throw vx_SubModelDefs::NotImplemented(L"Only translation zones are supported");
    zoneAllowed_ = zones;
}

void vxWarpSubModelCorRunParams::acceptThreshold(double threshold) {
    if (!(threshold >= 0.0 && threshold <= 1.0))
        throw vx_SubModelDefs::BadParams(L"The accept threshold must lie in [0, 1]");
    acceptThreshold_ = threshold;
}

void vxWarpSubModelCorRunParams::xyUncertainty(const vxVector<2>& size) {
    if (!std::isfinite(size.x()) || !std::isfinite(size.y()) || size.x() < 0 || size.y() < 0)
        throw vx_SubModelDefs::BadParams(L"The xy uncertainty must be finite and not negative");
    xyUncertainty_ = size;
}

void vxWarpSubModelCorRunParams::zoneEnable(unsigned long zones) {
    if (zones != 0) throw vx_SubModelDefs::NotImplemented(L"Only translation zones are supported");
    zoneEnable_ = zones;
}

void vxWarpSubModelCorRunParams::partialMatch(const vxPelRect& reach) {
    if (reach.width() < 0 || reach.height() < 0)
        throw vx_SubModelDefs::BadParams(
            L"The partial-match rectangle must not have a negative size");
    partialMatch_ = reach;
}
