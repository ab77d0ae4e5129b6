// Per-feature loops of a refinement step, with AVX2 versions chosen at run time that
// give the same bits as the plain loops (the same operations in the same order; no
// fused multiply-add in either).
#pragma once

#include "vx_KSModel.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

// Where a step's features lie and which way they point, one array per quantity.
struct vx_KSPlacement {
    double* qx;
    double* qy;
    double* mx;
    double* my;
    double* rx; // the feature's offset turned (not scaled)
    double* ry;

    // The placement of the features from the k-th on.
    vx_KSPlacement from(std::size_t k) const {
        return {qx + k, qy + k, mx + k, my + k, rx + k, ry + k};
    }
};

// max(0, cos) between a feature's direction m and an image gradient (0 where the
// gradient is below the contrast threshold).
inline double vf_KSAgreement(float gx, float gy, double mx, double my, double contrast) {
    const double mag = std::sqrt(double(gx) * gx + double(gy) * gy);
    const double cosine = (mx * gx + my * gy) / mag;
    return (mag >= contrast && mag > 0.0) ? (0.0 < cosine ? cosine : 0.0) : 0.0;
}

// The weight of a matching edge found d pixels along a feature's direction: full within
// half a pixel, falling to none at a pixel. Direction alone would credit a feature
// beside any edge of similar slope, and look-alike characters would score as well as
// the true one on the parts they share only roughly.
inline double vf_KSProximity(double d) {
    const double a = std::fabs(d);
    return a <= 0.5 ? 1.0 : a >= 1.0 ? 0.0 : 2.0 * (1.0 - a);
}

// Features f[0..n) turned by the angle whose cosine and sine are (c, s), scaled and
// moved to (tx, ty): q = t + scale R p, m = R u, r = R p.
void vf_KSPlaceFeatures(const vx_KSFeature* f, std::size_t n, double c, double s, double tx,
                        double ty, double scale, const vx_KSPlacement& out);

// Adds the equation of every feature k < n with found[k] (moving q by dq changes its
// distance d to the edge by m . dq), weighted by 1 / (1 + d^2), to the normal equations
// a x = b of a step, in feature order; columns x, y, then angle and log scale where
// free. Returns how many features had an edge.
long vf_KSNormalEquations(const vx_KSPlacement& p, const double* d, const unsigned char* found,
                          std::size_t n, double scale, bool freeAngle, bool freeScale,
                          double a[4][4], double b[4]);

// What a tally adds up for each feature k < n: credit[k] = max(0, cos) between m and the
// gradient (gx, gy) (0 below the contrast threshold) times the proximity weight of d
// (1 within half a pixel, 0 from a pixel on), and 0 where found[k] is not set.
void vf_KSTallyCredits(const vx_KSPlacement& p, const float* gx, const float* gy,
                       const double* d, const unsigned char* found, std::size_t n,
                       double contrast, double* credit);

// Features f[0..n) turned and scaled by (c, s, scale) and rounded to whole pixels, for
// tracking: dx, dy the nearest pixel offsets, (ux, uy) the turned directions, offset
// 2 (dy width + dx) into an interleaved plane, and box = {min dx, max dx, min dy,
// max dy} (each range holding 0).
void vf_KSPlacePixels(const vx_KSFeature* f, std::size_t n, double c, double s, double scale,
                      long width, std::int32_t* dx, std::int32_t* dy, float* ux, float* uy,
                      std::int32_t* offset, std::int32_t box[4]);
