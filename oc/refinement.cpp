// Refinement of inferred positions: the patch around an expected pose, the rectangle
// that holds a turned window, and the per-key correlation banks that search the
// patches.
#include "vx_OCRefinement.h"

#include "vxAffineSampling.h"
#include "vxAttention.h"
#include "vxOCDefs.h"
#include "vxOCModel.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>

vxAffineRectangle vf_AffineRectFromPelRect_(const vxPelRect& r, const vxXform<2>& x) {
    return vxAffineRectangle(x.mapPoint(vxVector<2>(r.ul())), x.mapPoint(vxVector<2>(r.ur())),
                             x.mapPoint(vxVector<2>(r.ll())));
}

vxPelRect vf_EncloseTurned_(const vxPelRect& r, vxRadian maxAngle, double scaleMargin) {
    const double growth = 1.0 + scaleMargin;
    const vxVector<2> d(0.5 * r.width() * growth, 0.5 * r.height() * growth);
    const double radius = d.length();
    const double phi = std::atan2(d.y(), d.x());
    const double a = std::fabs(maxAngle.plain());

    // The box of the arc from phi - a to phi + a: its ends, and every axis crossing
    // (a multiple of a quarter turn) inside it.
    double xMax = 0.0, yMax = 0.0;
    auto take = [&](double t) {
        xMax = std::max(xMax, std::fabs(radius * std::cos(t)));
        yMax = std::max(yMax, std::fabs(radius * std::sin(t)));
    };
    take(phi - a);
    take(phi + a);
    const double quarter = 0.5 * std::numbers::pi;
    if (a >= std::numbers::pi) {
        xMax = yMax = radius;
    } else {
        for (double t = std::ceil((phi - a) / quarter) * quarter; t <= phi + a; t += quarter)
            take(t);
    }
    // The mirror through the centre makes the box symmetric, so only the largest
    // absolute coordinates matter; it holds the other two corners' arcs as well.
    const vxVector<2> c(r.x() + 0.5 * r.width(), r.y() + 0.5 * r.height());
    return vxRect(c.x() - xMax, c.y() - yMax, 2.0 * xMax, 2.0 * yMax).enclosePelRect(1e-11);
}

bool vf_SampleAroundPose_(vxPelBuffer<unsigned char>& out,
                          const vxPelBuffer_const<unsigned char>& image,
                          const vxPelRect& modelWindow, const vxXform<2>& modelClientFromImage,
                          const vxXform<2>& expectedPose, vxRadian angleMargin,
                          double scaleMargin) {
    out.setUnbound();
    if (modelWindow.isNull()) return false;
    vxPelBuffer_const<unsigned char> whole(image);
    whole.setEntire();

    const vxXform<2> runClientFromModelImage = expectedPose * modelClientFromImage;
    const vxRadian turn = angleMargin + vxRadian(vxDegree(2.0));
    for (bool grown : {true, false}) {
        const long gx = grown ? std::lround(modelWindow.width() / 3.0) : 0;
        const long gy = grown ? std::lround(modelWindow.height() / 3.0) : 0;
        const vxPelRect r(modelWindow.x() - gx, modelWindow.y() - gy, modelWindow.width() + 2 * gx,
                          modelWindow.height() + 2 * gy);
        const vxPelRect e = vf_EncloseTurned_(r, turn, scaleMargin);
        const vxAffineSamplingParams params(vf_AffineRectFromPelRect_(e, runClientFromModelImage),
                                            e.width(), e.height(),
                                            vxAffineSamplingParams::eBilinear);
        if (params.willClip(whole)) continue;
        vxPelBuffer<unsigned char> patch = vfAffineTransformImage(whole, params);
        // Give the patch the model's pixel coordinates; every pixel keeps its client place.
        const vxXform<2> clientFromSample = patch.clientFromImageXform();
        patch.offset(e.x(), e.y());
        patch.clientFromImageXform(clientFromSample *
                                   vxXform<2>(vxMatrix<2>(), -vxVector<2>(e.ul())));
        out = patch;
        break;
    }
    return out.isBound();
}

