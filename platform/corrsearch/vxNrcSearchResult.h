// Results of a normalized-correlation search run.
#pragma once

#include "vxVector.h"

#include <vector>

// One place where the template was found.
class vxNrcSearchResult {
public:
    // A result that was not found (score 0).
    vxNrcSearchResult() = default;
    vxNrcSearchResult(const vxVector<2>& location, const vxVector<2>& corner, double score)
        : found_(true), location_(location), corner_(corner), score_(score) {}

    // True for every result a run reports.
    bool found() const { return found_; }
    // Where the training image's client origin lies in the run image's client
    // coordinates, the template having been moved (translation only, sub-pixel) to the
    // found place. For a template trained on a window starting at image (0, 0) of an
    // image with the identity transform, this is the client position of the found
    // template's upper-left corner.
    const vxVector<2>& location() const { return location_; }
    // The found template's upper-left corner in the run image's image coordinates.
    const vxVector<2>& corner() const { return corner_; }
    // The square of the normalized correlation r at the best whole-pixel placement, from
    // 0 to 1: the share of the patch's variance that the template explains. A negative
    // r (reversed contrast), a flat image patch or a flat template scores 0. Squaring
    // spreads the top of the scale: r = 0.55 scores only 0.3, while unrelated patterns
    // that share a few strokes easily reach r = 0.3 to 0.9.
    double score() const { return score_; }

private:
    bool found_ = false;
    vxVector<2> location_;
    vxVector<2> corner_;
    double score_ = 0.0;
};

// The results of one run, best score first.
class vxNrcSearchResultSet {
public:
    const std::vector<vxNrcSearchResult>& results() const { return results_; }
    long numFound() const { return static_cast<long>(results_.size()); }
    void clear() { results_.clear(); }
    // Replaces the results (the run's last step).
    void results(std::vector<vxNrcSearchResult> results) { results_ = std::move(results); }

private:
    std::vector<vxNrcSearchResult> results_;
};
