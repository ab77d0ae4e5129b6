// Finder search: train, run every character's pattern in the trained order under its
// own time limit, fix a common scale once enough characters agree, and arrange the
// char results by model and by target position.
#include "vx_OCExtract.h"

#include "vxAttention.h"
#include "vxTimer.h"

#include <algorithm>
#include <cmath>

namespace {

// The code the finder's per-character time limits carry.
constexpr unsigned long kTimeoutCode = 0x80000064;

void checkParams(const vxPelBuffer_const<unsigned char>& image,
                 const vxPelBuffer_const<unsigned char>& mask,
                 const vx_OCExtractModelParams& modelParams,
                 const vx_OCExtractRunParams& runParams) {
    using Error = vx_OCExtractDefs::vx_OCExtractError;
    if (!image.isBound() || image.width() <= 0 || image.height() <= 0)
        throw Error(L"Unbound or empty image");
    if (mask.isBound() && (mask.width() != image.width() || mask.height() != image.height()))
        throw Error(L"Mask size differs from image size");
    const vxRange& a = modelParams.angleRange;
    if (a == vxRange::EmptyRange() || !std::isfinite(a.start()) || !std::isfinite(a.end()))
        throw Error(L"Invalid angle range");
    const vxRange& s = modelParams.scaleRange;
    if (s == vxRange::EmptyRange() || !(s.start() > 0.0) || !std::isfinite(s.end()))
        throw Error(L"Invalid scale range");
    if (!(runParams.acceptThreshold >= 0.0 && runParams.acceptThreshold <= 1.0))
        throw Error(L"Invalid accept threshold");
    if (!(runParams.timeout >= 0.0)) throw Error(L"Invalid timeout");
}

} // namespace

bool vx_OCExtractModel::search(
    const vxPtrHandle_const<vxOCAlphabet>& alphabet, const std::vector<long>& targetKeys,
    const vxPelBuffer_const<unsigned char>& image, const vxPelBuffer_const<unsigned char>& mask,
    const vx_OCExtractModelParams& modelParams, const vx_OCExtractRunParams& runParams,
    vx_OCExtractStringResult& result, vxDiagObject* diag, unsigned long diagFlags) {
    checkParams(image, mask, modelParams, runParams);
    init();
    params_ = modelParams;
    result.init();
    train_(alphabet, targetKeys, result, diag, diagFlags);
    drawTrainDiags_(alphabet, image, targetKeys, diag, diagFlags);

    vxTimer timer(true);
    const bool completed =
        searchKestrel_(alphabet, image, mask, runParams, result, diag, diagFlags);
    postProcessResults_(result, targetKeys, runParams, diag, diagFlags);
    timer.stop();
    result.searchTime_ = timer.msec();

    drawRuntimeDiags_(alphabet, image, runParams, result, diag, diagFlags);
    return completed;
}

