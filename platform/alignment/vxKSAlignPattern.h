// The geometric pattern-alignment tool: trains a pattern of edge features from an 8-bit
// image and finds it in other images under translation, rotation and uniform scale.
//
// A pattern is the set of edge points of its training image, each with its sub-pixel
// position and unit gradient direction, kept at several pyramid levels. The score of a
// pose is the mean, over the pattern's features, of the agreement max(0, cos) between
// the feature's direction and the run image's gradient direction at the mapped point,
// weighted by how close the matching image edge lies along the feature's direction
// (fully within half a pixel, not at all beyond a pixel; 0 where the image gradient is
// below the contrast threshold or the point falls outside the image). It does not depend on
// contrast or illumination, respects polarity (a dark-on-light pattern scores near 0 on
// light-on-dark print) and falls gracefully with occlusion.
//
// A run searches the top pyramid level exhaustively over translation, angle and scale,
// tracks the best candidates down the pyramid and refines each by least squares on
// sub-pixel edge positions. Runs poll vxAttention::check about every millisecond.
// Working buffers are kept per thread and reused, so one pattern object must not be
// run from two threads at once but different patterns may.
#pragma once

#include "vxKSAlignParams.h"
#include "vxKSAlignResult.h"
#include "vxPelBuffer.h"
#include "vx_KSDefs.h"

#include <memory>
#include <utility>

class vxDiagObject;
struct vx_KSModel;

// Granularity and the trained state shared by the tool's patterns.
//
// Granularity is the pixel size of a pyramid level (1 = full resolution, 2 = half,
// ...). The coarse limit bounds the level the search starts at, the fine limit the
// level results are refined at. Automatic selection (the default) takes the coarsest
// level (up to 32) at which the pattern keeps at least 10 features and 5.5 pixels
// across, and refines at full resolution. With explicit limits the search starts at
// the coarsest level within them that keeps as much, so thin or small patterns fall
// back to finer levels either way.
class vx_KSPattern {
public:
    virtual ~vx_KSPattern();

    // Sets both limits and switches automatic selection off. Each must be finite and
    // 1 to 32; they may come in either order (the larger is the coarse limit).
    // Granularities round to the nearest power of two. Takes effect at the next train.
    void grainLimits(double coarse, double fine);
    // The limits as (coarse, fine).
    std::pair<double, double> grainLimits() const { return {coarse_, fine_}; }
    void autoSelectGrainLimits(bool on) { auto_ = on; }
    bool autoSelectGrainLimits() const { return auto_; }

    bool isTrained() const { return static_cast<bool>(model_); }
    // The training image (a private copy of the window trained on, with its position
    // and client-from-image transform); unbound before training.
    const vxPelBuffer_const<unsigned char>& trainImage() const { return trainImage_; }
    // The training image's client-from-image transform.
    vxPtrHandle_const<vx2XformBase> trainClientFromImage() const {
        return trainImage_.clientFromImage();
    }
    // The pyramid levels the last training chose (0 = full resolution).
    int coarseLevel() const;
    int fineLevel() const;
    // Number of features at a trained level (0 for levels not trained).
    long numFeatures(int level) const;

protected:
    vx_KSPattern();
    vx_KSPattern(const vx_KSPattern&);
    vx_KSPattern& operator=(const vx_KSPattern&);

    std::shared_ptr<const vx_KSModel> model_; // immutable once trained, so copies share it
    vxPelBuffer_const<unsigned char> trainImage_;
    double coarse_ = 4.0;
    double fine_ = 1.0;
    bool auto_ = true;
};

class vxKSAlignPattern : public vx_KSPattern {
public:
    vxKSAlignPattern() = default;

    // Trains on image's window. `mode` is a vx_KSDefs::TrainMode bit set (3 for both
    // search and sub-pixel refinement; 1 skips the sub-pixel level, 2 keeps only the
    // fine level so runs search it exhaustively). Diagnostics are not recorded.
    // Throws vx_KSDefs::BadImage for an unbound or empty image, vx_KSDefs::BadParams for
    // another mode, vx_KSDefs::TooFewFeatures when the image has fewer than 8 usable
    // edge points; the pattern is left as it was when anything throws.
    void train(const vxPelBuffer_const<unsigned char>& image, long mode = vx_KSDefs::eTrainAll,
               vxDiagObject* diag = nullptr, unsigned long diagFlags = 0);

    // Finds the pattern in image's window and replaces `results` by at most numToFind
    // results, best first, none two overlapping by more than xyOverlap. Results may
    // include some below the accept threshold (not accepted); candidates that cannot
    // come within 0.2 of it, or of the worst of numToFind results already kept, are
    // dropped unrefined. With a mask (of
    // the image's size; pixels of 128 and above are care pixels), features falling on
    // don't-care pixels count neither for nor against a result. Throws
    // vx_KSDefs::NotTrained, vx_KSDefs::BadImage for an unbound or empty image, a mask
    // of another size or a search level over about 8000 x 8000 pixels (results
    // untouched). When a time limit armed with
    // vxAttentionTag::attachTimeoutCustom expires it throws vxTimeout::InternalExpired
    // (and a caller's own limit vxTimeout::Expired) with `results` holding every result
    // refined before then; an abort request empties `results` and throws
    // vx_KSDefs::InternalError.
    void run(const vxPelBuffer_const<unsigned char>& image, const vxKSAlignRunParams& params,
             vxKSAlignResultSet& results, vxDiagObject* diag = nullptr,
             unsigned long diagFlags = 0) const;
    void run(const vxPelBuffer_const<unsigned char>& image,
             const vxPelBuffer_const<unsigned char>& mask, const vxKSAlignRunParams& params,
             vxKSAlignResultSet& results, vxDiagObject* diag = nullptr,
             unsigned long diagFlags = 0) const;

private:
    void run_(const vxPelBuffer_const<unsigned char>& image,
              const vxPelBuffer_const<unsigned char>* mask, const vxKSAlignRunParams& params,
              vxKSAlignResultSet& results) const;
};
