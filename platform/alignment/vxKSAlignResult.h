// Results of an alignment run.
#pragma once

#include "vxXform.h"

#include <vector>

// One found instance of a pattern.
class vxKSAlignResult {
public:
    vxKSAlignResult() = default;
    vxKSAlignResult(const vxXform<2>& pose, double score, double coverage, double clutter,
                    bool accepted)
        : pose_(pose), score_(score), coverage_(coverage), clutter_(clutter), accepted_(accepted) {}

    // Score at or above the run's accept threshold.
    bool accepted() const { return accepted_; }
    // 0 to 1: the mean agreement of the pattern's edge directions with the image's at
    // the pattern's features (features under don't-care mask pixels left out); times
    // 1 - clutter() when the run scored with clutter.
    double score() const { return score_; }
    // 0 to 1: the fraction of the pattern's (care) features found as image edges of
    // matching direction within a pixel and a half.
    double coverage() const { return coverage_; }
    // 0 to 1: the share of the image's edge pixels inside the footprint that lie more
    // than 2 pixels from every pattern feature (0 when the run did not score with
    // clutter).
    double clutter() const { return clutter_; }
    // Maps the pattern's train-client coordinates into the run image's client
    // coordinates.
    const vxXform<2>& pose() const { return pose_; }
    // The pose's scale (of its x axis) and angle.
    double xScale() const { return pose_.xScale(); }
    vxRadian angle() const { return pose_.xRot(); }

private:
    vxXform<2> pose_;
    double score_ = 0.0;
    double coverage_ = 0.0;
    double clutter_ = 0.0;
    bool accepted_ = false;
};

// The results of one run, best score first.
class vxKSAlignResultSet {
public:
    const std::vector<vxKSAlignResult>& results() const { return results_; }
    long numResults() const { return static_cast<long>(results_.size()); }
    // Result i, 0 <= i < numResults() (unchecked, like a vector's operator[]).
    const vxKSAlignResult& operator[](long i) const { return results_[i]; }
    void clear() { results_.clear(); }

private:
    friend class vxKSAlignPattern;
    std::vector<vxKSAlignResult> results_;
};
