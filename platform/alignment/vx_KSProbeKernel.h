// The sampling loop of the edge probe: directional derivatives at evenly spaced points
// of a line, each a bilinear sample of an interleaved gradient plane. The AVX2 version
// takes two samples per instruction with the same operations in the same order as the
// portable one, so both give the same bits.
#pragma once

#include <algorithm>

// The edge probe samples every half pixel and refines its peak to the centroid of the
// samples within 1.5 pixels of it.
constexpr double kKSProbeStep = 0.5, kKSProbeSpan = 1.5;

// How many samples a probe of a given reach takes either side of its centre (`half`),
// how many of them the peak is looked for among (`inner`) and how many either side of
// the peak make the centroid (`spread`).
struct vx_KSProbeShape {
    int half, inner, spread;
};

inline vx_KSProbeShape vf_KSProbeShapeFor(double reach) {
    constexpr int kMaxSamples = 64;
    return {std::min(static_cast<int>((reach + kKSProbeSpan) / kKSProbeStep), kMaxSamples / 2 - 1),
            static_cast<int>(reach / kKSProbeStep), static_cast<int>(kKSProbeSpan / kKSProbeStep)};
}

// f[k] for k0 <= k < k1: the gradient at (x0 + k * 0.5 * ux, y0 + k * 0.5 * uy) (pixel
// centres at integers: the caller subtracts the half pixel) interpolated bilinearly
// and projected on (ux, uy). Every sample's pixel and its right and lower neighbours
// must lie inside the plane (w x h pixels, xy its 2 w h interleaved floats) and every
// coordinate must be at least 0.
void vf_KSProbeSamples(const float* xy, long w, double x0, double y0, double ux, double uy,
                       int k0, int k1, float* f);
// The same with SSE2 (or plain C++) only, whatever the processor: the reference the
// vector version must equal bit for bit.
void vf_KSProbeSamplesPortable(const float* xy, long w, double x0, double y0, double ux,
                               double uy, int k0, int k1, float* f);

// Eight whole probes at once, as vf_KSProbeEdge takes them one by one and with the
// same bits: probe k runs along (px[k], py[k]) + d (ux[k], uy[k]) (pixel centres at
// i + 0.5), found[k] tells whether its peak reached minStrength and the centroid had
// weight, and offset[k] is then its d. Returns false, writing nothing, unless the
// processor has AVX2, all eight probes lie wholly inside the plane and the plane has
// fewer than 2^30 pixels; *inside (unless null) then has a bit set for each probe
// that lies inside (none without AVX2). gx and gy, unless null, receive the gradient at
// each p as vx_KSGradient::at gives it.
bool vf_KSProbeEdges8(const float* xy, long w, long h, const double* px, const double* py,
                      const double* ux, const double* uy, vx_KSProbeShape shape,
                      double minStrength, double* offset, unsigned char* found, float* gx,
                      float* gy, int* inside = nullptr);

// The gradient at four points as vx_KSGradient::at interpolates it, bit for bit.
// Returns false, writing nothing, unless the processor has AVX2 and every point lies
// where at() interpolates four whole pixels.
bool vf_KSGradients4(const float* xy, long w, long h, const double* px, const double* py,
                     float* gx, float* gy);

