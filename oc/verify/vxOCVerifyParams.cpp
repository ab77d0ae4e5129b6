// Verification parameters: validating setters and archive.
#include "vxOCVerify.h"

#include "vxArchive.h"

namespace {

// NaN fails every comparison, so it is refused with the rest.
bool within(double v, double lo, double hi) {
    return v >= lo && v <= hi;
}

} // namespace

void vxOCVerifyParams::margin(double margin) {
    if (!within(margin, 0.0, 1.0)) throw vxOCVerifyDefs::BadParams(L"Invalid margin");
    margin_ = margin;
}

void vxOCVerifyParams::minScore(double score) {
    if (!within(score, 0.0, 1.0)) throw vxOCVerifyDefs::BadParams(L"Invalid min score");
    minScore_ = score;
}

void vxOCVerifyParams::xyRange(double range) {
    if (!(range > 0.0 && range <= 100.0)) throw vxOCVerifyDefs::BadParams(L"Invalid xy range");
    xyRange_ = range;
}

void vxOCVerifyParams::angleRange(double degrees) {
    if (!(degrees > 0.0 && degrees <= 45.0))
        throw vxOCVerifyDefs::BadParams(L"Invalid angle range");
    angleRange_ = degrees;
}

vxArchive& operator||(vxArchive& ar, vxOCVerifyParams& params) {
    unsigned char version = 0;
    ar || version;
    if (version != 0) throw vxArchive::UnknownVersion("vxOCVerifyParams", version);
    vxOCVerifyParams loaded(params);
    vxOCVerifyParams& p = ar.isLoading() ? loaded : params;
    ar || p.margin_ || p.minScore_ || p.xyRange_ || p.angleRange_;
    if (ar.isLoading()) {
        try {
            vxOCVerifyParams checked;
            checked.margin(loaded.margin_);
            checked.minScore(loaded.minScore_);
            checked.xyRange(loaded.xyRange_);
            checked.angleRange(loaded.angleRange_);
        } catch (const vxOCVerifyDefs::BadParams& e) {
            throw vxArchive::BadData(e.message().c_str());
        }
        params = loaded;
    }
    return ar;
}
