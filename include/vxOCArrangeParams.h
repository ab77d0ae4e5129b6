// vxOCArrangeParams: the caller's settings for one arrange call. Every setter
// validates its value and throws vxOCArrangeDefs::BadParams before changing
// anything, so a parameter set is always usable. A plain copyable value.
#pragma once

#include "vxAngle.h"
#include "vxArchive.h"
#include "vxOCArrangeDefs.h"
#include "vxRange.h"

class vxOCArrangeParams {
public:
    // Scale 0.9 to 1.1, score 0.4, no line or unmatched limit, either line type, no
    // text direction, average orientation relative to the line, unit costs but 2.0
    // per line break, 500000 candidates, a 10 ms time limit per character.
    vxOCArrangeParams() = default;

    // Character scales the finder searches. Throws "Invalid scale range" for the empty
    // or the full range, or a range whose start is not above 0.
    const vxRange& scaleRange() const { return scaleRange_; }
    void scaleRange(const vxRange& range);

    // Lowest finder score at which an instance is accepted, in [0, 1].
    double minMatchScore() const { return minMatchScore_; }
    void minMatchScore(double score);

    // Most lines the arrangement may have; at least 1.
    int maxLines() const { return maxLines_; }
    void maxLines(int lines);

    // Straight, circular, or either for each line.
    vxOCArrangeDefs::LineType lineType() const { return lineType_; }
    void lineType(vxOCArrangeDefs::LineType type);

    // Whether the reading direction below (straight lines) or sense (circular lines)
    // constrains the lines; any value is accepted by the three.
    bool isTextDirectionSpecified() const { return isTextDirectionSpecified_; }
    void isTextDirectionSpecified(bool specified) { isTextDirectionSpecified_ = specified; }
    vxRadian straightTextDirection() const { return straightTextDirection_; }
    void straightTextDirection(vxRadian direction) { straightTextDirection_ = direction; }
    bool isCircularTextDirectionClockwise() const { return isCircularTextDirectionClockwise_; }
    void isCircularTextDirectionClockwise(bool clockwise) {
        isCircularTextDirectionClockwise_ = clockwise;
    }

    // Most positions that may stay without a matched character; at least 0.
    int maxUnmatchedChars() const { return maxUnmatchedChars_; }
    void maxUnmatchedChars(int count);

    // How the expected character orientation is obtained, and the frame in which
    // orientations are judged.
    vxOCArrangeDefs::OrientationMode orientationMode() const { return orientationMode_; }
    void orientationMode(vxOCArrangeDefs::OrientationMode mode);
    vxOCArrangeDefs::OrientationReference orientationReference() const {
        return orientationReference_;
    }
    void orientationReference(vxOCArrangeDefs::OrientationReference reference);

    // The expected orientation when the mode is eSpecified; any value is accepted.
    vxRadian expectedOrientation() const { return expectedOrientation_; }
    void expectedOrientation(vxRadian orientation) { expectedOrientation_ = orientation; }

    // Weights of the arrangement cost. Each must be at least 0 (and not NaN).
    double lineBreakCost() const { return lineBreakCost_; }
    void lineBreakCost(double cost);
    double unmatchedCharCost() const { return unmatchedCharCost_; }
    void unmatchedCharCost(double cost);
    double normalTransCost() const { return normalTransCost_; }
    void normalTransCost(double cost);
    double tangentialTransCost() const { return tangentialTransCost_; }
    void tangentialTransCost(double cost);
    double orientationCost() const { return orientationCost_; }
    void orientationCost(double cost);
    double scaleCost() const { return scaleCost_; }
    void scaleCost(double cost);

    // Whether line building computes pose uncertainties; any value is accepted.
    bool compPoseUncertainties() const { return compPoseUncertainties_; }
    void compPoseUncertainties(bool compute) { compPoseUncertainties_ = compute; }

    // The arrangement search stops once this many candidates wait; at least 0.
    int maxCandidates() const { return maxCandidates_; }
    void maxCandidates(int count);

    // Time limit handed to the character finder; at least 0 (and not NaN).
    double timeout() const { return timeout_; }
    void timeout(double timeout);

    // All twenty fields exactly equal (doubles and angles bit for bit).
    friend bool operator==(const vxOCArrangeParams& a, const vxOCArrangeParams& b);
    friend bool operator!=(const vxOCArrangeParams& a, const vxOCArrangeParams& b) {
        return !(a == b);
    }

    // Archive: version byte (0), then the fields in declaration order: the range, the
    // score, maxLines, the line type, the direction flag, the straight direction, the
    // clockwise flag, maxUnmatchedChars, the orientation mode and reference, the
    // expected orientation, the six costs, the uncertainty flag, maxCandidates,
    // timeout. Loaded values are not re-validated (enumerations are checked by their
    // own operators); a failed load changes nothing. Arranging with values a setter
    // would refuse ends in a clear exception or a result, never in a crash.
    friend vxArchive& operator||(vxArchive& ar, vxOCArrangeParams& params);

private:
    vxRange scaleRange_{0.9, 1.1};
    double minMatchScore_ = 0.4;
    int maxLines_ = 0x7fffffff;
    vxOCArrangeDefs::LineType lineType_ = vxOCArrangeDefs::eDontCare;
    bool isTextDirectionSpecified_ = false;
    vxRadian straightTextDirection_;
    bool isCircularTextDirectionClockwise_ = true;
    int maxUnmatchedChars_ = 0x7fffffff;
    vxOCArrangeDefs::OrientationMode orientationMode_ = vxOCArrangeDefs::eAverage;
    vxOCArrangeDefs::OrientationReference orientationReference_ = vxOCArrangeDefs::eRelative;
    vxRadian expectedOrientation_;
    double lineBreakCost_ = 2.0;
    double unmatchedCharCost_ = 1.0;
    double normalTransCost_ = 1.0;
    double tangentialTransCost_ = 1.0;
    double orientationCost_ = 1.0;
    double scaleCost_ = 1.0;
    bool compPoseUncertainties_ = false;
    int maxCandidates_ = 500000;
    double timeout_ = 10.0;
};

// The arranger's enumerations travel as unsigned long; loading accepts only their
// legal values (vxArchive::BadData otherwise).
vxArchive& operator||(vxArchive& ar, vxOCArrangeDefs::LineType& type);
vxArchive& operator||(vxArchive& ar, vxOCArrangeDefs::OrientationMode& mode);
vxArchive& operator||(vxArchive& ar, vxOCArrangeDefs::OrientationReference& reference);
