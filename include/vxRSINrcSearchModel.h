// A bank of normalized-correlation models of one character, trained at a few
// rotations and scales around its nominal pose, and the bank's search results. The
// correlation search itself is translation-only; the bank adds the small rotations
// and scale changes by trying one model per (angle, scale) pair and keeping the best.
#pragma once

#include "vxAffineRectangle.h"
#include "vxNrcSearchModel.h"
#include "vxPelBuffer.h"
#include "vxRange.h"
#include "vxRect.h"
#include "vxRepBase.h"
#include "vxXform.h"

#include <string>
#include <vector>

class vxDiagObject;

// Which rotations and scales the bank is trained at. Angles are in degrees; every
// bank scale is divided by nominalScale. The defaults are the refinement's bank:
// 13 angles from -3 to 3 degrees times 4 scales (0.95, 0.9785, 1.0079, 1.0381).
struct vx_RSITrainParams {
    vxRange angleRange{-3.0, 3.0};
    double angleStep = 0.5;          // degrees between bank rotations, above 0
    vxRange scaleRange{0.95, 1.065}; // a bank scale s runs start, start (1 + step), ... <= end
    double scaleStep = 0.03;         // above 0
    double nominalScale = 1.0;       // above 0
};

// How the bank's correlation runs look. Thresholds apply to the correlation tool's
// score (r squared, see vx_SearchInstance::score).
struct vx_RSIRunParams {
    double accept = 0.5;    // lowest reported score, 0 to 1
    double confusion = 0.6; // score taken as certain (the run stops looking), accept to 1
    // Most results per correlation run and most instances kept in the bank's result;
    // -1 (any negative count) for no limit. Passed to the correlation tool as a 16-bit
    // count, so it must lie from -32768 to 32767 and must not be 0.
    long maxNumResults = -1;
    // The window (image coordinates) the correlation runs look in; one narrower or
    // lower than a template, such as the null rectangle, restricts nothing.
    vxPelRect window;
};

// One match of a bank entry.
struct vx_SearchInstance {
    // The correlation tool's score (vxNrcSearchResult::score): r squared, 0 to 1. An
    // accept of 0.3 thus asks for r >= 0.55; on r itself a character of a font reaches
    // 0.3 against nearly any other one somewhere in a patch, so a misprint would pass
    // for the expected character.
    double score = 0.0;
    // Maps the character's model client coordinates into the run image's client
    // coordinates: the entry's rotation and scale on top of the run image's own
    // client-from-image transform (linearised at the match), moved to the match.
    vxXform<2> pose;
    // The model window (the training image's window) carried into run-time client
    // coordinates by pose and the model's client-from-image transform.
    vxAffineRectangle affRect;
    // The correlation result's location: where the model's client origin lies in the
    // run image's client coordinates (pose's translation).
    vxVector<2> location;
    long bankIndex = 0; // the bank entry that found it
};

// What a bank run found, best score first. Shared through vxPtrHandle.
class vx_SearchResult2 : public virtual vxRepBase {
public:
    bool found() const { return found_; }
    // Milliseconds the run took.
    double time() const { return time_; }
    long numInstances() const { return static_cast<long>(instances_.size()); }
    const std::vector<vx_SearchInstance>& instances() const { return instances_; }

    // Instance i (0 <= i < numInstances()); any other index throws
    // vx_OCExtractDefs::vx_OCExtractError "Refine error".
    const vx_SearchInstance& instance(long i) const;
    const vxXform<2>& pose(long i) const { return instance(i).pose; }
    double score(long i) const { return instance(i).score; }

private:
    friend class vxRSINrcSearchModel;
    bool found_ = false;
    double time_ = 0.0;
    std::vector<vx_SearchInstance> instances_;
};

class vxRSINrcSearchModel : public virtual vxRepBase {
public:
    // Trains one correlation model per bank (angle, scale): image and mask are turned
    // by the angle and scaled by scale / nominalScale (bilinear), and the turned image
    // becomes the entry's template. The mask only has to fit the image (the same width
    // and height, or unbound): correlation templates have no care mask. The bank
    // stays shared in memory, so training is the expensive part and runs do not
    // retrain. `diag` and `diagFlags` are not used.
    // Throws vxOCDefs::BadParams for a step or nominal scale that is not above 0, a
    // range that is empty or not finite, a scale range not above 0, or more than 10000
    // entries; vxPel::UnboundWindow for an unbound image; vxPel::NonLinearXform for a
    // non-linear client-from-image transform; vxPel::SizeMismatch for a mask of
    // another size; and what the turning or the correlation training throws (a flat
    // image: vxNrcSearchDefs::BadTrainImage).
    vxRSINrcSearchModel(const vxPelBuffer_const<unsigned char>& image,
                        const vxPelBuffer_const<unsigned char>& mask,
                        const vx_RSITrainParams& params, const std::wstring& name,
                        vxDiagObject* diag = nullptr, unsigned long diagFlags = 0);

    const std::wstring& name() const { return name_; }
    // The training image's window, in its pixels.
    const vxPelRect& window() const { return window_; }
    const vx_RSITrainParams& trainParams() const { return params_; }
    long numModels() const { return static_cast<long>(bank_.size()); }
    // Entry i's correlation model and its transform (rotation and scale only, about
    // the origin); i must be from 0 to numModels() - 1 (vxOCDefs::BadIndex otherwise).
    const vxNrcSearchModel& model(long i) const;
    const vxXform<2>& bankXform(long i) const;

    // Searches image's window with every entry in bank order and keeps every result
    // found, best score first (ties in bank order), at most maxNumResults of them.
    // `result` is made when null, else emptied and refilled. An entry whose run fails
    // with a foundation exception is skipped, but a time limit (vxTimeout::Error) or an
    // abort request (vxAttention::Aborted) passes through. Throws vxOCDefs::BadParams
    // for run parameters out of range and vxPel::UnboundWindow for an unbound image,
    // before `result` is touched. `diag` and `diagFlags` are not used.
    void run(const vxPelBuffer_const<unsigned char>& image, const vx_RSIRunParams& params,
             vxPtrHandle<vx_SearchResult2>& result, vxDiagObject* diag = nullptr,
             unsigned long diagFlags = 0) const;

private:
    std::wstring name_;
    vxPelRect window_;
    vx_RSITrainParams params_;
    std::vector<vxNrcSearchModel> bank_;
    std::vector<vxXform<2>> bankXforms_;
    // The training image's client-from-image transform. Instance poses are given in
    // the model's client frame, so the run divides its linear part out again.
    vxXform<2> modelClientFromImage_;
};
