// The neighbour table of the arrangement search.
#include "pairTable.h"

#include <algorithm>
#include <cmath>
#include <numbers>

bool vx_ArrangePairTable::isCompatible(int left, int leftChoice, int right) const {
    if (left < 0 || static_cast<std::size_t>(left) >= pairs_.size() || leftChoice < 0 || right < 0)
        return false;
    const Pair& pair = pairs_[left];
    const auto row = static_cast<std::size_t>(leftChoice), col = static_cast<std::size_t>(right);
    return row < pair.rows && col < pair.cols && pair.compatible[row * pair.cols + col] != 0;
}

namespace {

double longestDiagonal(const vx_ArrangePositionInfo& info) {
    return std::max(info.cellDiagonal1().length(), info.cellDiagonal2().length());
}

// The orientation difference of two neighbours as the table judges it.
double orientationDifference(vxRadian a, vxRadian b, vx_OCExtractDefs::Symmetry symA,
                             vx_OCExtractDefs::Symmetry symB) {
    using Defs = vx_OCExtractDefs;
    if (symA == Defs::eRotationallySymmetric || symB == Defs::eRotationallySymmetric) return 0.0;
    if (symA == Defs::eNotSymmetric && symB == Defs::eNotSymmetric)
        return std::fabs((a - b).signedNorm().plain());
    return std::fabs((2.0 * (a - b)).signedNorm().plain()) / 2.0;
}

} // namespace

void vf_BuildPairTable(const std::vector<vx_ArrangePositionInfo>& positionInfo,
                       const std::vector<std::vector<vx_Pose>>& candidatePoses,
                       vx_ArrangePairTable& table) {
    constexpr double maxAngle = std::numbers::pi / 6.0;
    const std::size_t n = std::min(positionInfo.size(), candidatePoses.size());
    std::vector<vx_ArrangePairTable::Pair> pairs(n > 0 ? n - 1 : 0);
    for (std::size_t i = 0; i + 1 < n; ++i) {
        const std::vector<vx_Pose>& lefts = candidatePoses[i];
        const std::vector<vx_Pose>& rights = candidatePoses[i + 1];
        const double reach =
            2.0 * std::max(longestDiagonal(positionInfo[i]), longestDiagonal(positionInfo[i + 1]));
        const auto symA = positionInfo[i].symmetry(), symB = positionInfo[i + 1].symmetry();
        vx_ArrangePairTable::Pair& pair = pairs[i];
        pair.rows = lefts.size();
        pair.cols = rights.size();
        pair.compatible.assign(pair.rows * pair.cols, 0);
        for (std::size_t a = 0; a < pair.rows; ++a) {
            for (std::size_t b = 0; b < pair.cols; ++b) {
                // |(pose a)^-1 (pose b)| for similarities: the offset in a's own units.
                // A scale of 0 gives an infinite or undefined distance, never compatible.
                const double distance =
                    (rights[b].translation() - lefts[a].translation()).length() / lefts[a].scale();
                const bool near = distance <= reach;
                const bool aligned = orientationDifference(lefts[a].angle(), rights[b].angle(),
                                                           symA, symB) <= maxAngle;
                pair.compatible[a * pair.cols + b] = near && aligned;
            }
        }
    }
    table.pairs_ = std::move(pairs);
}