namespace {

using Status = vxOCArrangeDefs::CharStatus;

// Stop requests end the refinement; every other failure of a foundation call only
// gives up on the key or the position at hand.
template <class F> bool succeeded(F f) {
    try {
        f();
        return true;
    } catch (const vxTimeout::Error&) {
        throw;
    } catch (const vxAttention::Aborted&) {
        throw;
    } catch (const vxException&) {
        return false;
    }
}

vx_RSIRunParams refineRunParams() {
    vx_RSIRunParams p;
    p.accept = 0.3;
    p.confusion = 0.4;
    p.maxNumResults = 1;
    p.window = vxPelRect(0, 0, 1, 1);
    return p;
}

void checkArguments(const vxPelBuffer_const<unsigned char>& image,
                    const vxPtrHandle_const<vxOCAlphabet>& alphabet,
                    const std::vector<long>& targetKeys, const std::vector<vx_Pose>& poses,
                    const std::vector<Status>& statuses, const std::vector<double>& scores) {
    if (!alphabet) throw vxOCDefs::BadParams(L"Alphabet must point to a valid object.");
    const size_t n = targetKeys.size();
    if (poses.size() != n || statuses.size() != n || scores.size() != n)
        throw vxOCDefs::BadParams(
            L"Poses, statuses and scores must have one entry per target position.");
    for (long key : targetKeys)
        alphabet->character(key); // throws BadKey
    if (!image.isBound()) throw vxPel::UnboundWindow();
}

} // namespace

vx_RSITrainParams vf_RefinementTrainParams_() {
    vx_RSITrainParams p;
    p.angleRange = vxRange(-3.0, 3.0);
    p.angleStep = 0.5;
    // Scales 0.95, 0.9785, 1.0079 and 1.0381; the next, 1.0692, lies beyond the range.
    p.scaleRange = vxRange(1.0 - 0.05, 1.0 + 0.05 + 0.03 / 2.0);
    p.scaleStep = 0.03;
    p.nominalScale = 1.0;
    return p;
}

void vf_RefineArrangement(const vxPelBuffer_const<unsigned char>& image,
                          const vxPtrHandle_const<vxOCAlphabet>& alphabet,
                          const std::vector<long>& targetKeys, std::vector<vx_Pose>& poses,
                          std::vector<Status>& statuses, std::vector<double>& scores, vxDiagObject*,
                          unsigned long) {
    checkArguments(image, alphabet, targetKeys, poses, statuses, scores);
    const size_t n = targetKeys.size();
    std::vector<vx_Pose> newPoses(poses);
    std::vector<Status> newStatuses(statuses);
    std::vector<double> newScores(scores);

    const vx_RSITrainParams trainParams = vf_RefinementTrainParams_();
    const vx_RSIRunParams runParams = refineRunParams();

    std::vector<bool> done(n, false);
    std::set<long> untrainable; // training is deterministic: a key that failed fails again
    for (size_t j = 0; j < n; ++j) {
        const long key = targetKeys[j];
        const vxOCModel& model = *alphabet->character(key);
        if (model.charType() == vxOCModel::eBlank) done[j] = true;
        if (done[j] || untrainable.count(key)) continue;

        // A bank is worth training only for a key with an inferred position.
        bool needed = false;
        for (size_t k = j; k < n; ++k)
            if (targetKeys[k] == key && newStatuses[k] == vxOCArrangeDefs::eInferred) needed = true;
        if (!needed) continue;

        vxPelBuffer_const<unsigned char> modelImage(model.image()), modelMask(model.mask());
        vxPtrHandle_const<vxRSINrcSearchModel> bank;
        const bool trained = succeeded([&] {
            modelImage.window(model.imageArea(), false);
            if (modelMask.isBound()) modelMask.window(model.imageArea(), false);
            bank = vxPtrHandle_const<vxRSINrcSearchModel>(
                new vxRSINrcSearchModel(modelImage, modelMask, trainParams, model.name()));
        });
        if (!trained) {
            untrainable.insert(key);
            continue;
        }

        for (size_t k = j; k < n; ++k) {
            if (targetKeys[k] != key) continue;
            done[k] = true;
            if (newStatuses[k] != vxOCArrangeDefs::eInferred) continue;

            vxPelBuffer<unsigned char> patch;
            vxPtrHandle<vx_SearchResult2> result;
            const bool searched = succeeded([&] {
                if (!vf_SampleAroundPose_(patch, image, modelImage.window(),
                                          modelImage.clientFromImageXform(), newPoses[k].xform(),
                                          vxDegree(3.0), 0.05))
                    return;
                bank->run(patch, runParams, result);
            });
            if (!searched || !result || !result->found()) continue;
            newStatuses[k] = vxOCArrangeDefs::eMatched;
            newPoses[k] = vf_PoseFromXform(result->pose(0));
            newScores[k] = result->score(0);
        }
    }

    poses.swap(newPoses);
    statuses.swap(newStatuses);
    scores.swap(newScores);
}
