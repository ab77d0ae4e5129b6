// Checking setters of the search parameters.
#include "vxNrcSearchParams.h"

namespace {

using Defs = vxNrcSearchDefs;

void checkAccuracy(Defs::Accuracy a) {
    if (a != Defs::eCoarse && a != Defs::eMedium && a != Defs::eFine)
        throw Defs::BadParams(L"Accuracy must be 1, 2 or 4");
}

void checkFraction(double v, const wchar_t* message) {
    if (!(v >= 0.0 && v <= 1.0)) throw Defs::BadParams(message); // NaN fails too
}

} // namespace

vxNrcSearchTrainParams::vxNrcSearchTrainParams(Defs::Accuracy accuracy, unsigned long algorithms) {
    this->accuracy(accuracy);
    this->algorithms(algorithms);
}

void vxNrcSearchTrainParams::accuracy(Defs::Accuracy accuracy) {
    checkAccuracy(accuracy);
    accuracy_ = accuracy;
}

void vxNrcSearchTrainParams::algorithms(unsigned long algorithms) {
    if (algorithms == 0 || (algorithms & ~Defs::kAllAlgorithms) != 0)
        throw Defs::BadParams(L"Algorithms must be a non-empty set of 1 and 8");
    algorithms_ = algorithms;
}

vxNrcSearchRunParams::vxNrcSearchRunParams(Defs::Algorithm algorithm) {
    this->algorithm(algorithm);
}

void vxNrcSearchRunParams::algorithm(Defs::Algorithm algorithm) {
    if (algorithm != Defs::eExhaustive && algorithm != Defs::eCoarseToFine)
        throw Defs::BadParams(L"Algorithm must be 1 or 8");
    algorithm_ = algorithm;
}

void vxNrcSearchRunParams::accept(double accept) {
    checkFraction(accept, L"Accept must lie from 0 to 1");
    accept_ = accept;
}

void vxNrcSearchRunParams::confusion(double confusion) {
    checkFraction(confusion, L"Confusion must lie from 0 to 1");
    confusion_ = confusion;
}

void vxNrcSearchRunParams::accuracy(Defs::Accuracy accuracy) {
    checkAccuracy(accuracy);
    accuracy_ = accuracy;
}

void vxNrcSearchRunParams::maxNumResults(long count) {
    if (count == 0) throw Defs::BadParams(L"maxNumResults must not be 0");
    maxNumResults_ = count;
}

void vxNrcSearchRunParams::xyOverlap(double fraction) {
    checkFraction(fraction, L"xyOverlap must lie from 0 to 1");
    xyOverlap_ = fraction;
}
