// The correlation bank: one translation-only correlation model per (angle, scale) pair,
// trained on the character turned and scaled by the pair, and a run that tries every
// entry and reports the best matches with the entry's rotation and scale as their pose.
#include "vxRSINrcSearchModel.h"

#include "vxAttention.h"
#include "vxOCDefs.h"
#include "vxTimer.h"
#include "vx_OCAffineTransform.h"
#include "vx_OCExtractDefs.h"

#include <algorithm>
#include <cmath>

namespace {

// A bank larger than this is a parameter mistake (a step far too small), not a bank.
constexpr long kMaxBankEntries = 10000;

bool isFiniteRange(const vxRange& r) {
    return !r.isEmpty() && std::isfinite(r.start()) && std::isfinite(r.end());
}

// The values start, next(start), ... up to and including end; throws once there would
// be more than kMaxBankEntries of them. The same accumulation as the training loop,
// so the count matches it exactly.
template <class Next> std::vector<double> steps(const vxRange& range, Next next) {
    std::vector<double> values;
    for (double v = range.start(); v <= range.end(); v = next(v)) {
        if (static_cast<long>(values.size()) == kMaxBankEntries)
            throw vxOCDefs::BadParams(L"The bank would hold too many models");
        values.push_back(v);
    }
    return values;
}

void checkTrainParams(const vx_RSITrainParams& p) {
    if (!(p.angleStep > 0.0) || !std::isfinite(p.angleStep))
        throw vxOCDefs::BadParams(L"The bank angle step must be above 0");
    if (!(p.scaleStep > 0.0) || !std::isfinite(p.scaleStep))
        throw vxOCDefs::BadParams(L"The bank scale step must be above 0");
    if (!(p.nominalScale > 0.0) || !std::isfinite(p.nominalScale))
        throw vxOCDefs::BadParams(L"The bank nominal scale must be above 0");
    if (!isFiniteRange(p.angleRange))
        throw vxOCDefs::BadParams(L"The bank angle range must be finite and not empty");
    if (!isFiniteRange(p.scaleRange) || !(p.scaleRange.start() > 0.0))
        throw vxOCDefs::BadParams(L"The bank scale range must be finite, not empty and above 0");
}

void checkRunParams(const vx_RSIRunParams& p) {
    if (!(p.accept >= 0.0 && p.accept <= 1.0))
        throw vxOCDefs::BadParams(L"The accept score must be from 0 to 1");
    if (!(p.confusion >= p.accept && p.confusion <= 1.0))
        throw vxOCDefs::BadParams(L"The confusion score must be from the accept score to 1");
    if (p.maxNumResults == 0 || p.maxNumResults < -32768 || p.maxNumResults > 32767)
        throw vxOCDefs::BadParams(L"The result count must be from -32768 to 32767 and not 0");
}

} // namespace

const vx_SearchInstance& vx_SearchResult2::instance(long i) const {
    if (i < 0 || i >= numInstances()) throw vx_OCExtractDefs::vx_OCExtractError(L"Refine error");
    return instances_[static_cast<size_t>(i)];
}

vxRSINrcSearchModel::vxRSINrcSearchModel(const vxPelBuffer_const<unsigned char>& image,
                                         const vxPelBuffer_const<unsigned char>& mask,
                                         const vx_RSITrainParams& params, const std::wstring& name,
                                         vxDiagObject*, unsigned long)
    : name_(name), window_(image.window()), params_(params) {
    checkTrainParams(params);
    if (!image.isBound()) throw vxPel::UnboundWindow();
    modelClientFromImage_ = image.clientFromImageXform();
    modelClientFromImage_.inverse(); // a singular transform fails here, not at run time

    const std::vector<double> scales =
        steps(params.scaleRange, [&](double s) { return s * (1.0 + params.scaleStep); });
    const std::vector<double> angles =
        steps(params.angleRange, [&](double a) { return a + params.angleStep; });
    if (static_cast<double>(scales.size()) * static_cast<double>(angles.size()) > kMaxBankEntries)
        throw vxOCDefs::BadParams(L"The bank would hold too many models");

    const vxNrcSearchTrainParams trainParams(vxNrcSearchDefs::eFine,
                                             vxNrcSearchDefs::eCoarseToFine);
    bank_.reserve(scales.size() * angles.size());
    bankXforms_.reserve(scales.size() * angles.size());
    for (double s : scales) {
        const double scale = s / params.nominalScale;
        for (double a : angles) {
            vxAttention::check(); // a bank is dozens of trainings: stay answerable
            const vxRadian angle = vxDegree(a);
            vxPelBuffer<unsigned char> turned, turnedMask;
            vf_AffineTransform(image, mask, angle, scale, turned, turnedMask,
                               vxAffineSamplingParams::eBilinear,
                               vxAffineSamplingParams::eBilinear);
            bank_.emplace_back();
            bank_.back().train(turned, trainParams);
            bankXforms_.emplace_back(vxVector<2>(0.0, 0.0), scale, 1.0, vxRadian(0), angle);
        }
    }
}

