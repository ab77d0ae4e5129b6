// The geometric part of the arrangement cost: every line with two or more matched
// characters is fitted straight and, with three or more, circular; each fit is judged
// by how far the characters stand from the places it predicts, how their orientations
// agree and how evenly they are spaced, and the cheaper fit counts.
#include "arrangeSearch.h"
#include "lineGeometry.h"

#include <cmath>
#include <numbers>

namespace {

constexpr double pi = std::numbers::pi;
using Defs = vx_OCExtractDefs;

// An offset in units of an extent; a position whose cell has no extent along that
// axis cannot be judged there.
double inUnits(double offset, double extent) {
    return extent > 0.0 ? std::fabs(offset) / extent : 0.0;
}

// One line of the candidate as the fits see it.
struct LineInput {
    int begin = 0, end = 0;  // positions of the line
    int first = 0, last = 0; // its first and last matched positions
    std::vector<int> matched;
    std::vector<const vx_Pose*> poses; // per position first .. last; null when unmatched
    std::vector<vxVector<2>> points;   // origins of the matched characters
    double scale = 1.0;
};

// A fit of one line and what it costs.
struct FitJudgement {
    bool isCircular = false;
    vxLine line;
    vxCircle circle;
    vxRadian sweep;
    std::vector<double> along;
    std::vector<vxRadian> polarAngles;
    vxRadian expected; // in the frame of the orientation reference
    double normal = 0.0, tangential = 0.0, orientation = 0.0, spacing = 0.0;
    bool readsBackwards = false; // the characters face against the line, on the whole
    std::vector<vx_ArrangePositionCost> details; // positions first .. last, detail mode

