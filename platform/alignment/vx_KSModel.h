// The trained form of an alignment pattern: edge features at several pyramid levels.
#pragma once

#include "vxPelBuffer.h"
#include "vxRect.h"
#include "vxVector.h"
#include "vx_KSGradient.h"

#include <vector>

// One edge feature: a sub-pixel edge position relative to the pattern's origin and the
// unit gradient direction there (pointing from dark to light), in pixels of its level.
struct vx_KSFeature {
    float x = 0.0f;
    float y = 0.0f;
    float ux = 0.0f;
    float uy = 0.0f;
};

// The features of one pyramid level.
struct vx_KSLevel {
    std::vector<vx_KSFeature> features; // in an order that spreads partial sums evenly
    double radius = 0.0;                // largest feature distance from the origin
};

struct vx_KSModel {
    // levels[L] holds level L's features for fine <= L <= top; other entries are empty.
    std::vector<vx_KSLevel> levels;
    int fine = 0;
    int top = 0;
    // The pattern's origin (the training window's centre) in training-image coordinates.
    vxVector<2> origin;
    // The training window in training-image coordinates.
    vxPelRect window;
    // The box of the fine level's features, one pixel wider on every side, in
    // training-image coordinates: the pattern's footprint when results are compared
    // for overlap. (The window would make neighbouring characters of a line overlap
    // through their margins, and the second of two equal neighbours would be lost.)
    vxRect inkBox;
    // Level-`fine` pixels near a pattern edge (1) or not (0), over the training window,
    // for clutter scoring: the window's size at level `fine`.
    vx_KSPlane nearEdge;
    // Results are refined by least squares at the fine level (train mode bit 2).
    bool refine = true;
};

// Locates an edge on the line p + d u (|d| <= reach) of a gradient plane: the peak of
// the directional derivative g(p + d u) . u, sampled every half pixel, refined to the
// centroid of the samples within 1.5 pixels of the peak. Returns false when the peak
// stays below minStrength; otherwise sets *offset to d and *strength to the peak.
bool vf_KSProbeEdge(const vx_KSGradient& g, double px, double py, double ux, double uy,
                    double reach, double minStrength, double* offset, double* strength);

// vf_KSProbeEdge along n lines: found[k] tells whether line k has an edge and offset[k]
// is then its d, bit for bit as one by one (eight lines at a time where AVX2 allows).
// gx and gy, unless null, receive the gradient at each (px[k], py[k]) as
// vx_KSGradient::at gives it.
void vf_KSProbeEdges(const vx_KSGradient& g, std::size_t n, const double* px, const double* py,
                     const double* ux, const double* uy, double reach, double minStrength,
                     double* offset, unsigned char* found, float* gx = nullptr,
                     float* gy = nullptr);

// The standard deviation of a gradient plane's noise, per component, estimated from
// the lower quartile of the gradient magnitudes within halfSize of `origin`.
double vf_KSGradientNoise(const vx_KSGradient& g, const vxVector<2>& origin,
                          const vxVector<2>& halfSize);

// Extracts a level's features from the gradient of the (padded) training window at
// that level: non-maximum-suppressed edge pixels that stand clear of the gradient
// noise (`noise` as vf_KSGradientNoise gives it) and of the weakest edges, refined to
// sub-pixel edge positions, kept within halfSize of `origin` (the window's centre, in
// that level's pixels) and thinned to at most maxFeatures evenly spaced ones.
vx_KSLevel vf_KSExtractFeatures(const vx_KSGradient& g, const vxVector<2>& origin,
                                const vxVector<2>& halfSize, std::size_t maxFeatures,
                                double noise);
