// What the character finder reports: one match of a character (an instance), every
// match of one key with facts about its model (a char result), and the answer for a
// whole target string, with the char results by model, by target position and by key.
#pragma once

#include "vxAffineRectangle.h"
#include "vxKSAlignResult.h"
#include "vxRect.h"
#include "vxRepBase.h"
#include "vxXform.h"
#include "vx_OCExtractDefs.h"

#include <map>
#include <vector>

class vxDiagObject;
class vx_OCExtractModel;
class vx_OCExtractStringResult;
struct vx_OCExtractPeer; // white-box access for the module's tests

// One match of a character model in a run-time image.
class vx_OCExtractCharInstance {
public:
    // Score 0, identity pose, the unit square.
    vx_OCExtractCharInstance() = default;
    // Score and pose of `result`; the rectangle is `trainWindow` (train-image pixels,
    // origin at its upper-left corner, first side along its top, second down its left
    // side) carried into run-time client coordinates by result.pose() *
    // trainClientFromImage.
    vx_OCExtractCharInstance(const vxKSAlignResult& result, const vxXform<2>& trainClientFromImage,
                             const vxPelRect& trainWindow);
    // The three fields as given.
    vx_OCExtractCharInstance(double score, const vxXform<2>& pose, const vxAffineRectangle& affRect)
        : score_(score), pose_(pose), affRect_(affRect) {}

    double score() const { return score_; }
    // Maps the character's train-client coordinates into run-time client coordinates.
    const vxXform<2>& pose() const { return pose_; }
    // The model's training window in run-time client coordinates.
    const vxAffineRectangle& affRect() const { return affRect_; }

    // True exactly when a scores higher than b (false for equal scores or a NaN).
    static bool orderByScore(const vx_OCExtractCharInstance& a, const vx_OCExtractCharInstance& b);

    // The overlap test, measured in the frame where other's rectangle is the unit
    // square: true when this rectangle's centre or one of its four corners (tested in
    // that order) lies within `tolerance` of other's centre (0.5, 0.5). So the
    // tolerance is a fraction of other's sides, and the test is not symmetric. A
    // degenerate other (zero area) overlaps nothing.
    bool isEqual(const vx_OCExtractCharInstance& other, double tolerance) const;

private:
    double score_ = 0.0;
    vxXform<2> pose_;
    vxAffineRectangle affRect_;
};

// Every match of one character key, best first once the search has post-processed it,
// with the key's model symmetry, its half-turn pose, how many target positions carry
// the key and how long its search took. Shared through vxPtrHandle.
class vx_OCExtractCharResult : public virtual vxRepBase {
public:
    vx_OCExtractCharResult() { init(); }
    vx_OCExtractCharResult(const vx_OCExtractCharResult&) = default;
    vx_OCExtractCharResult& operator=(const vx_OCExtractCharResult&) = default;
    ~vx_OCExtractCharResult() override = default;

    // Not found, no time, no instances, not symmetric, no occurrences. The half-turn
    // pose is kept.
    void init();

    bool found() const { return found_; }
    void found(bool found) { found_ = found; }
    // Milliseconds spent searching this character.
    double time() const { return time_; }
    void time(double ms) { time_ = ms; }
    long numInstances() const { return static_cast<long>(instances_.size()); }
    long numOccurrences() const { return numOccurrences_; }
    void numOccurrences(long count) { numOccurrences_ = count; }
    vx_OCExtractDefs::Symmetry symmetry() const { return symmetry_; }
    // The pose at which the model matched itself turned by 180 degrees; identity when
    // it never did.
    const vxXform<2>& rot180Pose() const { return rot180Pose_; }

    // Instance i (0 <= i < numInstances()); other indices throw
    // vx_OCExtractDefs::vx_OCExtractError "Bad index".
    vxXform<2> pose(long i) const;
    double score(long i) const;
    vxAffineRectangle affRect(long i) const;
    const vx_OCExtractCharInstance& instance(long i) const;

private:
    friend class vx_OCExtractModel;
    friend class vx_OCExtractStringResult;
    friend struct vx_OCExtractPeer;

    void append_(const vx_OCExtractCharInstance& instance) { instances_.push_back(instance); }
    // Best score first; the order of equal scores is not fixed.
    void sortByScore_();
    // Appends other's instances after this one's, adds its time and ors its found
    // flag; symmetry, half-turn pose and occurrences stay this one's.
    void operator+=(const vx_OCExtractCharResult& other);
    // instance(i).isEqual(instance(j), tolerance); bad indices throw as pose() does.
    bool doesOverlap_(long i, long j, double tolerance) const;
    // Erases every instance after i that instance i overlaps (isEqual); earlier
    // instances and i itself stay. A bad i throws as pose() does.
    void removeOverlapping_(long i, double tolerance);
    void checkIndex_(long i) const;

    bool found_ = false;
    double time_ = 0.0;
    std::vector<vx_OCExtractCharInstance> instances_;
    vx_OCExtractDefs::Symmetry symmetry_ = vx_OCExtractDefs::eNotSymmetric;
    vxXform<2> rot180Pose_;
    long numOccurrences_ = 0;
};

// The finder's answer for a target string. Copies share their char results.
class vx_OCExtractStringResult {
public:
    using Handle = vxPtrHandle<vx_OCExtractCharResult>;

    vx_OCExtractStringResult() { init(); }
    // No char results, both times 0.
    void init();

    // Milliseconds of searching (with post-processing) and of training.
    double searchTime() const { return searchTime_; }
    double trainTime() const { return trainTime_; }
    // One char result per distinct target key, in ascending key order.
    const std::vector<Handle>& uniqueCharResults() const { return resultsByModel_; }
    // One char result per target position; positions with one key share it.
    const std::vector<Handle>& results() const { return resultsByPosition_; }
    // The char result of each key.
    const std::map<long, Handle>& resultsByKey() const { return resultsByKey_; }

private:
    friend class vx_OCExtractModel;
    friend struct vx_OCExtractPeer;

    // Stores `result` (shared) for a new key; merges it (+=) into the stored one for a
    // key already present.
    void addToResult_(long key, const Handle& result);
    // result->removeOverlapping_(i, tolerance) when result is not null.
    void deleteOverlappingCandidate_(Handle& result, long i, double tolerance, vxDiagObject* diag,
                                     unsigned long diagFlags);

    double searchTime_ = 0.0;
    double trainTime_ = 0.0;
    std::vector<Handle> resultsByModel_;
    std::vector<Handle> resultsByPosition_;
    std::map<long, Handle> resultsByKey_;
};
