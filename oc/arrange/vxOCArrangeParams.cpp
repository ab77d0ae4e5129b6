// Arrange parameters: validating setters, equality and archive.
#include "vxOCArrangeParams.h"

namespace {

// NaN fails every comparison, so "not at least lo" also rejects it.
void requireAtLeast(double value, double lo, const wchar_t* message) {
    if (!(value >= lo)) throw vxOCArrangeDefs::BadParams(message);
}

void requireAtLeast(int value, int lo, const wchar_t* message) {
    if (value < lo) throw vxOCArrangeDefs::BadParams(message);
}

// An enumeration arriving from a caller may hold any integer.
template <class E> void requireEnum(E value, int hi, const wchar_t* message) {
    const int v = static_cast<int>(value);
    if (v < 0 || v > hi) throw vxOCArrangeDefs::BadParams(message);
}

} // namespace

void vxOCArrangeParams::scaleRange(const vxRange& range) {
    if (range == vxRange::EmptyRange() || range == vxRange::FullRange() || !(range.start() > 0))
        throw vxOCArrangeDefs::BadParams(L"Invalid scale range");
    scaleRange_ = range;
}

void vxOCArrangeParams::minMatchScore(double score) {
    if (!(score >= 0.0 && score <= 1.0))
        throw vxOCArrangeDefs::BadParams(L"Invalid min match score");
    minMatchScore_ = score;
}

void vxOCArrangeParams::maxLines(int lines) {
    requireAtLeast(lines, 1, L"Invalid max lines");
    maxLines_ = lines;
}

void vxOCArrangeParams::lineType(vxOCArrangeDefs::LineType type) {
    requireEnum(type, vxOCArrangeDefs::eDontCare, L"Invalid line type");
    lineType_ = type;
}

void vxOCArrangeParams::maxUnmatchedChars(int count) {
    requireAtLeast(count, 0, L"Invalid max unmatched chars");
    maxUnmatchedChars_ = count;
}

void vxOCArrangeParams::orientationMode(vxOCArrangeDefs::OrientationMode mode) {
    requireEnum(mode, vxOCArrangeDefs::eAverage, L"Invalid orientation mode");
    orientationMode_ = mode;
}

void vxOCArrangeParams::orientationReference(vxOCArrangeDefs::OrientationReference reference) {
    requireEnum(reference, vxOCArrangeDefs::eRelative, L"Invalid orientation reference");
    orientationReference_ = reference;
}

void vxOCArrangeParams::lineBreakCost(double cost) {
    requireAtLeast(cost, 0.0, L"Invalid line break cost");
    lineBreakCost_ = cost;
}

void vxOCArrangeParams::unmatchedCharCost(double cost) {
    requireAtLeast(cost, 0.0, L"Invalid unmatched char cost");
    unmatchedCharCost_ = cost;
}

void vxOCArrangeParams::normalTransCost(double cost) {
    requireAtLeast(cost, 0.0, L"Invalid normal translation cost");
    normalTransCost_ = cost;
}

void vxOCArrangeParams::tangentialTransCost(double cost) {
    requireAtLeast(cost, 0.0, L"Invalid tangential translation cost");
    tangentialTransCost_ = cost;
}

void vxOCArrangeParams::orientationCost(double cost) {
    requireAtLeast(cost, 0.0, L"Invalid orientation cost");
    orientationCost_ = cost;
}

void vxOCArrangeParams::scaleCost(double cost) {
    requireAtLeast(cost, 0.0, L"Invalid scale cost");
    scaleCost_ = cost;
}

void vxOCArrangeParams::maxCandidates(int count) {
    requireAtLeast(count, 0, L"Invalid max candidates");
    maxCandidates_ = count;
}

void vxOCArrangeParams::timeout(double timeout) {
    requireAtLeast(timeout, 0.0, L"Invalid timeout");
    timeout_ = timeout;
}

bool operator==(const vxOCArrangeParams& a, const vxOCArrangeParams& b) {
    return a.scaleRange_ == b.scaleRange_ && a.minMatchScore_ == b.minMatchScore_ &&
           a.maxLines_ == b.maxLines_ && a.lineType_ == b.lineType_ &&
           a.isTextDirectionSpecified_ == b.isTextDirectionSpecified_ &&
           a.straightTextDirection_ == b.straightTextDirection_ &&
           a.isCircularTextDirectionClockwise_ == b.isCircularTextDirectionClockwise_ &&
           a.maxUnmatchedChars_ == b.maxUnmatchedChars_ &&
           a.orientationMode_ == b.orientationMode_ &&
           a.orientationReference_ == b.orientationReference_ &&
           a.expectedOrientation_ == b.expectedOrientation_ &&
           a.lineBreakCost_ == b.lineBreakCost_ && a.unmatchedCharCost_ == b.unmatchedCharCost_ &&
           a.normalTransCost_ == b.normalTransCost_ &&
           a.tangentialTransCost_ == b.tangentialTransCost_ &&
           a.orientationCost_ == b.orientationCost_ && a.scaleCost_ == b.scaleCost_ &&
           a.compPoseUncertainties_ == b.compPoseUncertainties_ &&
           a.maxCandidates_ == b.maxCandidates_ && a.timeout_ == b.timeout_;
}

vxArchive& operator||(vxArchive& ar, vxOCArrangeDefs::LineType& type) {
    vf_SerializeEnum(ar, type, vxOCArrangeDefs::eStraight, vxOCArrangeDefs::eDontCare);
    return ar;
}

vxArchive& operator||(vxArchive& ar, vxOCArrangeDefs::OrientationMode& mode) {
    vf_SerializeEnum(ar, mode, vxOCArrangeDefs::eSpecified, vxOCArrangeDefs::eAverage);
    return ar;
}

vxArchive& operator||(vxArchive& ar, vxOCArrangeDefs::OrientationReference& reference) {
    vf_SerializeEnum(ar, reference, vxOCArrangeDefs::eAbsolute, vxOCArrangeDefs::eRelative);
    return ar;
}

vxArchive& operator||(vxArchive& ar, vxOCArrangeParams& params) {
    signed char version = 0;
    ar || version;
    // The arranger's archive errors name the source area and the line that found them.
    if (version != 0) throw vxArchive::UnknownVersion("oc/arrange", __LINE__);
    // Loading fills a copy, so a truncated stream leaves the target as it was.
    vxOCArrangeParams loaded(params);
    vxOCArrangeParams& p = ar.isLoading() ? loaded : params;
    ar || p.scaleRange_ || p.minMatchScore_ || p.maxLines_ || p.lineType_ ||
        p.isTextDirectionSpecified_ || p.straightTextDirection_ ||
        p.isCircularTextDirectionClockwise_ || p.maxUnmatchedChars_ || p.orientationMode_ ||
        p.orientationReference_ || p.expectedOrientation_ || p.lineBreakCost_ ||
        p.unmatchedCharCost_ || p.normalTransCost_ || p.tangentialTransCost_ ||
        p.orientationCost_ || p.scaleCost_ || p.compPoseUncertainties_ || p.maxCandidates_ ||
        p.timeout_;
    if (ar.isLoading()) params = loaded;
    return ar;
}
