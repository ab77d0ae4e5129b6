// The sampling loop of the edge probe: directional derivatives at evenly spaced points
// of a line, each a bilinear sample of an interleaved gradient plane. The AVX2 version
// takes two samples per instruction with the same operations in the same order as the
// portable one, so both give the same bits.
#pragma once

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