bool vx_OCExtractModel::searchKestrel_(const vxPtrHandle_const<vxOCAlphabet>&,
                                       const vxPelBuffer_const<unsigned char>& image,
                                       const vxPelBuffer_const<unsigned char>& mask,
                                       const vx_OCExtractRunParams& runParams,
                                       vx_OCExtractStringResult& result, vxDiagObject*,
                                       unsigned long) {
    vxKSAlignRunParams run;
    run.acceptThreshold(runParams.acceptThreshold);
    run.algorithm(vx_KSDefs::eCoarseToFine);
    run.zoneEnable(vx_KSDefs::eAngleZone | vx_KSDefs::eScaleZone);
    run.zone(vx_KSDefs::eAngle, params_.angleRange.start(), params_.angleRange.end());
    run.scoreUsingClutter(false);
    run.contrastThreshold(10.0);
    run.xyOverlap(0.2);

    vxTimer charTimer(true);
    const long n = numModels();
    vstd_assert_(static_cast<long>(searchOrder_.size()) == n, "one search-order entry per model");

    bool completed = true;
    bool scaleFixed = false;
    std::vector<double> firstScales;
    const long minAgreeing = std::max(3L, (n + 1) / 2);

    for (long k = 0; k < n; ++k) {
        const long i = searchOrder_[static_cast<std::size_t>(k)];
        vstd_assert_(i >= 0 && i < n, "search order holds model indices");
        const std::size_t mi = static_cast<std::size_t>(i);
        vx_OCExtractStringResult::Handle charResult(new vx_OCExtractCharResult);
        charResult->symmetry_ = symmetries_[mi];
        charResult->rot180Pose_ = rot180Poses_[mi];

        if (const vxKSAlignPattern* pattern = patterns_[mi]) {
            const vxXform<2> trainClientFromImage =
                pattern->trainClientFromImage()->linearXform(vxVector<2>(0.0, 0.0)).xform();
            run.zone(vx_KSDefs::eScale, params_.scaleRange.start(), params_.scaleRange.end());
            run.numToFind(occurrences_[mi] + 2);

            vxKSAlignResultSet set;
            try {
                vxAttentionTag limit(true);
                limit.attachTimeoutCustom(runParams.timeout, kTimeoutCode);
                if (mask.isBound())
                    pattern->run(image, mask, run, set, nullptr, 0);
                else
                    pattern->run(image, run, set, nullptr, 0);
            } catch (const vxTimeout::InternalExpired& e) {
                if (e.code() != kTimeoutCode) throw; // an outer library's limit
                completed = false;                   // keep what was refined so far
            } catch (const vx_KSDefs::InternalError&) {
                // The tool stops this way on an abort request too: that one leaves the
                // search as the foundation's own error.
                if (vxAttention::isAbortRequested()) vxAttention::check();
                vstd_assert_(set.numResults() == 0, "an aborted run has no results");
                completed = false;
            }

            std::vector<vxKSAlignResult> usable;
            vf_AcceptedResults_(set, usable);
            if (!scaleFixed && !usable.empty() && usable.front().accepted()) {
                firstScales.push_back(usable.front().xScale());
                double common = 0.0;
                if (vf_ConsensusScale_(firstScales, minAgreeing, &common)) {
                    // Later characters are searched at this scale only.
                    scaleFixed = true;
                    run.zoneEnable(vx_KSDefs::eAngleZone);
                    run.nominal(vx_KSDefs::eScale, common);
                }
            }

            const vxPelRect trainWindow = pattern->trainImage().window();
            for (const vxKSAlignResult& r : usable) {
                if (charResult->numInstances() >= run.numToFind()) break;
                if (r.accepted())
                    charResult->append_(
                        vx_OCExtractCharInstance(r, trainClientFromImage, trainWindow));
            }
        }

        charResult->found_ = charResult->numInstances() > 0;
        charResult->time_ = charTimer.msec();
        charResult->numOccurrences_ = occurrences_[mi];
        charTimer.reset();
        charTimer.start();
        result.addToResult_(keys_[mi], charResult);
    }
    return completed;
}

void vx_OCExtractModel::postProcessResults_(vx_OCExtractStringResult& result,
                                            const std::vector<long>& targetKeys,
                                            const vx_OCExtractRunParams&, vxDiagObject*,
                                            unsigned long) {
    result.resultsByModel_.clear();
    for (long key : keys_) {
        const auto it = result.resultsByKey_.find(key);
        if (it != result.resultsByKey_.end()) result.resultsByModel_.push_back(it->second);
    }
    for (const vx_OCExtractStringResult::Handle& h : result.resultsByModel_) {
        vstd_assert_(static_cast<bool>(h), "every model has a char result");
        h->sortByScore_();
    }
    result.resultsByPosition_.assign(targetKeys.size(), vx_OCExtractStringResult::Handle());
    for (std::size_t j = 0; j < targetKeys.size(); ++j) {
        const auto it = result.resultsByKey_.find(targetKeys[j]);
        vstd_assert_(it != result.resultsByKey_.end() && it->second,
                     "every target key has a model");
        result.resultsByPosition_[j] = it->second;
    }
}

void vx_OCExtractModel::verifyKestrelResults_(const vxPtrHandle_const<vxOCAlphabet>&,
                                              const vxPelBuffer_const<unsigned char>&,
                                              vx_OCExtractStringResult&, vxDiagObject*,
                                              unsigned long) {}

bool vf_ConsensusScale_(const std::vector<double>& scales, long count, double* scale) {
    const long n = static_cast<long>(scales.size());
    if (count < 1 || n < count) return false;
    if (std::any_of(scales.begin(), scales.end(), [](double s) { return std::isnan(s); }))
        return false;
    std::vector<double> sorted = scales;
    std::sort(sorted.begin(), sorted.end());
    if (sorted.front() < 0.0) return false;

    const long w = count - 1;
    double bestRatio = 1.08;
    long bestStart = -1;
    for (long start = 0; start + w < n; ++start) {
        const double lo = sorted[static_cast<std::size_t>(start)];
        const double hi = sorted[static_cast<std::size_t>(start + w)];
        if (hi < bestRatio * lo) {
            bestRatio = hi / lo;
            bestStart = start;
        }
    }
    if (bestStart < 0) return false;
    *scale = std::sqrt(sorted[static_cast<std::size_t>(bestStart)] *
                       sorted[static_cast<std::size_t>(bestStart + w)]);
    return true;
}
