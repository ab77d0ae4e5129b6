// Run parameters of the alignment tool. Setters check their arguments and leave the
// object as it was when they throw vx_KSDefs::BadParams.
#pragma once

#include "vxRange.h"
#include "vx_KSDefs.h"

// The parameters every alignment run takes.
//
// Angles are in degrees and scales are uniform factors, both of the result pose in
// client coordinates. A default-constructed set holds the pose at angle 0 and scale 1
// (no zone enabled), accepts scores of 0.5 and above, ignores image gradients below
// 10 grey levels per pixel, finds one result and merges results whose footprints
// overlap by more than half.
class vx_KSRunParams {
public:
    vx_KSRunParams() = default;

    // Results scoring at or above this (0 to 1) are accepted.
    double acceptThreshold() const { return acceptThreshold_; }
    void acceptThreshold(double t);
    // Image gradient magnitude (grey levels per pixel, finite, >= 0) below which image
    // pixels count as featureless.
    double contrastThreshold() const { return contrastThreshold_; }
    void contrastThreshold(double t);
    // The most results a run reports (>= 1).
    long numToFind() const { return numToFind_; }
    void numToFind(long n);
    // The value a degree of freedom (vx_KSDefs::DOF) is held at when its zone is off:
    // an angle in degrees (finite) or a scale (finite, > 0).
    double nominal(long dof) const;
    void nominal(long dof, double value);
    // The range a degree of freedom is searched over when its zone is on. Angle zones
    // wider than 360 degrees search the full turn once; scale zones need low > 0.
    vxRange zone(long dof) const;
    void zone(long dof, double low, double high);
    // Bit set of vx_KSDefs::ZoneBits (0 to 3).
    unsigned long zoneEnable() const { return zoneEnable_; }
    void zoneEnable(unsigned long bits);
    // Two results whose footprints (the pattern's training window under each pose)
    // share more than this fraction (0 to 1) of the smaller footprint are one result:
    // the better-scoring is kept.
    double xyOverlap() const { return xyOverlap_; }
    void xyOverlap(double fraction);
    // When set, image edges inside a result's footprint that no pattern feature
    // explains lower its score (see vxKSAlignResult::clutter); this tells a pattern
    // from a larger shape that contains it.
    bool scoreUsingClutter() const { return scoreUsingClutter_; }
    void scoreUsingClutter(bool on) { scoreUsingClutter_ = on; }

    friend bool operator==(const vx_KSRunParams&, const vx_KSRunParams&) = default;

private:
    static int index_(long dof);
    double acceptThreshold_ = 0.5;
    double contrastThreshold_ = 10.0;
    long numToFind_ = 1;
    double nominal_[2] = {0.0, 1.0};
    double zoneLow_[2] = {-180.0, 0.9};
    double zoneHigh_[2] = {180.0, 1.1};
    unsigned long zoneEnable_ = 0;
    double xyOverlap_ = 0.5;
    bool scoreUsingClutter_ = false;
};

// The run parameters of vxKSAlignPattern, with the search strategy.
class vxKSAlignRunParams : public vx_KSRunParams {
public:
    vxKSAlignRunParams() = default;

    // A vx_KSDefs::Algorithm value (1 or 2); the default is eCoarseToFine.
    long algorithm() const { return algorithm_; }
    void algorithm(long a);

    friend bool operator==(const vxKSAlignRunParams&, const vxKSAlignRunParams&) = default;

private:
    long algorithm_ = vx_KSDefs::eCoarseToFine;
};
