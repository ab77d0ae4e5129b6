// Finder diagnostics. Training records nothing; at the end of every search the
// run-time parameters and what was found are written as text, and every found
// instance is outlined with its direction (and the directions it cannot be told from).
#include "vx_OCExtract.h"

#include "vxDiagObject.h"
#include "vxGraphicList.h"

#include <algorithm>

namespace {

constexpr unsigned long kInputBit = 0x10000;
constexpr unsigned long kResultsBit = 0x20000;

// The turn by `degrees` about the character's own origin.
vxXform<2> turn(double degrees) {
    return vxXform<2>(vxMatrix<2>::rotation(vxRadian(vxDegree(degrees))), vxVector<2>());
}

} // namespace

void vx_OCExtractModel::drawTrainDiags_(const vxPtrHandle_const<vxOCAlphabet>&,
                                        const vxPelBuffer_const<unsigned char>&,
                                        const std::vector<long>&, vxDiagObject*, unsigned long) {}

void vx_OCExtractModel::drawRuntimeDiags_(const vxPtrHandle_const<vxOCAlphabet>& alphabet,
                                          const vxPelBuffer_const<unsigned char>&,
                                          const vx_OCExtractRunParams& runParams,
                                          vx_OCExtractStringResult& result, vxDiagObject* diag,
                                          unsigned long diagFlags) {
    if (!diag) return;
    if (diagFlags & kInputBit)
        diagText_ << L"Runtime Params" << std::endl
                  << L"==============" << std::endl
                  << L"Accept Thresh = " << runParams.acceptThreshold << std::endl
                  << L"Confusion Thresh = " << runParams.confusionThreshold << std::endl
                  << L"Overlap =" << runParams.overlap << std::endl;
    if (!(diagFlags & kResultsBit)) return;

    // Only characters that got a pattern were searched; each has its char result in
    // model order once the search has post-processed.
    std::vector<std::size_t> searched;
    for (std::size_t i = 0; i < patterns_.size(); ++i)
        if (patterns_[i] && i < result.resultsByModel_.size() && result.resultsByModel_[i])
            searched.push_back(i);
    const auto nameOf = [&](std::size_t i) { return alphabet->character(keys_[i])->name(); };

    diagText_ << std::endl << L"Final Results" << std::endl;
    for (std::size_t i : searched) {
        const vx_OCExtractCharResult& r = *result.resultsByModel_[i];
        diagText_ << (r.found() ? L"Found" : L"Could not find") << L" Char Model '" << nameOf(i)
                  << L"'" << std::endl;
        for (long k = 0; k < r.numInstances(); ++k)
            diagText_ << L" \t Instance #" << k << L" \t Score= " << r.score(k) << L" \t Angle= "
                      << vxDegree(r.pose(k).xRot()).plain() << L" \t Scale=" << r.pose(k).xScale()
                      << std::endl;
        diagText_ << std::endl;
    }
    diagText_ << std::endl;
    vf_AddText(diag, diagText_.str(), L"Result details");

    for (std::size_t i : searched) {
        const vx_OCExtractCharResult& r = *result.resultsByModel_[i];
        const vxPelRect& area = alphabet->character(keys_[i])->imageArea();
        const double h = 0.5 * static_cast<double>(std::min(area.width(), area.height()));
        const vxGraphicLineSeg direction(vxLineSeg(vxVector<2>(0.0, 0.0), vxVector<2>(h, 0.0)),
                                         vxColor::green, 2);
        const vxGraphicLineSeg alias(direction.shape(), vxColor::blue);
        std::vector<double> aliases;
        if (r.symmetry() == vx_OCExtractDefs::eRotationallySymmetric)
            aliases = {180.0, 90.0, 270.0};
        else if (r.symmetry() == vx_OCExtractDefs::eSymmetric180)
            aliases = {180.0};
        for (long k = 0; k < r.numInstances(); ++k) {
            vxGraphicList list;
            list.add(vxGraphicAffineRect(r.affRect(k), vxColor::green));
            for (double degrees : aliases)
                list.add(vfMapGraphic(alias, r.pose(k) * turn(degrees)));
            list.add(vfMapGraphic(direction, r.pose(k)));
            vf_AddGraphics(diag, list,
                           L"Character '" + nameOf(i) + L"'" + L" Result #" + std::to_wstring(k));
        }
    }
}
