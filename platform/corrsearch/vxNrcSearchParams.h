// Training and run parameters of the normalized-correlation search. Setters check
// their argument and leave the object as it was when they throw
// vxNrcSearchDefs::BadParams.
#pragma once

#include "vxNrcSearchDefs.h"

class vxNrcSearchTrainParams {
public:
    // Fine accuracy, trained for every algorithm.
    vxNrcSearchTrainParams() = default;
    vxNrcSearchTrainParams(vxNrcSearchDefs::Accuracy accuracy, unsigned long algorithms);

    // The finest accuracy runs of the model give; a run gives the coarser of this and
    // its own accuracy.
    vxNrcSearchDefs::Accuracy accuracy() const { return accuracy_; }
    void accuracy(vxNrcSearchDefs::Accuracy accuracy);
    // The algorithms (a non-empty bit set of vxNrcSearchDefs::Algorithm values) the
    // model can be run with. Coarse-to-fine training builds the template pyramid.
    unsigned long algorithms() const { return algorithms_; }
    void algorithms(unsigned long algorithms);

    friend bool operator==(const vxNrcSearchTrainParams&, const vxNrcSearchTrainParams&) = default;

private:
    vxNrcSearchDefs::Accuracy accuracy_ = vxNrcSearchDefs::eFine;
    unsigned long algorithms_ = vxNrcSearchDefs::kAllAlgorithms;
};

class vxNrcSearchRunParams {
public:
    // Defaults: accept 0.5, confusion 0.6, fine accuracy, one result, overlap 0.8.
    // Throws BadParams for a value that is not one of the algorithms.
    explicit vxNrcSearchRunParams(
        vxNrcSearchDefs::Algorithm algorithm = vxNrcSearchDefs::eCoarseToFine);

    vxNrcSearchDefs::Algorithm algorithm() const { return algorithm_; }
    void algorithm(vxNrcSearchDefs::Algorithm algorithm);
    // The lowest score (r squared, see vxNrcSearchResult::score), from 0 to 1, of a
    // reported result: 0.5 asks for r >= 0.71.
    double accept() const { return accept_; }
    void accept(double accept);
    // The score (r squared), from 0 to 1, at and above which a result is taken to be
    // certainly the template: once maxNumResults such results are found, the run stops
    // looking. A run throws BadParams when confusion is below accept.
    double confusion() const { return confusion_; }
    void confusion(double confusion);
    vxNrcSearchDefs::Accuracy accuracy() const { return accuracy_; }
    void accuracy(vxNrcSearchDefs::Accuracy accuracy);
    // The most results a run reports; a negative count means no limit, 0 is refused.
    long maxNumResults() const { return maxNumResults_; }
    void maxNumResults(long count);
    // Two results overlap when their template rectangles share more than this
    // fraction (0 to 1) of the template's area; of overlapping results only the
    // better is reported. 0 merges any two that share area, 1 only results at the
    // same place.
    double xyOverlap() const { return xyOverlap_; }
    void xyOverlap(double fraction);

    friend bool operator==(const vxNrcSearchRunParams&, const vxNrcSearchRunParams&) = default;

private:
    vxNrcSearchDefs::Algorithm algorithm_ = vxNrcSearchDefs::eCoarseToFine;
    double accept_ = 0.5;
    double confusion_ = 0.6;
    vxNrcSearchDefs::Accuracy accuracy_ = vxNrcSearchDefs::eFine;
    long maxNumResults_ = 1;
    double xyOverlap_ = 0.8;
};
