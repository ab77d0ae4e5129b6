// The search stages of an alignment run: the exhaustive search of the top pyramid
// level, the tracking of candidates down the pyramid and the least-squares refinement.
//
// Poses here are in pixels of the run image's window (origin at its upper-left
// corner, level-0 units): the pattern's origin lands at (x, y) and a feature p (in
// level-L pixels) lands at (x, y) / 2^L + scale R(angle) p in level L.
#pragma once

#include "vx_KSGradient.h"
#include "vx_KSModel.h"

#include <cstdint>
#include <vector>

struct vx_KSPose {
    double x = 0.0;
    double y = 0.0;
    double angle = 0.0; // radians
    double scale = 1.0;
};

struct vx_KSCandidate {
    vx_KSPose pose;
    double score = 0.0;
};

// The angles and scales a level samples; a step of 0 means the value is held.
struct vx_KSGrid {
    std::vector<double> angles;
    std::vector<double> scales;
    double angleStep = 0.0; // radians
    double scaleStep = 0.0; // ratio between neighbouring scales, minus 1
};

// Reusable buffers of the top-level search.
struct vx_KSSearchWork {
    std::vector<std::uint8_t> sectors; // each pixel's orientation sector, bordered
    std::vector<std::uint8_t> response;
    std::vector<std::uint16_t> best;
    std::vector<std::uint32_t> bestIndex;
    std::vector<std::uint16_t> acc;
    std::vector<std::int32_t> offsets;
    std::vector<std::int32_t> inkCount; // summed-area table of pixels that can respond
    // What sectors, response and inkCount were last built for (stamp 0: nothing).
    std::uint64_t builtStamp = 0;
    long builtPad = 0;
    std::uint8_t builtDontCare = 0;
};

// Scores every placement of `level` at every pixel of `unit` (unit gradients of
// the top level L, see vf_KSNormalize) for every angle and scale of `grid`, with
// orientations quantised to 16 sectors and a 3x3 tolerance in position. Placements are
// dropped as soon as their partial sum can no longer reach minScore. Returns the best
// local maxima at or above minScore, at least `spacing` level pixels apart, best
// first, at most maxCandidates. `care` (level L, nonzero = care) may be null.
// Polls vxAttention::check every few rows. Throws vx_KSDefs::BadImage for a level too
// large to address with 32-bit offsets (over about 8000 x 8000 pixels). `stamp` names
// unit and care as they are (see vx_KSRunPyramid::stamp): the response planes built
// for one stamp serve the next search of the same stamp (the next character on the
// same image); 0 builds them afresh.
void vf_KSSearchTop(const vx_KSLevel& level, int L, const vx_KSGradient& unit,
                    const vx_KSPlane* care, std::uint64_t stamp, const vx_KSGrid& grid,
                    double minScore, std::size_t maxCandidates, double spacing,
                    vx_KSSearchWork& work, std::vector<vx_KSCandidate>& out);

// The zone a run searches, in pixel terms: free degrees of freedom stay within it
// while candidates are tracked and refined. A full-turn angle zone does not limit.
struct vx_KSZone {
    bool freeAngle = false, freeScale = false;
    bool fullTurn = true;
    double angleLow = 0.0, angleHigh = 0.0; // radians
    double scaleLow = 0.0, scaleHigh = 0.0;

    bool holdsAngle(double a) const {
        return !freeAngle || fullTurn || (a >= angleLow && a <= angleHigh);
    }
    bool holdsScale(double s) const { return !freeScale || (s >= scaleLow && s <= scaleHigh); }
    double clampAngle(double a) const;
    double clampScale(double s) const;
};

// Moves a candidate to the best pose of level L by hill climbing: within 2 level pixels
// of its position, and up to 4 steps of angleStep and scaleStep (steps of 0 hold the
// value) from its angle and scale, scored on unit gradients with the nearest pixel;
// angles and scales outside `zone` are not tried. Returns its score there.
double vf_KSTrack(const vx_KSLevel& level, int L, const vx_KSGradient& unit, const vx_KSPlane* care,
                  double angleStep, double scaleStep, const vx_KSZone& zone, vx_KSPose& pose);

// The outcome of the final refinement.
struct vx_KSRefined {
    vx_KSPose pose;
    double score = 0.0;
    double coverage = 0.0;
    bool abandoned = false; // given up part way (score is the estimate it was given up on)
};

// Refines a pose at level L by Gauss-Newton least squares on the distances, along
// each mapped feature's direction, to the nearest matching image edge in the raw
// gradient `g`; only the free degrees of freedom move, and only within `zone`. The
// score is the mean over features of their direction agreement (bilinear gradient)
// weighted by the proximity of the matching edge: full within half a pixel, none beyond
// a pixel; coverage is the share of features with such an edge within a pixel.
// `contrast` is the gradient magnitude below which the image has no edge. A candidate
// whose score, once converged on a subset of the features, stays clearly below
// mustBeat (so that polishing cannot lift it to that score) is given up and marked
// abandoned.
vx_KSRefined vf_KSRefine(const vx_KSLevel& level, int L, const vx_KSGradient& g,
                         const vx_KSPlane* care, double contrast, const vx_KSZone& zone,
                         double mustBeat, const vx_KSPose& start);
