// The correlation sub-model tool: trained on a small pattern, it finds the translation
// at which the pattern best matches a run image near a start pose, allowing the
// pattern to hang partly over the image's edges.
//
// Placements are whole-pixel shifts of the model's pixel grid over the image's; every
// one within the search box (and allowed by partialMatch) is scored by normalized
// correlation over the overlapping care pixels, and the best is refined to sub-pixel
// translation by a parabola through its neighbours' scores along x and along y.
// Ties go to the placement nearest the start pose.
//
// A trained tool is immutable while it runs, so one tool may run on several threads
// at once; copies share the trained state.
#pragma once

#include "vxPelBuffer.h"
#include "vxWarpSubModel.h"
#include "vxWarpSubModelParams.h"
#include "vx_SubModelResult.h"

#include <memory>
#include <vector>

class vx_SubModelTool {
public:
    // An untrained tool.
    vx_SubModelTool() = default;

    // Trains on the model's pixels (copied, so the model's buffers may change later).
    // The model's client-from-image transform defines model client coordinates.
    // Throws vx_SubModelDefs::BadImage for a model wider than 65536 pixels or with more
    // than 2^24 pixels, vxPel::NonLinearXform or vxGeomDefs::Singular for a client-
    // from-image transform that is not linear or not invertible. A failed train leaves
    // the tool as it was.
    void train(const vxWarpSubModel& model, const vxWarpSubModelCorTrainParams& params);
    bool isTrained() const { return static_cast<bool>(trained_); }
    // The parameters of the last training; throws vx_SubModelDefs::NotTrained.
    const vxWarpSubModelCorTrainParams& trainParams() const;

    // Searches `image`'s window for the model, translating `startPose` (which maps
    // model client coordinates into image client coordinates) within the box
    // params.xyUncertainty() centred on it, and replaces `results` by the best
    // placement when its score reaches params.acceptThreshold() (else by no result;
    // also when no placement satisfies partialMatch). Image pixels count where `mask`
    // is 128 or more (an unbound or omitted mask counts every pixel). `points`, in
    // model client coordinates, come back mapped by the result's pose.
    // Throws vx_SubModelDefs::NotTrained; vx_SubModelDefs::BadImage for an unbound or
    // empty image or a bound mask whose window differs from the image's;
    // vx_SubModelDefs::NotImplemented when the start pose does not map model pixels
    // onto image pixels by a translation (it may not rotate, scale or shear them);
    // vx_SubModelDefs::BadParams for a start pose that is not finite;
    // vxPel::NonLinearXform or vxGeomDefs::Singular for the image's client-from-image
    // transform; whatever vxAttention::check throws. `results` is unchanged on failure.
    void run(const vxPelBuffer_const<unsigned char>& image, const vxXform<2>& startPose,
             const vxWarpSubModelCorRunParams& params, vx_SubModelResultSet& results) const;
    void run(const vxPelBuffer_const<unsigned char>& image,
             const vxPelBuffer_const<unsigned char>& mask, const vxXform<2>& startPose,
             const vxWarpSubModelCorRunParams& params, vx_SubModelResultSet& results) const;
    void run(const vxPelBuffer_const<unsigned char>& image, const vxXform<2>& startPose,
             const vxWarpSubModelCorRunParams& params, const std::vector<vxVector<2>>& points,
             vx_SubModelResultSet& results) const;
    void run(const vxPelBuffer_const<unsigned char>& image,
             const vxPelBuffer_const<unsigned char>& mask, const vxXform<2>& startPose,
             const vxWarpSubModelCorRunParams& params, const std::vector<vxVector<2>>& points,
             vx_SubModelResultSet& results) const;

private:
    struct Trained;
    std::shared_ptr<const Trained> trained_;
};
