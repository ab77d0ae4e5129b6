// What a sub-model run found: the best placement's pose and score.
#pragma once

#include "vxXform.h"

#include <vector>

class vx_SubModelResult {
public:
    vx_SubModelResult() = default;
    vx_SubModelResult(const vxXform<2>& pose, double score, std::vector<vxVector<2>> points)
        : pose_(pose), score_(score), points_(std::move(points)) {}

    // Maps model client coordinates into run-image client coordinates. It is the start
    // pose moved by the translation found, so its matrix is the start pose's; being
    // affine, its linear form at any point is itself.
    const vxXform<2>& pose() const { return pose_; }
    // Normalized correlation over the overlapping care pixels, in [0, 1]: negative
    // correlation counts as 0, and so does a placement where the model or the image
    // is flat (or fewer than two pixels take part).
    double score() const { return score_; }
    // The points handed to the run (model client coordinates) mapped by pose().
    const std::vector<vxVector<2>>& points() const { return points_; }

private:
    vxXform<2> pose_;
    double score_ = 0.0;
    std::vector<vxVector<2>> points_;
};

class vx_SubModelResultSet {
public:
    // The number of results: 0 or 1 (a run reports its best placement only).
    long numFound() const { return static_cast<long>(results_.size()); }
    const std::vector<vx_SubModelResult>& results() const { return results_; }
    // Throws vxGeomDefs::BadIndex for an index outside [0, numFound()).
    const vx_SubModelResult& operator[](long i) const {
        if (i < 0 || i >= numFound()) throw vxGeomDefs::BadIndex(L"No such sub-model result");
        return results_[static_cast<size_t>(i)];
    }

    void clear() { results_.clear(); }
    void add(const vx_SubModelResult& r) { results_.push_back(r); }

private:
    std::vector<vx_SubModelResult> results_;
};
