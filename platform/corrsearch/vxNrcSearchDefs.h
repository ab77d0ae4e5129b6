// Enumerations and errors of the normalized-correlation search (error numbers
// 0x100000a0 to 0x100000a7). Each error class is registered for archiving.
#pragma once

#include "vxException.h"

class vxNrcSearchDefs {
public:
    // How a run looks for the template. The values are bits, so that a model can be
    // trained for several algorithms at once (vxNrcSearchTrainParams::algorithms).
    enum Algorithm : unsigned long {
        // Every placement at full resolution: slow, the reference for the others.
        eExhaustive = 1,
        // Every placement of a reduced template over a reduced image (2 x 2 averaging,
        // repeated), then the best candidates followed down level by level.
        eCoarseToFine = 8
    };
    static constexpr unsigned long kAllAlgorithms = eExhaustive | eCoarseToFine;

    // How finely a result's location is given.
    enum Accuracy : unsigned long {
        eCoarse = 1, // the best whole-pixel placement
        eMedium = 2, // sub-pixel: a parabola through the peak along each axis
        eFine = 4    // sub-pixel: a quadratic surface fitted to the 3 x 3 scores at the peak
    };

    // Base of the search errors.
    class Error : public vx_ExceptionImpl<Error, 0x100000a0> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
    // A training or run parameter outside its documented range.
    class BadParams : public vx_ExceptionImpl<BadParams, 0x100000a1, Error> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
    // A training image that cannot serve as a template: empty, too large or flat.
    class BadTrainImage : public vx_ExceptionImpl<BadTrainImage, 0x100000a2, Error> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
    // A run of a model that is not trained, or not trained for the run's algorithm.
    class NotTrained : public vx_ExceptionImpl<NotTrained, 0x100000a3, Error> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
};
