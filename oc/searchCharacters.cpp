// The arranger's side of the character search: finder parameters from the arrange
// parameters, then per position the candidates and the record fields the arrangement
// search works with.
#include "vx_OCSearchCharacters.h"

#include "vxDiagObject.h"
#include "vx_OCExtract.h"

#include <algorithm>

namespace {

// Instances scoring this close to the last sure one stay candidates too.
constexpr double kCandidateMargin = 0.15;
// The position may stay unmatched when its weakest sure instance scores below this.
constexpr double kSureScore = 0.7;

// Raises the diagnostics level and restores it however the search ends.
class LevelGuard {
public:
    explicit LevelGuard(vxDiagObject* diag) : diag_(diag), level_(diag ? diag->level() : 0) {}
    ~LevelGuard() {
        if (diag_) diag_->level(level_);
    }
    LevelGuard(const LevelGuard&) = delete;
    LevelGuard& operator=(const LevelGuard&) = delete;

private:
    vxDiagObject* diag_;
    long level_;
};

} // namespace

void vf_PositionCandidates_(const vx_OCExtractCharResult& r, std::vector<vx_Pose>& poses,
                            std::vector<double>& scores, vx_ArrangePositionInfo& info) {
    const long nInst = r.numInstances();
    const long nOcc = std::max(1L, r.numOccurrences());
    info.symmetry(r.symmetry());
    info.rot180Pose(r.rot180Pose());
    info.numOccurrences(static_cast<int>(nOcc));

    long count = nInst;
    if (nInst > nOcc) {
        const double threshold = r.score(nOcc - 1) - kCandidateMargin;
        count = nOcc;
        while (count < nInst && !(r.score(count) < threshold))
            ++count;
    }
    info.candidateCount(static_cast<int>(count));
    info.mayBeUnmatched(nInst < nOcc || r.score(nOcc - 1) < kSureScore);

    poses.reserve(static_cast<std::size_t>(nInst));
    scores.reserve(static_cast<std::size_t>(nInst));
    for (long k = 0; k < nInst; ++k) {
        poses.push_back(vf_PoseFromXform(r.pose(k)));
        scores.push_back(r.score(k));
    }
    if (nInst == 0) info.isCostedWhenUnmatched(false);
}

bool vf_SearchCharacters(const vxPelBuffer_const<unsigned char>& image,
                         const vxPelBuffer_const<unsigned char>& mask,
                         const vxPtrHandle_const<vxOCAlphabet>& alphabet,
                         const std::vector<long>& targetKeys, const vxOCArrangeParams& params,
                         std::vector<std::vector<vx_Pose>>& candidatePoses,
                         std::vector<std::vector<double>>& candidateScores,
                         std::vector<vx_ArrangePositionInfo>& positionInfo, double* totalTime,
                         vxDiagObject* diag, unsigned long diagFlags) {
    const std::size_t nPos = targetKeys.size();
    vstd_assert_(positionInfo.size() == nPos, "one position record per target position");

    vx_OCExtractModelParams modelParams;
    modelParams.angleRange = vxRange(-179.0, 180.0);
    modelParams.scaleRange = params.scaleRange();
    modelParams.grainLimits = {-1.0, -1.0};
    vx_OCExtractRunParams runParams;
    runParams.timeout = params.timeout();
    runParams.acceptThreshold = params.minMatchScore();
    runParams.confusionThreshold = 0.7;
    runParams.overlap = 0.5;

    const LevelGuard restoreLevel(diag);
    if (diag) {
        diag->level(diag->level() + 1);
        vf_AddImage(diag, image, L"Search for characters", true);
        diag->level(diag->level() + 1);
    }

    vx_OCExtractStringResult result;
    vx_OCExtractModel finder;
    const bool completed = finder.search(alphabet, targetKeys, image, mask, modelParams, runParams,
                                         result, diag, diagFlags);
    if (totalTime) *totalTime += result.trainTime() + result.searchTime();

    candidatePoses.assign(nPos, {});
    candidateScores.assign(nPos, {});
    for (std::size_t j = 0; j < nPos; ++j)
        vf_PositionCandidates_(*result.results()[j], candidatePoses[j], candidateScores[j],
                               positionInfo[j]);
    return completed;
}