    double value(const vxOCArrangeParams& params) const {
        return params.normalTransCost() * normal + params.tangentialTransCost() * tangential +
               params.orientationCost() * orientation + params.tangentialTransCost() * spacing;
    }
};

// `checkDirection` false spares the line the reading direction (see its caller).
bool fitStraight(const LineInput& in, const vxOCArrangeParams& params, bool checkDirection,
                 FitJudgement& fit) {
    if (!vf_FitArrangementLine(in.points, fit.line, fit.along)) return false;
    if (checkDirection && params.isTextDirectionSpecified() &&
        fit.line.direction().dot(vxVector<2>::polar(1.0, params.straightTextDirection())) < 0.0)
        return false;
    fit.isCircular = false;
    return true;
}

bool fitCircular(const LineInput& in, const vxOCArrangeParams& params, bool isClientFlipped,
                 FitJudgement& fit) {
    if (!vf_FitArrangementCircle(in.points, fit.circle, fit.sweep, fit.polarAngles)) return false;
    // A positive sweep turns x toward y, clockwise on screen in an unmirrored frame.
    if (params.isTextDirectionSpecified() &&
        (fit.sweep.plain() >= 0.0) !=
            (params.isCircularTextDirectionClockwise() != isClientFlipped))
        return false;
    fit.isCircular = true;
    return true;
}

// Judges a successful fit: orientations, predicted places, then the walk over the
// positions from the first to the last matched character.
void judge(const LineInput& in, const std::vector<vx_ArrangePositionInfo>& positionInfo,
           const vxOCArrangeParams& params, bool isFinal, FitJudgement& fit) {
    const bool relative = params.orientationReference() == vxOCArrangeDefs::eRelative;
    const std::size_t m = in.matched.size();
    fit.normal = fit.tangential = fit.orientation = fit.spacing = 0.0;

    // The line's direction at each matched character, and its orientation in the frame.
    std::vector<vxRadian> charDirection(m), orientations(m);
    std::vector<Defs::Symmetry> symmetries(m);
    const vxRadian quarter(fit.sweep.plain() >= 0.0 ? pi / 2 : -pi / 2);
    double facing = 0.0;
    for (std::size_t k = 0; k < m; ++k) {
        const vx_Pose& pose = *in.poses[in.matched[k] - in.first];
        charDirection[k] = fit.isCircular ? fit.polarAngles[k] + quarter : fit.line.angle();
        orientations[k] = relative ? pose.angle() - charDirection[k] : pose.angle();
        symmetries[k] = positionInfo[in.matched[k]].symmetry();
        facing += std::cos((pose.angle() - charDirection[k]).plain());
    }
    fit.readsBackwards = facing < 0.0;
    fit.expected = params.orientationMode() == vxOCArrangeDefs::eSpecified
                       ? params.expectedOrientation()
                       : vf_AverageOrientation(orientations, symmetries);

    const int n = in.last - in.first + 1;
    std::vector<vx_LinePosition> positions(n);
    for (int k = 0; k < n; ++k) {
        const vx_ArrangePositionInfo& info = positionInfo[in.first + k];
        vx_LinePosition& pos = positions[k];
        pos.cellDiagonal1 = info.cellDiagonal1();
        pos.cellDiagonal2 = info.cellDiagonal2();
        if (const vx_Pose* pose = in.poses[k]) {
            pos.isMatched = true;
            pos.translation = pose->translation();
            pos.angle = pose->angle();
        }
    }
    const std::vector<vx_PredictedPlace> places =
        fit.isCircular
            ? vf_PredictCirclePlaces(fit.circle, fit.polarAngles.front(), fit.sweep, 0, n - 1,
                                     positions, fit.expected, params.orientationReference())
            : vf_PredictLinePlaces(fit.line, fit.along, 0, n - 1, positions, fit.expected,
                                   params.orientationReference());

    if (isFinal) fit.details.assign(n, vx_ArrangePositionCost());
    std::size_t nextMatched = 0; // index into in.matched of the next matched character
    double previousAlong = 0.0;
    vxVector<2> previousLocation;
    for (int k = 0; k < n; ++k) {
        const vx_Pose* pose = in.poses[k];
        const vx_Pose& reference = *in.poses[in.matched[nextMatched] - in.first];
        const vx_PredictedPlace& place = places[k];

        const vxVector<2> extents =
            vf_CellExtents(positions[k].cellDiagonal1, positions[k].cellDiagonal2,
                           reference.angle() - place.direction);
        const double scale = pose ? pose->scale() : in.scale;
        const double alongExtent = extents.x() * scale, acrossExtent = extents.y() * scale;
        const vxVector<2> location = pose ? pose->translation() : place.point;

        if (k > 0) {
            const double a = (previousAlong + alongExtent) / 2,
                         d = location.distance(previousLocation);
            if (a > 0.0 && d < 0.8 * a) fit.spacing += (0.8 * a - d) / (0.8 * a);
            if (a > 0.0 && d > 2.5 * a) fit.spacing += (d - 2.5 * a) / a;
        }
        previousAlong = alongExtent;
        previousLocation = location;

        vx_ArrangePositionCost detail;
        detail.predictedPlace = place.point;
        detail.expectedOrientation = relative ? fit.expected + place.direction : fit.expected;
        if (pose) {
            const vxVector<2> offset = (pose->translation() - place.point).rotate(-place.direction);
            detail.tangential = inUnits(offset.x(), alongExtent);
            detail.normal = inUnits(offset.y(), acrossExtent);
            const Defs::Symmetry symmetry = symmetries[nextMatched];
            double error =
                std::fabs((orientations[nextMatched] - fit.expected).signedNorm().plain()) *
                (4.0 / pi);
            if (symmetry == Defs::eRotationallySymmetric) error = 0.0;
            if (symmetry == Defs::eSymmetric180 && error > 2.0) error = 4.0 - error;
            detail.orientation = error;
            if (relative) detail.expectedOrientation = fit.expected + charDirection[nextMatched];
            fit.tangential += detail.tangential;
            fit.normal += detail.normal;
            fit.orientation += detail.orientation;
            ++nextMatched;
        }
        if (isFinal) fit.details[k] = detail;
    }
}

} // namespace

