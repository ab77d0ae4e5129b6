// Result assignment: statuses, scores and poses of the target positions.
#include "assignResults.h"

#include <cmath>
#include <numbers>

void vf_AssignArrangementResults(const std::vector<std::vector<vx_Pose>>& candidatePoses,
                                 const std::vector<std::vector<double>>& candidateScores,
                                 const vx_ArrangeCandidate& best, const vx_ArrangeCost& cost,
                                 const std::vector<vx_ArrangePositionInfo>& positionInfo,
                                 const vxOCArrangeParams& params, std::vector<vx_Pose>& poses,
                                 std::vector<double>& scores,
                                 std::vector<vxOCArrangeDefs::CharStatus>& statusFlags) {
    const std::size_t n = positionInfo.size();
    vstd_assert_(static_cast<std::size_t>(best.numDecided()) == n,
                 "the best candidate is complete");
    vstd_assert_(cost.positions.size() == n && cost.lines.size() == std::size_t(best.numLines()),
                 "the cost holds the final evaluation's details");

    poses.assign(n, vx_Pose());
    scores.assign(n, 0.0);
    statusFlags.assign(n, vxOCArrangeDefs::eUnknown);
    const vxRange& range = params.scaleRange();
    const double fallbackScale = std::sqrt(range.start() * range.end());

    for (int line = 0; line < best.numLines(); ++line) {
        const int begin = best.lineBegin(line), end = best.lineEnd(line);
        vstd_assert_(end - begin == 1 || (best.isMatched(begin) && best.isMatched(end - 1)),
                     "a line of several positions begins and ends matched");
        for (int p = begin; p < end; ++p) {
            const vx_ArrangePositionCost& detail = cost.positions[p];
            if (best.isMatched(p)) {
                const int c = best.choices()[p];
                statusFlags[p] = vxOCArrangeDefs::eMatched;
                scores[p] = candidateScores[p][c];
                vx_Pose pose = candidatePoses[p][c];
                switch (positionInfo[p].symmetry()) {
                case vx_OCExtractDefs::eRotationallySymmetric:
                    // The finder's angle means nothing for a ring; the line's does.
                    pose.angle(detail.expectedOrientation);
                    break;
                case vx_OCExtractDefs::eSymmetric180:
                    // Read the other way up when that is nearer the expected orientation.
                    if (std::fabs(
                            (pose.angle() - detail.expectedOrientation).signedNorm().plain()) >
                        std::numbers::pi / 2)
                        pose =
                            vf_PoseFromXform(pose.xform() * positionInfo[p].rot180Pose().inverse());
                    break;
                case vx_OCExtractDefs::eNotSymmetric:
                    break;
                }
                poses[p] = pose;
            } else if (end - begin > 1) {
                statusFlags[p] = vxOCArrangeDefs::eInferred;
                poses[p] = vx_Pose(detail.predictedPlace, detail.expectedOrientation,
                                   cost.lines[line].scale);
            } else {
                poses[p] = vx_Pose(vxVector<2>(), vxRadian(0), fallbackScale);
            }
        }
    }
}
