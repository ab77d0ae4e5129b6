// The arranger's driver: checks the arguments, prepares the per-position records and
// the care mask, then runs the character search, the arrangement search, the result
// assignment, the refinement and the line building in turn.
#include "vxOCArrange.h"

#include "arrangeDiagnostics.h"
#include "arrangeSearch.h"
#include "assignResults.h"
#include "vxDiagObject.h"
#include "vxPelOps.h"
#include "vx_OCDiagnostics.h"
#include "vx_OCRefinement.h"
#include "vx_OCSearchCharacters.h"

namespace {

using Access = vx_OCArrangeResultsAccess;

// The model's image area in its client coordinates: origin at the mapped upper-left
// corner, sides to the mapped upper-right and lower-left corners. A blank model has no
// image, but its (unbound) image still carries a transform.
vxAffineRectangle modelCell(const vxOCModel& model) {
    const vxPelRect& area = model.imageArea();
    const vxPtrHandle_const<vx2XformBase> clientFromImage = model.image().clientFromImage();
    return vxAffineRectangle(clientFromImage->mapPoint(vxVector<2>(area.ul())),
                             clientFromImage->mapPoint(vxVector<2>(area.ur())),
                             clientFromImage->mapPoint(vxVector<2>(area.ll())));
}

// A copy of the mask in which every pixel of 128 or more is 255 and every other is 0.
vxPelBuffer<unsigned char> binarizedMask(const vxPelBuffer_const<unsigned char>& mask) {
    vxPelMapTable table{};
    for (int v = 128; v < 256; ++v)
        table[v] = 255;
    return vfPelMap(mask, table);
}

} // namespace

void vfOCArrange(const vxPelBuffer_const<unsigned char>& image, const vxOCAlphabet& alphabet,
                 const std::vector<long>& targetKeys, const vxOCArrangeParams& params,
                 vxOCArrangeResults& results, vxDiagObject* diag, unsigned long diagFlags) {
    vfOCArrange_(image, vxPelBuffer_const<unsigned char>(), alphabet, targetKeys, params, results,
                 diag, diagFlags);
}

void vfOCArrange(const vxPelBuffer_const<unsigned char>& image,
                 const vxPelBuffer_const<unsigned char>& mask, const vxOCAlphabet& alphabet,
                 const std::vector<long>& targetKeys, const vxOCArrangeParams& params,
                 vxOCArrangeResults& results, vxDiagObject* diag, unsigned long diagFlags) {
    if (!mask.isBound()) throw vxPel::UnboundWindow();
    vfOCArrange_(image, mask, alphabet, targetKeys, params, results, diag, diagFlags);
}

void vfOCArrange_(const vxPelBuffer_const<unsigned char>& image,
                  const vxPelBuffer_const<unsigned char>& mask, const vxOCAlphabet& alphabet,
                  const std::vector<long>& targetKeys, const vxOCArrangeParams& params,
                  vxOCArrangeResults& results, vxDiagObject* diag, unsigned long diagFlags) {
    // Everything is checked before the results are touched.
    if (!image.isBound()) throw vxPel::UnboundWindow();
    if (mask.isBound() && (mask.width() != image.width() || mask.height() != image.height() ||
                           mask.offset() != image.offset()))
        throw vxOCArrangeDefs::BadMask();
    for (long key : targetKeys)
        if (!alphabet.hasCharacter(key)) throw vxOCDefs::BadKey();

    if (diag && vxDiagObject::shouldRecord(diagFlags, vxDiagObject::eInput))
        vf_RecordArrangeInput(image, mask, alphabet, targetKeys, params, diag);

    results = vxOCArrangeResults();
    if (targetKeys.empty()) {
        Access::arrangement(results) =
            vxPtrHandle_const<vxOCLineArrangement>(new vxOCLineArrangement());
        Access::isFound(results) = true;
        return;
    }

    // Every later stage, and the lines built at the end, refer to this copy, so the
    // result outlives changes to the caller's alphabet.
    const vxPtrHandle_const<vxOCAlphabet> shared(new vxOCAlphabet(alphabet));

    const std::size_t numPositions = targetKeys.size();
    std::vector<vx_ArrangePositionInfo> positionInfo(numPositions);
    for (std::size_t i = 0; i < numPositions; ++i) {
        const vxOCModel& model = *shared->character(targetKeys[i]);
        positionInfo[i].isBlank(model.charType() == vxOCModel::eBlank);
        positionInfo[i].cell(modelCell(model));
    }

    // Intermediate records need a client frame that one transform describes.
    const bool intermediate = diag != nullptr &&
                              vxDiagObject::shouldRecord(diagFlags, vxDiagObject::eIntermediate) &&
                              image.clientFromImage()->isLinear();
    vxDiagObject* const stageDiag = intermediate ? diag : nullptr;
    if (intermediate) vf_AddImage(diag, image, L"OC Arranger: Intermediate", false);

    const vxPelBuffer_const<unsigned char> careMask =
        mask.isBound() ? vxPelBuffer_const<unsigned char>(binarizedMask(mask))
                       : vxPelBuffer_const<unsigned char>();

    std::vector<std::vector<vx_Pose>> candidatePoses;
    std::vector<std::vector<double>> candidateScores;
    double searchTime = 0.0;
    const bool charactersComplete =
        vf_SearchCharacters(image, careMask, shared, targetKeys, params, candidatePoses,
                            candidateScores, positionInfo, &searchTime, stageDiag, diagFlags);

    vx_ArrangeCandidate best;
    const bool arrangementComplete = vf_SearchArrangement(
        image, *shared, targetKeys, positionInfo, candidatePoses, candidateScores, params, best);
    Access::isSearchTruncated(results) = !(charactersComplete && arrangementComplete);

    const bool isClientFlipped = vf_IsClientFlipped(image);
    vx_ArrangeCost cost;
    const bool evaluated =
        vf_EvaluateArrangement(best, *shared, targetKeys, positionInfo, candidatePoses,
                               candidateScores, params, isClientFlipped, true, cost);

    std::vector<vx_Pose> poses;
    vf_AssignArrangementResults(candidatePoses, candidateScores, best, cost, positionInfo, params,
                                poses, Access::scores(results), Access::statusFlags(results));

    vf_RefineArrangement(image, shared, targetKeys, poses, Access::statusFlags(results),
                         Access::scores(results), stageDiag, diagFlags);

    vf_BuildLineArrangement(shared, targetKeys, best, cost, poses, params.compPoseUncertainties(),
                            Access::arrangement(results),
                            Access::clientFromArrangementXform(results));
    Access::isFound(results) = true;

    if (intermediate && evaluated)
        vf_RecordBuildArrangement(image, *shared, targetKeys, positionInfo, poses,
                                  results.scores(), results.statusFlags(), params, best, cost,
                                  evaluated, diag);
    if (diag && vxDiagObject::shouldRecord(diagFlags, vxDiagObject::eResults))
        vf_RecordArrangeOutput(image, targetKeys, *shared, results, diag, diagFlags);
}
