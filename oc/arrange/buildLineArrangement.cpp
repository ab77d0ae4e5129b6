// Line building: the vxOCLine objects, their arrangement and its client transform.
#include "assignResults.h"

#include <cmath>
#include <string>

void vf_BuildLineArrangement(const vxPtrHandle_const<vxOCAlphabet>& alphabet,
                             const std::vector<long>& targetKeys, const vx_ArrangeCandidate& best,
                             const vx_ArrangeCost& cost, const std::vector<vx_Pose>& poses,
                             bool compPoseUncertainties,
                             vxPtrHandle_const<vxOCLineArrangement>& arrangement,
                             vxXform<2>& clientFromArrangementXform) {
    const std::size_t count = poses.size();
    vstd_assert_(count == static_cast<std::size_t>(best.numDecided()) && targetKeys.size() >= count,
                 "one pose per decided position");
    if (compPoseUncertainties)
        vstd_assert_(cost.positions.size() == count &&
                         cost.lines.size() == static_cast<std::size_t>(best.numLines()),
                     "the cost holds the final evaluation's details");

    const vx2Rigid clientFromArrangement = count > 0 ? poses[0].rigid() : vx2Rigid();
    const vx2Rigid arrangementFromClient = clientFromArrangement.inverse();

    std::vector<vxPtrHandle_const<vxOCLine>> lines;
    std::vector<vx2Rigid> linePoses;
    for (int line = 0; line < best.numLines(); ++line) {
        const int first = best.lineBegin(line), end = best.lineEnd(line);
        const vx2Rigid clientFromLine = poses[first].rigid();
        const vx2Rigid lineFromClient = clientFromLine.inverse();
        linePoses.push_back(line == 0 ? vx2Rigid() : arrangementFromClient * clientFromLine);

        std::vector<vxOCKeySet> keySets;
        std::vector<vx2Rigid> charPoses;
        std::vector<double> scales, translationUnc, scaleUnc;
        std::vector<vxRadian> rotationUnc;
        for (int p = first; p < end; ++p) {
            keySets.emplace_back(std::vector<long>{targetKeys[p]}, 0L);
            charPoses.push_back(p == first ? vx2Rigid() : lineFromClient * poses[p].rigid());
            scales.push_back(poses[p].scale());
            if (compPoseUncertainties) {
                const vx_ArrangePositionCost& detail = cost.positions[p];
                translationUnc.push_back(detail.predictedPlace.distance(poses[p].translation()));
                rotationUnc.push_back(vxRadian(vxDegree(detail.orientation * 45.0)));
                scaleUnc.push_back(std::fabs(std::exp2(detail.scaleDeviation) - 1.0) *
                                   cost.lines[line].scale);
            } else {
                translationUnc.push_back(0.0);
                rotationUnc.push_back(vxRadian(0));
                scaleUnc.push_back(0.0);
            }
        }
        lines.emplace_back(new vxOCLine(keySets, alphabet, charPoses, scales, translationUnc,
                                        rotationUnc, scaleUnc, L"Line " + std::to_wstring(line)));
    }

    arrangement = vxPtrHandle_const<vxOCLineArrangement>(
        new vxOCLineArrangement(lines, linePoses, 0.0, vxRadian(0), L""));
    clientFromArrangementXform = clientFromArrangement.linear();
}