bool vf_EvaluateArrangementGeometry(const vx_ArrangeCandidate& candidate, const vxOCAlphabet&,
                                    const std::vector<long>& targetKeys,
                                    const std::vector<vx_ArrangePositionInfo>& positionInfo,
                                    const std::vector<std::vector<vx_Pose>>& candidatePoses,
                                    const std::vector<std::vector<double>>&,
                                    const vxOCArrangeParams& params, bool isClientFlipped,
                                    bool isFinal, vx_ArrangeCost& cost,
                                    const vx_ArrangeLineSums* closed,
                                    vx_ArrangeGeometrySums* sums) {
    const std::vector<int>& choices = candidate.choices();
    const auto poseOf = [&](int position) -> const vx_Pose& {
        return candidatePoses[position][choices[position]];
    };
    const bool straightAllowed =
        !(params.lineType() == vxOCArrangeDefs::eCircular && candidate.numDecided() >= 3);
    const bool circularAllowed = params.lineType() != vxOCArrangeDefs::eStraight;
    const bool isIncomplete = candidate.numDecided() < static_cast<int>(targetKeys.size());

    if (isFinal) {
        // Positions without a fitted line keep what they have: a lone character its own
        // place and (unless absolutely specified) orientation, an unmatched one nothing.
        const bool specifiedAbsolute = params.orientationMode() == vxOCArrangeDefs::eSpecified &&
                                       params.orientationReference() == vxOCArrangeDefs::eAbsolute;
        cost.positions.assign(candidate.numDecided(), vx_ArrangePositionCost());
        for (int i = 0; i < candidate.numDecided(); ++i) {
            if (choices[i] < 0) continue;
            cost.positions[i].predictedPlace = poseOf(i).translation();
            cost.positions[i].expectedOrientation =
                specifiedAbsolute ? params.expectedOrientation() : poseOf(i).angle();
        }
    }

    double normal = 0.0, tangential = 0.0, orientation = 0.0, scaleSum = 0.0, spacing = 0.0;
    // The lines before the last as a parent's evaluation summed them.
    const bool fromParent = closed && !isFinal && candidate.numLines() > 0;
    const int firstLine = fromParent ? candidate.numLines() - 1 : 0;
    if (fromParent) {
        normal = closed->normal;
        tangential = closed->tangential;
        orientation = closed->orientation;
        scaleSum = closed->scale;
        spacing = closed->spacing;
        cost.backwardLines = closed->backwardLines;
        cost.lines.resize(cost.lines.size() + static_cast<std::size_t>(firstLine));
    }
    const auto sumsSoFar = [&] {
        return vx_ArrangeLineSums{normal, tangential, orientation, scaleSum, spacing,
                                  cost.backwardLines};
    };
    if (sums) sums->closed = sumsSoFar(); // no lines: nothing before the last
    bool isFeasible = true;
    LineInput in;
    FitJudgement straight, circular;
    // Copies a judged fit's curve and per-position findings into the final details.
    const auto detail = [&](const FitJudgement& fit, vx_ArrangeLineCost& record) {
        record.orientation = fit.expected;
        if (fit.isCircular)
            record.arc = vxEllipseArc2(fit.circle, fit.polarAngles.front(), fit.sweep);
        else
            record.segment =
                vxLineSeg(fit.line.project(in.points.front()), fit.line.project(in.points.back()));
        for (int k = 0; k <= in.last - in.first; ++k) {
            vx_ArrangePositionCost& position = cost.positions[in.first + k];
            const double deviation = position.scaleDeviation;
            position = fit.details[k];
            position.scaleDeviation = deviation;
        }
    };
    for (int line = firstLine; line < candidate.numLines(); ++line) {
        if (sums && line + 1 == candidate.numLines()) sums->closed = sumsSoFar();
        in.begin = candidate.lineBegin(line);
        in.end = candidate.lineEnd(line);
        in.matched.clear();
        in.points.clear();
        for (int i = in.begin; i < in.end; ++i) {
            if (choices[i] < 0) continue;
            in.matched.push_back(i);
            in.points.push_back(poseOf(i).translation());
        }
        const std::size_t m = in.matched.size();
        vx_ArrangeLineCost& record = cost.lines.emplace_back();
        if (m < 2) {
            if (m == 1) record.scale = poseOf(in.matched.front()).scale();
            continue;
        }

        in.first = in.matched.front();
        in.last = in.matched.back();
        in.poses.assign(in.last - in.first + 1, nullptr);
        double meanLog = 0.0;
        for (int i : in.matched) {
            in.poses[i - in.first] = &poseOf(i);
            meanLog += poseOf(i).logScale();
        }
        meanLog /= static_cast<double>(m);
        in.scale = std::exp(meanLog);
        record.scale = in.scale;
        double lineScaleSum = 0.0;
        for (int i : in.matched) {
            const double deviation = (poseOf(i).logScale() - meanLog) / std::numbers::ln2;
            lineScaleSum += std::fabs(deviation);
            if (isFinal) cost.positions[i].scaleDeviation = deviation;
        }

        // Two characters that may still grow into an arc (the last line of an incomplete
        // candidate) are not held to the straight reading direction: the first chord of
        // an arc may point any way, and the arc's sense is checked from its third
        // character on. Refusing them would prune every arc the complete evaluation
        // accepts. Nor are they charged what a straight fit finds wrong with them: some
        // arc through the two places them exactly, turns its tangent with them and spaces
        // the positions between them evenly, so the straight fit's normal, tangential,
        // spacing and relative orientation terms would overstate the cost of every arc.
        // Charged, they made a best-first search prefer lines broken around unmatched
        // positions near an arc's start (two characters across two unmatched positions
        // on a tight arc cost more than two line breaks). The search re-evaluates such a
        // line once a new line closes it.
        const bool mayBecomeArc = circularAllowed && isIncomplete && !isFinal && m == 2 &&
                                  line + 1 == candidate.numLines();
        const bool hasStraight =
            straightAllowed && fitStraight(in, params, !mayBecomeArc, straight);
        const bool hasCircular =
            circularAllowed && m >= 3 && fitCircular(in, params, isClientFlipped, circular);
        if (!hasStraight && !hasCircular) {
            // The candidate is infeasible. The final evaluation still details the line,
            // from a straight fit free of the line type and text direction, so that every
            // position of a padded candidate gets a place and an orientation.
            if (!isFinal) return false;
            isFeasible = false;
            if (vf_FitArrangementLine(in.points, straight.line, straight.along)) {
                straight.isCircular = false;
                judge(in, positionInfo, params, true, straight);
                detail(straight, record);
            }
            continue;
        }
        if (hasStraight) judge(in, positionInfo, params, isFinal, straight);
        if (hasCircular) judge(in, positionInfo, params, isFinal, circular);
        const FitJudgement& chosen =
            hasStraight && (!hasCircular || straight.value(params) <= circular.value(params))
                ? straight
                : circular;

        const double weight = static_cast<double>(in.end - in.begin) / static_cast<double>(m);
        scaleSum += lineScaleSum * weight;
        if (chosen.readsBackwards) ++cost.backwardLines;
        if (mayBecomeArc) {
            // Only what no arc can change: the scales, and absolute orientations.
            if (params.orientationReference() == vxOCArrangeDefs::eAbsolute)
                orientation += chosen.orientation * weight;
            record.kind = vx_ArrangeLineCost::eStraight;
            continue;
        }
        normal += chosen.normal * weight;
        tangential += chosen.tangential * weight;
        orientation += chosen.orientation * weight;
        spacing += chosen.spacing;
        record.kind =
            chosen.isCircular ? vx_ArrangeLineCost::eCircular : vx_ArrangeLineCost::eStraight;
        if (isFinal) detail(chosen, record);
    }

    if (sums) sums->all = sumsSoFar();
    cost.normal = params.normalTransCost() * normal;
    cost.tangential = params.tangentialTransCost() * tangential;
    cost.orientation = params.orientationCost() * orientation;
    cost.scale = params.scaleCost() * scaleSum;
    cost.spacing = params.tangentialTransCost() * spacing;
    return isFeasible;
}
