// The correlation core: normalized correlation of a model (vx_CorrelationModel) with
// an image at single placements or at every placement, as 16-bit scores.
//
// A placement puts the model's upper-left pixel at image pixel (x, y). Its correlation
// r is taken over the model's care pixels and the image pixels under them:
// r = (n sum(i t) - sum(i) sum(t)) / sqrt((n sum(i^2) - sum(i)^2)(n sum(t^2) - sum(t)^2)).
// A flat model, a flat image patch or no care pixel at all leaves r undefined; it is
// then 0. The score mode (vx_CorrDefs::ScoreMode) turns r into the score.
//
// Usage: vf_corr_init(space, model, image, mode), then vf_corr_score or
// vf_corr_scoreAll; vf_corr_alloc_space sizes the space ahead of time so that later
// inits of images up to that size reuse its running-sum tables.
#pragma once

#include "vx_CorrDefs.h"
#include "vx_CorrelationModel.h"

#include <cstdint>
#include <vector>

// One placement's score.
struct vx_CSResult {
    long x = 0; // the model's upper-left pixel, in the image's coordinates
    long y = 0;
    short score = 0; // round(score * vx_CorrDefs::kScoreOne)
};

// The working space of one model over one image. Its fields belong to the functions
// below; callers read nx and ny.
struct vx_CorrSpace {
    long capacityWidth = 0; // the running-sum tables hold images up to this size
    long capacityHeight = 0;
    std::vector<std::int64_t> sum;   // running sums of the image, capacityWidth + 1 a row
    std::vector<std::int64_t> sumSq; // and of its squares
    vx_CorrelationModel<unsigned char> model;
    vxPelBuffer_const<unsigned char> image;
    int mode = vx_CorrDefs::eClamped;
    bool initialised = false;
    long nx = 0; // placements across: image width - model width + 1, or 0
    long ny = 0; // placements down
};

// Makes the space's tables hold images of up to width x height pixels (larger tables
// are kept). Throws vx_CorrDefs::BadArgument for a negative size.
void vf_corr_alloc_space(vx_CorrSpace& space, long width, long height);

// Prepares the space to score `model` over image's window with score `mode`: copies
// the model, shares the image's pixels and, for a model without mask, fills the
// running sums (allocating as needed). A model larger than the window leaves no
// placement. Throws vxPel::UnboundWindow for an unbound image and
// vx_CorrDefs::BadArgument for a mode other than 0, 1 or 2, leaving the space as it
// was; polls vxAttention::check, and a stop there leaves the space uninitialised.
void vf_corr_init(vx_CorrSpace& space, const vx_CorrelationModel<unsigned char>& model,
                  const vxPelBuffer_const<unsigned char>& image, int mode);

// The score at the placement whose upper-left pixel is (x, y). Throws
// vx_CorrDefs::BadArgument when the space is not initialised or the model does not
// lie wholly inside the image's window there.
vx_CSResult vf_corr_score(const vx_CorrSpace& space, long x, long y);

// The scores of every placement, row by row (ny rows of nx; empty when there is
// none). Polls vxAttention::check once per row. Throws as vf_corr_score.
void vf_corr_scoreAll(const vx_CorrSpace& space, std::vector<vx_CSResult>& results);

// Point correlators: r of the model with the image pixels whose upper-left is at
// `image`, rows `stride` apart. The unmasked form takes the patch's sum and sum of
// squares (from running sums) and needs a model without mask (else it throws
// vx_CorrDefs::BadArgument); the masked form sums the patch over the care pixels
// itself and takes any model. Both are 0 where r is undefined.
double vf_corr_point(const vx_CorrelationModel<unsigned char>& model, const unsigned char* image,
                     long stride, std::int64_t patchSum, std::int64_t patchSumSq);
double vf_corr_pointMasked(const vx_CorrelationModel<unsigned char>& model,
                           const unsigned char* image, long stride);

// The 16-bit score of r under a score mode (values as vf_corr_init checks them).
short vf_corr_scoreOf(double r, int mode);

// Fills the space's running sums of its image (part of vf_corr_init).
void vf_corr_fillRunningSums_(vx_CorrSpace& space);