const vxNrcSearchModel& vxRSINrcSearchModel::model(long i) const {
    if (i < 0 || i >= numModels()) throw vxOCDefs::BadIndex(L"No such bank entry");
    return bank_[static_cast<size_t>(i)];
}

const vxXform<2>& vxRSINrcSearchModel::bankXform(long i) const {
    if (i < 0 || i >= numModels()) throw vxOCDefs::BadIndex(L"No such bank entry");
    return bankXforms_[static_cast<size_t>(i)];
}

void vxRSINrcSearchModel::run(const vxPelBuffer_const<unsigned char>& image,
                              const vx_RSIRunParams& params, vxPtrHandle<vx_SearchResult2>& result,
                              vxDiagObject*, unsigned long) const {
    checkRunParams(params);
    if (!image.isBound()) throw vxPel::UnboundWindow();
    vxTimer timer(true);

    vxNrcSearchRunParams runParams(vxNrcSearchDefs::eCoarseToFine);
    runParams.accuracy(vxNrcSearchDefs::eFine);
    runParams.accept(params.accept);
    runParams.confusion(params.confusion);
    runParams.xyOverlap(0.3);
    runParams.maxNumResults(static_cast<short>(params.maxNumResults));

    // Each found result with the image point of its template origin, where the pose's
    // linear part is taken (the client-from-image transform need not be linear).
    struct Found {
        vx_SearchInstance instance;
        vxVector<2> imagePoint;
    };
    std::vector<Found> found;
    vxNrcSearchResultSet set;
    for (long b = 0; b < numModels(); ++b) {
        const vxNrcSearchModel& entry = bank_[static_cast<size_t>(b)];
        vxAttention::check();
        try {
            entry.run(image, params.window, runParams, set);
        } catch (const vxTimeout::Error&) {
            throw;
        } catch (const vxAttention::Aborted&) {
            throw;
        } catch (const vxException&) {
            continue; // this entry cannot run on this image; the others may
        }
        for (const vxNrcSearchResult& r : set.results()) {
            if (!r.found()) continue;
            Found f;
            f.instance.score = r.score();
            f.instance.location = r.location();
            f.instance.bankIndex = b;
            f.imagePoint = r.corner() + entry.origin();
            found.push_back(f);
        }
    }

    // Stable, so that equal scores keep bank order and runs are reproducible.
    std::stable_sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        return a.instance.score > b.instance.score;
    });
    if (params.maxNumResults > 0 && static_cast<long>(found.size()) > params.maxNumResults)
        found.resize(static_cast<size_t>(params.maxNumResults));

    // Run client from model client: the patch's client-from-image transform, the
    // entry's turn and scale (template pixels from model pixels), and the model's
    // image-from-client transform. For a model whose client frame is its pixel frame
    // the last factor is the identity.
    const vxMatrix<2> modelImageFromClient = modelClientFromImage_.matrix().inverse();
    const vxPtrHandle_const<vx2XformBase> clientFromImage = image.clientFromImage();
    auto fresh = vxPtrHandle<vx_SearchResult2>(new vx_SearchResult2);
    for (Found& f : found) {
        vx_SearchInstance& in = f.instance;
        const vxMatrix<2> local = clientFromImage->linearXform(f.imagePoint).xform().matrix();
        const vxMatrix<2> linear =
            local * bankXforms_[static_cast<size_t>(in.bankIndex)].matrix() * modelImageFromClient;
        in.pose = vxXform<2>(linear, in.location);
        in.affRect = vxAffineRectangle(window_).map(in.pose * modelClientFromImage_);
        fresh->instances_.push_back(in);
    }
    fresh->found_ = !fresh->instances_.empty();
    timer.stop();
    fresh->time_ = timer.msec();

    if (result) {
        vx_SearchResult2& r = *result;
        r.found_ = fresh->found_;
        r.time_ = fresh->time_;
        r.instances_.swap(fresh->instances_);
    } else {
        result = fresh;
    }
}
