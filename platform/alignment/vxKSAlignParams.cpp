// Validating setters of the alignment run parameters.
#include "vxKSAlignParams.h"

#include <cmath>

namespace {

bool isUnit(double v) {
    return v >= 0.0 && v <= 1.0;
}

} // namespace

int vx_KSRunParams::index_(long dof) {
    if (dof != vx_KSDefs::eAngle && dof != vx_KSDefs::eScale)
        throw vx_KSDefs::BadParams(L"Unknown degree of freedom");
    return dof == vx_KSDefs::eAngle ? 0 : 1;
}

void vx_KSRunParams::acceptThreshold(double t) {
    if (!isUnit(t)) throw vx_KSDefs::BadParams(L"Accept threshold outside [0, 1]");
    acceptThreshold_ = t;
}

void vx_KSRunParams::contrastThreshold(double t) {
    if (!(t >= 0.0 && std::isfinite(t)))
        throw vx_KSDefs::BadParams(L"Contrast threshold must be finite and not negative");
    contrastThreshold_ = t;
}

void vx_KSRunParams::numToFind(long n) {
    if (n < 1) throw vx_KSDefs::BadParams(L"Number to find must be at least 1");
    numToFind_ = n;
}

double vx_KSRunParams::nominal(long dof) const {
    return nominal_[index_(dof)];
}

void vx_KSRunParams::nominal(long dof, double value) {
    const int i = index_(dof);
    if (!std::isfinite(value) || (i == 1 && !(value > 0.0)))
        throw vx_KSDefs::BadParams(L"Nominal value out of range");
    nominal_[i] = value;
}

vxRange vx_KSRunParams::zone(long dof) const {
    const int i = index_(dof);
    return vxRange(zoneLow_[i], zoneHigh_[i]);
}

void vx_KSRunParams::zone(long dof, double low, double high) {
    const int i = index_(dof);
    if (!std::isfinite(low) || !std::isfinite(high) || low > high || (i == 1 && !(low > 0.0)))
        throw vx_KSDefs::BadParams(L"Zone out of range");
    zoneLow_[i] = low;
    zoneHigh_[i] = high;
}

void vx_KSRunParams::zoneEnable(unsigned long bits) {
    if (bits > (vx_KSDefs::eAngleZone | vx_KSDefs::eScaleZone))
        throw vx_KSDefs::BadParams(L"Unknown zone bits");
    zoneEnable_ = bits;
}

void vx_KSRunParams::xyOverlap(double fraction) {
    if (!isUnit(fraction)) throw vx_KSDefs::BadParams(L"Overlap fraction outside [0, 1]");
    xyOverlap_ = fraction;
}

void vxKSAlignRunParams::algorithm(long a) {
    if (a != vx_KSDefs::eExhaustive && a != vx_KSDefs::eCoarseToFine)
        throw vx_KSDefs::BadParams(L"Unknown algorithm");
    algorithm_ = a;
}
