// Footprint overlap of alignment results and the merging of overlapping results.
#pragma once

#include "vxAffineRectangle.h"
#include "vxKSAlignResult.h"

#include <vector>

// The area two parallelograms share, as a fraction of the smaller one's area (0 when
// either is degenerate).
double vf_KSOverlap(const vxAffineRectangle& a, const vxAffineRectangle& b);

// Adds `result` (with its footprint) to `results`, kept sorted by descending score:
// dropped when it overlaps a better result by more than `overlap`, otherwise it
// replaces every worse result it overlaps that much. At most `limit` are kept.
void vf_KSMergeResult(const vxKSAlignResult& result, const vxAffineRectangle& footprint,
                      double overlap, long limit, std::vector<vxKSAlignResult>& results,
                      std::vector<vxAffineRectangle>& footprints);
