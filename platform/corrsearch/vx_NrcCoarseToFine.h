// The search itself, on prepared pyramids: every placement at the top level, the best
// candidates followed down level by level to full resolution, a sub-pixel fit at the
// peak, and overlapping results merged.
#pragma once

#include "vxNrcSearchDefs.h"
#include "vx_NrcKernels.h"

#include <span>
#include <vector>

// Thresholds on the correlation r itself, like every score of the search's levels;
// the model takes the square roots of its r-squared thresholds.
struct vx_NrcSettings {
    double accept = 0.5;
    double confusion = 0.6;
    long maxResults = 1; // 0 or less: no limit
    double xyOverlap = 0.8;
    vxNrcSearchDefs::Accuracy accuracy = vxNrcSearchDefs::eFine;
};

// A match: the template's upper-left corner in full-resolution plane coordinates
// (sub-pixel) and its exact r at the best whole-pixel placement.
struct vx_NrcMatch {
    double x = 0.0;
    double y = 0.0;
    double score = 0.0;
};

// Matches of templates[0] in images[0], best first, at most s.maxResults of them, none
// overlapping another. Index k of both vectors is pyramid level k (k = 0 full
// resolution); both have the same, non-zero number of levels, and every image level
// holds its template level. Polls vxAttention::check.
std::vector<vx_NrcMatch> vf_nrcCoarseToFine(std::span<const vx_NrcPlane> images,
                                            std::span<const vx_NrcTemplate> templates,
                                            const vx_NrcSettings& s);
